// Times the basis factorisation on bases of real models: the build, FTRAN
// and BTRAN of unit vectors and of sparse right-hand sides, and a run of
// simplex-like exchanges (FTRAN of the entering column, BTRAN of the unit
// vector of the leaving position, the update). Where SuiteSparse is
// installed, the same work is timed for KLU and UMFPACK; neither has an
// update, so KLU is timed with a product-form eta file over its factors,
// and rebuilding per exchange costs one KLU build.
//
// usage: lpsens_factor_bench [--repeat N] [--bases DIR] MPS-FILE...
//   Each MPS file (gzip allowed) gives three bases: the one in DIR/NAME.bas
//   (MPS basis format, as an LP solver writes it) if present, a triangular
//   crash, and half structural columns at random. Times are medians of N
//   runs (default 5), in microseconds; ratios are SuiteSparse / ours.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "factor/basis_factor.h"
#include "factor/crash_basis.h"
#include "io/byte_source.h"
#include "model/problem.h"

#ifdef LPSENS_BENCH_SUITESPARSE
#include <klu.h>
#include <umfpack.h>
#endif

using lpsens::factor::BasisFactor;
using lpsens::factor::MatrixView;
using lpsens::factor::SparseVector;

namespace {

struct Problem : lpsens::factor::SparseMatrix {
    Problem() { start = {0}; }
    std::string name;
    std::vector<std::string> row_names;
    std::vector<std::string> col_names;
};

bool read_problem(const std::string& path, Problem& problem) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) return false;
    lpsens::ByteSource source(fd);
    std::string text;
    try {
        text = source.read_rest();
    } catch (...) {
        ::close(fd);
        return false;
    }
    ::close(fd);
    const lpsens::Problem model = lpsens::read_mps(text, path);
    std::string name = path.substr(path.find_last_of('/') + 1);
    for (const char* suffix : {".gz", ".mps"})
        if (name.size() > std::strlen(suffix) && name.ends_with(suffix)) name.resize(name.size() - std::strlen(suffix));
    problem.name = name;
    problem.rows = static_cast<int>(model.rows.size());
    for (const auto& row : model.rows) problem.row_names.push_back(row.name);
    for (int j = 0; j < model.column_count(); ++j) {
        const auto& column = model.columns[static_cast<std::size_t>(j)];
        std::vector<std::pair<int, double>> entries;
        model.matrix.for_each(j, [&](int r, lpsens::Extended v) {
            if (v != 0) entries.emplace_back(r, static_cast<double>(v));
        });
        std::sort(entries.begin(), entries.end());
        for (const auto& [r, v] : entries) {
            problem.row_index.push_back(r);
            problem.value.push_back(v);
        }
        problem.start.push_back(static_cast<int>(problem.row_index.size()));
        problem.col_names.push_back(column.name);
        ++problem.cols;
    }
    return true;
}

// Reads an MPS basis file: XU/XL lines make a column basic and its row
// nonbasic; every row not named so keeps its logical.
bool read_basis(const std::string& path, const Problem& problem, std::vector<int>& basic) {
    std::ifstream in(path);
    if (!in) return false;
    std::map<std::string, int> column_of, row_of;
    for (int j = 0; j < problem.cols; ++j) column_of[problem.col_names[j]] = j;
    for (int r = 0; r < problem.rows; ++r) row_of[problem.row_names[r]] = r;
    std::vector<char> row_basic(static_cast<std::size_t>(problem.rows), 1);
    basic.clear();
    std::string line;
    while (std::getline(in, line)) {
        if (line.size() < 3 || line[0] != ' ') continue;
        std::istringstream fields(line);
        std::string kind, column, row;
        fields >> kind >> column >> row;
        if (kind != "XU" && kind != "XL") continue;
        const auto c = column_of.find(column);
        const auto r = row_of.find(row);
        if (c == column_of.end()) continue;
        basic.push_back(c->second);
        if (r != row_of.end()) row_basic[r->second] = 0;
    }
    for (int r = 0; r < problem.rows; ++r)
        if (row_basic[r]) basic.push_back(problem.cols + r);
    basic.resize(static_cast<std::size_t>(problem.rows), problem.cols);  // a mismatch is repaired by the build
    return true;
}

