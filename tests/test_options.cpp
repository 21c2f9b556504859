#include "blfwk/options.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// The driver's own option table.
const char *const kDriverTable[] = {
    "?|help",
    "v|version",
    "p:port <name>[,<speed>]",
    "i:i2c <name>[,<address>,<speed>]",
    "s:spi <name>[,<speed>,<polarity>,<phase>,lsb|msb]",
    "b:buspal spi[,<speed>,<polarity>,<phase>,lsb|msb] | i2c[,<address>,<speed>] | can[,<speed>,<txid>,<rxid>] | sai[,<speed>]",
    "l:usbsio spi[,<port>,<pin>,<speed>,<polarity>,<phase>] | i2c[,<address>,<speed>]",
    "u?usb [[[<vid>,]<pid>] | [<path>]]",
    "V|verbose",
    "d|debug",
    "j|json",
    "n|noping",
    "t:timeout <ms>",
    nullptr
};

const char *const kNull = "<null>";
using Result = std::pair<int, std::string>;
using Results = std::vector<Result>;

class StderrCapture
{
public:
    StderrCapture()
        : m_saved(std::cerr.rdbuf(m_text.rdbuf()))
    {
    }
    ~StderrCapture() { std::cerr.rdbuf(m_saved); }
    std::string text() const { return m_text.str(); }

private:
    std::ostringstream m_text;
    std::streambuf *m_saved;
};

struct Parsed
{
    Results results;
    std::string diagnostics;
    int index = 0;
    bool explicitEnd = false;
};

//! Calls the parser until it reports the end of the options and records
//! every result with its value.
Parsed parse(const char *const table[], std::vector<const char *> words, unsigned ctrls = Options::DEFAULT)
{
    Options options("rivuvo", table);
    options.ctrls(ctrls);
    OptArgvIter iter(static_cast<int>(words.size()), words.data());
    StderrCapture capture;
    Parsed parsed;
    for (int guard = 0; guard < 64; ++guard)
    {
        const char *optarg = "stale";
        const int rc = options(iter, optarg);
        parsed.results.emplace_back(rc, optarg ? optarg : kNull);
        if (rc == Options::ENDOPTS)
        {
            break;
        }
    }
    parsed.diagnostics = capture.text();
    parsed.index = iter.index();
    parsed.explicitEnd = options.explicit_endopts();
    return parsed;
}

std::string usageOf(const char *name, const char *const table[], unsigned ctrls, const char *positionals)
{
    Options options(name, table);
    options.ctrls(ctrls);
    std::ostringstream os;
    options.usage(os, positionals);
    return os.str();
}

TEST(OptionParser, ReturnsEachOptionOfAShortGroupInTurn)
{
    const Parsed p = parse(kDriverTable, {"-nV", "-j"});
    EXPECT_EQ(p.results, (Results{{'n', kNull}, {'V', kNull}, {'j', kNull}, {Options::ENDOPTS, kNull}}));
    EXPECT_EQ(p.index, 2);
    EXPECT_EQ(p.diagnostics, "");
}

TEST(OptionParser, TakesARequiredValueInEveryWrittenForm)
{
    const std::vector<std::vector<const char *>> forms = {
        {"-t5000"}, {"-t", "5000"}, {"--timeout=5000"}, {"--timeout:5000"}, {"--time", "5000"}, {"--TimeOut", "5000"},
    };
    for (const auto &words : forms)
    {
        const Parsed p = parse(kDriverTable, words);
        EXPECT_EQ(p.results, (Results{{'t', "5000"}, {Options::ENDOPTS, kNull}})) << words[0];
        EXPECT_EQ(p.diagnostics, "") << words[0];
    }
}

TEST(OptionParser, SplitsALongWordAtTheFirstSeparator)
{
    const Parsed p = parse(kDriverTable, {"--port=COM3:9600=x", "--usb:0x3b7c,0x5e0d"});
    EXPECT_EQ(p.results, (Results{{'p', "COM3:9600=x"}, {'u', "0x3b7c,0x5e0d"}, {Options::ENDOPTS, kNull}}));
}

TEST(OptionParser, ReportsAnAmbiguousAbbreviationAndMatchesExactNamesInAnyCase)
{
    const char *const table[] = {"v|version", "V|verbose", "d|debug", nullptr};
    Parsed p = parse(table, {"--ver", "--VERSION", "--verb", "--De"});
    EXPECT_EQ(p.results,
              (Results{{Options::AMBIGUOUS, "ver"}, {'v', kNull}, {'V', kNull}, {'d', kNull}, {Options::ENDOPTS, kNull}}));
    EXPECT_EQ(p.diagnostics, "rivuvo: ambiguous option --ver.\n");
}

