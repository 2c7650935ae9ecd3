#include "factor_test_support.h"

#include <algorithm>
#include <cmath>

namespace lpsens::factor::testing {

TestMatrix random_matrix(int rows, int cols, double per_column, std::mt19937& rng) {
    TestMatrix a;
    a.rows = rows;
    std::uniform_real_distribution<double> magnitude(-1.0, 1.0);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_int_distribution<int> any_row(0, rows - 1);
    for (int j = 0; j < cols; ++j) {
        std::vector<int> chosen{any_row(rng)};
        const double chance = std::min(1.0, (per_column - 1) / std::max(1, rows - 1));
        for (int r = 0; r < rows; ++r)
            if (r != chosen[0] && unit(rng) < chance) chosen.push_back(r);
        std::sort(chosen.begin(), chosen.end());
        std::vector<std::pair<int, double>> entries;
        for (int r : chosen) {
            const double v = std::pow(10.0, magnitude(rng));
            entries.emplace_back(r, unit(rng) < 0.5 ? -v : v);
        }
        a.add_column(entries);
    }
    return a;
}

std::vector<int> random_basis(const TestMatrix& a, int structurals, std::mt19937& rng) {
    std::vector<int> columns(static_cast<std::size_t>(a.cols));
    for (int j = 0; j < a.cols; ++j) columns[j] = j;
    std::shuffle(columns.begin(), columns.end(), rng);
    std::vector<int> logical_rows(static_cast<std::size_t>(a.rows));
    for (int r = 0; r < a.rows; ++r) logical_rows[r] = r;
    std::shuffle(logical_rows.begin(), logical_rows.end(), rng);
    std::vector<int> basic;
    for (int k = 0; k < a.rows; ++k)
        basic.push_back(k < structurals ? columns[k] : a.cols + logical_rows[k]);
    std::shuffle(basic.begin(), basic.end(), rng);
    return basic;
}

std::vector<double> dense_basis(const TestMatrix& a, const std::vector<int>& basic) {
    const int m = a.rows;
    std::vector<double> b(static_cast<std::size_t>(m) * m, 0.0);
    for (int p = 0; p < m; ++p) {
        const int j = basic[p];
        if (j >= a.cols) {
            b[static_cast<std::size_t>(j - a.cols) * m + p] = 1.0;
            continue;
        }
        for (int e = a.start[j]; e < a.start[j + 1]; ++e)
            b[static_cast<std::size_t>(a.row_index[e]) * m + p] += a.value[e];
    }
    return b;
}

namespace {

// Calls f(row, value) for each entry of the basic column at position p.
template <class F>
void for_column(const TestMatrix& a, int j, F f) {
    if (j >= a.cols) {
        f(j - a.cols, 1.0);
        return;
    }
    for (int e = a.start[j]; e < a.start[j + 1]; ++e) f(a.row_index[e], a.value[e]);
}

double largest_entry(const TestMatrix& a, const std::vector<int>& basic) {
    double largest = 0;
    for (int j : basic) for_column(a, j, [&](int, double v) { largest = std::max(largest, std::fabs(v)); });
    return largest;
}

}  // namespace

double max_magnitude(const std::vector<double>& x) {
    double largest = 0;
    for (double v : x) largest = std::max(largest, std::fabs(v));
    return largest;
}

double max_difference(const std::vector<double>& x, const std::vector<double>& y) {
    double largest = 0;
    for (std::size_t i = 0; i < x.size(); ++i) largest = std::max(largest, std::fabs(x[i] - y[i]));
    return largest;
}

double ftran_residual(const TestMatrix& a, const std::vector<int>& basic, const std::vector<double>& x,
                      const std::vector<double>& b) {
    std::vector<long double> product(b.size(), 0.0L);
    for (std::size_t p = 0; p < basic.size(); ++p)
        for_column(a, basic[p], [&](int r, double v) { product[r] += static_cast<long double>(v) * x[p]; });
    double largest = 0;
    for (std::size_t r = 0; r < b.size(); ++r)
        largest = std::max(largest, static_cast<double>(std::fabs(product[r] - b[r])));
    return largest / (largest_entry(a, basic) * max_magnitude(x) + max_magnitude(b));
}

double btran_residual(const TestMatrix& a, const std::vector<int>& basic, const std::vector<double>& y,
                      const std::vector<double>& c) {
    double largest = 0;
    for (std::size_t p = 0; p < basic.size(); ++p) {
        long double sum = 0;
        for_column(a, basic[p], [&](int r, double v) { sum += static_cast<long double>(v) * y[r]; });
        largest = std::max(largest, static_cast<double>(std::fabs(sum - c[p])));
    }
    return largest / (largest_entry(a, basic) * max_magnitude(y) + max_magnitude(c));
}

int dense_rank(const TestMatrix& a, const std::vector<int>& basic, double tolerance) {
    const int m = a.rows;
    std::vector<double> b = dense_basis(a, basic);
    const double scale = max_magnitude(b);
    int rank = 0;
    std::vector<char> used(static_cast<std::size_t>(m), 0);
    for (int col = 0; col < m; ++col) {
        int best = -1;
        for (int r = 0; r < m; ++r)
            if (!used[r] && (best < 0 || std::fabs(b[static_cast<std::size_t>(r) * m + col]) >
                                             std::fabs(b[static_cast<std::size_t>(best) * m + col])))
                best = r;
        if (best < 0 || std::fabs(b[static_cast<std::size_t>(best) * m + col]) <= tolerance * scale) continue;
        used[best] = 1;
        ++rank;
        const double pivot = b[static_cast<std::size_t>(best) * m + col];
        for (int r = 0; r < m; ++r) {
            if (used[r]) continue;
            const double l = b[static_cast<std::size_t>(r) * m + col] / pivot;
            if (l == 0.0) continue;
            for (int c = col; c < m; ++c)
                b[static_cast<std::size_t>(r) * m + c] -= l * b[static_cast<std::size_t>(best) * m + c];
        }
    }
    return rank;
}

SparseVector random_vector(int size, int nonzeros, std::mt19937& rng) {
    SparseVector v;
    v.resize(size);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    std::uniform_int_distribution<int> position(0, size - 1);
    if (nonzeros < 0 || nonzeros >= size) {
        for (int i = 0; i < size; ++i) v.add(i, value(rng) + (value(rng) < 0 ? -1.0 : 1.0));
        return v;
    }
    while (v.count < nonzeros) {
        const int i = position(rng);
        if (v.value[i] == 0.0) v.add(i, value(rng) + (value(rng) < 0 ? -1.0 : 1.0));
    }
    return v;
}

bool list_is_exact(const SparseVector& v) {
    if (v.count < 0) return false;
    std::vector<char> listed(v.value.size(), 0);
    for (int s = 0; s < v.count; ++s) {
        if (listed[v.index[s]]) return false;
        listed[v.index[s]] = 1;
    }
    for (std::size_t i = 0; i < v.value.size(); ++i)
        if (v.value[i] != 0.0 && !listed[i]) return false;
    return true;
}

}  // namespace lpsens::factor::testing