std::vector<int> half_basis(const Problem& a, std::mt19937& rng) {
    std::vector<int> columns(static_cast<std::size_t>(a.cols));
    for (int j = 0; j < a.cols; ++j) columns[j] = j;
    std::shuffle(columns.begin(), columns.end(), rng);
    std::vector<int> rows(static_cast<std::size_t>(a.rows));
    for (int r = 0; r < a.rows; ++r) rows[r] = a.cols + r;
    std::shuffle(rows.begin(), rows.end(), rng);
    std::vector<int> basic;
    for (int p = 0; p < a.rows; ++p)
        basic.push_back(p < a.rows / 2 && p < a.cols ? columns[p] : rows[p]);
    return basic;
}

using Clock = std::chrono::steady_clock;

double seconds_since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

// One exchange of the replayed sequence: the entering column and the
// position that leaves.
struct Exchange {
    int entering;
    int position;
};

// The work of one method on one basis, in microseconds.
struct Figures {
    double build = 0;        // one factorisation
    double ftran_unit = 0;   // per solve
    double btran_unit = 0;
    double ftran_column = 0;  // per solve of a structural column
    double btran_sparse = 0;  // per solve of a right-hand side of a few entries
    double exchanges = 0;     // the whole sequence
    bool valid = false;
};

struct Workload {
    std::vector<int> unit_rows;          // e_r for FTRAN
    std::vector<int> unit_positions;     // e_p for BTRAN
    std::vector<int> columns;            // a_j for FTRAN
    std::vector<std::vector<std::pair<int, double>>> sparse;  // for BTRAN, by position
    std::vector<Exchange> exchanges;
};

// Running estimate of the density of results, as a simplex code keeps one
// per kind of solve, for the hint.
struct DensityHint {
    double value = 0.01;
    void record(const SparseVector& v, int rows) { value = 0.95 * value + 0.05 * v.count / rows; }
};

void load_column(const Problem& a, int j, SparseVector& v) {
    v.clear();
    for (int e = a.start[j]; e < a.start[j + 1]; ++e) v.add(a.row_index[e], a.value[e]);
}

Figures time_own(const Problem& a, const std::vector<int>& basis, const Workload& w, int repeat) {
    Figures f;
    const int m = a.rows;
    BasisFactor factor;
    factor.setup(a.view());
    std::vector<double> times;
    for (int k = 0; k < repeat; ++k) {
        std::vector<int> basic = basis;
        const auto t = Clock::now();
        factor.build(basic);
        times.push_back(seconds_since(t));
    }
    f.build = median(times) * 1e6;
    SparseVector v;
    v.resize(m);
    const auto time_solves = [&](auto&& one) {
        std::vector<double> per;
        for (int k = 0; k < repeat; ++k) {
            const auto t = Clock::now();
            const int count = one();
            per.push_back(seconds_since(t) / count);
        }
        return median(per) * 1e6;
    };
    DensityHint hint;
    f.ftran_unit = time_solves([&] {
        for (int r : w.unit_rows) {
            v.clear();
            v.add(r, 1.0);
            factor.ftran(v, hint.value);
            hint.record(v, m);
        }
        return static_cast<int>(w.unit_rows.size());
    });
    hint = {};
    f.btran_unit = time_solves([&] {
        for (int p : w.unit_positions) {
            v.clear();
            v.add(p, 1.0);
            factor.btran(v, hint.value);
            hint.record(v, m);
        }
        return static_cast<int>(w.unit_positions.size());
    });
    hint = {};
    f.ftran_column = time_solves([&] {
        for (int j : w.columns) {
            load_column(a, j, v);
            factor.ftran(v, hint.value);
            hint.record(v, m);
        }
        return static_cast<int>(w.columns.size());
    });
    hint = {};
    f.btran_sparse = time_solves([&] {
        for (const auto& entries : w.sparse) {
            v.clear();
            for (const auto& [p, x] : entries) v.add(p, x);
            factor.btran(v, hint.value);
            hint.record(v, m);
        }
        return static_cast<int>(w.sparse.size());
    });
    // The exchanges, each from the same starting factorisation.
    times.clear();
    for (int k = 0; k < repeat; ++k) {
        std::vector<int> basic = basis;
        factor.build(basic);
        DensityHint column_hint, row_hint;
        SparseVector row;
        row.resize(m);
        const auto t = Clock::now();
        for (const Exchange& x : w.exchanges) {
            load_column(a, x.entering, v);
            factor.ftran_for_update(v, column_hint.value);
            column_hint.record(v, m);
            row.clear();
            row.add(x.position, 1.0);
            factor.btran(row, row_hint.value);
            row_hint.record(row, m);
            basic[x.position] = x.entering;
            if (!factor.update(x.position, v.value[x.position])) factor.build(basic);
        }
        times.push_back(seconds_since(t));
    }
    f.exchanges = median(times) * 1e6;
    f.valid = true;
    return f;
}