TEST(OptionParser, PrefersAnExactLongNameOverEarlierPartialMatches)
{
    const char *const table[] = {"a|verbose", "b|version", "c|ver", nullptr};
    const Parsed p = parse(table, {"--ver"});
    EXPECT_EQ(p.results, (Results{{'c', kNull}, {Options::ENDOPTS, kNull}}));
    EXPECT_EQ(p.diagnostics, "");
}

TEST(OptionParser, ReportsUnknownWordsAndGoesOnWithTheNextOne)
{
    const Parsed p = parse(kDriverTable, {"--zzz=1", "-nxV", "-d"});
    EXPECT_EQ(p.results, (Results{{Options::BADKWD, "zzz=1"},
                                  {'n', kNull},
                                  {Options::BADCHAR, "xV"},
                                  {'V', kNull},
                                  {'d', kNull},
                                  {Options::ENDOPTS, kNull}}));
    EXPECT_EQ(p.diagnostics, "rivuvo: unknown option --zzz=1.\n"
                             "rivuvo: unknown option -x.\n");
}

TEST(OptionParser, GuessesTheOtherFormForUnknownWords)
{
    Parsed p = parse(kDriverTable, {"-help", "--nV"});
    EXPECT_EQ(p.results, (Results{{'?', kNull}, {'n', kNull}, {'V', kNull}, {Options::ENDOPTS, kNull}}));
    EXPECT_EQ(p.diagnostics, "");

    p = parse(kDriverTable, {"-help", "--nV"}, Options::NOGUESSING);
    EXPECT_EQ(p.results, (Results{{Options::BADCHAR, "help"},
                                  {Options::BADCHAR, "elp"},
                                  {'l', "p"},
                                  {Options::BADKWD, "nV"},
                                  {Options::ENDOPTS, kNull}}));
    EXPECT_EQ(p.diagnostics, "rivuvo: unknown option -h.\n"
                             "rivuvo: unknown option -e.\n"
                             "rivuvo: unknown option --nV.\n");
}

TEST(OptionParser, TakesAnOptionalValueOnlyFromAWordThatIsNoOption)
{
    Parsed p = parse(kDriverTable, {"-u", "-d", "-u", "0x1234", "-u", "-", "--usb", ""});
    EXPECT_EQ(p.results,
              (Results{{'u', kNull}, {'d', kNull}, {'u', "0x1234"}, {'u', "-"}, {'u', ""}, {Options::ENDOPTS, kNull}}));

    p = parse(kDriverTable, {"-u", "--", "reset"});
    EXPECT_EQ(p.results, (Results{{'u', kNull}, {Options::ENDOPTS, kNull}}));
    EXPECT_EQ(p.index, 2);
    EXPECT_EQ(p.diagnostics, "") << "a missing optional value is no error";
}

TEST(OptionParser, TakesARequiredValueWhateverItLooksLike)
{
    const Parsed p = parse(kDriverTable, {"-p", "-d", "--port", "--", "-t"});
    EXPECT_EQ(p.results, (Results{{'p', "-d"}, {'p', "--"}, {'t', kNull}, {Options::ENDOPTS, kNull}}));
    EXPECT_EQ(p.diagnostics, "rivuvo: argument required for -t option.\n");
}

TEST(OptionParser, ReportsAMissingRequiredValueButStillReturnsTheOption)
{
    Parsed p = parse(kDriverTable, {"-p"});
    EXPECT_EQ(p.results, (Results{{'p', kNull}, {Options::ENDOPTS, kNull}}));
    EXPECT_EQ(p.diagnostics, "rivuvo: argument required for -p option.\n");

    p = parse(kDriverTable, {"--port"});
    EXPECT_EQ(p.results, (Results{{'p', kNull}, {Options::ENDOPTS, kNull}}));
    EXPECT_EQ(p.diagnostics, "rivuvo: argument required for --port option.\n");
}

TEST(OptionParser, ReturnsTheValueAttachedToAFlagAfterSayingItTakesNone)
{
    const Parsed p = parse(kDriverTable, {"--help=x"});
    EXPECT_EQ(p.results, (Results{{'?', "x"}, {Options::ENDOPTS, kNull}}));
    EXPECT_EQ(p.diagnostics, "rivuvo: option --help does NOT take an argument.\n");
}

