// A new user's way in: the model named as an argument, format names in any
// case, and an input's format told by its first lines.
#include <gtest/gtest.h>

#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "driver/options.h"
#include "io/files.h"
#include "model/native_reader.h"
#include "model/read_problem.h"
#include "numeric/run_error.h"
#include "test_support.h"

#ifndef LPSENS_EXAMPLES
#error "LPSENS_EXAMPLES must name the examples folder"
#endif

namespace lpsens {
namespace {

namespace fs = std::filesystem;

std::string file_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// A folder of its own for files the command line may name.
class Scratch {
public:
    Scratch() {
        std::string pattern = (fs::temp_directory_path() / "lpsens-cli-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data());
    }
    ~Scratch() { fs::remove_all(path_); }
    std::string file(const std::string& name, const std::string& text = "x") const {
        std::ofstream(path_ / name) << text;
        return (path_ / name).string();
    }
    std::string folder(const std::string& name) const {
        fs::create_directory(path_ / name);
        return (path_ / name).string();
    }
    std::string missing(const std::string& name) const { return (path_ / name).string(); }

private:
    fs::path path_;
};

TEST(CommandLine, ModelArgumentBesideTheMode) {
    const Scratch scratch;
    const std::string model = scratch.file("model.mps"), other = scratch.file("other.lp");
    const std::string folder = scratch.folder("pv"), missing = scratch.missing("modle.mps");
    const std::string rv_file = scratch.file("rv");
    struct Case {
        std::vector<std::string> args;
        const char* mode;   // expected mode, or null
        std::string input;  // expected model file, empty for standard input
        const char* error;  // expected start of the error, or null when it parses
    };
    const std::vector<Case> cases = {
        {{model}, nullptr, model, nullptr},
        {{"rv", model, "--sweep=cap:10:20"}, "rv", model, nullptr},
        {{"--strict", "pv", "--json=r.json", model}, "pv", model, nullptr},
        {{"PV", model}, "PV", model, nullptr},                        // an ordinary run, from the file
        {{"pvx"}, "pvx", "", nullptr},
        {{model, "rv"}, nullptr, model, nullptr},                     // later plain arguments are ignored
        {{model, other}, nullptr, model, nullptr},
        {{"lp", "pv", model}, "lp", "", nullptr},                     // only the argument after the mode
        {{"rv", missing}, "rv", missing, nullptr},                    // no such file: refused when opened
        {{"modle.mps"}, nullptr, "modle.mps", nullptr},               // looks like a file name
        {{"rvz", "sub/model"}, "rvz", "sub/model", nullptr},
        {{"lp.x"}, nullptr, "lp.x", nullptr},
        {{folder, model}, nullptr, folder, nullptr},                  // a folder too: refused when opened
        {{rv_file}, nullptr, rv_file, nullptr},                       // a file, whatever its name
        {{"rv", "pvx"}, "rv", "", nullptr},                           // no file and no file name: ignored
        {{"-"}, nullptr, "-", nullptr},                               // standard input
        {{"rv", "-", "--sweep=cap:1:2"}, "rv", "-", nullptr},
        {{"-", "rv"}, nullptr, "-", nullptr},
        {{"--input=-"}, nullptr, "-", nullptr},
        {{"-x"}, nullptr, "", "unknown option -x"},
        {{"rv", "-5"}, nullptr, "", "unknown option -5"},
        {{"-help"}, nullptr, "", "unknown option -help"},
        {{"--input=" + other, "-"}, nullptr, "", "the model is named twice"},
        {{"--input=" + other, "rv"}, "rv", other, nullptr},
        {{"--input=" + other, model}, nullptr, "", "the model is named twice"},
        {{model, "--input=" + other}, nullptr, "", "the model is named twice"},
        {{"rv", model, "--input=" + other}, nullptr, "", "the model is named twice"},
        {{"--sweep=a:1:2", model}, nullptr, "", "--sweep needs the mode pv or rv"},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv = {"lpsens"};
        for (const std::string& a : c.args) argv.push_back(a.c_str());
        std::string error;
        const auto parsed = parse_command_line(static_cast<int>(argv.size()), argv.data(), error);
        const std::string label = c.args.front() + (c.args.size() > 1 ? " " + c.args[1] : "");
        if (c.error != nullptr) {
            EXPECT_FALSE(parsed) << label;
            EXPECT_EQ(error.rfind(c.error, 0), 0u) << label << ": " << error;
            continue;
        }
        ASSERT_TRUE(parsed) << label << ": " << error;
        EXPECT_EQ(parsed->mode == nullptr ? "-" : std::string(parsed->mode), c.mode == nullptr ? "-" : c.mode)
            << label;
        EXPECT_EQ(parsed->input, c.input) << label;
    }
}

TEST(CommandLine, PresolveOnOrOff) {
    struct Case {
        std::vector<const char*> args;
        PresolveUse presolve;
        const char* error;  // the start of the error, or null when it parses
    };
    const PresolveUse by_size = PresolveUse::by_size;
    const std::vector<Case> cases = {
        {{"lpsens", "m.mps"}, by_size, nullptr},
        {{"lpsens", "--presolve=on", "m.mps"}, PresolveUse::on, nullptr},
        {{"lpsens", "m.mps", "--presolve=off"}, PresolveUse::off, nullptr},
        {{"lpsens", "--presolve", "m.mps"}, by_size, "the option --presolve needs on or off"},
        {{"lpsens", "--presolve=OFF"}, by_size, "the option --presolve needs on or off"},
        {{"lpsens", "--presolve="}, by_size, "the option --presolve needs on or off"},
        {{"lpsens", "--presolve=on", "--presolve=off"}, by_size, "the option --presolve is given twice"},
    };
    for (const Case& c : cases) {
        std::string error;
        const auto parsed = parse_command_line(static_cast<int>(c.args.size()), c.args.data(), error);
        if (c.error != nullptr) {
            EXPECT_FALSE(parsed) << c.args[1];
            EXPECT_EQ(error.rfind(c.error, 0), 0u) << error;
            continue;
        }
        ASSERT_TRUE(parsed) << error;
        EXPECT_EQ(parsed->presolve, c.presolve) << c.args[1];
    }
}

TEST(CommandLine, ShortHelp) {
    for (const std::vector<const char*>& argv : {std::vector<const char*>{"lpsens", "-h"}, {"lpsens", "pv", "-h", "x.mps"},
                                                 {"lpsens", "-h", "--help"}}) {
        std::string error;
        const auto parsed = parse_command_line(static_cast<int>(argv.size()), argv.data(), error);
        ASSERT_TRUE(parsed) << error;
        EXPECT_TRUE(parsed->help);
    }
}

// An output file is checked before anything is read, and nothing is created
// or truncated by the check.
TEST(CommandLine, OutputFilesCheckedWithoutTouchingThem) {
    const Scratch scratch;
    const std::string kept = scratch.file("kept.json", "keep");
    const std::string folder = scratch.folder("out");
    const std::string plain = scratch.file("plain");
    struct Case {
        std::string path;
        int code;  // 0: it can be written
    };
    const std::vector<Case> cases = {
        {kept, 0},
        {scratch.missing("new.json"), 0},
        {folder + "/new.svg", 0},
        {"/dev/null", 0},
        {folder, 21},                              // a folder
        {scratch.missing("nowhere/new.json"), 2},  // no such folder
        {scratch.missing("gone/"), 21},
        {plain + "/new.json", 20},                 // a file where the folder should be
    };
    for (const Case& c : cases) {
        try {
            check_output_file(c.path);
            EXPECT_EQ(c.code, 0) << c.path;
        } catch (const RunError& e) {
            EXPECT_EQ(e.code(), c.code) << c.path;
            EXPECT_EQ(e.explanation(), "cannot create " + c.path + ": " + system_error_text(c.code));
            EXPECT_EQ(e.site(), Site::result_file);
        }
    }
    EXPECT_EQ(file_text(kept), "keep");
    EXPECT_FALSE(fs::exists(scratch.missing("new.json")));
    EXPECT_FALSE(fs::exists(folder + "/new.svg"));
}

// A file written in pieces holds them in order, replaces what stood there,
// and fails as a file written at once does: on creation or on a write.
TEST(CommandLine, FilesWrittenInPieces) {
    const Scratch scratch;
    const std::string kept = scratch.file("kept.json", "an older and longer report");
    {
        TextFileWriter file(kept);
        const std::string large(3 << 20, 'x');  // beyond any buffer
        file.write("{");
        file.write("");
        file.write(large);
        file.write("}\n");
        file.close();
    }
    const std::string text = file_text(kept);
    EXPECT_EQ(text.size(), (3u << 20) + 3);
    EXPECT_EQ(text.substr(0, 2), "{x");
    EXPECT_EQ(text.substr(text.size() - 3), "x}\n");
    struct Case {
        std::string path;
        int code;
        const char* what;
    };
    const std::vector<Case> cases = {
        {scratch.missing("nowhere/new.json"), 2, "cannot create "},
        {scratch.folder("out"), 21, "cannot create "},
        {"/dev/full", 28, "cannot write "},
    };
    for (const Case& c : cases) {
        try {
            TextFileWriter file(c.path);
            file.write(std::string(1 << 20, 'x'));
            file.close();
            ADD_FAILURE() << c.path << " written";
        } catch (const RunError& e) {
            EXPECT_EQ(e.code(), c.code) << c.path;
            EXPECT_EQ(e.explanation(), c.what + c.path + ": " + system_error_text(c.code));
            EXPECT_EQ(e.site(), Site::result_file);
        }
    }
}

TEST(CommandLine, FormatNamesInAnyCase) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"--format=LP", "lp"},         {"--format=lp", "lp"},         {"--format=MPS", "mps"},
        {"--format=Mps", "mps"},       {"--format=Native", "native"}, {"--format=NATIVE", "native"},
        {"--format=xml", nullptr},     {"--format=lps", nullptr},     {"--format=", nullptr},
        {"--format", nullptr},         {"--format=m", nullptr},
    };
    for (const auto& [arg, format] : cases) {
        const char* argv[] = {"lpsens", arg};
        std::string error;
        const auto parsed = parse_command_line(2, argv, error);
        if (format == nullptr) {
            EXPECT_FALSE(parsed) << arg;
            EXPECT_EQ(error.rfind("the option --format needs native, mps or lp", 0), 0u) << arg << ": " << error;
        } else {
            ASSERT_TRUE(parsed) << arg << ": " << error;
            EXPECT_EQ(parsed->format, format) << arg;
        }
    }
}