// Replays the exchanges once with our factor to fix the sequence: random
// entering columns, the position of the largest entry leaves.
std::vector<Exchange> choose_exchanges(const Problem& a, std::vector<int> basic, int count, std::mt19937& rng) {
    BasisFactor factor;
    factor.setup(a.view());
    factor.build(basic);
    std::vector<char> is_basic(static_cast<std::size_t>(a.cols + a.rows), 0);
    for (int j : basic) is_basic[j] = 1;
    std::vector<Exchange> exchanges;
    SparseVector v;
    v.resize(a.rows);
    std::uniform_int_distribution<int> any_column(0, a.cols - 1);
    for (int tries = 0; static_cast<int>(exchanges.size()) < count && tries < 50 * count; ++tries) {
        const int j = any_column(rng);
        if (is_basic[j]) continue;
        load_column(a, j, v);
        factor.ftran_for_update(v);
        int p = -1;
        for (int s = 0; s < v.count; ++s)
            if (p < 0 || std::fabs(v.value[v.index[s]]) > std::fabs(v.value[p])) p = v.index[s];
        if (p < 0 || std::fabs(v.value[p]) < 1e-7) continue;
        is_basic[basic[p]] = 0;
        is_basic[j] = 1;
        basic[p] = j;
        if (!factor.update(p, v.value[p])) factor.build(basic);
        exchanges.push_back({j, p});
    }
    return exchanges;
}

#ifdef LPSENS_BENCH_SUITESPARSE

// The basis matrix, column-wise with sorted rows (for SuiteSparse).
struct BasisMatrix {
    std::vector<int> start{0};
    std::vector<int> row;
    std::vector<double> value;
};

BasisMatrix basis_matrix(const Problem& a, const std::vector<int>& basic) {
    BasisMatrix b;
    for (int j : basic) {
        if (j >= a.cols) {
            b.row.push_back(j - a.cols);
            b.value.push_back(1.0);
        } else {
            for (int e = a.start[j]; e < a.start[j + 1]; ++e) {
                b.row.push_back(a.row_index[e]);
                b.value.push_back(a.value[e]);
            }
        }
        b.start.push_back(static_cast<int>(b.row.size()));
    }
    return b;
}

// The product form over KLU's factors: each exchange adds an eta column.
struct EtaFile {
    std::vector<int> position;
    std::vector<int> start{0};
    std::vector<int> index;
    std::vector<double> value;
    std::vector<double> pivot;