TEST(OptionParser, ConsumesTheDoubleDashButNotTheFirstPlainWord)
{
    Parsed p = parse(kDriverTable, {"-n", "--", "-V", "reset"});
    EXPECT_EQ(p.results, (Results{{'n', kNull}, {Options::ENDOPTS, kNull}}));
    EXPECT_EQ(p.index, 2);
    EXPECT_TRUE(p.explicitEnd);

    p = parse(kDriverTable, {"-n", "reset", "-V"});
    EXPECT_EQ(p.results, (Results{{'n', kNull}, {Options::ENDOPTS, kNull}}));
    EXPECT_EQ(p.index, 1);
    EXPECT_FALSE(p.explicitEnd);

    p = parse(kDriverTable, {"-", "-n"});
    EXPECT_EQ(p.results, (Results{{Options::ENDOPTS, kNull}})) << "a lone dash is a plain word";
    EXPECT_EQ(p.index, 0);
}

TEST(OptionParser, EmptyLongNameMatchesNothing)
{
    const char *const table[] = {"a|alpha", nullptr};
    const Parsed p = parse(table, {"--=x"});
    EXPECT_EQ(p.results, (Results{{Options::BADKWD, "=x"}, {Options::ENDOPTS, kNull}}));
    EXPECT_EQ(p.diagnostics, "rivuvo: unknown option --=x.\n");
}

TEST(OptionParser, QuietWritesNoDiagnosticsButKeepsTheResults)
{
    const char *const table[] = {"v|version", "V|verbose", "p:port <name>", "?|help", nullptr};
    const Parsed p = parse(table, {"--ver", "-x", "--help=1", "--nope", "-p"}, Options::QUIET);
    EXPECT_EQ(p.results, (Results{{Options::AMBIGUOUS, "ver"},
                                  {Options::BADCHAR, "x"},
                                  {'?', "1"},
                                  {Options::BADKWD, "nope"},
                                  {'p', kNull},
                                  {Options::ENDOPTS, kNull}}));
    EXPECT_EQ(p.diagnostics, "");
}

TEST(OptionParser, MatchesShortCharactersInAnyCaseOnlyWhenAsked)
{
    const char *const table[] = {"a|alpha", "b:beta", nullptr};
    Parsed p = parse(table, {"-A", "-B2"}, Options::NOGUESSING);
    EXPECT_EQ(p.results, (Results{{Options::BADCHAR, "A"}, {Options::BADCHAR, "B2"}, {Options::BADCHAR, "2"},
                                  {Options::ENDOPTS, kNull}}));

    p = parse(table, {"-A", "-B2"}, Options::NOGUESSING | Options::ANYCASE);
    EXPECT_EQ(p.results, (Results{{'a', kNull}, {'b', "2"}, {Options::ENDOPTS, kNull}}));

    p = parse(kDriverTable, {"-V", "-v"});
    EXPECT_EQ(p.results, (Results{{'V', kNull}, {'v', kNull}, {Options::ENDOPTS, kNull}}));
}

TEST(OptionParser, PlusWordsAreLongOptionsUnderPlus)
{
    Parsed p = parse(kDriverTable, {"+port", "COM1", "-u", "+json", "+j"}, Options::PLUS);
    EXPECT_EQ(p.results, (Results{{'p', "COM1"}, {'u', kNull}, {'j', kNull}, {'j', kNull}, {Options::ENDOPTS, kNull}}));

    p = parse(kDriverTable, {"+port", "COM1"});
    EXPECT_EQ(p.results, (Results{{Options::ENDOPTS, kNull}}));
    EXPECT_EQ(p.index, 0);
}

TEST(OptionParser, LongOnlyReadsSingleDashWordsAsLongNames)
{
    Parsed p = parse(kDriverTable, {"-help", "-nV", "--json", "-port"}, Options::LONG_ONLY);
    EXPECT_EQ(p.results,
              (Results{{'?', kNull}, {'n', kNull}, {'V', kNull}, {'j', kNull}, {'p', kNull}, {Options::ENDOPTS, kNull}}));
    EXPECT_EQ(p.diagnostics, "rivuvo: argument required for -port option.\n");

    p = parse(kDriverTable, {"-nV", "-help=2"}, Options::LONG_ONLY | Options::NOGUESSING);
    EXPECT_EQ(p.results, (Results{{Options::BADKWD, "nV"}, {'?', "2"}, {Options::ENDOPTS, kNull}}));
    EXPECT_EQ(p.diagnostics, "rivuvo: unknown option -nV.\n"
                             "rivuvo: option -help does NOT take an argument.\n");
}

