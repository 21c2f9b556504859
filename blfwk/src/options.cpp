#include "blfwk/options.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

namespace {

const char *const kValueKinds = "|?:*+";
const size_t kUsageWidth = 79;

bool isBlank(char c)
{
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

int lower(char c)
{
    return std::tolower(static_cast<unsigned char>(c));
}

bool equalsIgnoringCase(const char *a, const char *b, size_t length)
{
    for (size_t i = 0; i < length; ++i)
    {
        if (lower(a[i]) != lower(b[i]))
        {
            return false;
        }
    }
    return true;
}

//! Option characters above 0x7f must still come back as positive results.
int result(char c)
{
    return static_cast<unsigned char>(c);
}

//! Adds controls for the lifetime of one nested attempt and restores the
//! caller's controls afterwards.
class ScopedCtrls
{
public:
    ScopedCtrls(Options &options, unsigned added)
        : m_options(options)
        , m_saved(options.ctrls())
    {
        m_options.ctrls(m_saved | added);
    }
    ~ScopedCtrls() { m_options.ctrls(m_saved); }
    ScopedCtrls(const ScopedCtrls &) = delete;
    ScopedCtrls &operator=(const ScopedCtrls &) = delete;

private:
    Options &m_options;
    unsigned m_saved;
};

} // namespace

OptIter::~OptIter() = default;

const char *OptIter::operator()()
{
    const char *word = curr();
    next();
    return word;
}

OptArgvIter::OptArgvIter(int argc, const char *const argv[])
    : ndx(0)
    , ac(argc)
    , av(argv)
{
}

const char *OptArgvIter::curr()
{
    return (ndx == ac) ? nullptr : av[ndx];
}

void OptArgvIter::next()
{
    if (ndx != ac && av[ndx])
    {
        ++ndx;
    }
}

void OptArgvIter::rewind()
{
    ndx = 0;
}

OptionSpec::OptionSpec(const char *decl)
    : hidden(0)
    , spec(decl)
{
    if (spec && *spec == '-')
    {
        hidden = 1;
        ++spec;
    }
}

bool OptionSpec::hasShortForm() const
{
    const unsigned char c = static_cast<unsigned char>(OptChar());
    return std::isprint(c) && !std::isspace(c);
}

const char *OptionSpec::LongOpt() const
{
    if (isNULL() || !spec[0] || !spec[1] || !spec[2] || isBlank(spec[2]))
    {
        return nullptr;
    }
    return spec + 2;
}

size_t OptionSpec::LongOptLength() const
{
    const char *name = LongOpt();
    size_t length = 0;
    while (name && name[length] && !isBlank(name[length]))
    {
        ++length;
    }
    return length;
}

std::string OptionSpec::ValueDescription() const
{
    // The description follows the long name; the short character itself may
    // be a blank, so the search starts behind the kind character.
    const char *p = (isNULL() || !spec[0] || !spec[1]) ? "" : spec + 2;
    while (*p && !isBlank(*p))
    {
        ++p;
    }
    while (*p && isBlank(*p))
    {
        ++p;
    }
    return *p ? std::string(p) : std::string("<value>");
}

bool OptionSpec::isSyntaxError(const char *name) const
{
    if (isNULL() || !spec[0])
    {
        std::cerr << name << ": empty option specifier." << std::endl;
        std::cerr << "\tmust be at least 1 character long." << std::endl;
        return true;
    }
    if (spec[1] && !std::strchr(kValueKinds, spec[1]))
    {
        std::cerr << name << ": bad option specifier \"" << spec << "\"." << std::endl;
        std::cerr << "\t2nd character must be in the set \"" << kValueKinds << "\"." << std::endl;
        return true;
    }
    return false;
}

std::string &OptionSpec::Format(std::string &buf, unsigned optctrls) const
{
    buf.clear();
    if (isNULL())
    {
        return buf;
    }
    const bool noGuessing = (optctrls & Options::NOGUESSING) != 0;
    bool withShort = hasShortForm();
    bool withLong = LongOpt() != nullptr;
    // A form that the controls make unreachable is not advertised.
    const bool dropLong = (optctrls & Options::SHORT_ONLY) && (withShort || noGuessing);
    const bool dropShort = (optctrls & Options::LONG_ONLY) && (withLong || noGuessing);
    withLong = withLong && !dropLong;
    withShort = withShort && !dropShort;
    if (!withShort && !withLong)
    {
        return buf;
    }

    buf += '[';
    if (withShort)
    {
        buf += '-';
        buf += OptChar();
    }
    if (withShort && withLong)
    {
        buf += '|';
    }
    if (withLong)
    {
        buf += (optctrls & (Options::LONG_ONLY | Options::SHORT_ONLY)) ? "-" : "--";
        buf.append(LongOpt(), LongOptLength());
    }
    if (isValTaken())
    {
        buf += ' ';
        if (isValOptional())
        {
            buf += '[';
        }
        buf += ValueDescription();
        if (isList())
        {
            buf += " ...";
        }
        if (isValOptional())
        {
            buf += ']';
        }
    }
    buf += ']';
    return buf;
}

Options::Options(const char *name, const char *const optv[])
    : explicit_end(0)
    , optctrls(DEFAULT)
    , optvec(optv)
    , nextchar(nullptr)
    , listopt(nullptr)
    , cmdname(name)
{
    if (cmdname)
    {
        const char *slash = std::strrchr(cmdname, '/');
        if (slash)
        {
            cmdname = slash + 1;
        }
    }
    else
    {
        cmdname = "";
    }

    bool bad = false;
    for (const char *const *p = optvec; p && *p; ++p)
    {
        if (OptionSpec(*p).isSyntaxError(cmdname))
        {
            bad = true;
        }
    }
    if (bad)
    {
        std::exit(127);
    }
}

Options::~Options() = default;

const char *Options::longPrefix() const
{
    return (optctrls & LONG_ONLY) ? "-" : "--";
}

bool Options::isOption(const char *word) const
{
    // Even a lone "-" is an option word: it names no option and is refused,
    // rather than taken as a command word or a value such as a path.
    if (!word || !word[0])
    {
        return false;
    }
    return word[0] == '-' || (word[0] == '+' && (optctrls & PLUS));
}

OptionSpec Options::matchShort(char ch) const
{
    const bool anyCase = (optctrls & ANYCASE) != 0;
    for (const char *const *p = optvec; p && *p; ++p)
    {
        OptionSpec spec(*p);
        if (!spec.hasShortForm())
        {
            continue;
        }
        if (spec.OptChar() == ch || (anyCase && lower(spec.OptChar()) == lower(ch)))
        {
            return spec;
        }
    }
    return OptionSpec();
}

OptionSpec Options::matchLong(const char *name, size_t length, bool &ambiguous) const
{
    ambiguous = false;
    OptionSpec partial;
    // An empty name ("--=x") is the start of every long name: ambiguous as
    // soon as there are two.
    for (const char *const *p = optvec; p && *p; ++p)
    {
        OptionSpec spec(*p);
        const size_t longLength = spec.LongOptLength();
        if (longLength == 0 || length > longLength)
        {
            continue;
        }
        if (!equalsIgnoringCase(spec.LongOpt(), name, length))
        {
            continue;
        }
        if (length == longLength)
        {
            ambiguous = false;
            return spec;
        }
        if (partial.isNULL())
        {
            partial = spec;
        }
        else
        {
            ambiguous = true;
        }
    }
    return ambiguous ? OptionSpec() : partial;
}

bool Options::takeValue(const OptionSpec &spec, OptIter &iter, const char *&optarg)
{
    const char *word = iter.curr();
    if (word && (spec.isValRequired() || !isOption(word)))
    {
        optarg = word;
        iter.next();
        if (spec.isList())
        {
            listopt = spec.spec;
        }
        return true;
    }
    optarg = nullptr;
    return false;
}

int Options::parseShort(OptIter &iter, const char *&optarg)
{
    listopt = nullptr;
    const char *at = nextchar;
    // A lone "-" leaves no character to read: it matches no option.
    const char ch = *nextchar;
    nextchar = ch ? nextchar + 1 : nextchar;
    if (!*nextchar)
    {
        nextchar = nullptr;
    }

    const OptionSpec spec = matchShort(ch);
    if (spec.isNULL())
    {
        if (!(optctrls & NOGUESSING))
        {
            const char *rest = nextchar;
            int rc;
            {
                ScopedCtrls guess(*this, QUIET | NOGUESSING);
                nextchar = at;
                rc = parseLong(iter, optarg);
            }
            if (rc > 0)
            {
                return rc;
            }
            nextchar = rest;
        }
        if (!(optctrls & QUIET))
        {
            std::cerr << cmdname << ": unknown option -";
            if (ch)
            {
                std::cerr << ch;
            }
            std::cerr << "." << std::endl;
        }
        optarg = at;
        return BADCHAR;
    }

    if (spec.isNoArg())
    {
        optarg = nullptr;
        return result(spec.OptChar());
    }

    if (nextchar)
    {
        optarg = nextchar;
        nextchar = nullptr;
        if (spec.isList())
        {
            listopt = spec.spec;
        }
        return result(spec.OptChar());
    }

    if (!takeValue(spec, iter, optarg) && spec.isValRequired() && !(optctrls & QUIET))
    {
        std::cerr << cmdname << ": argument required for -" << ch << " option." << std::endl;
    }
    return result(spec.OptChar());
}

int Options::parseLong(OptIter &iter, const char *&optarg)
{
    listopt = nullptr;
    const char *text = nextchar;
    const char *separator = std::strpbrk(text, ":=");
    size_t length = separator ? static_cast<size_t>(separator - text) : std::strlen(text);
    const char *value = separator ? separator + 1 : nullptr;
    // A blank ends the name too ("--help x" is the help option).
    for (size_t i = 0; i < length; ++i)
    {
        if (isBlank(text[i]))
        {
            length = i;
            break;
        }
    }

    bool ambiguous = false;
    const OptionSpec spec = matchLong(text, length, ambiguous);
    if (spec.isNULL())
    {
        if (!ambiguous && *text && !(optctrls & NOGUESSING))
        {
            int rc;
            {
                ScopedCtrls guess(*this, QUIET | NOGUESSING);
                rc = parseShort(iter, optarg);
            }
            if (rc > 0)
            {
                return rc;
            }
        }
        if (!(optctrls & QUIET))
        {
            std::cerr << cmdname << ": " << (ambiguous ? "ambiguous" : "unknown") << " option " << longPrefix() << text
                      << "." << std::endl;
        }
        optarg = text;
        nextchar = nullptr;
        return ambiguous ? AMBIGUOUS : BADKWD;
    }

    nextchar = nullptr;
    const std::string longName(spec.LongOpt(), spec.LongOptLength());
    if (spec.isNoArg())
    {
        if (value && !(optctrls & QUIET))
        {
            std::cerr << cmdname << ": option " << longPrefix() << longName << " does NOT take an argument."
                      << std::endl;
        }
        optarg = value;
        return result(spec.OptChar());
    }

    if (value)
    {
        optarg = value;
        if (spec.isList())
        {
            listopt = spec.spec;
        }
        return result(spec.OptChar());
    }

    if (!takeValue(spec, iter, optarg) && spec.isValRequired() && !(optctrls & QUIET))
    {
        std::cerr << cmdname << ": argument required for " << longPrefix() << longName << " option." << std::endl;
    }
    return result(spec.OptChar());
}

int Options::operator()(OptIter &iter, const char *&optarg)
{
    const bool parsePos = (optctrls & PARSE_POS) != 0;
    if (!parsePos)
    {
        explicit_end = 0;
    }
    optarg = nullptr;

    if (nextchar)
    {
        return parseShort(iter, optarg);
    }

    for (;;)
    {
        const char *word = iter.curr();
        if (!word)
        {
            listopt = nullptr;
            return ENDOPTS;
        }
        if (!explicit_end && std::strcmp(word, "--") == 0)
        {
            iter.next();
            listopt = nullptr;
            explicit_end = 1;
            if (parsePos)
            {
                continue;
            }
            return ENDOPTS;
        }
        const bool plusWord = (optctrls & PLUS) && word[0] == '+';
        // Under SHORT_ONLY a "+" word carries a further value of the current
        // list option; without one it is an ordinary word and stays unconsumed.
        const bool strayPlus = plusWord && (optctrls & SHORT_ONLY) && !listopt;
        if (explicit_end || !isOption(word) || strayPlus)
        {
            if (parsePos)
            {
                optarg = word;
                iter.next();
                return POSITIONAL;
            }
            return ENDOPTS;
        }

        iter.next();
        const bool shortOnly = (optctrls & SHORT_ONLY) != 0;
        if (!shortOnly && word[0] == '-' && word[1] == '-')
        {
            nextchar = word + 2;
            return parseLong(iter, optarg);
        }
        if (!shortOnly && plusWord)
        {
            nextchar = word + 1;
            return parseLong(iter, optarg);
        }
        if (word[0] == '-')
        {
            nextchar = word + 1;
            return (optctrls & LONG_ONLY) ? parseLong(iter, optarg) : parseShort(iter, optarg);
        }
        optarg = word;
        // listopt already has any hidden prefix removed: read its character
        // directly rather than stripping a leading "-" a second time.
        return result(listopt ? listopt[0] : '\0');
    }
}

void Options::usage(std::ostream &os, const char *positionals) const
{
    os << "usage: " << cmdname;
    size_t length = std::strlen(cmdname) + 7;
    const size_t margin = length + 1;
    bool first = true;

    auto place = [&](const std::string &item) {
        if (item.empty())
        {
            return;
        }
        const size_t width = first ? kUsageWidth - 1 : kUsageWidth;
        first = false;
        if (length + item.size() + 1 > width)
        {
            os << '\n' << std::string(margin, ' ') << item;
            length = margin + item.size();
        }
        else
        {
            os << ' ' << item;
            length += item.size() + 1;
        }
    };

    std::string item;
    for (const char *const *p = optvec; p && *p; ++p)
    {
        const OptionSpec spec(*p);
        if (!spec.isHiddenOpt())
        {
            place(spec.Format(item, optctrls));
        }
    }
    if (positionals)
    {
        place(positionals);
    }
    os << '\n';
}
