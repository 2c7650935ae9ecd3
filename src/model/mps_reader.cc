// The MPS reader, fixed and free format.
//
// The file is read in free format first (fields split at blanks); when that
// fails it is read again in fixed format (fields at the columns 2-3, 5-12,
// 15-22, 25-36, 40-47, 50-61, so names may hold blanks), and the error of the
// reading that got further is the one reported.  Set names in RHS, RANGES and
// BOUNDS may be left out.
//
// What peers refuse is refused here too, naming the line: an entry of a
// column in a row given twice, a column whose entries do not stand together,
// a row named twice, an RHS or RANGES value given twice for a row of one set,
// the same bound type twice on a column of one set, an unknown objective
// sense.
#include <cctype>
#include <functional>
#include <optional>
#include <set>
#include <tuple>
#include <unordered_map>

#include "model/native_reader.h"
#include "model/problem.h"
#include "numeric/run_error.h"

namespace lpsens {

namespace {

// Numbers of 1e30 and more in magnitude stand for infinity in bounds.
constexpr Extended infinite_bound = 1e30L;

class MpsParser {
public:
    MpsParser(const std::string& text, const std::string& file, bool fixed) : text_(text), fixed_(fixed) {
        model_.source = file;
    }
    int line_number() const { return line_number_; }

    Problem parse();

private:
    // Each reads one line of its kind; read_header says whether it was ENDATA.
    bool read_header(const std::string& line, const std::vector<std::string>& f);
    void read_data(const std::string& line, std::vector<std::string>& f);
    void read_sense(const std::string& line, const std::vector<std::string>& f);
    void read_row(const std::string& line, std::vector<std::string>& f);
    void read_column(const std::string& line, std::vector<std::string>& f);
    void read_values(const std::string& line, std::vector<std::string>& f);
    void read_bound(const std::string& line, std::vector<std::string>& f);
    void set_bound(ProblemColumn& c, const std::string& type, Extended bound);
    // After ENDATA: every column's bounds in order.
    void check_bounds();

    [[noreturn]] void fail(const std::string& what) const {
        throw RunError(error_code::invalid_number, Site::read_mps,
                       model_.source + ":" + std::to_string(line_number_) + ": " + what);
    }
    Extended number(const std::string& token) const {
        const auto value = parse_value(token);
        if (!value || token.empty()) fail("'" + token + "' is not a number");
        return *value;
    }
    int row_number(const std::string& name) const {
        const auto it = rows_.find(name);
        if (it == rows_.end()) fail("unknown row '" + name + "'");
        return it->second;
    }
    int row_index(const std::string& name) const { return index_of_[row_number(name)]; }
    int column_index(const std::string& name) const {
        const auto it = columns_.find(name);
        if (it == columns_.end()) fail("unknown column '" + name + "'");
        return it->second;
    }
    // The fields of a line between blanks (space, tab, and the other white
    // space of the C locale).
    // Into `fields`, whose strings keep their room from line to line.
    static void blank_fields(const std::string& line, std::vector<std::string>& fields) {
        const auto blank = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
        std::size_t count = 0;
        std::size_t k = 0;
        const std::size_t n = line.size();
        while (k < n) {
            while (k < n && blank(line[k])) ++k;
            const std::size_t start = k;
            while (k < n && !blank(line[k])) ++k;
            if (k > start) {
                if (count == fields.size()) fields.emplace_back();
                fields[count++].assign(line, start, k - start);
            }
        }
        fields.resize(count);
    }
    static std::vector<std::string> fixed_fields(const std::string& line) {
        static const int from[] = {1, 4, 14, 24, 39, 49};
        static const int to[] = {3, 12, 22, 36, 47, 61};
        std::vector<std::string> fields;
        for (int k = 0; k < 6; ++k) {
            if (static_cast<int>(line.size()) <= from[k]) break;
            std::string f = line.substr(static_cast<std::size_t>(from[k]),
                                        static_cast<std::size_t>(std::min<int>(to[k], static_cast<int>(line.size())) - from[k]));
            const auto a = f.find_first_not_of(' ');
            const auto b = f.find_last_not_of(' ');
            fields.push_back(a == std::string::npos ? "" : f.substr(a, b - a + 1));
        }
        while (!fields.empty() && fields.back().empty()) fields.pop_back();
        return fields;
    }
    // The fields after the first (empty) one of a fixed-format data line.
    static std::vector<std::string> data_fields(const std::string& line) {
        std::vector<std::string> f = fixed_fields(line);
        if (!f.empty()) f.erase(f.begin());
        return f;
    }
    void value_pairs(const std::vector<std::string>& f, std::size_t first, const char* section,
                     const std::function<void(const std::string&, Extended)>& take) const {
        if (f.size() <= first || (f.size() - first) % 2 != 0) fail(std::string("a ") + section + " line needs a name and a number, in pairs");
        for (std::size_t k = first; k + 1 < f.size(); k += 2) take(f[k], number(f[k + 1]));
    }

