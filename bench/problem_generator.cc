#include "problem_generator.h"

#include <cstdio>
#include <random>
#include <vector>

namespace lpsens::bench {

namespace {

void append_tenths(std::string& out, long tenths) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%ld.%ld\n", tenths / 10, tenths % 10);
    out += buf;
}

}  // namespace

std::string generate_problem(const ProblemShape& shape) {
    std::mt19937 rng(shape.seed);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::uniform_int_distribution<long> coefficient(1, 200);  // 0.1 .. 20.0
    const int m = shape.rows;
    const int n = shape.vars;

    std::vector<std::vector<long>> a(static_cast<std::size_t>(m), std::vector<long>(static_cast<std::size_t>(n), 0));
    for (auto& row : a)
        for (auto& x : row)
            if (unit(rng) < shape.density) x = coefficient(rng);
    for (int j = 0; j < n && m > 0; ++j) {
        bool any = false;
        for (int i = 0; i < m; ++i) any |= a[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] != 0;
        if (!any) a[static_cast<std::size_t>(rng() % static_cast<unsigned>(m))][static_cast<std::size_t>(j)] = coefficient(rng);
    }

    // Row kinds: 0 <=, 1 =, 2 >=.
    std::vector<int> kind(static_cast<std::size_t>(m), 0);
    std::vector<int> eq, ge;
    if (!shape.degenerate)
        for (int i = 0; i < m; ++i) {
            const double u = unit(rng);
            if (u < shape.eq_share) {
                kind[static_cast<std::size_t>(i)] = 1;
                eq.push_back(i + 1);
            } else if (u < shape.eq_share + shape.ge_share) {
                kind[static_cast<std::size_t>(i)] = 2;
                ge.push_back(i + 1);
            }
        }

    std::string text = "Random " + std::to_string(m) + " x " + std::to_string(n) + "\n";
    text += std::to_string(m) + " " + std::to_string(n) + " " + std::to_string(eq.size()) + " " +
            std::to_string(ge.size()) + "\n";
    for (const auto* list : {&eq, &ge}) {
        if (list->empty()) continue;
        std::string line;
        for (const int r : *list) line += std::to_string(r) + " ";
        line.back() = '\n';
        text += line;
    }
    for (int j = 1; j <= n; ++j) text += "x" + std::to_string(j) + "\n";
    for (int i = 1; i <= m; ++i) text += "row" + std::to_string(i) + "\n";

    text += "0\n";
    for (int j = 0; j < n; ++j) append_tenths(text, coefficient(rng) / 2 + 1);
    // A feasible point: every tenth variable at 1, the others at 0.
    std::vector<int> point(static_cast<std::size_t>(n));
    for (auto& x : point) x = unit(rng) < 0.1 ? 1 : 0;
    for (int i = 0; i < m; ++i) {
        long at_ones = 0;  // the row's value at that point, in tenths
        for (int j = 0; j < n; ++j)
            at_ones += a[static_cast<std::size_t>(i)][static_cast<std::size_t>(j)] * point[static_cast<std::size_t>(j)];
        long rhs;
        switch (kind[static_cast<std::size_t>(i)]) {
            case 1: rhs = at_ones; break;
            case 2: rhs = at_ones / 2; break;
            default: rhs = shape.degenerate ? (unit(rng) < 0.5 ? 0 : coefficient(rng) * 10) : at_ones + coefficient(rng);
        }
        append_tenths(text, rhs);
        for (const long x : a[static_cast<std::size_t>(i)]) append_tenths(text, x);
    }
    return text;
}

}  // namespace lpsens::bench