    void clear() {
        position.clear();
        start.assign(1, 0);
        index.clear();
        value.clear();
        pivot.clear();
    }
    void add(int p, const std::vector<double>& w) {
        position.push_back(p);
        pivot.push_back(w[p]);
        for (int i = 0; i < static_cast<int>(w.size()); ++i)
            if (w[i] != 0.0 && i != p) {
                index.push_back(i);
                value.push_back(w[i]);
            }
        start.push_back(static_cast<int>(index.size()));
    }
    void ftran(std::vector<double>& x) const {
        for (std::size_t k = 0; k < position.size(); ++k) {
            const double xp = x[position[k]] / pivot[k];
            x[position[k]] = xp;
            if (xp == 0.0) continue;
            for (int e = start[k]; e < start[k + 1]; ++e) x[index[e]] -= value[e] * xp;
        }
    }
    void btran(std::vector<double>& y) const {
        for (std::size_t k = position.size(); k-- > 0;) {
            double sum = y[position[k]];
            for (int e = start[k]; e < start[k + 1]; ++e) sum -= value[e] * y[index[e]];
            y[position[k]] = sum / pivot[k];
        }
    }
};

Figures time_klu(const Problem& a, const std::vector<int>& basis, const Workload& w, int repeat, double& check,
                 long& factor_entries) {
    Figures f;
    const int m = a.rows;
    BasisMatrix b = basis_matrix(a, basis);
    klu_common common;
    klu_defaults(&common);
    klu_symbolic* symbolic = nullptr;
    klu_numeric* numeric = nullptr;
    std::vector<double> times;
    for (int k = 0; k < repeat; ++k) {
        if (numeric) klu_free_numeric(&numeric, &common);
        if (symbolic) klu_free_symbolic(&symbolic, &common);
        const auto t = Clock::now();
        symbolic = klu_analyze(m, b.start.data(), b.row.data(), &common);
        numeric = klu_factor(b.start.data(), b.row.data(), b.value.data(), symbolic, &common);
        times.push_back(seconds_since(t));
        if (!numeric) return f;
    }
    f.build = median(times) * 1e6;
    // Off-diagonal entries of L and U and of the blocks off the diagonal.
    factor_entries = numeric->lnz + numeric->unz + numeric->nzoff - 2L * m;
    std::vector<double> x(static_cast<std::size_t>(m), 0.0);
    const auto time_solves = [&](auto&& one) {
        std::vector<double> per;
        for (int k = 0; k < repeat; ++k) {
            const auto t = Clock::now();
            const int count = one();
            per.push_back(seconds_since(t) / count);
        }
        return median(per) * 1e6;
    };
    f.ftran_unit = time_solves([&] {
        for (int r : w.unit_rows) {
            std::fill(x.begin(), x.end(), 0.0);
            x[r] = 1.0;
            klu_solve(symbolic, numeric, m, 1, x.data(), &common);
        }
        return static_cast<int>(w.unit_rows.size());
    });
    f.btran_unit = time_solves([&] {
        for (int p : w.unit_positions) {
            std::fill(x.begin(), x.end(), 0.0);
            x[p] = 1.0;
            klu_tsolve(symbolic, numeric, m, 1, x.data(), &common);
        }
        return static_cast<int>(w.unit_positions.size());
    });
    f.ftran_column = time_solves([&] {
        for (int j : w.columns) {
            std::fill(x.begin(), x.end(), 0.0);
            for (int e = a.start[j]; e < a.start[j + 1]; ++e) x[a.row_index[e]] = a.value[e];
            klu_solve(symbolic, numeric, m, 1, x.data(), &common);
        }
        return static_cast<int>(w.columns.size());
    });
    f.btran_sparse = time_solves([&] {
        for (const auto& entries : w.sparse) {
            std::fill(x.begin(), x.end(), 0.0);
            for (const auto& [p, v] : entries) x[p] = v;
            klu_tsolve(symbolic, numeric, m, 1, x.data(), &common);
        }
        return static_cast<int>(w.sparse.size());
    });
    // Agreement with our factor on a dense right-hand side.
    {
        std::vector<int> basic = basis;
        BasisFactor factor;
        factor.setup(a.view());
        factor.build(basic);
        SparseVector v;
        v.resize(m);
        for (int r = 0; r < m; ++r) v.add(r, 1.0 + r % 7);
        for (int r = 0; r < m; ++r) x[r] = 1.0 + r % 7;
        factor.ftran(v);
        klu_solve(symbolic, numeric, m, 1, x.data(), &common);
        double largest = 0, difference = 0;
        for (int p = 0; p < m; ++p) {
            largest = std::max(largest, std::fabs(x[p]));
            difference = std::max(difference, std::fabs(x[p] - v.value[p]));
        }
        check = difference / std::max(1.0, largest);
    }
    // The exchanges with an eta file; KLU is rebuilt where we would be (the
    // update limit), so both carry at most as many etas.
    EtaFile etas;
    std::vector<double> row(static_cast<std::size_t>(m));
    times.clear();
    for (int k = 0; k < repeat; ++k) {
        etas.clear();
        const auto t = Clock::now();
        for (const Exchange& e : w.exchanges) {
            std::fill(x.begin(), x.end(), 0.0);
            for (int q = a.start[e.entering]; q < a.start[e.entering + 1]; ++q) x[a.row_index[q]] = a.value[q];
            klu_solve(symbolic, numeric, m, 1, x.data(), &common);
            etas.ftran(x);
            std::fill(row.begin(), row.end(), 0.0);
            row[e.position] = 1.0;
            etas.btran(row);
            klu_tsolve(symbolic, numeric, m, 1, row.data(), &common);
            etas.add(e.position, x);
        }
        times.push_back(seconds_since(t));
    }
    f.exchanges = median(times) * 1e6;
    klu_free_numeric(&numeric, &common);
    klu_free_symbolic(&symbolic, &common);
    f.valid = true;
    return f;
}

