#include "engine_run.h"

#include "blfwk/Logging.h"
#include "blfwk/status_codes.h"
#include "rivuvo.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace fuzzrun {

namespace {

//! Formats every message that passes the filter, like the console tool's
//! logger, but neither prints nor emits it: output would only slow the
//! fuzzer down.
class SilentLogger : public StdoutLogger
{
protected:
    void _log(const char *) override {}
};

std::filesystem::path &scratchDirectory()
{
    static std::filesystem::path path;
    return path;
}

void removeScratchDirectory()
{
    std::error_code ignored;
    std::filesystem::remove_all(scratchDirectory(), ignored);
}

} // namespace

void require(bool ok, const char *what)
{
    if (!ok)
    {
        std::fprintf(stderr, "fuzz: %s\n", what);
        std::abort();
    }
}

void enterScratchDirectory()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "vorn-fuzz-XXXXXX").string();
    require(mkdtemp(pattern.data()) != nullptr, "cannot create a scratch directory");
    scratchDirectory() = pattern;
    require(chdir(pattern.c_str()) == 0, "cannot enter the scratch directory");
    std::atexit(removeScratchDirectory);
    // The controller's lock of each run goes there too: fuzzers running side
    // by side each have a virtual controller of their own.
    require(setenv("VORN_LOCK_DIR", pattern.c_str(), 1) == 0, "cannot set the lock directory");

    const int null = open("/dev/null", O_WRONLY);
    require(null >= 0 && dup2(null, STDOUT_FILENO) >= 0, "cannot send standard output to /dev/null");
    close(null);
}

const char kImageName[] = "updatefile.bin";

void resetScratchDirectory()
{
    for (const auto &entry : std::filesystem::directory_iterator(scratchDirectory()))
    {
        std::filesystem::remove_all(entry.path());
    }
    std::FILE *file = std::fopen(kImageName, "wb");
    require(file != nullptr, "cannot write the image file");
    for (size_t i = 0; i < kImageSize; ++i)
    {
        std::fputc(static_cast<int>(i * 7 + 3) & 0xff, file);
    }
    require(std::fclose(file) == 0, "cannot write the image file");
}

int runEngine(std::vector<std::string> words)
{
    words.insert(words.begin(), "rivuvo");
    std::vector<char *> argv;
    for (std::string &word : words)
    {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    SilentLogger logger;
    logger.setFilterLevel(Logger::kInfo);
    Log::setLogger(&logger);
    int code;
    {
        RiVuvo rivuvo(static_cast<int>(words.size()), argv.data(), nullptr);
        rivuvo.m_logger = &logger;
        code = rivuvo.run();
    }
    require(Log::getLogger() == &logger, "the run replaced the installed logger");
    Log::setLogger(nullptr);
    require(code == 0 || code == 1 || code == kStatus_NoResponse, "result code other than 0, 1 and 10004");
    return code;
}

} // namespace fuzzrun
