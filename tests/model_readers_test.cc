// The MPS and LP-format readers and the conversion: what they accept, the
// error each kind of bad input gets, and damaged files that never crash.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <random>

#include "form/documented_form.h"
#include "numeric/run_error.h"
#include "report/problem_file.h"
#include "run_support.h"
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
        const char* message;  // the explanation after "standard input:" when it begins with the line
    };
    const std::vector<Case> cases = {
        {"mps", "NAME a\nROWS\n N c\nCOLUMNZ\nENDATA\n", "4: unknown section 'COLUMNZ'"},
        {"mps", "NAME a\nROWS\n N c\nCOLUMNS\n x r 1\nENDATA\n", "5: unknown row 'r'"},
        {"mps", "NAME a\nROWS\n N c\n L r\n L r\nENDATA\n", "5: duplicate row 'r'"},
        {"mps", "NAME a\nROWS\n N c\nCOLUMNS\n x c\nENDATA\n", "5: a COLUMNS line needs"},
        {"mps", "NAME a\nROWS\n N c\nCOLUMNS\n x c 1x\nENDATA\n", "5: '1x' is not a number"},
        {"mps", "NAME a\nROWS\n N c\nCOLUMNS\n x c 1\nBOUNDS\n UP b y 1\nENDATA\n", "7: unknown column 'y'"},
        {"mps", "NAME a\nROWS\n N c\nCOLUMNS\n x c 1\nBOUNDS\n LO b x 2\n UP b x 1\nENDATA\n",
         "8: column 'x' has a lower bound above its upper bound"},
        {"mps", "NAME a\nROWS\n N c\n", "3: the file ends without ENDATA"},
        // Read again in fixed format, the line has no field at all.
        {"mps", "NAME a\nBOUNDS\n   ?\nENDATA\n", "3: a ? bound needs a column and a number"},
        {"lp", "Maximize\n x\nSubject To\n c: x <= \nEnd\n", "4: constraint 'c' has no right-hand side"},
        {"lp", "Maximize\n x\nSubject To\n c: x 4\nEnd\n", "4: constraint 'c' has no <=, >= or ="},
        {"lp", "Maximize\n x\nBounds\n y <= 4\nEnd\n", "4: bound on unknown variable 'y'"},
        {"lp", "Maximize\n x\nBounds\n 3 <= x <= 1\nEnd\n", "4: variable 'x' has a lower bound above its upper bound"},
        {"lp", "Subject To\n x <= 1\nEnd\n", "1: the file must begin with Maximize or Minimize"},
        {"lp", "Maximize\n x ^ 2\nEnd\n", "2: unexpected character '^'"},
        {"lp", "Maximize\n x\nSubject To\n c: x <= 1\n", "4: the file ends without End"},
        {"lp", "Maximize\n x\nSubject To\n c: x + y >= 5x5\nEnd\n",
         "4: constraint 'c': the right-hand side must be a number, not '5x5'"},
        {"lp", "Maximize\n x\nSubject To\n c: x >= y\nEnd\n", "4: constraint 'c': the right-hand side must be a number, not 'y'"},
        {"lp", "Maximize\n x\nSubject To\n x <= 4 +\n 2 * y\nEnd\n",
         "5: constraint 'c1': the right-hand side must be a number, not '2 * y'"},
        {"lp", "Maximize\n x\nSubject To\n c: x <= inf\nEnd\n", "4: constraint 'c': the right-hand side must be a number, not 'inf'"},
        {"mps", "", "standard input is empty"},
        {"lp", " \n\t\r\n", "standard input is empty"},
        {"mps", "\xEF\xBB\xBF \n\x01\n", "standard input is empty"},
        {"lp", "\xEF\xBB\xBF", "standard input is empty"},
        // What peers refuse: each names the line and the name.
        {"mps", "NAME a\nROWS\n N c\n L r\nCOLUMNS\n x r 3\n x r 5\nENDATA\n",
         "7: column 'x' has a second entry in row 'r'"},
        {"mps", "NAME a\nROWS\n N c\n L r\nCOLUMNS\n x r 3 r 5\nENDATA\n", "6: column 'x' has a second entry in row 'r'"},
        {"mps", "NAME a\nROWS\n N c\n L r\nCOLUMNS\n x c 1 r 5\n x c 2\nENDATA\n",
         "7: column 'x' has a second entry in row 'c'"},
        // Free rows beyond the objective are dropped, each still its own row.
        {"mps", "NAME a\nROWS\n N c\n N d\n N e\n L r\nCOLUMNS\n x d 1 e 2\n x r 1\n y d 4\n y d 3\nENDATA\n",
         "11: column 'y' has a second entry in row 'd'"},
        {"mps", "NAME a\nROWS\n N c\n L r\nCOLUMNS\n x r 3\n y r 1\n x c 5\nENDATA\n",
         "8: column 'x' appears again after column 'y'; the entries of a column must stand together"},
        {"mps", "NAME a\nROWS\n N c\n L r\n G r\nENDATA\n", "5: duplicate row 'r'"},
        {"mps", "NAME a\nROWS\n N c\n L r\n N c\nENDATA\n", "5: duplicate row 'c'"},
        {"mps", "NAME a\nROWS\n N c\n L r\nCOLUMNS\n x r 1\nRHS\n b r 4\n b r 5\nENDATA\n",
         "9: RHS set 'b': row 'r' is given twice"},
        {"mps", "NAME a\nROWS\n N c\n L r\nCOLUMNS\n x r 1\nRHS\n r 4 r 5\nENDATA\n", "8: RHS: row 'r' is given twice"},
        {"mps", "NAME a\nROWS\n N c\n L r\nCOLUMNS\n x r 1\nRANGES\n b r 4\n b r 4\nENDATA\n",
         "9: RANGES set 'b': row 'r' is given twice"},
        {"mps", "NAME a\nROWS\n N c\n L r\nCOLUMNS\n x r 1\nBOUNDS\n UP b x 4\n UP b x 5\nENDATA\n",
         "9: column 'x' has a second UP bound in set 'b'"},
        {"mps", "NAME a\nROWS\n N c\n L r\nCOLUMNS\n x r 1\nBOUNDS\n FR x\n FR x\nENDATA\n",
         "9: column 'x' has a second FR bound"},
        {"mps", "NAME a\nOBJSENSE MAXX\nROWS\n N c\nENDATA\n", "2: unknown objective sense 'MAXX'"},
        {"mps", "NAME a\nOBJSENSE\n    MAXX\nROWS\n N c\nENDATA\n", "3: unknown objective sense 'MAXX'"},
        {"mps", "NAME a\nOBJSENSE\n    MAX MIN\nROWS\n N c\nENDATA\n", "3: unknown objective sense 'MAX MIN'"},
        {"mps", "NAME a\nOBJSENSE MIN MAX\nROWS\n N c\nENDATA\n", "2: OBJSENSE takes one word, MAX or MIN"},
        {"mps", "NAME a\nOBJSENSE FOO\nROWS\n N c\nENDATA\n", "2: unknown objective sense 'FOO'"},
        {"mps", "NAME a\nROWS\n N c\nCOLUMNS\n x c 1\nBOUNDS\n LO b x 1e30\nENDATA\n",
         "7: column 'x' has a lower bound of 1e30 or more"},
        {"mps", "NAME a\nROWS\n N c\nCOLUMNS\n x c 1\nBOUNDS\n FX b x -2e30\nENDATA\n",
         "7: column 'x' has an upper bound of -1e30 or less"},
        {"lp", "Maximize\n x\nSubject To\n c1: x <= 4\n c1: x >= 1\nEnd\n", "5: constraint 'c1' is given twice (first on line 4)"},
        {"lp", "Maximize\n x\nSubject To\n x <= 4\n c1: x >= 1\nEnd\n",
         "5: constraint 'c1' is given twice (first on line 4); unnamed constraints are called c1, c2, ..."},
        {"lp", "Maximize\n x\nSubject To\n c2: x <= 4\n x >= 1\nEnd\n",
         "5: constraint 'c2' is given twice (first on line 4); unnamed constraints are called c1, c2, ..."},
        {"lp", "Maximize\n x\nSubject To\n r: 1 <= x >= 0\nEnd\n",
         "4: constraint 'r': a double inequality needs <= on both sides or >= on both sides"},
        {"lp", "Maximize\n x\nSubject To\n r: 1 = x = 1\nEnd\n",
         "4: constraint 'r': a double inequality needs <= on both sides or >= on both sides"},
        {"lp", "Maximize\n x\nSubject To\n r: 3 <= x <= 1\nEnd\n", "4: constraint 'r': the lower limit is above the upper one"},
        {"lp", "Maximize\n x\nSubject To\n r: -1e30 <= x <= 1e30\nEnd\n", "4: constraint 'r': both limits are infinite"},
        {"lp", "Maximize\n x\nSubject To\n r: 1e30 <= x <= 2e30\nEnd\n",
         "4: constraint 'r': a limit of 1e30 or more in magnitude stands on the wrong side"},
        {"lp", "Maximize\n x\nSubject To\n r: 1 <= x <= 2 + y\nEnd\n",
         "4: constraint 'r': the right-hand side must be a number, not 'y'"},
        {"lp", "Maximize\n x\nSubject To\n c: x <= 4\nSemi-continuous\n x\nEnd\n",
         "5: the section 'Semi-continuous' is not supported"},
        {"lp", "Maximize\n x\nSubject To\n c: x <= 4\nsemis\n x\nEnd\n", "5: the section 'semis' is not supported"},
        {"lp", "Maximize\n x\nSubject To\n c: x <= 4\nSEMI\n x\nEnd\n", "5: the section 'SEMI' is not supported"},
        {"lp", "Maximize\n x\nSubject To\n c: x + y <= 4\nSOS\n s1: S1:: x:1 y:2\nEnd\n",
         "5: the section 'SOS' is not supported"},
        {"lp", "Maximize\n x\nSubject To\n c: x <= 4\nBounds\n x <= 3\nPWL\n p: y = x 1 (0, 0) 1\nEnd\n",
         "7: the section 'PWL' is not supported"},
        {"lp", "Maximize\n x\nSubject To\n c: x <= 4\nPWLObj\n x: (0, 0) (1, 1)\nEnd\n", "5: the section 'PWLObj' is not supported"},
        {"lp", "Maximize\n x\nSubject To\n c: x <= 4\nGeneral Constraints\n g: x = MAX ( y )\nEnd\n",
         "5: the section 'General Constraints' is not supported"},
        {"lp", "Maximize\n x\nSubject To\n c: x <= 4\nGen Cons\nEnd\n", "5: the section 'Gen Cons' is not supported"},
        {"lp", "Maximize\n x\nSubject To\n c: x <= 4\nLazy Constraints\n l: x <= 3\nEnd\n",
         "5: the section 'Lazy Constraints' is not supported"},
        {"lp", "Maximize\n x\nSubject To\n c: x <= 4\nUser Cuts\n u: x <= 3\nEnd\n", "5: the section 'User Cuts' is not supported"},
        {"lp", "Minimize multi-objectives\n o: Priority=1 Weight=1\n x\nEnd\n",
         "1: the section 'Minimize multi-objectives' is not supported"},
        {"lp", "Maximize\n x\nBounds\n x >= 1e30\nEnd\n", "4: variable 'x' has a lower bound of 1e30 or more"},
    };
    for (const Case& c : cases) {
        RunOptions options;
        options.format = c.format;
        const auto result = testing::run_text(c.text, options);
        EXPECT_EQ(result.exit_code, 106) << c.text;
        EXPECT_EQ(result.out.rfind("Runtime error 106 at 0001", 0), 0u) << result.out;  // nothing but the error line
        const std::string where = std::isdigit(static_cast<unsigned char>(c.message[0])) ? "standard input:" : "";
        EXPECT_NE(result.console.find("lpsens: " + where + c.message), std::string::npos)
            << c.text << "\n" << result.console;
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

// What the readers take that they refused or misread before: double
// inequalities, bounds of 1e30 and beyond, a byte-order mark, objective senses
// spelt out, a constraint that happens to be called like a section.
TEST(ModelReaders, RangedRowsInfiniteBoundsAndWhatStaysAccepted) {
    const Extended inf = model_infinity;
    struct Row {
        char type;
        Extended rhs;
        bool ranged;
        Extended range;
    };
    struct Case {
        const char* format;
        std::string text;
        std::vector<Row> rows;
        Extended lower, upper;  // of the first column
        bool maximise;
    };
    const std::string lp_head = "Maximize\n x + z\nSubject To\n";
    const std::string mps_head = "NAME a\nROWS\n N c\n L r\nCOLUMNS\n x c 1 r 1\n";
    const std::vector<Case> cases = {
        {"lp", lp_head + " r3: -2 <= x - z <= 3\nEnd\n", {{'L', 3, true, 5}}, 0, inf, true},
        {"lp", lp_head + " r3: 3 >= x - z >= -2\nEnd\n", {{'L', 3, true, 5}}, 0, inf, true},
        {"lp", lp_head + " r3: -2 <= x - z + 1 <= 3\nEnd\n", {{'L', 2, true, 5}}, 0, inf, true},  // constants move out
        {"lp", lp_head + " r3: - 2 =< x - z =< + 3\nEnd\n", {{'L', 3, true, 5}}, 0, inf, true},
        {"lp", lp_head + " 1 <= x <= 1\nEnd\n", {{'E', 1, false, 0}}, 0, inf, true},
        {"lp", lp_head + " -1e30 <= x - z <= 3\nEnd\n", {{'L', 3, false, 0}}, 0, inf, true},
        {"lp", lp_head + " -2 <= x - z <= 1e30\nEnd\n", {{'G', -2, false, 0}}, 0, inf, true},
        {"lp", lp_head + " -2 <= x - z <= 3 c2: x <= 4\nEnd\n", {{'L', 3, true, 5}, {'L', 4, false, 0}}, 0, inf, true},
        {"lp", lp_head + " c: 2 <= 3\nEnd\n", {{'L', 1, false, 0}}, 0, inf, true},  // no variable: an ordinary row
        {"lp", lp_head + " c: x <= 4\nBounds\n x <= 1e30\nEnd\n", {{'L', 4, false, 0}}, 0, inf, true},
        {"lp", lp_head + " c: x <= 4\nBounds\n x >= -1e30\nEnd\n", {{'L', 4, false, 0}}, -inf, inf, true},
        {"lp", lp_head + " c: x <= 4\nBounds\n -1e31 <= x <= 1e30\nEnd\n", {{'L', 4, false, 0}}, -inf, inf, true},
        {"lp", lp_head + " c: x <= 4\nBounds\n x >= -9.9e29\n x <= 9.9e29\nEnd\n", {{'L', 4, false, 0}}, -9.9e29L, 9.9e29L, true},
        {"lp", lp_head + " c: x <= 4\nBounds\n x >= 1\n x <= 3\n x >= 2\nEnd\n", {{'L', 4, false, 0}}, 2, 3, true},
        {"lp", "\xEF\xBB\xBF" + lp_head + " c: x <= 4\nEnd\n", {{'L', 4, false, 0}}, 0, inf, true},
        {"lp", lp_head + " sos: x <= 4\n semi: z <= 1\nEnd\n", {{'L', 4, false, 0}, {'L', 1, false, 0}}, 0, inf, true},
        {"mps", "\xEF\xBB\xBF" + mps_head + "ENDATA\n", {{'L', 0, false, 0}}, 0, inf, false},
        {"mps", "NAME a\nOBJSENSE\n  MAXIMIZE\n" + mps_head.substr(7) + "ENDATA\n", {{'L', 0, false, 0}}, 0, inf, true},
        {"mps", "NAME a\nOBJSENSE max\n" + mps_head.substr(7) + "ENDATA\n", {{'L', 0, false, 0}}, 0, inf, true},
        {"mps", "NAME a\nOBJSENSE MINIMISE\n" + mps_head.substr(7) + "ENDATA\n", {{'L', 0, false, 0}}, 0, inf, false},
        {"mps", mps_head + "BOUNDS\n UP b x 4\n LO b x 1\n UP c x 5\nENDATA\n", {{'L', 0, false, 0}}, 1, 5, false},
        {"mps", mps_head + "BOUNDS\n UP b x 1e30\n LO b x -1e30\nENDATA\n", {{'L', 0, false, 0}}, -inf, inf, false},
        {"mps", mps_head + "RHS\n b r 4\n c r 5\nENDATA\n", {{'L', 5, false, 0}}, 0, inf, false},  // a second set
    };
    for (const Case& c : cases) {
        const Problem model = c.format == std::string("lp") ? read_lp_format(c.text, "model.lp") : read_mps(c.text, "m.mps");
        ASSERT_EQ(model.rows.size(), c.rows.size()) << c.text;
        for (std::size_t i = 0; i < c.rows.size(); ++i) {
            EXPECT_EQ(model.rows[i].type, c.rows[i].type) << c.text;
            EXPECT_EQ(model.rows[i].rhs, c.rows[i].rhs) << c.text;
            EXPECT_EQ(model.rows[i].ranged, c.rows[i].ranged) << c.text;
            EXPECT_EQ(model.rows[i].range, c.rows[i].range) << c.text;
        }
        EXPECT_EQ(model.columns[0].lower, c.lower) << c.text;
        EXPECT_EQ(model.columns[0].upper, c.upper) << c.text;
        EXPECT_EQ(model.maximise, c.maximise) << c.text;
    }
}

double printed_optimum(const std::string& out) {
    const auto at = out.find("Optimal value : ,");
    return at == std::string::npos ? NAN : std::strtod(out.c_str() + at + 17, nullptr);
}

// Double inequalities in random LP-format models, either way round and with
// constants among the terms, solved by both engines and judged by the best
// vertex of the region they bound.
TEST(ModelReaders, DoubleInequalitiesReachTheBestVertex) {
    std::mt19937 rng(22);
    int feasible = 0, infeasible = 0;
    for (int trial = 0; trial < 300; ++trial) {
        const int n = 1 + static_cast<int>(rng() % 3), m = 1 + static_cast<int>(rng() % 3);
        testing::Polyhedron poly;
        poly.n = n;
        std::vector<long double> cost;
        std::string text = "Maximize\n obj:";
        for (int j = 0; j < n; ++j) {
            cost.push_back(static_cast<int>(rng() % 11) - 5);
            text += " + " + std::to_string(static_cast<int>(cost.back())) + " x" + std::to_string(j);
        }
        text += "\nSubject To\n";
        for (int i = 0; i < m; ++i) {
            std::vector<long double> a;
            std::string terms;
            for (int j = 0; j < n; ++j) {
                a.push_back(static_cast<int>(rng() % 9) - 4);
                terms += " + " + std::to_string(static_cast<int>(a.back())) + " x" + std::to_string(j);
            }
            const int constant = static_cast<int>(rng() % 5) - 2;
            const int low = static_cast<int>(rng() % 13) - 6, high = low + static_cast<int>(rng() % 8);
            const std::string mid = terms + " + " + std::to_string(constant);
            if (rng() % 2 == 0)
                text += " r" + std::to_string(i) + ": " + std::to_string(low) + " <=" + mid + " <= " + std::to_string(high) + "\n";
            else
                text += " r" + std::to_string(i) + ": " + std::to_string(high) + " >=" + mid + " >= " + std::to_string(low) + "\n";
            poly.add_range(a, low - constant, high - constant);
        }
        text += "Bounds\n";
        for (int j = 0; j < n; ++j) {
            // A box keeps every model bounded; 1e30 and beyond are no bounds.
            text += " -10 <= x" + std::to_string(j) + " <= 10\n x" + std::to_string(j) + " <= 1e30\n";
            std::vector<long double> unit(static_cast<std::size_t>(n), 0);
            unit[static_cast<std::size_t>(j)] = 1;
            poly.add_range(unit, -10, HUGE_VALL);
            poly.add_range(unit, -HUGE_VALL, 10);
        }
        text += "End\n";
        // The box's upper side is gone, so it comes back as rows.
        text.insert(text.find("Bounds\n"), [&] {
            std::string rows;
            for (int j = 0; j < n; ++j) rows += " box" + std::to_string(j) + ": x" + std::to_string(j) + " <= 10\n";
            return rows;
        }());
        const auto expected = best_vertex(poly, cost);
        for (const bool accurate : {true, false}) {
            RunOptions options;
            options.accurate = accurate;
            options.classic = !accurate;
            const auto result = testing::run_text(text, options);
            ASSERT_EQ(result.exit_code, 0) << text << result.console;
            if (!expected) {
                EXPECT_EQ(result.out, "No feasible solution\r\n") << text;
                infeasible += accurate;
                continue;
            }
            EXPECT_NEAR(printed_optimum(result.out), static_cast<double>(*expected), 0.0015) << text << result.out;
            feasible += accurate;
        }
    }
    EXPECT_GT(feasible, 100);
    EXPECT_GT(infeasible, 10);
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