TEST(OptionParser, ShortOnlyReadsDoubleDashWordsAsShortGroups)
{
    const char *const table[] = {"a|all", nullptr};
    const Parsed p = parse(table, {"--all"}, Options::SHORT_ONLY | Options::NOGUESSING);
    EXPECT_EQ(p.results, (Results{{Options::BADCHAR, "-all"}, {'a', kNull}, {Options::BADCHAR, "ll"},
                                  {Options::BADCHAR, "l"}, {Options::ENDOPTS, kNull}}));
    EXPECT_EQ(p.diagnostics, "rivuvo: unknown option --.\nrivuvo: unknown option -l.\nrivuvo: unknown option -l.\n");
}

TEST(OptionParser, PlusWordsUnderShortOnlyExtendTheCurrentListOption)
{
    const char *const table[] = {"f+file <path>", "n|noping", nullptr};
    Parsed p = parse(table, {"-f", "a", "+b", "+c", "-n", "x"}, Options::SHORT_ONLY | Options::PLUS);
    EXPECT_EQ(p.results,
              (Results{{'f', "a"}, {'f', "+b"}, {'f', "+c"}, {'n', kNull}, {Options::ENDOPTS, kNull}}));
    EXPECT_EQ(p.index, 5);

    p = parse(table, {"-n", "+b", "-n"}, Options::SHORT_ONLY | Options::PLUS);
    EXPECT_EQ(p.results, (Results{{'n', kNull}, {Options::ENDOPTS, kNull}}))
        << "without a list option the word stays for the caller";
    EXPECT_EQ(p.index, 1);
}

TEST(OptionParser, ParsePosReturnsPlainWordsAndEverythingAfterTheDoubleDash)
{
    const Parsed p = parse(kDriverTable, {"reset", "-n", "0x10", "--", "-V", "--", "x"}, Options::PARSE_POS);
    EXPECT_EQ(p.results, (Results{{Options::POSITIONAL, "reset"},
                                  {'n', kNull},
                                  {Options::POSITIONAL, "0x10"},
                                  {Options::POSITIONAL, "-V"},
                                  {Options::POSITIONAL, "--"},
                                  {Options::POSITIONAL, "x"},
                                  {Options::ENDOPTS, kNull}}));
    EXPECT_EQ(p.index, 7);
    EXPECT_TRUE(p.explicitEnd);
}

TEST(OptionParser, MatchesHiddenOptionsAndKeepsHighCharactersPositive)
{
    const char *const table[] = {"-s|secret", "\xe9|eacute", nullptr};
    const Parsed p = parse(table, {"-s", "--secret", "--eacute"});
    EXPECT_EQ(p.results, (Results{{'s', kNull}, {'s', kNull}, {0xe9, kNull}, {Options::ENDOPTS, kNull}}));
}

TEST(OptionParser, NamesItselfAfterTheLastSlash)
{
    EXPECT_STREQ(Options("/usr/local/bin/rivuvo", kDriverTable).name(), "rivuvo");
    EXPECT_STREQ(Options("RiVuvo", kDriverTable).name(), "RiVuvo");
    EXPECT_STREQ(Options("C:\\tools\\rivuvo", kDriverTable).name(), "C:\\tools\\rivuvo");
}

TEST(OptArgvIter, WalksTheWordsAndStopsAtTheEnd)
{
    const char *const words[] = {"a", "b", nullptr, "d"};
    OptArgvIter iter(2, words);
    EXPECT_STREQ(iter(), "a");
    EXPECT_STREQ(iter.curr(), "b");
    iter.next();
    EXPECT_EQ(iter.curr(), nullptr);
    iter.next();
    EXPECT_EQ(iter.index(), 2);
    iter.rewind();
    EXPECT_EQ(iter.index(), 0);

    OptArgvIter uncounted(4, words);
    uncounted.next();
    uncounted.next();
    uncounted.next();
    EXPECT_EQ(uncounted.index(), 2) << "a null word is not stepped over";
}