Figures time_umfpack(const Problem& a, const std::vector<int>& basis, const Workload& w, int repeat) {
    Figures f;
    const int m = a.rows;
    BasisMatrix b = basis_matrix(a, basis);
    double control[UMFPACK_CONTROL];
    double info[UMFPACK_INFO];
    umfpack_di_defaults(control);
    control[UMFPACK_IRSTEP] = 0;  // no iterative refinement: one solve as ours
    void* symbolic = nullptr;
    void* numeric = nullptr;
    std::vector<double> times;
    for (int k = 0; k < repeat; ++k) {
        if (numeric) umfpack_di_free_numeric(&numeric);
        if (symbolic) umfpack_di_free_symbolic(&symbolic);
        const auto t = Clock::now();
        if (umfpack_di_symbolic(m, m, b.start.data(), b.row.data(), b.value.data(), &symbolic, control, info) != 0)
            return f;
        if (umfpack_di_numeric(b.start.data(), b.row.data(), b.value.data(), symbolic, &numeric, control, info) != 0)
            return f;
        times.push_back(seconds_since(t));
    }
    f.build = median(times) * 1e6;
    std::vector<double> x(static_cast<std::size_t>(m)), rhs(static_cast<std::size_t>(m), 0.0);
    const auto time_solves = [&](auto&& one) {
        std::vector<double> per;
        for (int k = 0; k < repeat; ++k) {
            const auto t = Clock::now();
            const int count = one();
            per.push_back(seconds_since(t) / count);
        }
        return median(per) * 1e6;
    };
    const auto solve = [&](int system) {
        umfpack_di_solve(system, b.start.data(), b.row.data(), b.value.data(), x.data(), rhs.data(), numeric,
                         control, info);
    };
    f.ftran_unit = time_solves([&] {
        for (int r : w.unit_rows) {
            std::fill(rhs.begin(), rhs.end(), 0.0);
            rhs[r] = 1.0;
            solve(UMFPACK_A);
        }
        return static_cast<int>(w.unit_rows.size());
    });
    f.btran_unit = time_solves([&] {
        for (int p : w.unit_positions) {
            std::fill(rhs.begin(), rhs.end(), 0.0);
            rhs[p] = 1.0;
            solve(UMFPACK_At);
        }
        return static_cast<int>(w.unit_positions.size());
    });
    f.ftran_column = time_solves([&] {
        for (int j : w.columns) {
            std::fill(rhs.begin(), rhs.end(), 0.0);
            for (int e = a.start[j]; e < a.start[j + 1]; ++e) rhs[a.row_index[e]] = a.value[e];
            solve(UMFPACK_A);
        }
        return static_cast<int>(w.columns.size());
    });
    f.btran_sparse = time_solves([&] {
        for (const auto& entries : w.sparse) {
            std::fill(rhs.begin(), rhs.end(), 0.0);
            for (const auto& [p, v] : entries) rhs[p] = v;
            solve(UMFPACK_At);
        }
        return static_cast<int>(w.sparse.size());
    });
    umfpack_di_free_numeric(&numeric);
    umfpack_di_free_symbolic(&symbolic);
    f.valid = true;
    return f;
}