    const std::string& text_;
    bool fixed_;
    Problem model_;
    std::vector<std::vector<std::pair<int, Extended>>> entries_;  // by column
    // Every row by name: its number in the order of the ROWS lines, free
    // rows too; by number its index among the model's rows, -1 for the
    // objective, -2 for another free row.
    std::unordered_map<std::string, int> rows_;
    std::vector<int> index_of_;
    std::unordered_map<std::string, int> columns_;
    std::string objective_;
    int line_number_ = 0;
    std::string section_;
    bool integer_block_ = false;  // between the INTORG and INTEND markers
    bool sense_next_ = false;     // OBJSENSE alone: its word on the next line
    // By row number: the last column with an entry in the row, +1 (0 for
    // none); the sets' rows given so far.
    std::vector<int> column_in_row_;
    std::set<std::tuple<std::string, std::string, std::string>> set_entries_;  // section, set, row
    std::set<std::tuple<std::string, std::string, std::string>> bounds_given_;  // set, column, type
    std::vector<int> bound_line_;  // by column: the line of its last bound, 0 for none
};

// MAX or MIN, also spelt out (MAXIMIZE, MAXIMISE, ...), in any case; nullopt
// for any other word.
std::optional<bool> objective_sense(std::string word) {
    for (char& c : word) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const char* w : {"MAX", "MAXIMIZE", "MAXIMISE", "MAXIMUM"})
        if (word == w) return true;
    for (const char* w : {"MIN", "MINIMIZE", "MINIMISE", "MINIMUM"})
        if (word == w) return false;
    return std::nullopt;
}

Problem MpsParser::parse() {
    bool ended = false;
    std::string line;
    std::vector<std::string> f;
    for (std::size_t at = 0; at < text_.size();) {
        const std::size_t end = std::min(text_.find('\n', at), text_.size());
        line.assign(text_, at, end - at);
        at = end + 1;
        ++line_number_;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '*') continue;
        blank_fields(line, f);
        if (f.empty()) continue;
        if (line[0] != ' ' && line[0] != '\t') {
            if (read_header(line, f)) {
                ended = true;
                break;
            }
        } else {
            read_data(line, f);
        }
    }
    if (!ended) fail("the file ends without ENDATA");
    check_bounds();
    finish_model(model_, entries_);
    return model_;
}

bool MpsParser::read_header(const std::string& line, const std::vector<std::string>& f) {
    section_ = f[0];
    if (section_ == "NAME") {
        model_.title = f.size() > 1 ? line.substr(line.find(f[1])) : "";
    } else if (section_ == "OBJSENSE" || section_ == "OBJSENCE") {
        section_ = "OBJSENSE";
        if (f.size() > 2) fail("OBJSENSE takes one word, MAX or MIN");
        if (f.size() > 1) {
            const auto sense = objective_sense(f[1]);
            if (!sense) fail("unknown objective sense '" + f[1] + "'");
            model_.maximise = *sense;
        } else {
            sense_next_ = true;
        }
    } else if (section_ == "ENDATA") {
        return true;
    } else if (section_ != "ROWS" && section_ != "COLUMNS" && section_ != "RHS" && section_ != "RANGES" &&
               section_ != "BOUNDS") {
        fail("unknown section '" + section_ + "'");
    }
    return false;
}

