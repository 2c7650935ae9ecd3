// The MPS and LP-format readers and the conversion: what they accept, the
// error each kind of bad input gets, and damaged files that never crash.
#include <gtest/gtest.h>

#include <random>

#include "form/documented_form.h"
#include "numeric/run_error.h"
#include "report/problem_file.h"
#include "test_support.h"

namespace lpsens {
namespace {

const char* const mps_text =
    "NAME demo\n"
    "OBJSENSE\n"
    "    MIN\n"
    "ROWS\n"
    " N  cost\n"
    " L  cap\n"
    " G  need\n"
    " E  link\n"
    "COLUMNS\n"
    "    x  cost  1  cap  1\n"
    "    x  need  1\n"
    "    y  cost  2  cap  1\n"
    "    y  link  1\n"
    "    z  cost  -1  link  1\n"
    "RHS\n"
    "    rhs  cap  10  need  2\n"
    "    rhs  cost  5\n"
    "RANGES\n"
    "    rng  cap  4\n"
    "BOUNDS\n"
    " UP bnd  x  8\n"
    " MI bnd  z\n"
    " UP bnd  z  3\n"
    " FR bnd  y\n"
    "ENDATA\n";

TEST(ModelReaders, MpsConversionByTheDocumentedRules) {
    const Problem model = read_mps(mps_text, "demo.mps");
    ASSERT_EQ(model.rows.size(), 3u);
    EXPECT_FALSE(model.maximise);
    EXPECT_EQ(model.constant, 5);
    std::vector<std::string> lines;
    const ConvertedModel c = convert_model(model, lines);
    // x >= 0 with x <= 8 (row x.ub), y free (split), z <= 3 mirrored; cap
    // ranged [6, 10] (cap.rng); min turned into max.
    const std::string text = problem_text(c.form, true);
    EXPECT_EQ(text.substr(0, text.find("\r\n", text.find("\r\n") + 2)), "demo\r\n5 4 1 2");
    EXPECT_NE(text.find("y.pos\r\ny.neg\r\nz.neg\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("cap.rng\r\n"), std::string::npos);
    EXPECT_NE(text.find("x.ub\r\n"), std::string::npos);
    EXPECT_EQ(lines.front(), "minimisation: the report shows the maximum of minus the objective");
    ASSERT_EQ(c.map.variables.size(), 3u);
    EXPECT_EQ(c.map.variables[2].sign, -1);
    EXPECT_EQ(c.map.variables[2].shift, 3);
}

TEST(ModelReaders, MpsAndLpFormatGiveTheSameReport) {
    const std::string lp =
        "\\ the same model\n"
        "Minimize\n obj: x + 2 y - z + 5\n"
        "Subject To\n cap: x + y <= 10\n cap.rng: x + y >= 6\n need: x >= 2\n link: y + z = 0\n"
        "Bounds\n x <= 8\n y free\n -inf <= z <= 3\nEnd\n";
    RunOptions mps_options, lp_options;
    mps_options.format = "mps";
    lp_options.format = "lp";
    const auto a = testing::run_text(mps_text, mps_options);
    const auto b = testing::run_text(lp, lp_options);
    ASSERT_EQ(a.exit_code, 0) << a.console;
    ASSERT_EQ(b.exit_code, 0) << b.console;
    const auto optimum = [](const std::string& out) { return out.substr(out.find("Optimal value"), 32); };
    EXPECT_EQ(optimum(a.out), optimum(b.out));
}

TEST(ModelReaders, BadInputNamesTheLineAndTheToken) {
    struct Case {
        const char* format;
        const char* text;
        const char* message;  // the explanation after "standard input:"
    };
    const std::vector<Case> cases = {
        {"mps", "NAME a\nROWS\n N c\nCOLUMNZ\nENDATA\n", "4: unknown section 'COLUMNZ'"},
        {"mps", "NAME a\nROWS\n N c\nCOLUMNS\n x r 1\nENDATA\n", "5: unknown row 'r'"},
        {"mps", "NAME a\nROWS\n N c\n L r\n L r\nENDATA\n", "5: duplicate row 'r'"},
        {"mps", "NAME a\nROWS\n N c\nCOLUMNS\n x c\nENDATA\n", "5: a COLUMNS line needs"},
        {"mps", "NAME a\nROWS\n N c\nCOLUMNS\n x c 1x\nENDATA\n", "5: '1x' is not a number"},
        {"mps", "NAME a\nROWS\n N c\nCOLUMNS\n x c 1\nBOUNDS\n UP b y 1\nENDATA\n", "7: unknown column 'y'"},
        {"mps", "NAME a\nROWS\n N c\nCOLUMNS\n x c 1\nBOUNDS\n LO b x 2\n UP b x 1\nENDATA\n",
         "column 'x' has a lower bound above its upper bound"},
        {"mps", "NAME a\nROWS\n N c\n", "the file ends without ENDATA"},
        {"lp", "Maximize\n x\nSubject To\n c: x <= \nEnd\n", "4: constraint 'c' has no right-hand side"},
        {"lp", "Maximize\n x\nSubject To\n c: x 4\nEnd\n", "constraint 'c' has no <=, >= or ="},
        {"lp", "Maximize\n x\nBounds\n y <= 4\nEnd\n", "4: bound on unknown variable 'y'"},
        {"lp", "Maximize\n x\nBounds\n 3 <= x <= 1\nEnd\n", "variable 'x' has a lower bound above its upper bound"},
        {"lp", "Subject To\n x <= 1\nEnd\n", "the file must begin with Maximize or Minimize"},
        {"lp", "Maximize\n x ^ 2\nEnd\n", "2: unexpected character '^'"},
        {"lp", "Maximize\n x\nSubject To\n c: x <= 1\n", "the file ends without End"},
        {"lp", "Maximize\n x\nSubject To\n c: x + y >= 5x5\nEnd\n",
         "4: constraint 'c': the right-hand side must be a number, not '5x5'"},
        {"lp", "Maximize\n x\nSubject To\n c: x >= y\nEnd\n", "4: constraint 'c': the right-hand side must be a number, not 'y'"},
        {"lp", "Maximize\n x\nSubject To\n x <= 4 +\n 2 * y\nEnd\n",
         "5: constraint 'c1': the right-hand side must be a number, not '2 * y'"},
        {"lp", "Maximize\n x\nSubject To\n c: x <= inf\nEnd\n", "4: constraint 'c': the right-hand side must be a number, not 'inf'"},
        {"mps", "", "standard input is empty"},
        {"lp", " \n\t\r\n", "standard input is empty"},
    };
    for (const Case& c : cases) {
        RunOptions options;
        options.format = c.format;
        const auto result = testing::run_text(c.text, options);
        EXPECT_EQ(result.exit_code, 106) << c.text;
        EXPECT_EQ(result.out.rfind("Runtime error 106 at 0001", 0), 0u) << result.out;  // nothing but the error line
        EXPECT_NE(result.console.find(c.message), std::string::npos) << c.text << "\n" << result.console;
    }
}

// Right of the operator only numbers; a constant on the left moves right.
TEST(ModelReaders, LpFormatRightHandSides) {
    struct Case {
        const char* constraints;
        std::vector<std::pair<char, Extended>> rows;  // type and right-hand side of each row
    };
    const std::vector<Case> cases = {
        {" c: x + y <= 4\n", {{'L', 4}}},
        {" c: 2 + x >= 5 - 1\n", {{'G', 2}}},
        {" c: x - 3 = -2 +\n 1\n", {{'E', 2}}},
        {" c: -x <= - 4.5\n", {{'L', -4.5L}}},
        {" c: x + y\n   <=\n 4\n", {{'L', 4}}},
        {" x <= 4\n y >= 1\n", {{'L', 4}, {'G', 1}}},  // the next constraint starts on the next line
        {" a: x <= 4 b: y >= 1e1\n", {{'L', 4}, {'G', 10}}},
    };
    for (const Case& c : cases) {
        const std::string text = std::string("Maximize\n x + y\nSubject To\n") + c.constraints + "End\n";
        const Problem model = read_lp_format(text, "model.lp");
        ASSERT_EQ(model.rows.size(), c.rows.size()) << c.constraints;
        EXPECT_EQ(model.column_count(), 2) << c.constraints;  // no variable from a right-hand side
        for (std::size_t i = 0; i < c.rows.size(); ++i) {
            EXPECT_EQ(model.rows[i].type, c.rows[i].first) << c.constraints;
            EXPECT_EQ(model.rows[i].rhs, c.rows[i].second) << c.constraints;
        }
    }
}

// The console's counts, with one of each.
TEST(ModelReaders, CountsInMessages) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"Maximize\n x\nSubject To\n c: x <= 1\nEnd\n", "conversion: 1 row and 1 variable\n"},
        {"Maximize\n x + y\nSubject To\n c: x <= 1\n d: y <= 1\nEnd\n", "conversion: 2 rows and 2 variables\n"},
        {"Maximize\n x + y\nSubject To\n c: x + y <= 4\nBounds\n x <= 3\nEnd\n",
         "conversion: 2 rows and 2 variables; 1 row added for upper bounds and ranges\n"},
        {"Maximize\n x + y\nSubject To\n c: x + y <= 4\nBounds\n x = 1\nEnd\n", "; 1 fixed variable removed\n"},
        {"Maximize\n x + y\nSubject To\n c: x + y <= 4\nBounds\n x >= 1\nEnd\n",
         "; 1 variable shifted to a lower bound of 0\n"},
        {"Maximize\n x + y\nSubject To\n c: x + y <= 4\nBounds\n -inf <= x <= 1\nEnd\n", "; 1 variable mirrored\n"},
        {"Maximize\n y - x\nSubject To\n c: x + y <= 4\n d: x - y >= -1\nBounds\n x free\nEnd\n",
         "; 1 free variable split; 1 row multiplied by -1\n"},
        {"Maximize\n x + y\nSubject To\n c: x + y <= 4\nGeneral\n x\nEnd\n",
         "warning: 1 integer variable is treated as continuous"},
        {"Maximize\n x + y\nSubject To\n c: x + y <= 4\nGeneral\n x y\nEnd\n",
         "warning: 2 integer variables are treated as continuous"},
    };
    for (const auto& [text, line] : cases) {
        RunOptions options;
        options.format = "lp";
        const auto result = testing::run_text(text, options);
        EXPECT_EQ(result.exit_code, 0) << text << result.console;
        EXPECT_NE(result.console.find(line), std::string::npos) << text << "\n" << result.console;
    }
}

// A model of n variables x1..xn, each in its own row xi <= i, maximising
// their sum, in LP format.
std::string diagonal_model(int n) {
    std::string text = "Maximize\n";
    for (int j = 1; j <= n; ++j) text += " + x" + std::to_string(j);
    text += "\nSubject To\n";
    for (int j = 1; j <= n; ++j) text += " r" + std::to_string(j) + ": x" + std::to_string(j) + " <= " + std::to_string(j) + "\n";
    return text + "End\n";
}

// Beyond 999 rows or variables: the accurate engine solves, the classic one
// and lpsens's own format refuse with both counts, the listing counts its
// codes in a larger unit and is left out past a million entries.
TEST(ModelReaders, ModelsBeyond999) {
    RunOptions options;
    options.format = "lp";
    const std::string text = diagonal_model(1001);
    const auto accurate = testing::run_text(text, options);
    ASSERT_EQ(accurate.exit_code, 0) << accurate.console;
    EXPECT_NE(accurate.out.find("Optimal value : ,     501501.000\r\n"), std::string::npos);
    // 1001 rows by 1001 columns: the listing is left out, and the console says how to ask.
    EXPECT_EQ(accurate.out.find("   0,Profit coefficient,"), std::string::npos);
    EXPECT_NE(accurate.console.find("lpsens: the tableau listing (1001 rows by 1001 columns) is left out; --listing writes it\n"),
              std::string::npos)
        << accurate.console;

    RunOptions classic = options;
    classic.classic = true;
    const auto refused = testing::run_text(text, classic);
    EXPECT_EQ(refused.exit_code, 106);
    EXPECT_NE(refused.console.find("after conversion the problem has 1001 rows and 1001 variables; the classic engine "
                                   "takes at most 999 rows and 999 variables"),
              std::string::npos)
        << refused.console;

    // Three rows and 1000 variables: 3000 entries, listed, the codes in units of 10000.
    std::string wide = "Maximize\n x1 + x2 + x1000\nSubject To\n a: x1 + x2 <= 4\n b: x1000 <= 3\n c:";
    for (int j = 1; j <= 1000; ++j) wide += " + x" + std::to_string(j);
    wide += " <= 10\nEnd\n";
    const auto listed = testing::run_text(wide, options);
    ASSERT_EQ(listed.exit_code, 0) << listed.console;
    EXPECT_NE(listed.out.find("   0,Profit coefficient,"), std::string::npos);
    EXPECT_NE(listed.out.find("     10001"), std::string::npos) << "the slacks of rows 1 and 2 are 10001 and 10002";
    EXPECT_NE(listed.out.find("     10002"), std::string::npos);
    EXPECT_EQ(listed.out.find("      1001,"), std::string::npos);
}

TEST(ModelReaders, AnEmptyFileSaysSo) {
    for (const auto& [name, read] : {std::pair{"empty.mps", &read_mps}, {"empty.lp", &read_lp_format}}) {
        try {
            (void)read("", name);
            ADD_FAILURE() << name;
        } catch (const RunError& e) {
            EXPECT_EQ(e.code(), 106);
            EXPECT_EQ(e.explanation(), std::string(name) + ": the file is empty");
        }
    }
}

TEST(ModelReaders, DamagedFilesNeverCrash) {
    const std::string lp = "Maximize\n obj: 3 x + 2 y\nSubject To\n a: x + y <= 4\n b: x + 3 y >= 2\n"
                           "Bounds\n x <= 3\n -1 <= y <= 5\nGeneral\n y\nEnd\n";
    const char alphabet[] = " \n:+-<=>.0123456789eExyzabNR\\";
    std::mt19937 rng(5);
    for (int n = 0; n < 2000; ++n) {
        const bool mps = n % 2 == 0;
        std::string text = mps ? std::string(mps_text) : lp;
        for (int k = 0, edits = 1 + static_cast<int>(rng() % 3); k < edits; ++k) {
            const std::size_t at = rng() % text.size();
            switch (rng() % 3) {
                case 0: text[at] = alphabet[rng() % (sizeof alphabet - 1)]; break;
                case 1: text.erase(at, 1 + rng() % 4); break;
                default: text.insert(at, 1, alphabet[rng() % (sizeof alphabet - 1)]);
            }
            if (text.empty()) text = "x";
        }
        RunOptions options;
        options.format = mps ? "mps" : "lp";
        options.accurate = n % 4 < 2;
        const auto result = testing::run_text(text, options);
        ASSERT_TRUE(result.exit_code == 0 || result.exit_code == 106 || result.exit_code == 205)
            << result.exit_code << "\n" << text;
    }
}

}  // namespace
}  // namespace lpsens
