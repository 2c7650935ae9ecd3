// The LP-format reader (the algebraic format of CPLEX and its peers); the
// README says exactly what it accepts.
//
//   \ comment to the end of the line
//   Maximize | Maximise | Maximum | Max | Minimize | Minimise | Minimum | Min
//     [name:] terms                      (a term: [+|-] [number] [variable])
//   Subject To | Such That | st | s.t.
//     [name:] terms  <= | =< | < | >= | => | > | =  [+|-] number ...
//   Bounds
//     x >= l | x <= u | l <= x | u >= x | l <= x <= u | x = v | x free
//     (l and u may be -inf / +inf / inf / infinity)
//   General | Generals | Integer | Integers | Binary | Binaries   names
//   End
//
// A constraint may also be a double inequality, l <= terms <= u or
// u >= terms >= l: a ranged row.  Bounds of 1e30 and more in magnitude are
// infinite.  The sections of other features (semi-continuous variables, SOS,
// piecewise-linear parts, general constraints, lazy constraints, user cuts,
// several objectives) are refused by name.
//
// Expressions may run over several lines.  A right-hand side holds numbers
// only and ends at the end of its line unless the line ends with + or -.  Keywords are matched without
// regard to case; names are case-sensitive.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <utility>

#include "model/native_reader.h"
#include "model/problem.h"
#include "numeric/run_error.h"

namespace lpsens {

namespace {

// Numbers of 1e30 and more in magnitude stand for infinity in bounds.
constexpr Extended infinite_bound = 1e30L;

struct Token {
    std::string text;
    int line;
    bool number;
    std::size_t start = 0, end = 0;  // where it stands in the text
};

std::string lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

class LpParser {
public:
    LpParser(const std::string& text, const std::string& file) : text_(text) { model_.source = file; }
    Problem parse();

private:
    [[noreturn]] void fail(int line, const std::string& what) const {
        throw RunError(error_code::invalid_number, Site::read_lp_format,
                       model_.source + ":" + std::to_string(line) + ": " + what);
    }
    void tokenize();
    const Token* at(std::size_t k) const { return k < tokens_.size() ? &tokens_[k] : nullptr; }
    // The section a keyword at position k starts, and how many tokens it takes; "" for none,
    // "unsupported" for the sections of features lpsens does not solve.
    std::string section_at(std::size_t k, std::size_t& length) const;
    std::size_t unsupported_section(std::size_t k) const;  // its tokens, 0 for none
    [[noreturn]] void refuse_section(std::size_t k, std::size_t length) const {
        fail(tokens_[k].line, "the section '" + text_.substr(tokens_[k].start, tokens_[k + length - 1].end - tokens_[k].start) +
                                  "' is not supported");
    }
    int variable(const std::string& name) {
        const auto it = columns_.find(name);
        if (it != columns_.end()) return it->second;
        const int index = static_cast<int>(model_.columns.size());
        columns_[name] = index;
        ProblemColumn c;
        c.name = name;
        model_.columns.push_back(c);
        entries_.emplace_back();
        bound_line_.push_back(0);
        return index;
    }
    // Reads terms from position k; adds coefficient * sign to `terms` and the
    // constants to `constant`.  `right_side` (the right-hand side of the
    // constraint named so): numbers only, up to the end of the line.
    void read_terms(std::size_t& k, std::map<int, Extended>& terms, Extended& constant, Extended sign,
                    const std::string* right_side = nullptr);
    bool is_operator(const Token* t) const {
        return t && (t->text == "<=" || t->text == "=<" || t->text == "<" || t->text == ">=" || t->text == "=>" ||
                     t->text == ">" || t->text == "=");
    }
    Extended bound_value(const Token& t) const {
        const std::string l = lower(t.text);
        if (l == "inf" || l == "+inf" || l == "infinity" || l == "+infinity") return model_infinity;
        if (l == "-inf" || l == "-infinity") return -model_infinity;
        const auto v = parse_value(t.text);
        if (!t.number || !v) fail(t.line, "'" + t.text + "' is not a number");
        // As in MPS: 1e30 and beyond stand for infinity.
        return *v >= infinite_bound ? model_infinity : *v <= -infinite_bound ? -model_infinity : *v;
    }
    // Reads one constraint from position k (after its name) into a row.
    void read_constraint(std::size_t& k, const std::string& name, int line);
    // The sections, each from position k (after its keyword) up to the next
    // section; the objective from the start of the file.
    void read_objective(std::size_t& k);
    void read_constraints(std::size_t& k);
    void read_bound(std::size_t& k);  // one line of the bounds section
    // The tokens of the line from position k, with signs glued to the
    // numbers they precede.
    std::vector<Token> bound_line_tokens(std::size_t& k, int line) const;
    void read_integers(std::size_t& k, bool binary);
    void check_column_bounds() const;