void MpsParser::read_data(const std::string& line, std::vector<std::string>& f) {
    if (section_ == "OBJSENSE") read_sense(line, f);
    else if (section_ == "ROWS") read_row(line, f);
    else if (section_ == "COLUMNS") read_column(line, f);
    else if (section_ == "RHS" || section_ == "RANGES") read_values(line, f);
    else if (section_ == "BOUNDS") read_bound(line, f);
    else fail("data before the first section");
}

void MpsParser::read_sense(const std::string& line, const std::vector<std::string>& f) {
    if (!sense_next_) fail("a second objective sense");
    const auto sense = objective_sense(f[0]);
    if (!sense || f.size() > 1) fail("unknown objective sense '" + line.substr(line.find(f[0])) + "'");
    model_.maximise = *sense;
    sense_next_ = false;
}

void MpsParser::read_row(const std::string& line, std::vector<std::string>& f) {
    if (fixed_) f = fixed_fields(line);
    if (f.size() != 2) fail("a ROWS line needs a type and a name");
    const std::string& type = f[0];
    if (rows_.count(f[1])) fail("duplicate row '" + f[1] + "'");
    int index = 0;
    if (type == "N") {
        if (objective_.empty()) {
            objective_ = f[1];
            index = -1;
        } else {
            index = -2;  // a further free row: dropped
        }
    } else if (type == "L" || type == "G" || type == "E") {
        index = static_cast<int>(model_.rows.size());
        model_.rows.push_back({f[1], type[0], 0, false, 0});
    } else {
        fail("unknown row type '" + type + "'");
    }
    rows_.emplace(f[1], static_cast<int>(index_of_.size()));
    index_of_.push_back(index);
    column_in_row_.push_back(0);
}

void MpsParser::read_column(const std::string& line, std::vector<std::string>& f) {
    if (f.size() >= 3 && f[1] == "'MARKER'") {
        if (line.find("'INTORG'") != std::string::npos) integer_block_ = true;
        else if (line.find("'INTEND'") != std::string::npos) integer_block_ = false;
        else fail("unknown marker");
        return;
    }
    if (fixed_) f = data_fields(line);
    if (f.size() != 3 && f.size() != 5) fail("a COLUMNS line needs a column and one or two row-value pairs");
    auto it = columns_.find(f[0]);
    if (it == columns_.end()) {
        it = columns_.emplace(f[0], static_cast<int>(model_.columns.size())).first;
        ProblemColumn c;
        c.name = f[0];
        c.integer = integer_block_;
        model_.columns.push_back(c);
        entries_.emplace_back();
        bound_line_.push_back(0);
    } else if (it->second + 1 != static_cast<int>(model_.columns.size())) {
        fail("column '" + f[0] + "' appears again after column '" + model_.columns.back().name +
             "'; the entries of a column must stand together");
    }
    ProblemColumn& column = model_.columns[it->second];
    value_pairs(f, 1, "COLUMNS", [&](const std::string& row, Extended v) {
        const int number = row_number(row);
        const int r = index_of_[number];
        int& last = column_in_row_[number];
        if (last == it->second + 1) fail("column '" + f[0] + "' has a second entry in row '" + row + "'");
        last = it->second + 1;
        if (r == -1) column.cost += v;
        else if (r >= 0) entries_[it->second].push_back({r, v});
    });
}

// A line of the RHS or the RANGES section.
void MpsParser::read_values(const std::string& line, std::vector<std::string>& f) {
    if (fixed_) f = data_fields(line);
    const std::size_t first = f.size() % 2;  // an odd count begins with the set name
    const std::string set = first == 1 ? f[0] : "";
    value_pairs(f, first, section_.c_str(), [&](const std::string& row, Extended v) {
        const int r = row_index(row);
        if (!set_entries_.emplace(section_, set, row).second)
            fail(section_ + (set.empty() ? "" : " set '" + set + "'") + ": row '" + row + "' is given twice");
        if (section_ == "RHS") {
            if (r == -1) model_.constant = v;  // read as the objective constant, as glpsol does
            else if (r >= 0) model_.rows[r].rhs = v;
        } else if (r >= 0) {
            model_.rows[r].ranged = true;
            model_.rows[r].range = v;
        }
    });
}