constexpr FormatGuess native = FormatGuess::native, lp = FormatGuess::lp_format, mps = FormatGuess::mps,
                      undecided = FormatGuess::undecided;

TEST(FormatByContent, FirstLinesDecide) {
    struct Case {
        std::string text;
        bool complete;  // the text is the whole input
        FormatGuess guess;
    };
    const std::vector<Case> cases = {
        {"Maximize\n obj: 3 x + 2 y\nSubject To\n", true, lp},
        {"MINIMISE\r\n 3 x\r\n", true, lp},
        {"  min 3 x + 2 y\nst\n c: x <= 4\nend\n", true, lp},  // the objective on the keyword's line
        {"\\ a comment\n\n  \\ another\nMaximum\n x\n", true, lp},
        {"\nMax\n2 2 0 0\n", true, lp},         // after a blank title the native reader wants an integer
        {"Minimize\n 3 x + 2 y\n", true, lp},    // an integer, then no integer
        {"Maximum\n1 2 3 4x\n", true, lp},       // the fourth item is no integer
        {"Max+3x\nst\n", true, lp},              // the keyword ends where a name does
        {"Max profit\n2 2 0 0\nx1\n", true, native},  // a native problem titled "Max profit"
        {"max\n  2\n\n 2\n0 0", true, native},        // the dimensions over several lines
        {"Max profit\r$2 -0 +0 $0\r", true, native},  // line ends CR, hexadecimal and signed integers
        {"Max\n", true, native},               // the missing dimensions read as 0
        {"Max", true, native},
        {"Max\n" + std::string(32, '0') + "+0 0 0\n", true, native},  // split after 32 bytes, as the reader does
        {"Sample\n2 2 0 0\n", true, native},
        {"Maxim\n x\n", true, native},
        {"NAME demo\nROWS\n", true, mps},     // MPS by its first section word, from any name
        {"* comment\n\nNAME\nROWS\n", true, mps},
        {"ROWS\n N obj\n", true, mps},
        {"OBJSENSE MAX\nROWS\n", true, mps},
        {"OBJSENSE\tMAX\r\nROWS\r\n", true, mps},
        {"NAME list\n2 2 0 0\nx\n", true, native},  // a native problem titled "NAME list"
        {"ROWS\n0 0\n", true, native},
        {"NAME", true, native},                 // the missing dimensions read as 0
        {"\nNAME x\n2 2 0 0\n", true, mps},    // not the first line: MPS
        {"NAMES\nROWS\n", true, native},        // whole words only
        {"Name demo\nROWS\n", true, native},    // in capitals
        {" NAME demo\nROWS\n", true, native},   // at the start of the line
        {"ROWS:\n", true, native},
        {"  *x\nNAME a\n", true, native},       // a comment line begins with its "*"
        {"\xEF\xBB\xBFNAME demo\nROWS\n", true, mps},  // a byte-order mark is passed over
        {"\xEF\xBB\xBFMaximize\n x\n", true, lp},
        {"\xEF\xBB\xBF\\ c\nMax\n x\n", true, lp},
        {"\xEF\xBB\xBFMax profit\n2 2 0 0\n", true, native},
        {"\xEF\xBB\xBFSample\n2 2 0 0\n", true, native},
        {"\xEF\xBB", false, undecided},
        {"\xEF\xBB", true, native},
        {"NAM", false, undecided},
        {"NAME demo", false, undecided},
        {"NAME demo\n2 2 0", false, undecided},
        {"NAME demo\nROWS\n", false, mps},
        {"", true, native},
        {"\\ only a comment", true, native},
        {"", false, undecided},
        {"Ma", false, undecided},              // the word may go on
        {"Max profit", false, undecided},      // the line may go on
        {"Max profit\n2 2 0", false, undecided},
        {"Max profit\n2 2 x ", false, lp},     // decided before the rest comes
        {"Sample", false, undecided},
        {"Sample\n", false, native},
        {"\n\n", false, undecided},
    };
    for (const Case& c : cases) EXPECT_EQ(guess_format(c.text, c.complete), c.guess) << c.text;
    // Through the input: a byte 26 ends it, and what follows does not count.
    ByteSource input(std::string("Max\n0 0\x1A" "x y\n"));
    EXPECT_TRUE(read_problem(input, "").native);
}

