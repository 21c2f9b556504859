#pragma once

class Options;

// The driver's option table and its help texts. They are printed only by the
// console form of the engine; the updater never shows them.

//! Option table of the driver in the parser's syntax, ended by a null entry.
extern const char *const k_optionsDefinition[];
//! Positional part of the usage line.
extern const char *const k_positionals;
//! The three help blocks, each beginning with a newline and its title.
extern const char *const k_optionUsage;
extern const char *const k_memoryId;
extern const char *const k_commandUsage;

//! Writes the three help blocks to standard output, unchanged.
void printUsage();
//! Writes the parser's usage line for the option table to standard output.
void printUsageLine(const Options &options);
//! The usage line, then the three help blocks.
void printHelp(const Options &options);
