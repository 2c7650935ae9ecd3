// Reads a JSON results file with a small strict parser (the whole grammar of
// RFC 8259) and compares it with the solution report it belongs to: the
// optimal value, and every variable's and row's level and shadow price, to
// the report's three decimals.
//   json_check RESULTS.json REPORT.csv      exit 0 when they agree
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Value {
    enum Kind { null, boolean, number, string, array, object } kind = null;
    double n = 0;
    std::string s;
    std::vector<Value> items;
    std::map<std::string, Value> fields;
};

class Parser {
public:
    explicit Parser(const std::string& t) : t_(t) {}
    Value document() {
        Value v = value();
        space();
        if (i_ != t_.size()) fail("text after the value");
        return v;
    }

private:
    [[noreturn]] void fail(const char* what) {
        std::fprintf(stderr, "json: %s at byte %zu\n", what, i_);
        std::exit(2);
    }
    void space() {
        while (i_ < t_.size() && (t_[i_] == ' ' || t_[i_] == '\n' || t_[i_] == '\r' || t_[i_] == '\t')) ++i_;
    }
    bool take(const char* word) {
        const std::string w(word);
        if (t_.compare(i_, w.size(), w) != 0) return false;
        i_ += w.size();
        return true;
    }
    std::string string_value() {
        if (t_[i_++] != '"') fail("expected a string");
        std::string s;
        while (i_ < t_.size() && t_[i_] != '"') {
            const char c = t_[i_++];
            if (static_cast<unsigned char>(c) < 0x20) fail("control character in a string");
            if (c != '\\') {
                s += c;
                continue;
            }
            const char e = t_[i_++];
            if (e == 'u') {
                const long code = std::strtol(t_.substr(i_, 4).c_str(), nullptr, 16);
                i_ += 4;
                s += static_cast<char>(code);
            } else if (std::string("\"\\/bfnrt").find(e) != std::string::npos) {
                s += e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e == 'b' ? '\b' : e == 'f' ? '\f' : e;
            } else {
                fail("bad escape");
            }
        }
        if (i_++ >= t_.size()) fail("unterminated string");
        return s;
    }
    Value value() {
        space();
        if (i_ >= t_.size()) fail("unexpected end");
        Value v;
        const char c = t_[i_];
        if (c == '{') {
            v.kind = Value::object;
            ++i_;
            space();
            if (t_[i_] == '}') return ++i_, v;
            for (;;) {
                space();
                const std::string key = string_value();
                space();
                if (t_[i_++] != ':') fail("expected ':'");
                v.fields[key] = value();
                space();
                if (t_[i_] == ',') ++i_;
                else if (t_[i_++] == '}') return v;
                else fail("expected ',' or '}'");
            }
        }
        if (c == '[') {
            v.kind = Value::array;
            ++i_;
            space();
            if (t_[i_] == ']') return ++i_, v;
            for (;;) {
                v.items.push_back(value());
                space();
                if (t_[i_] == ',') ++i_;
                else if (t_[i_++] == ']') return v;
                else fail("expected ',' or ']'");
            }
        }
        if (c == '"') {
            v.kind = Value::string;
            v.s = string_value();
            return v;
        }
        if (take("true") || take("false")) {
            v.kind = Value::boolean;
            return v;
        }
        if (take("null")) return v;
        const std::size_t start = i_;
        if (t_[i_] == '-') ++i_;
        while (i_ < t_.size() && (std::isdigit(static_cast<unsigned char>(t_[i_])) || t_[i_] == '.' || t_[i_] == 'e' ||
                                  t_[i_] == 'E' || t_[i_] == '+' || t_[i_] == '-'))
            ++i_;
        if (i_ == start) fail("unexpected character");
        v.kind = Value::number;
        char* end = nullptr;
        const std::string number = t_.substr(start, i_ - start);
        v.n = std::strtod(number.c_str(), &end);
        if (*end != 0) fail("malformed number");
        return v;
    }
    const std::string& t_;
    std::size_t i_ = 0;
};

std::string read(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The numbers of a report line after the quoted name.
std::vector<double> numbers_after_name(const std::string& line) {
    std::vector<double> out;
    std::string rest = line.substr(line.rfind('"') + 2);
    std::stringstream in(rest);
    for (std::string field; std::getline(in, field, ',');) out.push_back(std::strtod(field.c_str(), nullptr));
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) return 2;
    const Value results = Parser(read(argv[1])).document();
    std::stringstream report(read(argv[2]));
    std::vector<std::string> lines;
    for (std::string l; std::getline(report, l);) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        lines.push_back(l);
    }
    int bad = 0;
    auto near = [&](double json, double printed, const std::string& what) {
        if (std::fabs(json - printed) <= 0.0005 + 1e-12 * std::fabs(json)) return;
        std::fprintf(stderr, "%s: JSON %.17g, report %.3f\n", what.c_str(), json, printed);
        ++bad;
    };
    std::size_t k = 0;
    while (k < lines.size() && lines[k].rfind("Optimal value : ,", 0) != 0) ++k;
    if (k == lines.size()) return results.fields.at("status").s == "infeasible" ? 0 : 1;
    near(results.fields.at("objective").n, std::strtod(lines[k].c_str() + 17, nullptr), "objective");
    k += 2;
    for (const Value& v : results.fields.at("variables").items) {
        const auto n = numbers_after_name(lines[k++]);
        near(v.fields.at("level").n, n.at(1), v.fields.at("name").s + " level");
        near(v.fields.at("reduced_cost").n, n.at(2), v.fields.at("name").s + " shadow price");
    }
    ++k;
    for (const Value& r : results.fields.at("rows").items) {
        const auto n = numbers_after_name(lines[k++]);
        near(r.fields.at("residual").n, n.at(1), r.fields.at("name").s + " residual");
        near(r.fields.at("shadow_price").n, n.at(2), r.fields.at("name").s + " shadow price");
    }
    return bad == 0 ? 0 : 1;
}
