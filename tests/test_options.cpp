#include "blfwk/options.h"
#include "driver/rivuvo_help.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// The driver's own option table.
const char *const *const kDriverTable = k_optionsDefinition;

const char *const kNull = "<null>";
const int kEnd = Options::ENDOPTS;
using Results = std::vector<std::pair<int, std::string>>;

struct Parsed
{
    Results results;
    std::string diagnostics;
    int index;
    bool explicitEnd;
};

//! Calls the parser until it reports the end of the options and records
//! every result with its value.
Parsed parse(const char *const table[], std::vector<const char *> words, unsigned ctrls = Options::DEFAULT)
{
    Options options("rivuvo", table);
    options.ctrls(ctrls);
    OptArgvIter iter(static_cast<int>(words.size()), words.data());
    testing::internal::CaptureStderr();
    Results results;
    for (int rc = -1, guard = 0; rc != kEnd && guard < 64; ++guard)
    {
        const char *optarg = "stale";
        rc = options(iter, optarg);
        results.emplace_back(rc, optarg ? optarg : kNull);
    }
    return {results, testing::internal::GetCapturedStderr(), iter.index(), options.explicit_endopts()};
}

std::string usageOf(const char *const table[], unsigned ctrls, const char *positionals)
{
    Options options("t", table);
    options.ctrls(ctrls);
    std::ostringstream os;
    options.usage(os, positionals);
    return os.str();
}

