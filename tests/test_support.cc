#include "test_support.h"

#include <dirent.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <sstream>

namespace lpsens::testing {

std::string lines(const std::vector<std::string>& text) {
    std::string joined;
    for (const auto& line : text) joined += line + "\n";
    return joined;
}

void add_dimensions(std::vector<std::string>& text, int rows, int vars, const std::vector<std::string>& eq,
                    const std::vector<std::string>& ge) {
    text.push_back(std::to_string(rows) + " " + std::to_string(vars) + " " + std::to_string(eq.size()) + " " +
                   std::to_string(ge.size()));
    for (const auto* list : {&eq, &ge}) {
        if (list->empty()) continue;
        std::string line;
        for (const auto& r : *list) line += r + " ";
        text.push_back(line);
    }
}

std::string hex_bytes(StoredReal r) {
    std::string text;
    for (const auto b : r.to_bytes()) {
        char buf[4];
        std::snprintf(buf, sizeof buf, "%02X", b);
        if (!text.empty()) text += ' ';
        text += buf;
    }
    return text;
}

StoredReal from_hex(const std::string& hex) {
    std::array<std::uint8_t, 6> bytes{};
    for (int i = 0; i < 6; ++i) bytes[i] = static_cast<std::uint8_t>(std::stoul(hex.substr(3 * i, 2), nullptr, 16));
    return StoredReal::from_bytes(bytes);
}

std::string worked_example() {
    return lines({"Worked", "2 2 0 1", "2", "x1", "x2", "r1", "r2", "0", "2", "3", "4", "1", "1", "2", "1", "2"});
}

std::string sample_problem(const std::string& x1_name, const std::string& c1_name) {
    return lines({"Sample", "2 2 0 0", x1_name, "x2", c1_name, "c2", "0", "3", "2", "4", "1", "1", "6", "1", "3"});
}


std::string polygon(int sides, const std::string& x1_item) {
    std::vector<std::string> text = {"Polygon", std::to_string(sides) + " 2 0 0", x1_item, "x2"};
    for (int i = 1; i <= sides; ++i) text.push_back("side" + std::to_string(i));
    text.insert(text.end(), {"0", "0", "1"});
    for (int i = 0; i < sides; ++i) {
        const double angle = (i + 0.5) * (M_PI / 2) / sides;
        char buf[3][32];
        std::snprintf(buf[0], sizeof buf[0], "%.4f", std::cos(angle));
        std::snprintf(buf[1], sizeof buf[1], "%.4f", std::sin(angle));
        text.insert(text.end(), {"10", buf[0], buf[1]});
    }
    return lines(text);
}

std::string three_kinds() {
    return lines({"T", "3 2 1 1", "3", "2", "x1", "x2", "c", "g", "e", "0", "3", "2", "4", "1", "1", "6", "1", "3",
                  "1", "2", "-1"});
}

std::string beale() {
    return lines({"Beale", "3 4 0 0", "x1", "x2", "x3", "x4", "r1", "r2", "r3", "0", "0.75", "-150", "0.02", "-6",
                  "0", "0.25", "-60", "-0.04", "9", "0", "0.5", "-90", "-0.02", "3", "1", "0", "0", "1", "0"});
}

void Polyhedron::add(std::vector<long double> row, long double bound) {
    g.push_back(std::move(row));
    h.push_back(bound);
}

void Polyhedron::add_range(const std::vector<long double>& a, long double lower, long double upper) {
    if (upper < HUGE_VALL) add(a, upper);
    if (lower > -HUGE_VALL) {
        std::vector<long double> minus(a);
        for (long double& x : minus) x = -x;
        add(minus, -lower);
    }
}

std::optional<long double> best_vertex(const Polyhedron& p, const std::vector<long double>& c) {
    const int k = static_cast<int>(p.g.size());
    const int n = p.n;
    std::optional<long double> best;
    std::vector<int> pick(static_cast<std::size_t>(n));
    std::function<void(int, int)> choose = [&](int start, int depth) {
        if (depth == n) {
            std::vector<std::vector<long double>> s;
            for (int r : pick) {
                auto row = p.g[static_cast<std::size_t>(r)];
                row.push_back(p.h[static_cast<std::size_t>(r)]);
                s.push_back(row);
            }
            for (int col = 0; col < n; ++col) {
                int piv = col;
                for (int r = col; r < n; ++r)
                    if (std::fabs(s[r][col]) > std::fabs(s[piv][col])) piv = r;
                if (std::fabs(s[piv][col]) < 1e-9L) return;
                std::swap(s[col], s[piv]);
                for (int r = 0; r < n; ++r) {
                    if (r == col) continue;
                    const long double f = s[r][col] / s[col][col];
                    for (int q = col; q <= n; ++q) s[r][q] -= f * s[col][q];
                }
            }
            std::vector<long double> x(static_cast<std::size_t>(n));
            for (int j = 0; j < n; ++j) x[j] = s[j][n] / s[j][j];
            for (int r = 0; r < k; ++r) {
                long double lhs = 0;
                for (int j = 0; j < n; ++j) lhs += p.g[r][j] * x[j];
                if (lhs > p.h[r] + 1e-9L) return;
            }
            long double z = 0;
            for (int j = 0; j < n; ++j) z += c[j] * x[j];
            if (!best || z > *best) best = z;
            return;
        }
        for (int r = start; r < k; ++r) {
            pick[depth] = r;
            choose(r + 1, depth + 1);
        }
    };
    choose(0, 0);
    return best;
}

std::string read_all(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<double> numbers_of(const std::string& json, const std::string& key) {
    std::vector<double> out;
    const std::string pattern = "\"" + key + "\": ";
    for (std::size_t at = json.find(pattern); at != std::string::npos; at = json.find(pattern, at + 1)) {
        const char* start = json.c_str() + at + pattern.size();
        if (*start == '[') ++start;
        out.push_back(std::strtod(start, nullptr));
    }
    return out;
}

std::vector<std::string> file_stems(const std::string& folder, const std::string& suffix) {
    std::vector<std::string> names;
    if (DIR* dir = ::opendir(folder.c_str())) {
        while (const dirent* entry = ::readdir(dir)) {
            const std::string file = entry->d_name;
            if (file.size() > suffix.size() && file.ends_with(suffix)) names.push_back(file.substr(0, file.size() - suffix.size()));
        }
        ::closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace lpsens::testing