void MpsParser::read_bound(const std::string& line, std::vector<std::string>& f) {
    if (fixed_) f = fixed_fields(line);
    if (f.empty()) fail("a bound line needs a type and a column");
    const std::string type = f[0];
    const bool takes_value = type != "FR" && type != "MI" && type != "PL" && type != "BV";
    std::string column_name, value_text;
    if (takes_value) {
        if (f.size() == 4) column_name = f[2], value_text = f[3];
        else if (f.size() == 3) column_name = f[1], value_text = f[2];
        else fail("a " + type + " bound needs a column and a number");
    } else {
        if (f.size() >= 3) column_name = f[2];
        else if (f.size() == 2) column_name = f[1];
        else fail("a " + type + " bound needs a column");
        if (type == "BV" && f.size() == 4) value_text = f[3];
    }
    const int j = column_index(column_name);
    const std::string set = (takes_value ? f.size() == 4 : f.size() >= 3) ? f[1] : "";
    if (!bounds_given_.emplace(set, column_name, type).second)
        fail("column '" + column_name + "' has a second " + type + " bound" +
             (set.empty() ? "" : " in set '" + set + "'"));
    bound_line_[j] = line_number_;
    const Extended v = value_text.empty() ? 0 : number(value_text);
    const Extended bound = v >= infinite_bound ? model_infinity : v <= -infinite_bound ? -model_infinity : v;
    set_bound(model_.columns[j], type, bound);
}

void MpsParser::set_bound(ProblemColumn& c, const std::string& type, Extended bound) {
    if (type == "UP" || type == "UI") {
        c.upper = bound;
        if (bound < 0 && c.lower == 0) {
            c.lower = -model_infinity;
            model_.warnings.push_back("column '" + c.name + "' has a negative upper bound and lower bound 0: "
                                      "its lower bound is taken as minus infinity");
        }
        if (type == "UI") c.integer = true;
    } else if (type == "LO" || type == "LI") {
        c.lower = bound;
        if (type == "LI") c.integer = true;
    } else if (type == "FX") {
        c.lower = c.upper = bound;
    } else if (type == "FR") {
        c.lower = -model_infinity;
        c.upper = model_infinity;
    } else if (type == "MI") {
        c.lower = -model_infinity;
    } else if (type == "PL") {
        c.upper = model_infinity;
    } else if (type == "BV") {
        c.lower = 0;
        c.upper = 1;
        c.integer = true;
    } else {
        fail("unknown bound type '" + type + "'");
    }
}

// A column's bounds that contradict each other are an error at the line of
// its last bound.
void MpsParser::check_bounds() {
    for (std::size_t j = 0; j < model_.columns.size(); ++j) {
        const ProblemColumn& c = model_.columns[j];
        line_number_ = bound_line_[j];
        if (c.lower > c.upper) fail("column '" + c.name + "' has a lower bound above its upper bound");
        if (c.lower == model_infinity || c.upper == -model_infinity)
            fail("column '" + c.name + "' has " +
                 (c.lower == model_infinity ? "a lower bound of 1e30 or more" : "an upper bound of -1e30 or less"));
    }
}

}  // namespace

Problem read_mps(const std::string& text, const std::string& file_name) {
    if (text.starts_with(byte_order_mark)) return read_mps(text.substr(byte_order_mark.size()), file_name);
    if (blank_text(text)) throw RunError(error_code::invalid_number, Site::read_mps, empty_model_message(file_name));
    MpsParser free_format(text, file_name, false);
    try {
        return free_format.parse();
    } catch (const RunError& free_error) {
        MpsParser fixed_format(text, file_name, true);
        try {
            return fixed_format.parse();
        } catch (const RunError& fixed_error) {
            if (fixed_format.line_number() > free_format.line_number()) throw;
            throw free_error;
        }
    }
}

}  // namespace lpsens