#endif

struct Totals {
    Figures own, klu, umf;
    int bases = 0;
    void add(const Figures& o, const Figures& k, const Figures& u) {
        const auto sum = [](Figures& t, const Figures& f) {
            t.build += f.build;
            t.ftran_unit += f.ftran_unit;
            t.btran_unit += f.btran_unit;
            t.ftran_column += f.ftran_column;
            t.btran_sparse += f.btran_sparse;
            t.exchanges += f.exchanges;
        };
        sum(own, o);
        sum(klu, k);
        sum(umf, u);
        ++bases;
    }
};

double ratio(double theirs, double ours) { return ours > 0 ? theirs / ours : 0.0; }

void print_row(const char* label, const Figures& own, const Figures& klu, const Figures& umf) {
    std::printf("  %-16s build %9.1f  ftran-e %7.2f  btran-e %7.2f  ftran-a %7.2f  btran-s %7.2f  exch %10.1f\n",
                label, own.build, own.ftran_unit, own.btran_unit, own.ftran_column, own.btran_sparse,
                own.exchanges);
    if (klu.valid)
        std::printf("  %-16s build %9.1f  ftran-e %7.2f  btran-e %7.2f  ftran-a %7.2f  btran-s %7.2f  exch %10.1f"
                    "   ratios %.1f %.1f %.1f %.1f %.1f %.1f\n",
                    "  KLU", klu.build, klu.ftran_unit, klu.btran_unit, klu.ftran_column, klu.btran_sparse,
                    klu.exchanges, ratio(klu.build, own.build), ratio(klu.ftran_unit, own.ftran_unit),
                    ratio(klu.btran_unit, own.btran_unit), ratio(klu.ftran_column, own.ftran_column),
                    ratio(klu.btran_sparse, own.btran_sparse), ratio(klu.exchanges, own.exchanges));
    if (umf.valid)
        std::printf("  %-16s build %9.1f  ftran-e %7.2f  btran-e %7.2f  ftran-a %7.2f  btran-s %7.2f  exch %10s"
                    "   ratios %.1f %.1f %.1f %.1f %.1f\n",
                    "  UMFPACK", umf.build, umf.ftran_unit, umf.btran_unit, umf.ftran_column, umf.btran_sparse,
                    "-", ratio(umf.build, own.build), ratio(umf.ftran_unit, own.ftran_unit),
                    ratio(umf.btran_unit, own.btran_unit), ratio(umf.ftran_column, own.ftran_column),
                    ratio(umf.btran_sparse, own.btran_sparse));
}

}  // namespace