TEST(OptionUsage, WrapsTheDriverTableAt79Columns)
{
    EXPECT_EQ(usageOf("RiVuvo", kDriverTable, Options::DEFAULT, "-- command <args...>"),
              "usage: RiVuvo [-?|--help] [-v|--version] [-p|--port <name>[,<speed>]]\n"
              "              [-i|--i2c <name>[,<address>,<speed>]]\n"
              "              [-s|--spi <name>[,<speed>,<polarity>,<phase>,lsb|msb]]\n"
              "              [-b|--buspal spi[,<speed>,<polarity>,<phase>,lsb|msb] | i2c[,<address>,<speed>] | "
              "can[,<speed>,<txid>,<rxid>] | sai[,<speed>]]\n"
              "              [-l|--usbsio spi[,<port>,<pin>,<speed>,<polarity>,<phase>] | i2c[,<address>,<speed>]]\n"
              "              [-u|--usb [[[[<vid>,]<pid>] | [<path>]]]] [-V|--verbose]\n"
              "              [-d|--debug] [-j|--json] [-n|--noping] [-t|--timeout <ms>]\n"
              "              -- command <args...>\n");
}

TEST(OptionUsage, AllowsOneColumnLessForTheFirstItem)
{
    const std::string fill60(60, 'x');
    const std::string first = "x:xx " + fill60;
    const char *const wide[] = {first.c_str(), nullptr};
    EXPECT_EQ(usageOf("p", wide, Options::DEFAULT, nullptr), "usage: p\n         [-x|--xx " + fill60 + "]\n");

    const std::string fill55(55, 'y');
    const std::string second = "y:yy " + fill55;
    const char *const fits[] = {"a", second.c_str(), "b", nullptr};
    EXPECT_EQ(usageOf("p", fits, Options::DEFAULT, nullptr),
              "usage: p [-a] [-y|--yy " + fill55 + "]\n         [-b]\n");
}

TEST(OptionUsage, FormatsEachKindAndFollowsTheControls)
{
    const char *const table[] = {"f*file <p>", "o?out", "r+rule <r>", " |all", "x", "-h|hidden", nullptr};
    EXPECT_EQ(usageOf("t", table, Options::DEFAULT, "files"),
              "usage: t [-f|--file [<p> ...]] [-o|--out [<value>]] [-r|--rule <r> ...] [--all]\n"
              "         [-x] files\n");
    EXPECT_EQ(usageOf("t", table, Options::SHORT_ONLY, ""),
              "usage: t [-f [<p> ...]] [-o [<value>]] [-r <r> ...] [-all] [-x]\n");
    EXPECT_EQ(usageOf("t", table, Options::SHORT_ONLY | Options::NOGUESSING, nullptr),
              "usage: t [-f [<p> ...]] [-o [<value>]] [-r <r> ...] [-x]\n");
    EXPECT_EQ(usageOf("t", table, Options::LONG_ONLY, nullptr),
              "usage: t [-file [<p> ...]] [-out [<value>]] [-rule <r> ...] [-all] [-x]\n");
    EXPECT_EQ(usageOf("t", table, Options::LONG_ONLY | Options::NOGUESSING, nullptr),
              "usage: t [-file [<p> ...]] [-out [<value>]] [-rule <r> ...] [-all]\n");
}

TEST(OptionSpecDeathTest, EndsTheProcessOnABadKindCharacter)
{
    const char *const table[] = {"a|alpha", "x!bad", nullptr};
    EXPECT_EXIT(Options("/bin/prog", table), testing::ExitedWithCode(127),
                "prog: bad option specifier \"x!bad\"[.]\n"
                "\t2nd character must be in the set \"[|][?]:[*][+]\"[.]\n");
}

TEST(OptionSpecDeathTest, ReportsEveryBadSpecificationBeforeExiting)
{
    const char *const table[] = {"", "-", "y=", nullptr};
    EXPECT_EXIT(Options("prog", table), testing::ExitedWithCode(127),
                "prog: empty option specifier\\.\n\tmust be at least 1 character long\\.\n"
                "prog: empty option specifier\\.\n\tmust be at least 1 character long\\.\n"
                "prog: bad option specifier \"y=\"\\.\n");
}

TEST(OptionSpec, AcceptsEveryKindAndBareCharacters)
{
    const char *const table[] = {"a|", "b?", "c:", "d*", "e+", "f", "-g", "-h|hidden", nullptr};
    StderrCapture capture;
    Options options("prog", table);
    EXPECT_EQ(capture.text(), "");
}

} // namespace
