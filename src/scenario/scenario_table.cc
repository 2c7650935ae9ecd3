#include "scenario/scenario_table.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <set>
#include <utility>

#include "numeric/plural.h"
#include "numeric/run_error.h"

namespace lpsens::scenario {

namespace {

class TableReader {
public:
    TableReader(const std::string& text, const std::string& source) : text_(text), source_(source) {}

    [[noreturn]] void fail(const std::string& what) const {
        throw RunError(error_code::invalid_number, Site::read_values,
                       source_ + ":" + std::to_string(line_) + ": " + what);
    }

    // The cells of the next line that is not blank; false at the end.
    bool next(std::vector<std::string>& cells) {
        while (at_ < text_.size()) {
            ++line_;
            std::size_t end = text_.find('\n', at_);
            if (end == std::string::npos) end = text_.size();
            std::string_view line(text_.data() + at_, end - at_);
            at_ = end + 1;
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            if (line.find_first_not_of(" \t") == std::string_view::npos) continue;
            split(line, cells);
            return true;
        }
        return false;
    }
    int line() const { return line_; }

private:
    void split(std::string_view line, std::vector<std::string>& cells) const {
        cells.assign(1, std::string());
        bool quoted = false;
        for (std::size_t k = 0; k < line.size(); ++k) {
            const char c = line[k];
            if (quoted) {
                if (c == '"' && k + 1 < line.size() && line[k + 1] == '"') {
                    cells.back() += '"';
                    ++k;
                } else if (c == '"') {
                    quoted = false;
                } else {
                    cells.back() += c;
                }
            } else if (c == '"') {
                quoted = true;
            } else if (c == ',') {
                cells.emplace_back();
            } else {
                cells.back() += c;
            }
        }
        if (quoted) fail("a quote is not closed");
        for (std::string& cell : cells) {
            const std::size_t first = cell.find_first_not_of(" \t");
            const std::size_t last = cell.find_last_not_of(" \t");
            cell = first == std::string::npos ? std::string() : cell.substr(first, last - first + 1);
        }
    }

    const std::string& text_;
    const std::string& source_;
    std::size_t at_ = 0;
    int line_ = 0;
};

bool same_word(const std::string& cell, const char* word) {
    std::string lower;
    for (const char c : cell) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return lower == word;
}

double value_of(const std::string& cell, const TableReader& reader, const std::string& heading) {
    if (same_word(cell, "inf") || same_word(cell, "+inf") || same_word(cell, "infinity")) return HUGE_VAL;
    if (same_word(cell, "-inf") || same_word(cell, "-infinity")) return -HUGE_VAL;
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(cell.c_str(), &end);
    if (end == cell.c_str() || *end != 0 || std::isnan(v) || (errno == ERANGE && std::isinf(v)))
        reader.fail("'" + cell + "' under '" + heading + "' is not a number");
    return v;
}

}  // namespace

std::vector<Scenario> read_scenario_table(const std::string& text, const std::string& source, const Problem& model) {
    TableReader reader(text, source);
    std::vector<std::string> headings, cells;
    if (!reader.next(headings)) reader.fail("the table has no heading line");
    const bool labelled = same_word(headings[0], "scenario");
    const ItemNames names(model);
    std::vector<Item> items(headings.size());
    std::set<std::pair<int, int>> seen;
    for (std::size_t k = labelled ? 1 : 0; k < headings.size(); ++k) {
        if (headings[k].empty()) reader.fail("heading " + std::to_string(k + 1) + " is empty");
        try {
            items[k] = names.find(headings[k]);
        } catch (const RunError& error) {
            reader.fail(error.explanation());
        }
        if (!seen.insert({static_cast<int>(items[k].kind), items[k].index}).second)
            reader.fail("'" + headings[k] + "' names an item of an earlier heading");
    }
    std::vector<Scenario> scenarios;
    while (reader.next(cells)) {
        if (cells.size() != headings.size())
            reader.fail("the line has " + counted(static_cast<long>(cells.size()), "cell", "cells") + " for " +
                        counted(static_cast<long>(headings.size()), "heading", "headings"));
        Scenario s;
        s.label = labelled ? cells[0] : std::to_string(scenarios.size() + 1);
        for (std::size_t k = labelled ? 1 : 0; k < cells.size(); ++k) {
            if (cells[k].empty()) continue;
            const Change change{items[k].kind, items[k].index, value_of(cells[k], reader, headings[k])};
            try {
                check_change(model, change);
            } catch (const RunError& error) {
                reader.fail(error.explanation());
            }
            s.changes.push_back(change);
        }
        scenarios.push_back(std::move(s));
    }
    return scenarios;
}

}  // namespace lpsens::scenario