// Random texts from the pieces the formats are made of: whenever lpsens's own
// reader takes one, it must be read as lpsens's own format, from the whole text
// and from every part of it that has come in so far.
TEST(FormatByContent, NoNativeProblemIsTakenForAnotherFormat) {
    const std::vector<std::string> pieces = {"Max", "Minimize", "maximum", "MIN", " profit", "\n", "\r\n", "\r",
                                             "\\ c", " ", "\t", "0", "1", "2", "$1", "-0", "+1", "x", "2x",
                                             "subject to", ":", "<=", "1.5", "End", "NAME", "ROWS", "OBJSENSE",
                                             "*", "\xEF\xBB\xBF"};
    std::mt19937 rng(11);
    int native_texts = 0, lp_texts = 0, mps_texts = 0;
    for (int n = 0; n < 20000; ++n) {
        std::string text;
        for (int k = 0, count = 1 + static_cast<int>(rng() % 12); k < count; ++k) text += pieces[rng() % pieces.size()];
        bool read = true;
        try {
            ByteSource source(text);
            (void)read_native_problem(source);
        } catch (const RunError&) {
            read = false;
        }
        const FormatGuess whole = guess_format(text, true);
        lp_texts += whole == lp;
        mps_texts += whole == mps;
        if (!read) continue;
        ++native_texts;
        ASSERT_EQ(whole, native) << text;
        for (std::size_t cut = 0; cut < text.size(); ++cut) {
            const FormatGuess part = guess_format(std::string_view(text).substr(0, cut), false);
            ASSERT_TRUE(part == native || part == undecided) << text << " cut at " << cut;
        }
    }
    // Every kind came up often enough to mean something.
    EXPECT_GT(native_texts, 500);
    EXPECT_GT(lp_texts, 500);
    EXPECT_GT(mps_texts, 200);
}

