#include "model/read_problem.h"

#include <cctype>

#include "model/native_reader.h"

namespace lpsens {

namespace {

bool ends_with(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

bool line_end(char c) { return c == '\n' || c == '\r'; }
bool blank(char c) { return !line_end(c) && std::isspace(static_cast<unsigned char>(c)); }

// Further ahead than this the guess is lpsens's own format, which needs no
// more than its title line to go on.
constexpr std::size_t look_ahead_limit = std::size_t{1} << 20;

// The format the input's first lines say, looking ahead block by block only
// as far as the guess needs (a terminal or a pipe is never waited on for
// more).
FormatGuess guessed_format(ByteSource& source) {
    bool complete = false;
    for (;;) {
        const FormatGuess guess = guess_format(source.buffered(), complete);
        if (guess != FormatGuess::undecided) return guess;
        if (complete || source.buffered().size() >= look_ahead_limit) return FormatGuess::native;
        complete = !source.read_ahead();
    }
}

bool mps_section_word(std::string_view word) { return word == "NAME" || word == "ROWS" || word == "OBJSENSE"; }

}  // namespace

std::string input_format(const std::string& requested, const std::string& file_name) {
    if (!requested.empty()) return requested;
    if (ends_with(file_name, ".mps") || ends_with(file_name, ".mps.gz") || ends_with(file_name, ".MPS")) return "mps";
    return "";
}

FormatGuess guess_format(std::string_view text, bool complete) {
    const FormatGuess at_end = complete ? FormatGuess::native : FormatGuess::undecided;
    // A byte-order mark, or what may become one.
    if (!complete && text.size() < byte_order_mark.size() && byte_order_mark.starts_with(text) && !text.empty())
        return FormatGuess::undecided;
    if (text.starts_with(byte_order_mark)) text.remove_prefix(byte_order_mark.size());
    const std::size_t n = text.size();
    // Blank lines and comment lines: "\" (LP format) after any blanks, "*"
    // (MPS) at the start of the line.
    std::size_t i = 0, line_start = 0;
    bool first_line = true;
    for (;;) {
        while (i < n && blank(text[i])) ++i;
        if (i == n) return at_end;
        if (line_end(text[i])) {
            line_start = ++i;
            first_line = false;
        } else if (text[i] == '\\' || (text[i] == '*' && i == line_start)) {
            while (i < n && !line_end(text[i])) ++i;
        } else {
            break;
        }
    }
    // The first word, as LP format reads a name, and as an MPS section word:
    // from the start of the line up to a blank or a line end.
    std::size_t j = i;
    while (j < n && lp_name_char(text[j])) ++j;
    std::size_t w = i;
    while (w < n && !blank(text[w]) && !line_end(text[w])) ++w;
    if ((j == n || w == n) && !complete) return FormatGuess::undecided;  // the word may go on
    FormatGuess format = FormatGuess::native;
    if (lp_objective_keyword(text.substr(i, j - i))) format = FormatGuess::lp_format;
    else if (i == line_start && mps_section_word(text.substr(i, w - i))) format = FormatGuess::mps;
    if (format == FormatGuess::native) return format;
    // After a blank or comment first line, lpsens's own format would need an
    // integer where the keyword stands.
    if (!first_line) return format;
    // The title line, then four integers as the native reader takes them:
    // tokens split at bytes up to 32, at most 32 bytes each, missing ones 0.
    while (j < n && !line_end(text[j])) ++j;
    for (int item = 0; item < 4; ++item) {
        while (j < n && static_cast<unsigned char>(text[j]) <= ' ') ++j;
        if (j == n) return at_end;
        std::size_t end = j;
        while (end < n && static_cast<unsigned char>(text[end]) > ' ' && end - j < integer_token_limit) ++end;
        if (end == n && end - j < integer_token_limit && !complete) return FormatGuess::undecided;
        if (!parse_integer(text.substr(j, end - j))) return format;
        j = end;
    }
    return FormatGuess::native;
}

Problem read_problem(ByteSource& source, const std::string& format) {
    std::string chosen = format;
    if (chosen.empty()) {
        const FormatGuess guess = guessed_format(source);
        chosen = guess == FormatGuess::lp_format ? "lp" : guess == FormatGuess::mps ? "mps" : "native";
    }
    if (chosen == "native") return read_native_problem(source);
    const std::string text = source.read_rest();
    return chosen == "mps" ? read_mps(text, source.origin) : read_lp_format(text, source.origin);
}

}  // namespace lpsens