    const std::string& text_;
    Problem model_;
    std::vector<std::vector<std::pair<int, Extended>>> entries_;  // by column
    std::vector<Token> tokens_;
    std::map<std::string, int> columns_;
    std::map<std::string, int> row_lines_;  // constraint name: the line it was given on
    std::vector<int> bound_line_;           // by variable: the line of its last bound, 0 for none
};

void LpParser::tokenize() {
    int line = 1;
    std::size_t i = 0;
    const std::size_t n = text_.size();
    while (i < n) {
        const char c = text_[i];
        if (c == '\n') {
            ++line;
            ++i;
        } else if (c == '\\') {
            while (i < n && text_[i] != '\n') ++i;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
        } else if (c == '<' || c == '>' || c == '=') {
            std::string op(1, c);
            if (i + 1 < n && (text_[i + 1] == '=' || text_[i + 1] == '<' || text_[i + 1] == '>')) op += text_[++i];
            ++i;
            tokens_.push_back({op, line, false, i - op.size(), i});
        } else if (c == '+' || c == '-' || c == ':' || c == '*') {
            tokens_.push_back({std::string(1, c), line, false, i, i + 1});
            ++i;
        } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '.') {
            std::size_t j = i;
            while (j < n && (std::isdigit(static_cast<unsigned char>(text_[j])) || text_[j] == '.')) ++j;
            if (j < n && (text_[j] == 'e' || text_[j] == 'E')) {
                std::size_t k = j + 1;
                if (k < n && (text_[k] == '+' || text_[k] == '-')) ++k;
                if (k < n && std::isdigit(static_cast<unsigned char>(text_[k]))) {
                    j = k;
                    while (j < n && std::isdigit(static_cast<unsigned char>(text_[j]))) ++j;
                }
            }
            tokens_.push_back({text_.substr(i, j - i), line, true, i, j});
            i = j;
        } else if (lp_name_char(c)) {
            std::size_t j = i;
            while (j < n && lp_name_char(text_[j])) ++j;
            tokens_.push_back({text_.substr(i, j - i), line, false, i, j});
            i = j;
        } else {
            char shown[8];
            if (std::isprint(static_cast<unsigned char>(c)))
                std::snprintf(shown, sizeof shown, "%c", c);
            else
                std::snprintf(shown, sizeof shown, "\\x%02X", static_cast<unsigned char>(c));
            fail(line, std::string("unexpected character '") + shown + "'");
        }
    }
}

std::size_t LpParser::unsupported_section(std::size_t k) const {
    // Each keyword stands alone on its line, as the formats that define it
    // write it; "objective" is any objective keyword.
    static const std::vector<std::vector<std::string>> keywords = {
        {"semi", "-", "continuous"}, {"semis"}, {"semi"}, {"sos"}, {"sos1"}, {"sos2"}, {"pwl"}, {"pwlobj"},
        {"general", "constraints"}, {"general", "constraint"}, {"gen", "cons"}, {"lazy", "constraints"},
        {"user", "cuts"}, {"objective", "multi", "-", "objectives"}};
    const int line = tokens_[k].line;
    for (const std::vector<std::string>& words : keywords) {
        std::size_t n = 0;
        while (n < words.size() && at(k + n) && at(k + n)->line == line &&
               (words[n] == "objective" ? lp_objective_keyword(at(k + n)->text) : lower(at(k + n)->text) == words[n]))
            ++n;
        if (n == words.size() && !(at(k + n) && at(k + n)->line == line)) return n;
    }
    return 0;
}

std::string LpParser::section_at(std::size_t k, std::size_t& length) const {
    const Token* t = at(k);
    if (!t || t->number) return "";
    // A keyword counts only at the start of its line.
    if (k > 0 && tokens_[k - 1].line == t->line) return "";
    const std::string w = lower(t->text);
    const Token* next = at(k + 1);
    const std::string w2 = next && next->line == t->line ? lower(next->text) : "";
    length = unsupported_section(k);
    if (length > 0) return "unsupported";
    length = 1;
    if (lp_objective_keyword(w)) return w.substr(0, 3);  // "max" or "min"
    if ((w == "subject" && w2 == "to") || (w == "such" && w2 == "that")) {
        length = 2;
        return "st";
    }
    if (w == "st" || w == "s.t." || w == "st.") return "st";
    if (w == "bounds" || w == "bound") return "bounds";
    if (w == "general" || w == "generals" || w == "gen" || w == "integer" || w == "integers") return "general";
    if (w == "binary" || w == "binaries" || w == "bin") return "binary";
    if (w == "end") return "end";
    return "";
}

void LpParser::read_terms(std::size_t& k, std::map<int, Extended>& terms, Extended& constant, Extended sign,
                          const std::string* right_side) {
    bool first = true;
    for (;;) {
        const Token* t = at(k);
        if (!t) return;
        std::size_t length = 0;
        if (!section_at(k, length).empty() || is_operator(t)) return;
        if (right_side && !first) {
            const Token& before = tokens_[k - 1];
            if (t->line != before.line && before.text != "+" && before.text != "-") return;
        }
        // A new named constraint: name ':'.
        if (!first && !t->number && at(k + 1) && at(k + 1)->text == ":") return;
        Extended term_sign = 1;
        bool had_sign = false;
        while (at(k) && (at(k)->text == "+" || at(k)->text == "-")) {
            if (at(k)->text == "-") term_sign = -term_sign;
            had_sign = true;
            ++k;
        }
        if (!first && !had_sign) {
            // Without a sign the expression has ended (the next constraint begins).
            return;
        }
        const Token* u = at(k);
        if (!u) fail(tokens_.back().line, "the expression is cut short");
        Extended coefficient = 1;
        bool has_number = false;
        if (u->number) {
            const auto v = parse_value(u->text);
            if (!v) fail(u->line, "'" + u->text + "' is not a number");
            coefficient = *v;
            has_number = true;
            ++k;
            if (at(k) && at(k)->text == "*") ++k;
        }
        const Token* w = at(k);
        std::size_t kw = 0;
        const bool has_name = w && !w->number && w->text != "+" && w->text != "-" && w->text != ":" &&
                              !is_operator(w) && section_at(k, kw).empty() &&
                              !(at(k + 1) && at(k + 1)->text == ":") &&
                              !(right_side && has_number && w->line != u->line);
        if (has_name && right_side) {
            fail(u->line, "constraint '" + *right_side + "': the right-hand side must be a number, not '" +
                              text_.substr(u->start, w->end - u->start) + "'");
        } else if (has_name) {
            const int v = variable(w->text);
            terms[v] += sign * term_sign * coefficient;
            ++k;
        } else if (has_number) {
            constant += sign * term_sign * coefficient;
        } else {
            fail(u->line, "'" + u->text + "' is neither a number nor a variable here");
        }
        first = false;
    }
}

namespace {

char row_type(const std::string& op) {
    return op[0] == '<' || op == "=<" ? 'L' : op[0] == '>' || op == "=>" ? 'G' : 'E';
}

}  // namespace

void LpParser::read_constraint(std::size_t& k, const std::string& name, int line) {
    std::map<int, Extended> terms;
    Extended constant = 0;
    const std::size_t start = k;
    read_terms(k, terms, constant, 1);
    const Token* op = at(k);
    if (!is_operator(op)) fail(op ? op->line : line, "constraint '" + name + "' has no <=, >= or =");
    const bool numbers_first = terms.empty() && k > start;
    ++k;
    ProblemRow row;
    row.name = name;
    row.type = row_type(op->text);
    // A double inequality: l <= terms <= u, or u >= terms >= l.
    std::size_t m = k;
    std::map<int, Extended> middle;
    Extended middle_constant = 0;
    if (numbers_first) read_terms(m, middle, middle_constant, 1);
    if (numbers_first && !middle.empty() && is_operator(at(m))) {
        const Token* op2 = at(m++);
        if (row_type(op2->text) != row.type || row.type == 'E')
            fail(op2->line, "constraint '" + name + "': a double inequality needs <= on both sides or >= on both sides");
        std::map<int, Extended> none;
        Extended outer = 0;
        const std::size_t right_start = m;
        read_terms(m, none, outer, 1, &name);
        if (m == right_start) fail(op2->line, "constraint '" + name + "' has no right-hand side");
        k = m;
        // Constants among the terms move to both sides; 1e30 and beyond is no limit.
        const auto limit = [](Extended v) {
            return v >= infinite_bound ? model_infinity : v <= -infinite_bound ? -model_infinity : v;
        };
        Extended low = limit(constant) - middle_constant, high = limit(outer) - middle_constant;
        if (row.type == 'G') std::swap(low, high);
        if (low == model_infinity || high == -model_infinity)
            fail(op2->line, "constraint '" + name + "': a limit of 1e30 or more in magnitude stands on the wrong side");
        if (low > high) fail(op2->line, "constraint '" + name + "': the lower limit is above the upper one");
        if (low == -model_infinity && high == model_infinity)
            fail(op2->line, "constraint '" + name + "': both limits are infinite");
        if (low == high) {
            row.type = 'E';
            row.rhs = low;
        } else if (low == -model_infinity) {
            row.type = 'L';
            row.rhs = high;
        } else if (high == model_infinity) {
            row.type = 'G';
            row.rhs = low;
        } else {
            row.type = 'L';
            row.rhs = high;
            row.ranged = true;
            row.range = high - low;
        }
        terms = std::move(middle);
    } else {
        Extended right = 0;
        const std::size_t right_start = k;
        read_terms(k, terms, right, -1, &name);
        if (k == right_start) fail(op->line, "constraint '" + name + "' has no right-hand side");
        // terms now hold left - right variables; constants move right.
        row.rhs = -right - constant;
    }
    const int r = static_cast<int>(model_.rows.size());
    for (const auto& [v, c] : terms)
        if (c != 0) entries_[v].push_back({r, c});
    model_.rows.push_back(row);
}

void LpParser::read_objective(std::size_t& k) {
    std::size_t length = 0;
    const std::string section = section_at(0, length);
    if (section == "unsupported") refuse_section(0, length);
    if (section != "max" && section != "min")
        fail(tokens_.empty() ? 1 : tokens_[0].line, "the file must begin with Maximize or Minimize");
    model_.maximise = section == "max";
    k += length;
    if (at(k) && at(k + 1) && at(k + 1)->text == ":" && !at(k)->number) {
        model_.title = at(k)->text;
        k += 2;
    }
    std::map<int, Extended> objective;
    read_terms(k, objective, model_.constant, 1);
    for (const auto& [v, c] : objective) model_.columns[v].cost += c;
}

void LpParser::read_constraints(std::size_t& k) {
    std::size_t length = 0;
    while (k < tokens_.size() && section_at(k, length).empty()) {
        std::string name = "c" + std::to_string(model_.rows.size() + 1);
        const int line = tokens_[k].line;
        const bool named = at(k + 1) && at(k + 1)->text == ":" && !tokens_[k].number;
        if (named) {
            name = tokens_[k].text;
            k += 2;
        }
        const auto [first, fresh] = row_lines_.emplace(name, named ? line : -line);
        if (!fresh)
            fail(line, "constraint '" + name + "' is given twice (first on line " +
                           std::to_string(std::abs(first->second)) + ")" +
                           (named && first->second > 0 ? "" : "; unnamed constraints are called c1, c2, ..."));
        read_constraint(k, name, line);
    }
}

std::vector<Token> LpParser::bound_line_tokens(std::size_t& k, int line) const {
    std::vector<Token> b;
    while (k < tokens_.size() && tokens_[k].line == line) b.push_back(tokens_[k++]);
    // Signs glued to numbers and infinities.
    std::vector<Token> c;
    for (std::size_t q = 0; q < b.size(); ++q) {
        if ((b[q].text == "-" || b[q].text == "+") && q + 1 < b.size()) {
            Token joined = b[q + 1];
            joined.text = b[q].text + joined.text;
            c.push_back(joined);
            ++q;
        } else {
            c.push_back(b[q]);
        }
    }
    return c;
}

void LpParser::read_bound(std::size_t& k) {
    // One bound a line.
    const int line = tokens_[k].line;
    const std::vector<Token> c = bound_line_tokens(k, line);
    auto is_value = [&](const Token& t) {
        const std::string l = lower(t.text);
        return t.number || l == "inf" || l == "+inf" || l == "-inf" || l == "infinity" || l == "+infinity" ||
               l == "-infinity" || ((t.text[0] == '-' || t.text[0] == '+') && parse_value(t.text).has_value());
    };
    auto column = [&](const Token& t) -> ProblemColumn& {
        const auto it = columns_.find(t.text);
        if (it == columns_.end()) fail(t.line, "bound on unknown variable '" + t.text + "'");
        bound_line_[it->second] = line;
        return model_.columns[it->second];
    };
    auto apply = [&](ProblemColumn& col, const std::string& op, Extended v) {
        if (op == "<=" || op == "=<" || op == "<") col.upper = v;
        else if (op == ">=" || op == "=>" || op == ">") col.lower = v;
        else col.lower = col.upper = v;
    };
    auto flip = [](const std::string& op) {
        if (op[0] == '<' || op == "=<") return std::string(">=");
        if (op[0] == '>' || op == "=>") return std::string("<=");
        return op;
    };
    if (c.size() == 2 && lower(c[1].text) == "free" && !is_value(c[0])) {
        ProblemColumn& col = column(c[0]);
        col.lower = -model_infinity;
        col.upper = model_infinity;
    } else if (c.size() == 3 && !is_value(c[0]) && is_operator(&c[1]) && is_value(c[2])) {
        apply(column(c[0]), c[1].text, bound_value(c[2]));
    } else if (c.size() == 3 && is_value(c[0]) && is_operator(&c[1]) && !is_value(c[2])) {
        apply(column(c[2]), flip(c[1].text), bound_value(c[0]));
    } else if (c.size() == 5 && is_value(c[0]) && is_operator(&c[1]) && !is_value(c[2]) && is_operator(&c[3]) &&
               is_value(c[4])) {
        ProblemColumn& col = column(c[2]);
        apply(col, flip(c[1].text), bound_value(c[0]));
        apply(col, c[3].text, bound_value(c[4]));
    } else {
        fail(line, "a bound must read 'x <= 4', '-1 <= x <= 4', 'x = 2' or 'x free'");
    }
}

void LpParser::read_integers(std::size_t& k, bool binary) {
    std::size_t length = 0;
    while (k < tokens_.size() && section_at(k, length).empty()) {
        const Token& t = tokens_[k++];
        const auto it = columns_.find(t.text);
        if (it == columns_.end()) fail(t.line, "unknown variable '" + t.text + "'");
        ProblemColumn& col = model_.columns[it->second];
        col.integer = true;
        if (binary) {
            col.lower = 0;
            col.upper = 1;
        }
    }
}

void LpParser::check_column_bounds() const {
    for (std::size_t j = 0; j < model_.columns.size(); ++j) {
        const ProblemColumn& c = model_.columns[j];
        if (c.lower > c.upper) fail(bound_line_[j], "variable '" + c.name + "' has a lower bound above its upper bound");
        if (c.lower == model_infinity || c.upper == -model_infinity)
            fail(bound_line_[j], "variable '" + c.name + "' has " +
                                     (c.lower == model_infinity ? "a lower bound of 1e30 or more" : "an upper bound of -1e30 or less"));
    }
}

Problem LpParser::parse() {
    tokenize();
    std::size_t k = 0;
    read_objective(k);
    bool ended = false;
    while (k < tokens_.size() && !ended) {
        std::size_t length = 0;
        const std::string section = section_at(k, length);
        if (section.empty()) fail(tokens_[k].line, "'" + tokens_[k].text + "' where a section or a constraint was expected");
        if (section == "unsupported") refuse_section(k, length);
        k += length;
        if (section == "st") {
            read_constraints(k);
        } else if (section == "bounds") {
            while (k < tokens_.size() && section_at(k, length).empty()) read_bound(k);
        } else if (section == "general" || section == "binary") {
            read_integers(k, section == "binary");
        } else if (section == "end") {
            ended = true;
        } else {
            fail(tokens_[k - length].line, "a second objective");
        }
    }
    if (!ended) fail(tokens_.empty() ? 1 : tokens_.back().line, "the file ends without End");
    check_column_bounds();
    finish_model(model_, entries_);
    return model_;
}

}  // namespace

bool lp_name_char(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) ||
           std::string_view("!\"#$%&()/,.;?@_`'{}|~").find(c) != std::string_view::npos;
}

bool lp_objective_keyword(std::string_view word) {
    std::string w(word);
    for (char& c : w) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const char* keyword : {"maximize", "maximise", "maximum", "max", "minimize", "minimise", "minimum", "min"})
        if (w == keyword) return true;
    return false;
}

Problem read_lp_format(const std::string& text, const std::string& file_name) {
    if (text.starts_with(byte_order_mark)) return read_lp_format(text.substr(byte_order_mark.size()), file_name);
    if (blank_text(text))
        throw RunError(error_code::invalid_number, Site::read_lp_format, empty_model_message(file_name));
    return LpParser(text, file_name).parse();
}

}  // namespace lpsens
