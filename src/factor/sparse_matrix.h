// A matrix stored by columns, 0-based: column j holds the entries start[j]
// .. start[j+1]-1 of row_index and value.  The revised engine's LP, the
// accurate engine's tableau, the basis the checks rebuild and the
// factorisation's own tests hold their matrices in it; the factorisation
// reads one through a view of its arrays.
#pragma once

#include <utility>
#include <vector>

namespace lpsens::factor {

struct MatrixView {
    int rows = 0;
    int cols = 0;
    const int* start = nullptr;
    const int* row_index = nullptr;
    const double* value = nullptr;
};

struct SparseMatrix {
    int rows = 0;
    int cols = 0;
    std::vector<int> start;      // by column, cols + 1 entries (none before the first column is added)
    std::vector<int> row_index;  // by entry
    std::vector<double> value;   // by entry

    int nonzeros() const { return start.empty() ? 0 : start.back(); }
    MatrixView view() const { return {rows, cols, start.data(), row_index.data(), value.data()}; }
    // Appends a column of (row, value) entries, in the order given.
    void add_column(const std::vector<std::pair<int, double>>& entries) {
        if (start.empty()) start.push_back(0);
        for (const auto& [r, v] : entries) {
            row_index.push_back(r);
            value.push_back(v);
        }
        start.push_back(static_cast<int>(row_index.size()));
        ++cols;
    }
};

}  // namespace lpsens::factor
