#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>

//! Source of the argument words that Options parses.
class OptIter
{
public:
    virtual ~OptIter();

    //! The current word without consuming it; null at the end.
    virtual const char *curr() = 0;
    //! Consumes the current word.
    virtual void next() = 0;
    //! Returns the current word and consumes it.
    virtual const char *operator()();
};

//! An OptIter that can start over from its first word.
class OptIterRwd : public OptIter
{
public:
    virtual void rewind() = 0;
};

//! Walks an argument array of a known length.
class OptArgvIter : public OptIterRwd
{
public:
    OptArgvIter(int argc, const char *const argv[]);

    const char *curr() override;
    void next() override;
    void rewind() override;

    //! Position of the current word: after parsing, the first word that
    //! follows the options.
    int index() const { return ndx; }

private:
    int ndx;
    int ac;
    const char *const *av;
};

//! One option specification: [-]<char><kind>[<long name>][ <value description>].
class OptionSpec
{
public:
    explicit OptionSpec(const char *decl = nullptr);

    //! The option's identifying character (a blank or a non-printable one when
    //! the option has no short form).
    char OptChar() const { return spec ? spec[0] : '\0'; }
    //! Whether OptChar() can be written as a short option.
    bool hasShortForm() const;
    //! The long name, running up to the first blank or the end; null if none.
    const char *LongOpt() const;
    //! Length of the long name (0 when there is none).
    size_t LongOptLength() const;
    //! The value description of the usage line.
    std::string ValueDescription() const;

    bool isNoArg() const { return kind() == '|' || kind() == '\0'; }
    bool isValTaken() const { return isValOptional() || isValRequired(); }
    bool isValOptional() const { return kind() == '?' || kind() == '*'; }
    bool isValRequired() const { return kind() == ':' || kind() == '+'; }
    bool isList() const { return kind() == '*' || kind() == '+'; }
    bool isHiddenOpt() const { return hidden; }
    bool isNULL() const { return spec == nullptr; }

    //! Checks this option string, writing the diagnostics for @a name to
    //! standard error when it is malformed.
    bool isSyntaxError(const char *name) const;

    //! Puts the usage item of this option into @a buf (empty when the
    //! controls leave it with neither form) and returns it.
    std::string &Format(std::string &buf, unsigned optctrls) const;

    unsigned hidden : 1;
    const char *spec;

private:
    char kind() const { return (spec && spec[0]) ? spec[1] : '\0'; }
};

//! Parses option words one at a time against a null-terminated table of
//! option specifications, and writes the matching usage line.
class Options
{
public:
    enum OptCtrl
    {
        DEFAULT = 0x00,
        ANYCASE = 0x01,
        QUIET = 0x02,
        PLUS = 0x04,
        SHORT_ONLY = 0x08,
        LONG_ONLY = 0x10,
        NOGUESSING = 0x20,
        PARSE_POS = 0x40
    };

    //! Results of operator(); any positive result is an option character.
    enum OptRC
    {
        ENDOPTS = 0,
        BADCHAR = -1,
        BADKWD = -2,
        AMBIGUOUS = -3,
        POSITIONAL = -4
    };

    //! Ends the process with status 127 when @a optv holds a malformed
    //! specification.
    Options(const char *name, const char *const optv[]);
    virtual ~Options();

    const char *name() const { return cmdname; }
    unsigned ctrls() const { return optctrls; }
    void ctrls(unsigned newctrls) { optctrls = newctrls & 0x7f; }
    //! Whether a "--" word ended the options.
    bool explicit_endopts() const { return explicit_end; }

    //! Returns the next option character (its value in @a optarg, null when
    //! none) or one of the OptRC codes.
    int operator()(OptIter &iter, const char *&optarg);

    //! Writes the usage line, wrapped at 79 columns, ending with @a positionals.
    void usage(std::ostream &os, const char *positionals) const;

private:
    bool isOption(const char *word) const;
    OptionSpec matchShort(char ch) const;
    OptionSpec matchLong(const char *name, size_t length, bool &ambiguous) const;
    int parseShort(OptIter &iter, const char *&optarg);
    int parseLong(OptIter &iter, const char *&optarg);
    //! Takes the next word as the value of @a spec when the rules allow it.
    bool takeValue(const OptionSpec &spec, OptIter &iter, const char *&optarg);
    //! The long-option prefix shown in messages.
    const char *longPrefix() const;

    unsigned explicit_end : 1;
    unsigned optctrls : 7;
    const char *const *optvec;
    const char *nextchar;
    const char *listopt;
    const char *cmdname;
};