// The examples in the three formats: each read without a format is the
// problem read with its own.
TEST(FormatByContent, TheExamplesReadAsTheirFormat) {
    const std::string dir = LPSENS_EXAMPLES;
    for (const char* name : {"sample", "mix", "infeasible", "unbounded", "objective_sweep", "rhs_sweep"}) {
        for (const auto& [path, format] : {std::pair<std::string, std::string>{dir + "/" + name + ".lp", "native"},
                                           {dir + "/lp-format/" + name + ".lp", "lp"},
                                           {dir + "/mps/" + name + ".mps", "mps"}}) {
            // By the content alone, as from standard input or a file of any name.
            ByteSource guessed(file_text(path)), named(file_text(path));
            const Problem a = read_problem(guessed, "");
            const Problem b = read_problem(named, format);
            EXPECT_EQ(a.native, format == "native") << path;
            EXPECT_EQ(a.title, b.title) << path;
            EXPECT_EQ(a.row_count(), b.row_count()) << path;
            EXPECT_EQ(a.column_count(), b.column_count()) << path;
        }
    }
}

TEST(CommandLine, OptionsAnywhereAndTheirErrors) {
    struct Case {
        std::vector<const char*> args;
        const char* mode;   // expected mode, or null
        bool strict, show;  // expected flags
        long max;           // expected --max-exchanges
        const char* error;  // expected error text, or null when it parses
    };
    const std::vector<Case> cases = {
        {{}, nullptr, false, false, 0, nullptr},
        {{"pv"}, "pv", false, false, 0, nullptr},
        {{"--strict", "rvz", "x"}, "rvz", true, false, 0, nullptr},  // later plain arguments are ignored
        {{"lp", "--show-checks", "--max-exchanges=5000"}, "lp", false, true, 5000, nullptr},
        {{"-x"}, nullptr, false, false, 0, "unknown option -x"},  // one dash is an option too
        {{"--strict", "--strict"}, nullptr, false, false, 0, "the option --strict is given twice"},
        {{"--bogus"}, nullptr, false, false, 0, "unknown option --bogus"},
        {{"--"}, nullptr, false, false, 0, "unknown option --"},
        {{"--strict=1"}, nullptr, false, false, 0, "the option --strict takes no value"},
        {{"--max-exchanges"}, nullptr, false, false, 0, "the option --max-exchanges needs"},
        {{"--max-exchanges=0"}, nullptr, false, false, 0, "the option --max-exchanges needs"},
        {{"--max-exchanges=-3"}, nullptr, false, false, 0, "the option --max-exchanges needs"},
        {{"--max-exchanges=99999999999999999999"}, nullptr, false, false, 0, "the option --max-exchanges needs"},
        {{"--max-exchanges", "100"}, nullptr, false, false, 0, "the option --max-exchanges needs"},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv = {"lpsens"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        std::string error;
        const auto parsed = parse_command_line(static_cast<int>(argv.size()), argv.data(), error);
        const std::string label = c.args.empty() ? "(none)" : c.args[0];
        if (c.error != nullptr) {
            EXPECT_FALSE(parsed) << label;
            EXPECT_EQ(error.rfind(c.error, 0), 0u) << label << ": " << error;
            continue;
        }
        ASSERT_TRUE(parsed) << label << ": " << error;
        EXPECT_EQ(parsed->mode == nullptr ? std::string("-") : std::string(parsed->mode),
                  c.mode == nullptr ? std::string("-") : std::string(c.mode));
        EXPECT_EQ(parsed->strict, c.strict) << label;
        EXPECT_EQ(parsed->show_checks, c.show) << label;
        EXPECT_EQ(parsed->max_exchanges, c.max) << label;
    }
}

TEST(RunMode, FirstTwoCharactersOfTheModeArgument) {
    const struct {
        const char* argument;
        RunMode mode;
    } cases[] = {{"pv", RunMode::cost_sweep}, {"pvx", RunMode::cost_sweep}, {"rv", RunMode::rhs_sweep},
                 {"rvz", RunMode::rhs_sweep}, {"PV", RunMode::ordinary},    {"p", RunMode::ordinary},
                 {"lp", RunMode::cut_names},  {"lpx", RunMode::cut_names},  {"l", RunMode::ordinary},
                 {"", RunMode::ordinary},     {nullptr, RunMode::ordinary}};
    for (const auto& c : cases) EXPECT_EQ(run_mode_of(c.argument), c.mode) << (c.argument ? c.argument : "none");
}

}  // namespace
}  // namespace lpsens