// One parse per row: the words, what each call returned, the parser's
// diagnostics on standard error, and where and how the options ended.
TEST(OptionParser, ReadsEachWrittenFormUnderEachControlAndStopsWhereTheOptionsEnd)
{
    const char *const cased[] = {"v|version", "V|verbose", "d|debug", "e|verb", nullptr};
    const char *const letters[] = {"a|alpha", "b:beta", nullptr};
    const char *const listed[] = {"f+file <path>", "n|noping", "--*dash", nullptr};
    const char *const hidden[] = {"-s|secret", "\xe9|eacute", nullptr};
    struct Case
    {
        const char *behaviour;
        const char *const *table;
        unsigned ctrls;
        std::vector<const char *> words;
        Results results;
        std::string diagnostics;
        int index;
        bool explicitEnd;
    };
    const Case cases[] = {
        {"a required value comes in every written form, split at the first separator only", kDriverTable,
         Options::DEFAULT, {"-t5000", "-t", "5000", "--timeout=5000", "--timeout:5000", "--time", "5000", "--TimeOut",
         "5000", "--port=COM3:9600=x"},
         {{'t', "5000"}, {'t', "5000"}, {'t', "5000"}, {'t', "5000"}, {'t', "5000"}, {'t', "5000"}, {'p', "COM3:9600=x"},
          {kEnd, kNull}}, "", 10, false},
        {"an ambiguous abbreviation is reported; exact names win in any case", cased, Options::DEFAULT,
         {"--ver", "--VERSION", "--verb", "--De"},
         {{Options::AMBIGUOUS, "ver"}, {'v', kNull}, {'e', kNull}, {'d', kNull}, {kEnd, kNull}},
         "rivuvo: ambiguous option --ver.\n", 4, false},
        {"grouped options come in turn; unknown words are reported and passed", kDriverTable, Options::DEFAULT,
         {"-nV", "--zzz=1", "--=x", "-nxV", "-d"},
         {{'n', kNull}, {'V', kNull}, {Options::BADKWD, "zzz=1"}, {Options::AMBIGUOUS, "=x"}, {'n', kNull},
          {Options::BADCHAR, "xV"}, {'V', kNull}, {'d', kNull}, {kEnd, kNull}},
         "rivuvo: unknown option --zzz=1.\nrivuvo: ambiguous option --=x.\nrivuvo: unknown option -x.\n", 5, false},
        {"an empty name is the start of every long name, unless there is only one", hidden, Options::DEFAULT,
         {"--=1", "--:"}, {{Options::AMBIGUOUS, "=1"}, {Options::AMBIGUOUS, ":"}, {kEnd, kNull}},
         "rivuvo: ambiguous option --=1.\nrivuvo: ambiguous option --:.\n", 2, false},
        {"... as here, where the one long name wins", letters + 1, Options::DEFAULT, {"--=2"}, {{'b', "2"}, {kEnd, kNull}},
         "", 1, false},
        {"a blank ends a long name within its word", kDriverTable, Options::DEFAULT, {"--help x", "--time 9=5", "--zz y"},
         {{'?', kNull}, {'t', "5"}, {Options::BADKWD, "zz y"}, {kEnd, kNull}}, "rivuvo: unknown option --zz y.\n", 3,
         false},
        {"an unknown word is tried in the other form", kDriverTable, Options::DEFAULT, {"-help", "--nV"},
         {{'?', kNull}, {'n', kNull}, {'V', kNull}, {kEnd, kNull}}, "", 2, false},
        {"... unless guessing is off", kDriverTable, Options::NOGUESSING, {"-help", "--nV"},
         {{Options::BADCHAR, "help"}, {Options::BADCHAR, "elp"}, {'l', "p"}, {Options::BADKWD, "nV"}, {kEnd, kNull}},
         "rivuvo: unknown option -h.\nrivuvo: unknown option -e.\nrivuvo: unknown option --nV.\n", 2, false},
        {"an optional value comes only from a word that is no option; none missing is no error", kDriverTable,
         Options::DEFAULT, {"-u", "-d", "-u", "0x1234", "--usb", ""},
         {{'u', kNull}, {'d', kNull}, {'u', "0x1234"}, {'u', ""}, {kEnd, kNull}}, "", 6, false},
        {"a required value is taken whatever it looks like", kDriverTable, Options::DEFAULT,
         {"-p", "-d", "--port", "--", "--help=x", "-t"},
         {{'p', "-d"}, {'p', "--"}, {'?', "x"}, {'t', kNull}, {kEnd, kNull}},
         "rivuvo: option --help does NOT take an argument.\nrivuvo: argument required for -t option.\n", 6, false},
        {"quiet keeps the results but writes nothing", kDriverTable, Options::QUIET,
         {"--ver", "-x", "--help=1", "--zzz", "-p"},
         {{Options::AMBIGUOUS, "ver"}, {Options::BADCHAR, "x"}, {'?', "1"}, {Options::BADKWD, "zzz"}, {'p', kNull},
          {kEnd, kNull}},
         "", 5, false},
        {"short characters match in any case only when asked", letters, Options::NOGUESSING, {"-A", "-B2"},
         {{Options::BADCHAR, "A"}, {Options::BADCHAR, "B2"}, {Options::BADCHAR, "2"}, {kEnd, kNull}},
         "rivuvo: unknown option -A.\nrivuvo: unknown option -B.\nrivuvo: unknown option -2.\n", 2, false},
        {"... as here", letters, Options::NOGUESSING | Options::ANYCASE, {"-A", "-B2"},
         {{'a', kNull}, {'b', "2"}, {kEnd, kNull}}, "", 2, false},
        {"long-only reads single-dash words as long names", kDriverTable, Options::LONG_ONLY,
         {"-help", "-nV", "--json", "-port"},
         {{'?', kNull}, {'n', kNull}, {'V', kNull}, {'j', kNull}, {'p', kNull}, {kEnd, kNull}},
         "rivuvo: argument required for -port option.\n", 4, false},
        {"an optional value is never the \"--\", which is consumed", kDriverTable, Options::DEFAULT,
         {"-u", "--", "-V", "reset"}, {{'u', kNull}, {kEnd, kNull}}, "", 2, true},
        {"the first plain word ends the options and stays", kDriverTable, Options::DEFAULT, {"-n", "reset", "-V"},
         {{'n', kNull}, {kEnd, kNull}}, "", 1, false},
        {"a lone dash is an option word that names no option, never a value", kDriverTable, Options::DEFAULT,
         {"-", "-u", "-", "-n"}, {{Options::BADCHAR, ""}, {'u', kNull}, {Options::BADCHAR, ""}, {'n', kNull},
         {kEnd, kNull}}, "rivuvo: unknown option -.\nrivuvo: unknown option -.\n", 4, false},
        {"plus words are long options under plus", kDriverTable, Options::PLUS, {"+port", "COM1", "-u", "+json", "+j"},
         {{'p', "COM1"}, {'u', kNull}, {'j', kNull}, {'j', kNull}, {kEnd, kNull}}, "", 5, false},
        {"... and plain words without it", kDriverTable, Options::DEFAULT, {"+port", "COM1"}, {{kEnd, kNull}}, "", 0,
         false},
        // Under short-only "--d" is a short group naming the hidden option "-".
        {"plus words are list values under short-only", listed, Options::SHORT_ONLY | Options::PLUS,
         {"-f", "a", "+b", "+c", "-n", "--d", "+e", "x"},
         {{'f', "a"}, {'f', "+b"}, {'f', "+c"}, {'n', kNull}, {'-', "d"}, {'-', "+e"}, {kEnd, kNull}}, "", 7, false},
        {"... and stay for the caller after no list option", listed, Options::SHORT_ONLY | Options::PLUS,
         {"-n", "+b", "-n"}, {{'n', kNull}, {kEnd, kNull}}, "", 1, false},
        {"parse-pos returns plain words and everything after the double dash", kDriverTable, Options::PARSE_POS,
         {"reset", "-n", "0x10", "--", "-V", "--", "x"},
         {{Options::POSITIONAL, "reset"}, {'n', kNull}, {Options::POSITIONAL, "0x10"}, {Options::POSITIONAL, "-V"},
          {Options::POSITIONAL, "--"}, {Options::POSITIONAL, "x"}, {kEnd, kNull}}, "", 7, true},
        {"hidden options match and high characters stay positive", hidden, Options::DEFAULT,
         {"-s", "--secret", "--eacute"}, {{'s', kNull}, {'s', kNull}, {0xe9, kNull}, {kEnd, kNull}}, "", 3, false},
    };
    for (const Case &c : cases)
    {
        const Parsed p = parse(c.table, c.words, c.ctrls);
        EXPECT_EQ(p.results, c.results) << c.behaviour;
        EXPECT_EQ(p.diagnostics, c.diagnostics) << c.behaviour;
        EXPECT_EQ(p.index, c.index) << c.behaviour;
        EXPECT_EQ(p.explicitEnd, c.explicitEnd) << c.behaviour;
    }
}

