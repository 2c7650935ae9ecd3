// The final tableau of an engine, as ranging, the listing and the parametric
// steps read it, whatever the engine keeps inside.
//
// Rows: 0 the objective row, 1..M one per constraint, each holding the
// variable basic in it.  Columns: 0 the right-hand side, 1..N+K2 one per
// nonbasic variable.  The phase-1 row is the objective row of phase 1.
#pragma once

#include <memory>
#include <utility>
#include <vector>

#include "form/variable_id.h"

namespace lpsens {

class TableauView {
public:
    virtual ~TableauView() = default;
    virtual int rows() const = 0;     // M
    virtual int columns() const = 0;  // N + K2
    virtual double entry(int i, int j) const = 0;
    // Row i (0..M) as entries 0..N+K2, and column j (0..N+K2) as entries
    // 0..M: how readers that walk a whole line should ask, since an engine
    // without a dense tableau makes each line at once.
    virtual void row(int i, std::vector<double>& out) const {
        out.resize(columns() + 1);
        for (int j = 0; j <= columns(); ++j) out[j] = entry(i, j);
    }
    virtual void column(int j, std::vector<double>& out) const {
        out.resize(rows() + 1);
        for (int i = 0; i <= rows(); ++i) out[i] = entry(i, j);
    }
    // The entries of row i (columns 1..N+K2) or of column j (rows 1..M)
    // that are not zero, as (column or row, entry) in no particular order:
    // for readers that skip zeros, on long lines of few nonzeros.
    virtual void row_entries(int i, std::vector<std::pair<int, double>>& out) const {
        std::vector<double> line;
        row(i, line);
        out.clear();
        for (int j = 1; j < static_cast<int>(line.size()); ++j)
            if (line[j] != 0) out.push_back({j, line[j]});
    }
    virtual void column_entries(int j, std::vector<std::pair<int, double>>& out) const {
        std::vector<double> line;
        column(j, line);
        out.clear();
        for (int i = 1; i < static_cast<int>(line.size()); ++i)
            if (line[i] != 0) out.push_back({i, line[i]});
    }
    // How the basic variables and the objective move per unit when the
    // right-hand side of each row i moves by w: the sum of w times the
    // column of row i's own variable (its slack or artificial variable; a
    // unit vector where that is basic).  `out` gets the entries 1..M that
    // are not zero, as (row, entry) in no particular order; the objective's
    // rate (entry 0) is returned.  One sparse solve in an engine that
    // factorises, however many rows move.
    virtual double rhs_rates(const std::vector<std::pair<int, double>>& rows,
                             std::vector<std::pair<int, double>>& out) const {
        std::vector<double> sum(this->rows() + 1, 0.0), line;
        for (const auto& [i, w] : rows) {
            const int position = row_position(i);
            if (position > 0) {
                sum[position] += w;
                continue;
            }
            column(-position, line);
            for (std::size_t k = 0; k < sum.size(); ++k) sum[k] += w * line[k];
        }
        out.clear();
        for (int k = 1; k < static_cast<int>(sum.size()); ++k)
            if (sum[k] != 0) out.push_back({k, sum[k]});
        return sum[0];
    }
    // The sum of w times row p over (p, w): its entries 1..N+K2 that are not
    // zero in `out`, as rhs_rates gives them; entry 0 returned.
    virtual double row_combination(const std::vector<std::pair<int, double>>& rows,
                                   std::vector<std::pair<int, double>>& out) const {
        std::vector<double> sum(columns() + 1, 0.0), line;
        for (const auto& [p, w] : rows) {
            row(p, line);
            for (std::size_t k = 0; k < sum.size(); ++k) sum[k] += w * line[k];
        }
        out.clear();
        for (int k = 1; k < static_cast<int>(sum.size()); ++k)
            if (sum[k] != 0) out.push_back({k, sum[k]});
        return sum[0];
    }
    // A view of the same tableau for another thread: the lines it gives are
    // the same, and it shares no work space with this one.  Null where the
    // view cannot make one (its readers then keep to one thread).
    virtual std::unique_ptr<TableauView> worker() const { return nullptr; }
    virtual double phase1_entry(int j) const = 0;
    virtual VariableId basic(int i) const = 0;     // 1..M
    virtual VariableId nonbasic(int j) const = 0;  // 1..N+K2
    // Where a variable stands: +p when it is basic in row p, -q when it is
    // nonbasic in column q.  row_position: the variable of row i (1..M), its
    // slack or artificial variable; column_position: column variable v
    // (1..N structural, N+k the surplus of the k-th greater-or-equal row).
    virtual int row_position(int i) const = 0;
    virtual int column_position(int v) const = 0;
};

// An artificial variable basic in row i (1..M) stands at zero and must stay
// there for the basis to be a solution of the problem: any change that moves
// it ends the basis's range at once, whichever way it moves it.
inline bool held_at_zero(const TableauView& view, int i) { return view.basic(i).is_artificial(); }

// Where each variable of a basis stands, as row_position and
// column_position give it (+p basic in row p, -q nonbasic in column q):
// `basic` 1..M and `nonbasic` 1..N+K2 (entry 0 unused), N structural
// variables; rows by row 1..M, columns by column variable 1..N+K2.
inline void place_basis(int variables, const std::vector<VariableId>& basic, const std::vector<VariableId>& nonbasic,
                        std::vector<int>& row_position, std::vector<int>& column_position) {
    row_position.assign(basic.size(), 0);
    column_position.assign(nonbasic.size(), 0);
    const auto place = [&](VariableId v, int position) {
        if (v.is_row_variable()) row_position[v.index] = position;
        else column_position[v.is_surplus() ? variables + v.index : v.index] = position;
    };
    for (int i = 1; i < static_cast<int>(basic.size()); ++i) place(basic[i], i);
    for (int j = 1; j < static_cast<int>(nonbasic.size()); ++j) place(nonbasic[j], -j);
}

}  // namespace lpsens
