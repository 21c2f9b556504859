#pragma once

#include <cstddef>
#include <string>
#include <vector>

//! What the engine's fuzz targets share: a private working directory, and one
//! engine command line run in-process as the console tool runs it, its log
//! formatted at every level it asks for but printed nowhere.
namespace fuzzrun {

//! Creates a private directory (removed at exit), makes it the current one,
//! so that every file name the engine is given stays inside it, and sends
//! standard output (help texts, hex dumps) to /dev/null.
void enterScratchDirectory();

//! The image file that every input finds in the scratch directory.
extern const char kImageName[];
const size_t kImageSize = 2000;

//! Removes what the last run left in the scratch directory and writes the
//! image file afresh.
void resetScratchDirectory();

//! Runs "rivuvo" followed by @a words; returns the result code, which must be
//! one of the three the engine documents.
int runEngine(std::vector<std::string> words);

//! A broken rule is a finding: prints @a what and aborts.
void require(bool ok, const char *what);

} // namespace fuzzrun