TEST(OptArgvIter, StopsAtANullWordWithinTheCount)
{
    const char *const words[] = {"a", nullptr, "c"};
    OptArgvIter iter(3, words);
    EXPECT_STREQ(iter(), "a");
    EXPECT_EQ(iter(), nullptr);
    EXPECT_EQ(iter(), nullptr);
    EXPECT_EQ(iter.index(), 1) << "a null word is not stepped over";
}

TEST(OptionUsage, AllowsOneColumnLessForTheFirstItem)
{
    const std::string x60(60, 'x'), y55(55, 'y');
    const std::string first = "x:xx " + x60, second = "y:yy " + y55;
    const char *const wide[] = {first.c_str(), nullptr};
    EXPECT_EQ(usageOf(wide, Options::DEFAULT, nullptr), "usage: t\n         [-x|--xx " + x60 + "]\n");
    const char *const fits[] = {"a", second.c_str(), "b", nullptr};
    EXPECT_EQ(usageOf(fits, Options::DEFAULT, nullptr), "usage: t [-a] [-y|--yy " + y55 + "]\n         [-b]\n");
}

TEST(OptionUsage, FormatsEachKindAndFollowsTheControls)
{
    const char *const table[] = {"f*file <p>", "o?out", "r+rule <r>", " |all", "x", "-h|hidden", nullptr};
    EXPECT_EQ(usageOf(table, Options::DEFAULT, "files"),
              "usage: t [-f|--file [<p> ...]] [-o|--out [<value>]] [-r|--rule <r> ...] [--all]\n"
              "         [-x] files\n");
    EXPECT_EQ(usageOf(table, Options::SHORT_ONLY, ""),
              "usage: t [-f [<p> ...]] [-o [<value>]] [-r <r> ...] [-all] [-x]\n");
    EXPECT_EQ(usageOf(table, Options::SHORT_ONLY | Options::NOGUESSING, nullptr),
              "usage: t [-f [<p> ...]] [-o [<value>]] [-r <r> ...] [-x]\n");
    EXPECT_EQ(usageOf(table, Options::LONG_ONLY, nullptr),
              "usage: t [-file [<p> ...]] [-out [<value>]] [-rule <r> ...] [-all] [-x]\n");
    EXPECT_EQ(usageOf(table, Options::LONG_ONLY | Options::NOGUESSING, nullptr),
              "usage: t [-file [<p> ...]] [-out [<value>]] [-rule <r> ...] [-all]\n");
}

TEST(OptionSpecDeathTest, ReportsEveryBadSpecificationThenEndsTheProcessWith127)
{
    const char *const table[] = {"a|alpha", "", "-", "x!bad", nullptr};
    EXPECT_EXIT(Options("/bin/prog", table), testing::ExitedWithCode(127),
                "prog: empty option specifier\\.\n\tmust be at least 1 character long\\.\n"
                "prog: empty option specifier\\.\n\tmust be at least 1 character long\\.\n"
                "prog: bad option specifier \"x!bad\"\\.\n"
                "\t2nd character must be in the set \"[|][?]:[*][+]\"\\.\n");
}

} // namespace