int main(int argc, char** argv) {
    int repeat = 5;
    std::string bases_dir;
    std::vector<std::string> files;
    for (int k = 1; k < argc; ++k) {
        const std::string arg = argv[k];
        if (arg == "--repeat" && k + 1 < argc)
            repeat = std::max(1, std::atoi(argv[++k]));
        else if (arg == "--bases" && k + 1 < argc)
            bases_dir = argv[++k];
        else
            files.push_back(arg);
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: %s [--repeat N] [--bases DIR] MPS-FILE...\n", argv[0]);
        return 2;
    }
#ifndef LPSENS_BENCH_SUITESPARSE
    std::printf("(built without SuiteSparse: own figures only)\n");
#endif
    std::printf("microseconds: build = one factorisation; ftran-e/btran-e = per unit-vector solve;\n"
                "ftran-a = per structural column; btran-s = per 5-entry right-hand side;\n"
                "exch = the whole exchange sequence; ratios = SuiteSparse / ours\n");
    std::map<std::string, Totals> totals;  // by basis kind
    for (const std::string& file : files) {
        Problem problem;
        if (!read_problem(file, problem)) {
            std::printf("%s: not read\n", file.c_str());
            continue;
        }
        std::mt19937 rng(2024);
        std::vector<std::pair<std::string, std::vector<int>>> bases;
        std::vector<int> optimal;
        if (!bases_dir.empty() && read_basis(bases_dir + "/" + problem.name + ".bas", problem, optimal))
            bases.emplace_back("optimal", optimal);
        bases.emplace_back("crash", lpsens::factor::crash_basis(problem.view()));
        bases.emplace_back("half", half_basis(problem, rng));
        for (auto& [kind, basic] : bases) {
            // Our build repairs a singular basis; all methods then get the repaired one.
            BasisFactor factor;
            factor.setup(problem.view());
            const int deficiency = factor.build(basic);
            const lpsens::factor::FactorStats stats = factor.stats();
            Workload w;
            const int m = problem.rows;
            const int sample = std::min(m, 400);
            std::uniform_int_distribution<int> any_row(0, m - 1), any_column(0, problem.cols - 1);
            for (int k = 0; k < sample; ++k) {
                w.unit_rows.push_back(any_row(rng));
                w.unit_positions.push_back(any_row(rng));
                w.columns.push_back(any_column(rng));
                std::vector<std::pair<int, double>> entries;
                for (int e = 0; e < 5; ++e) entries.emplace_back(any_row(rng), 1.0 + e);
                std::sort(entries.begin(), entries.end());
                entries.erase(std::unique(entries.begin(), entries.end(),
                                          [](auto& x, auto& y) { return x.first == y.first; }),
                              entries.end());
                w.sparse.push_back(entries);
            }
            w.exchanges = choose_exchanges(problem, basic, 100, rng);
            const Figures own = time_own(problem, basic, w, repeat);
            Figures klu, umf;
            double check = 0;
            long klu_entries = 0;
#ifdef LPSENS_BENCH_SUITESPARSE
            klu = time_klu(problem, basic, w, repeat, check, klu_entries);
            umf = time_umfpack(problem, basic, w, repeat);
#endif
            std::printf("%s %s: %d rows, %d entries, %d logicals+singletons, nucleus %d, L %d, U %d "
                        "(KLU L+U %ld), repaired %d, %zu exchanges, agreement %.1e\n",
                        problem.name.c_str(), kind.c_str(), m, stats.basis_entries,
                        stats.logical_pivots + stats.singleton_pivots, stats.nucleus_rows, stats.l_entries,
                        stats.u_entries, klu_entries, deficiency, w.exchanges.size(), check);
            print_row("ours", own, klu, umf);
            totals[kind].add(own, klu, umf);
        }
    }
    std::printf("\nsums over problems, by basis kind\n");
    for (const auto& [kind, t] : totals) {
        std::printf("%s (%d bases)\n", kind.c_str(), t.bases);
        Figures klu = t.klu, umf = t.umf;
#ifdef LPSENS_BENCH_SUITESPARSE
        klu.valid = umf.valid = true;
#endif
        print_row("ours", t.own, klu, umf);
    }
    return 0;
}
