// The problem reader: integer and value tokens, name lines, line ends, the
// end of input, and the checks that keep bad input out.
#include <gtest/gtest.h>

#include <random>

#include "form/documented_form.h"
#include "model/native_reader.h"
#include "form_support.h"
#include "test_support.h"

namespace lpsens {
namespace {

using testing::hex_bytes;
using testing::lines;

// A problem text read into the documented form, with its values as the
// tableau is loaded with them: narrowed to the stored format, row 0 the
// objective (its column 0 the constant), column 0 the right-hand sides.
struct Read {
    explicit Read(const std::string& text) : form(testing::read_form(text)) {}
    StoredReal stored(int i, int j) const {
        if (i == 0) return narrowed(j == 0 ? form.constant() : form.cost(j));
        if (j == 0) return narrowed(form.rhs(i));
        Extended value = 0;
        form.for_each_entry(j, [&](int row, Extended a) {
            if (row == i) value = a;
        });
        return narrowed(value);
    }
    DocumentedForm form;
};

TEST(ParseInteger, Syntax) {
    const struct {
        const char* token;
        bool valid;
        std::int32_t value;
    } cases[] = {
        {"0", true, 0},           {"+5", true, 5},
        {"-5", true, -5},         {"007", true, 7},
        {"2147483647", true, 2147483647},
        {"-2147483647", true, -2147483647},
        {"2147483648", false, 0},  // beyond the range
        {"-2147483648", false, 0},
        {"$FF", true, 255},       {"$ff", true, 255},
        {"$FFFFFFFF", true, -1},  // two's complement
        {"$80000000", true, static_cast<std::int32_t>(0x80000000u)},
        {"$000000001", true, 1},
        {"$100000000", false, 0},  // does not fit in 32 bits
        {"$", false, 0},          {"+", false, 0},
        {"-", false, 0},          {"-$5", false, 0},
        {"+$5", false, 0},        {"1a", false, 0},
        {"$G", false, 0},         {"1.0", false, 0},
        {"", true, 0},  // end of input
    };
    for (const auto& c : cases) {
        const auto parsed = parse_integer(c.token);
        EXPECT_EQ(parsed.has_value(), c.valid) << c.token;
        if (parsed) {
            EXPECT_EQ(*parsed, c.value) << c.token;
        }
    }
}

TEST(ParseValue, Syntax) {
    const struct {
        const char* token;
        bool valid;
        Extended value;
    } cases[] = {
        {"2.5", true, 2.5L},  {"-2.5", true, -2.5L}, {"+2.5", true, 2.5L},  {"2.", true, 2.0L},
        {".5", true, 0.5L},   {"1E+2", true, 100.0L}, {"1e-2", true, 0.01L}, {"15E1", true, 150.0L},
        {".", true, 0.0L},    {"+.", true, 0.0L},     {"-.", true, 0.0L},    {"E5", true, 0.0L},
        {"-E5", true, 0.0L},  {".e-3", true, 0.0L},   {"0e999999", true, 0.0L},
        {"", true, 0.0L},
        {"+", false, 0},      {"-", false, 0},        {"e", false, 0},       {"1e", false, 0},
        {"1e+", false, 0},    {"1,5", false, 0},      {"2.5x", false, 0},    {"abc", false, 0},
        {"1..2", false, 0},   {"1e5.0", false, 0},    {"--1", false, 0},     {"0x10", false, 0},
        {"inf", false, 0},    {"nan", false, 0},      {"9e99999x", false, 0},
    };
    for (const auto& c : cases) {
        const auto parsed = parse_value(c.token);
        EXPECT_EQ(parsed.has_value(), c.valid) << c.token;
        if (parsed && c.valid) {
            EXPECT_EQ(*parsed, c.value) << c.token;
        }
    }
}

// Exact decimal values rounded to extended, then stored.  The rows come from
// tests/tools/decimal_vectors.py, which computes them with exact fractions.
TEST(ParseValue, StoredBytesMatchExactReference) {
    const struct {
        const char* token;
        const char* bytes;
    } cases[] = {
        {"0.1", "7D CD CC CC CC 4C"},
        {"0.2", "7E CD CC CC CC 4C"},
        {"0.3", "7F 9A 99 99 99 19"},
        {"1.1", "81 CD CC CC CC 0C"},
        {"3.14159265358979323846", "82 21 A2 DA 0F 49"},
        {"2.5", "82 00 00 00 00 20"},
        {"-7.25", "83 00 00 00 00 E8"},
        {"1e38", "FF B5 50 99 76 16"},
        {"1.7014118346e38", "FF FD FF FF FF 7F"},
        {"1.70141183460469231e38", "overflow"},
        {"1.8e38", "overflow"},
        {"1e-38", "02 54 ED DC C7 59"},
        {"2.9387358770557188e-39", "01 00 00 00 00 00"},
        {"2.938735877e-39", "00 00 00 00 00 00"},
        {"1e-40", "00 00 00 00 00 00"},
        {"123456789012345678901234567890", "E1 62 FB 87 74 47"},
        {"0.000001", "6D AF 05 BD 37 06"},
        {"9e30", "E7 A5 06 23 31 63"},
        {"0.00001", "70 1B 47 AC C5 27"},
        {"0.99999", "80 54 3A 58 FF 7F"},
        {"0.00002", "71 1B 47 AC C5 27"},
        {"1234.5678", "8B E8 6A 2B 52 1A"},
        {"-0.0", "00 00 00 00 00 00"},
        {"1E+2", "87 00 00 00 00 48"},
        {"1.5e-5", "70 A9 6A 82 A8 7B"},
        {"65536.000001", "91 08 00 00 00 00"},
        {"4503599627370497.5", "B5 00 00 00 00 00"},
        {"0.30000000000000000000000000000000000000000000000000000000000001", "7F 9A 99 99 99 19"},
        {"10000000000000000000000000000000000000000", "overflow"},
        {".0000000000000000000000000000001", "1A 4B 2C B3 CE 01"},
        {"12.254e-35", "10 A1 84 33 E2 22"},
        {"288.30366233e31", "F0 13 C0 09 25 0E"},
        {"7462494.401919210e40", "overflow"},
        {"-6.", "83 00 00 00 00 C0"},
        {".872e-4", "73 25 BE 24 DF 36"},
        {"210.94983951241642296e14", "B7 EA 61 8D E3 15"},
        {"-5.88202", "83 CD 01 82 39 BC"},
        {"-6.29238485950945626790", "83 2E 7E 37 5B C9"},
        {"1348.84767626073091939e7", "A2 A7 96 74 FE 48"},
        {"5521.8505", "8D F2 D2 CD 8E 2C"},
        {"-451460012.51171616968597", "9D 18 64 DD 45 D7"},
        {"-54.15e37", "overflow"},
        {"6.5", "83 00 00 00 00 50"},
        {"0871008.331535e13", "BF 2F 41 DD C0 71"},
        {"-4.8543634076565e4", "90 D7 52 A2 9F BD"},
        {"300.2e-12", "61 77 DD 64 09 25"},
        {"16909.8e-5", "7E 47 AF 06 28 2D"},
        {"-.1330", "7E 79 E9 26 31 88"},
        {"3709360572980896414.9135e-26", "68 15 CF D9 50 1F"},
        {"2626199560890672.", "B4 FB BE 3B 48 15"},
        {"-57895895.76e39", "overflow"},
        {"-3.453113543e3", "8C 77 12 D1 D1 D7"},
        {"948378366821264245.28647e22", "overflow"},
        {"186.411516e-40", "03 24 4E F2 FB 4A"},
        {"-7153884240903.222693171e-40", "26 A5 44 34 B7 E2"},
        {"6.208564682039", "83 0F D7 8F AC 46"},
        {"259.9623388087685694648343", "89 08 EB 2D FB 01"},
        {"890559983393866.13281102", "B2 87 DD 69 7D 4A"},
        {"36.75053", "86 B3 EF 8A 00 13"},
        {"45285722528931.2758e15", "E0 6C C1 78 53 12"},
        {"38473356485704676.07610e34", "overflow"},
        {"1763.5", "8B 00 00 00 70 5C"},
        {"3190.187", "8C B6 F3 FD 62 47"},
        {"27576.448", "8F 42 60 E5 70 57"},
        {"6.4323", "83 42 CF 66 D5 4D"},
        {"4.89", "83 AE 47 E1 7A 1C"},
        {".71e30", "E4 34 C2 23 62 0F"},
        {"5.29e-39", "01 BE 96 78 69 66"},
        {"9911723.", "98 00 00 AB 3D 17"},
        {"2292271563542658706.0323", "BD 8E BC 46 7E 7E"},
        {"65576.1788218", "91 A2 E3 16 14 00"},
        {"07146417426981.6466746", "AB 45 82 F5 FC 4F"},
        {"42033.4e25", "E3 CF 56 84 C5 29"},
        {"74.", "87 00 00 00 00 14"},
        {"-43531528733854917761713.", "CC 78 19 95 7D 93"},
        {"5.97", "83 A4 70 3D 0A 3F"},
        {"-83767.8061955097739639e-4", "84 6C 1D 4B 07 86"},
        {"0.078", "7D B4 C8 76 BE 1F"},
        {"-3.936", "82 44 8B 6C E7 FB"},
        {"-852604926.82323718336416e-2", "98 AB 44 E1 18 82"},
        {"-0279965.445", "93 71 3D AE B3 88"},
        {"3440275628198127.569050", "B4 F9 6B 99 8E 43"},
        {"3.e-8", "68 23 4D 59 D9 00"},
        {"8.e-4", "76 E2 58 17 B7 51"},
        {"-.063247186691e40", "overflow"},
        {".46783755707e30", "E3 69 06 45 F5 3C"},
        {"-70448688406845253.800", "B8 62 77 B5 48 FA"},
        {".3812541471453665e-11", "5B 6B 19 52 24 06"},
        {"8346.e-45", "00 00 00 00 00 00"},
        {"-364442098826251242.25", "BB 38 0E 45 D8 A1"},
        {"37039486489378896681295.3e8", "E6 97 0C 6A 00 3B"},
        {".9e15", "B2 10 13 E5 A2 4C"},
        {"-.124128353", "7D 21 85 01 37 FE"},
        {"9328543.3978e32", "overflow"},
        {".55222496249199", "80 F0 79 9D 5E 0D"},
        {"45820064722151062792.", "C2 61 86 64 F8 1E"},
        {"58.32e16", "BC 10 F6 14 7F 01"},
        {"0.24780", "7E CC 7F 48 BF 7D"},
        {"-69348.", "91 00 00 00 72 87"},
        {".103", "7D E7 FB A9 F1 52"},
        {"-2414.859796546043", "8C 06 BA C1 ED 96"},
        {"640904526394936455.0315e-22", "73 02 BD 4C 68 06"},
        {"2425021.44084139876802e-40", "11 A9 0E 9A 2B 21"},
        {".95992", "80 C7 2E 51 BD 75"},
        {"2571471391.46446e7", "B7 C4 C8 CA B6 36"},
        {"2006683933769466.e-16", "7E 94 EB 03 7C 4D"},
        {"-81231586446242.76838e-7", "97 0C 4A 2D E6 F7"},
        {"19.5688283e-5", "74 40 69 AC 31 4D"},
        {"-5575.23768714152920708", "8D 84 C8 E6 39 AE"},
        {"-2771.39751", "8C 72 33 5C 36 AD"},
        {"-32345701551650310474.667e21", "overflow"},
        {"2787691386068048.879283", "B4 F6 AC 3F 76 1E"},
        {"-2183676.7", "96 CD CC F2 47 85"},
        {".151754", "7E 26 8C 66 65 1B"},
        {"6970761678493.08228310088", "AB D4 C1 38 E0 4A"},
        {".8965193675792", "80 FC 13 4B 82 65"},
        {"0819580408465182.03", "B2 22 C7 DB 59 3A"},
        {"-812.e31", "F1 F7 86 67 2C C8"},
        {".75", "80 00 00 00 00 40"},
        {"527511583.7933e30", "overflow"},
        {"562543236.4078", "9E A2 11 EA 1E 06"},
        {"52.9414e-18", "4A BD 58 2C 26 74"},
        {"665252261651147.053", "B2 79 2F C7 42 17"},
        {"-494455822155711.4431837e-7", "9A CC 8D B3 9E BC"},
        {"-1381983009869.004106921893", "A9 27 9E 4D E2 A0"},
        {"7233565570573233.713", "B5 59 D2 1D 97 4D"},
        {".8e21", "C6 AC C5 EB 78 2D"},
        {"06.82855446", "83 95 A4 84 83 5A"},
        {"-92026635042528969154.95", "C3 C8 1F 09 A4 9F"},
        {".2608e-29", "1E B8 73 0A 96 53"},
        {"15919517777235.444786046", "AC D5 3B D3 A8 67"},
        {"4492033565257688.9942e-44", "22 AF EE ED C5 63"},
        {"304.", "89 00 00 00 00 18"},
        {"81.e34", "F8 E8 54 15 00 1C"},
        {"-15.296070", "84 75 E5 B3 BC F4"},
        {"988370848813152.2054817e-17", "7A 10 2E 47 EF 21"},
        {"981889867.454344148561e13", "CA 70 E8 25 12 05"},
        {"39354093527387307073174.28", "CC 44 26 3C 56 05"},
        {"63.", "86 00 00 00 00 7C"},
        {"97202056.8743222374957e-12", "73 DE F8 F4 D8 4B"},
        {"97.71", "87 B8 1E 85 6B 43"},
        {"89029921910.11", "A5 B1 63 C6 D4 25"},
        {"9.3593404189443", "84 38 BD DB BF 15"},
        {"851050576949655359.669994e-2", "B5 FF 49 14 E2 71"},
        {"-19118416.65396e35", "overflow"},
        {"4.1e6", "96 00 00 80 3E 7A"},
        {"321031772.318687590568e14", "CB 4F 9C 22 8A 59"},
        {".70229828556181692e9", "9E 3F B6 E2 70 27"},
        {"866207174.26", "9E 0A 19 17 85 4E"},
        {"-881341035.769988e4", "AC 1C 19 83 40 80"},
        {"-6.19971004564938609744431", "83 58 52 06 64 C6"},
        {"92.9365046663369289151390e14", "B6 EC 7A 1A 12 04"},
        {"0131103245.71", "9B B8 B6 41 0F 7A"},
        {"-2109726.53502087433598e-4", "88 E6 D1 FF F8 D2"},
        {"6255583055989923.6259e-24", "65 8D C2 B0 F0 56"},
        {"4975623989.216096e22", "EA 82 3F C5 00 1D"},
        {"603771418.8e20", "E0 BD 1B CD 16 43"},
        {"0158272.4627820", "92 38 9E 1D 90 1A"},
        {"8999.193021108474804439", "8E 53 A7 C5 9C 0C"},
        {"0287837.30516835260", "93 F0 C3 A9 8B 0C"},
        {"4479955.88661041353993838e-7", "7F 1A 84 AD 5F 65"},
        {"9194183.4", "98 66 66 C7 4A 0C"},
        {"-57.46402397550", "86 DD 19 29 DB E5"},
        {"-.8617613e-1", "7D 5E 60 1C 7D B0"},
        {"154599968032.0", "A6 80 34 81 FB 0F"},
        {"69810.9e-31", "2A 46 EB 54 46 0A"},
        {"3.48024882958660468", "82 41 96 65 BC 5E"},
        {"-44369.65890e-41", "08 A6 93 6C FB 96"},
        {"238.32e29", "E9 DF 2D AC 66 16"},
        {"-07999139.965373033777", "97 45 EE 47 1D F4"},
        {"764.8455", "8A 08 AC 1C 36 3F"},
        {"377.519733434232038e-45", "00 00 00 00 00 00"},
        {"3057.", "8C 00 00 00 10 3F"},
        {"-.8835234491957250313366991e7", "98 F1 7D A2 D0 86"},
        {"-58734116718.52489992394625", "A4 E8 F6 37 CD DA"},
        {"22.706e-6", "71 99 82 C3 78 3E"},
        {"95234959659.24006", "A5 5A 49 91 63 31"},
        {"-.69651558518191", "80 83 6B D8 4E B2"},
        {"-5.62679438422951", "83 B3 18 B3 0E B4"},
        {"17620895.8e-27", "3F 2E 38 B6 6C 26"},
    };
    for (const auto& c : cases) {
        const auto parsed = parse_value(c.token);
        ASSERT_TRUE(parsed.has_value()) << c.token;
        StoredReal r;
        const std::string got = try_store_real(*parsed, r) ? hex_bytes(r) : "overflow";
        EXPECT_EQ(got, c.bytes) << c.token;
    }
}

std::string one_value_problem(const std::string& value_line) {
    return lines({"T", "0 0 0 0", value_line});
}

TEST(ReadProblem, ValueLines) {
    const struct {
        const char* line;
        const char* bytes;
    } cases[] = {
        {"2.5 7", "82 00 00 00 00 20"},      // the 7 is ignored
        {"   2.5", "82 00 00 00 00 20"},     // leading blanks
        {"\t2.5\tx", "82 00 00 00 00 20"},   // tabs count as blanks
        {"1e38", "FF B5 50 99 76 16"},
        {"1e-40", "00 00 00 00 00 00"},      // below the smallest stored value
        // 66 characters: only the first 64 are read, "1.5" loses its 5.
        {"0000000000000000000000000000000000000000000000000000000000000001.5", "81 00 00 00 00 00"},
    };
    for (const auto& c : cases) {
        const Read read(one_value_problem(c.line));
        EXPECT_EQ(hex_bytes(read.stored(0, 0)), c.bytes) << c.line;
    }
}

TEST(ReadProblem, MalformedAndOverflowingValuesStopTheRun) {
    const struct {
        const char* line;
        int code;
        const char* explanation;
    } cases[] = {
        {"abc", 106, "line 3: 'abc' is not a number"},
        {"1,5", 106, "line 3: '1,5' is not a number"},
        {"2.5x", 106, "line 3: '2.5x' is not a number"},
        {"1e99999x", 106, "line 3: '1e99999x' is not a number"},  // invalid wins over overflow
        {"1.8e38", 205, "line 3: '1.8e38' is too large for the stored format (magnitude 1.7e38 or more)"},
        {"-1e99999", 205, "line 3: '-1e99999' is too large for the stored format (magnitude 1.7e38 or more)"},
    };
    for (const auto& c : cases) {
        try {
            const Read read(one_value_problem(c.line));
            ADD_FAILURE() << c.line << ": no error";
        } catch (const RunError& e) {
            EXPECT_EQ(e.code(), c.code) << c.line;
            EXPECT_EQ(e.explanation(), c.explanation);
        }
    }
}

TEST(ReadProblem, LayoutOfTheInput) {
    // Row lists over several lines with blank lines before them, surplus
    // numbers after the last counted one, a 100-character name.
    const std::string long_name(100, 'n');
    const Read read(lines({"  Title with blanks  ", "3 2 2 1 extra text", "", "1", "3 99 98", "2 77", long_name, "",
                            "row one", "r2", "r3", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11", "12"}));
    const DocumentedForm& form = read.form;
    EXPECT_EQ(form.title(), "  Title with blanks  ");
    EXPECT_EQ(form.rows(), 3);
    EXPECT_EQ(form.variables(), 2);
    EXPECT_EQ(form.eq_rows, (std::vector<std::int32_t>{0, 1, 3}));
    EXPECT_EQ(form.ge_rows, (std::vector<std::int32_t>{0, 2}));
    EXPECT_EQ(form.problem.rows[1].type, 'G');
    EXPECT_EQ(form.problem.rows[2].type, 'E');
    EXPECT_EQ(form.column_name(1), std::string(80, 'n'));
    EXPECT_EQ(form.column_name(2), "");
    EXPECT_EQ(form.row_name(1), "row one");
    EXPECT_EQ(form.row_name(3), "r3");
    for (int i = 0; i <= 3; ++i)
        for (int j = 0; j <= 2; ++j) EXPECT_EQ(load_real(read.stored(i, j)), 3 * i + j + 1) << i << "," << j;
    EXPECT_EQ(form.cost(2), 3);
    EXPECT_EQ(form.rhs(3), 10);
    EXPECT_EQ(form.variables() + form.ge_count(), 3);  // N + K2
    EXPECT_TRUE(form.problem.warnings.empty());
}

TEST(ReadProblem, NoRowListsMeansTheFirstNameFollowsTheDimensions) {
    const Read read(lines({"T", "1 1 0 0", "", "r", "0", "1", "2", "3"}));
    EXPECT_EQ(read.form.column_name(1), "");  // the empty line is the first name
    EXPECT_EQ(read.form.row_name(1), "r");
    EXPECT_EQ(load_real(read.stored(1, 1)), 3);
}

TEST(ReadProblem, LineEnds) {
    const std::vector<std::string> text = {"T", "1 1 0 0", "x", "r", "0", "1", "2", "3"};
    for (const std::string end : {"\n", "\r\n", "\r"}) {
        std::string joined;
        for (const auto& line : text) joined += line + end;
        const Read read(joined);
        EXPECT_EQ(read.form.title(), "T");
        EXPECT_EQ(read.form.column_name(1), "x");
        EXPECT_EQ(read.form.row_name(1), "r");
        EXPECT_EQ(load_real(read.stored(1, 1)), 3);
    }
    // A line feed right after a carriage return belongs to the same line end;
    // a line feed before a carriage return is a line end of its own.
    const Read read("T\n\r1 0 0 0\r\na\r\n5\r\n");
    EXPECT_EQ(read.form.title(), "T");
    EXPECT_EQ(read.form.rows(), 1);
    EXPECT_EQ(read.form.row_name(1), "a");
    EXPECT_EQ(load_real(read.stored(0, 0)), 5);
}

TEST(ReadProblem, EndOfInput) {
    // Nothing but bytes 0..32 before the end (a byte 26 ends the input): no
    // problem at all, an error that says so.
    for (const std::string& text : {std::string(), std::string(" \r\n\t\n"), std::string("\x01\x1F \0\x20", 5),
                                   std::string("\n \x1AT\n1 1 0 0\nx\nr\n0\n7\n8\n")}) {
        try {
            const Read read(text);
            ADD_FAILURE() << "no error: " << text;
        } catch (const RunError& e) {
            EXPECT_EQ(e.code(), 106);
            EXPECT_EQ(e.explanation(), "standard input is empty");
            EXPECT_EQ(e.site(), Site::read_title);
        }
    }
    {
        const Read read("T");  // a title alone: everything else 0 or empty
        EXPECT_EQ(read.form.title(), "T");
        EXPECT_EQ(read.form.rows() + read.form.variables() + read.form.eq_count() + read.form.ge_count(), 0);
        EXPECT_EQ(load_real(read.stored(0, 0)), 0);
        EXPECT_EQ(read.form.problem.warnings,
                  std::vector<std::string>{"the input ended before the last coefficient; 1 value was missing and taken as 0"});
    }
    {
        // byte 26 ends the input; nothing after it is read
        const Read read(std::string("T\n1 1 0 0\nx\nr\n0\n7\n8\x1A") + "9\n");
        EXPECT_EQ(load_real(read.stored(1, 0)), 8);
        EXPECT_EQ(load_real(read.stored(1, 1)), 0);
        EXPECT_EQ(read.form.problem.warnings,
                  std::vector<std::string>{"the input ended before the last coefficient; 1 value was missing and taken as 0"});
    }
    {
        const Read read(std::string("Ti\x1Atle\n1 1 0 0\n"));  // byte 26 inside a name ends it there
        EXPECT_EQ(read.form.title(), "Ti");
        EXPECT_EQ(read.form.rows(), 0);
    }
    {
        const Read read(lines({"T", "2 2 0 0", "x"}));  // the input ends inside the names
        EXPECT_EQ(read.form.column_name(2), "");
        ASSERT_EQ(read.form.problem.warnings.size(), 1u);
        EXPECT_NE(read.form.problem.warnings[0].find("9 values were missing"), std::string::npos);
    }
}

TEST(ReadProblem, HexadecimalDimensions) {
    const Read read(lines({"T", "$1 $2 0 $0", "x", "y", "r", "0", "1", "2", "3", "4", "5"}));
    EXPECT_EQ(read.form.rows(), 1);
    EXPECT_EQ(read.form.variables(), 2);
}

TEST(ReadProblem, BadDimensionsAndRowListsStopTheRun) {
    const struct {
        std::vector<std::string> text;
        const char* explanation;
    } cases[] = {
        {{"T", "x 1 0 0"}, "line 2: 'x' is not an integer"},
        {{"T", "1 1 0 1.5"}, "line 2: '1.5' is not an integer"},
        {{"T", "-1 1 0 0"}, "line 2: dimensions -1 1 0 0: no dimension may be negative"},
        {{"T", "1 -1 0 0"}, "line 2: dimensions 1 -1 0 0: no dimension may be negative"},
        {{"T", "1000 1 0 0"}, "line 2: dimensions 1000 1 0 0: at most 999 constraints are allowed"},
        {{"T", "1 1000 0 0"}, "line 2: dimensions 1 1000 0 0: at most 999 variables are allowed"},
        {{"T", "1 1 2 0"},
         "line 2: dimensions 1 1 2 0: the list of equality rows is longer than the number of rows"},
        {{"T", "1 1 0 2"},
         "line 2: dimensions 1 1 0 2: the list of greater-or-equal rows is longer than the number of rows"},
        {{"T", "2 1 1 0", "3"}, "line 3: the list of equality rows lists row 3, but the rows are numbered 1 to 2"},
        {{"T", "2 1 0 1", "0"}, "line 3: the list of greater-or-equal rows lists row 0, but the rows are numbered 1 to 2"},
        {{"T", "2 1 2 0", "1", "", "5"}, "line 5: the list of equality rows lists row 5, but the rows are numbered 1 to 2"},
        {{"T", "2 1 1 0", "x"}, "line 3: 'x' is not an integer"},
    };
    for (const auto& c : cases) {
        try {
            const Read read(lines(c.text));
            ADD_FAILURE() << c.explanation << ": no error";
        } catch (const RunError& e) {
            EXPECT_EQ(e.code(), 106);
            EXPECT_EQ(e.explanation(), c.explanation);
        }
    }
}

// Read from a file, every error names the file and the line; from standard
// input only the line, as ever.
TEST(ReadProblem, ErrorsNameTheFileAndTheLine) {
    const struct {
        std::vector<std::string> text;
        const char* where;  // the line's place in a file's message
        const char* what;
    } cases[] = {
        {{"T", "1 1 0 0", "x", "r", "0", "1", "4", "abc"}, "8", "'abc' is not a number"},
        {{"T", "1 1 x 0"}, "2", "'x' is not an integer"},
        {{"T", "", "1 1000 0 0"}, "3", "dimensions 1 1000 0 0: at most 999 variables are allowed"},
        {{"T", "2 1 0 1", "", "7"}, "4", "the list of greater-or-equal rows lists row 7, but the rows are numbered 1 to 2"},
        {{"T", "1 1 0 0", "x", "r", "0", "1", "4", "2e38"}, "8", "'2e38' is too large for the stored format (magnitude 1.7e38 or more)"},
        {{"\t", " ", ""}, nullptr, "the file is empty"},
    };
    for (const auto& c : cases) {
        for (const bool file : {true, false}) {
            ByteSource source(lines(c.text));
            if (file) source.origin = "dir/model.lp";
            try {
                (void)read_native_problem(source);
                ADD_FAILURE() << c.what << ": no error";
            } catch (const RunError& e) {
                const std::string want = c.where == nullptr
                                             ? (file ? "dir/model.lp: " + std::string(c.what) : "standard input is empty")
                                             : (file ? "dir/model.lp:" : "line ") + std::string(c.where) + ": " + c.what;
                EXPECT_EQ(e.explanation(), want);
            }
        }
    }
}

TEST(ReadProblem, LimitsAreAccepted) {
    const Read read(lines({"T", "999 999 0 0"}));
    EXPECT_EQ(read.form.rows(), 999);
    EXPECT_EQ(read.form.column_count(), 999);
}

}  // namespace
}  // namespace lpsens
