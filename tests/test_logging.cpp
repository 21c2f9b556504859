#include "blfwk/Logging.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

//! Installs a StdoutLogger and records every text it emits.
class LoggingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QObject::connect(&logger, &Logger::newLogMsg, [this](const QString &msg) { texts << msg; });
        Log::setLogger(&logger);
    }
    void TearDown() override { Log::setLogger(nullptr); }
    StdoutLogger logger;
    QStringList texts;
};

void logAtEveryLevel()
{
    Log::urgent("u");
    Log::json("j");
    Log::error("e");
    Log::warning("w");
    Log::info("i");
    Log::info2("i2");
    Log::debug("d");
    Log::debug2("d2");
}

TEST_F(LoggingTest, PassesLevelsUpToTheFilterAndJsonOnlyUnderTheJsonFilter)
{
    logAtEveryLevel();
    EXPECT_EQ(texts, (QStringList{"u", "e", "w", "i"})) << "json is dropped although its level is lower";

    texts.clear();
    logger.setFilterLevel(Logger::kDebug2);
    logAtEveryLevel();
    EXPECT_EQ(texts, (QStringList{"u", "e", "w", "i", "i2", "d", "d2"}));

    texts.clear();
    logger.setFilterLevel(Logger::kJson);
    logAtEveryLevel();
    EXPECT_EQ(texts, (QStringList{"u", "j"}));

    Log::setLogger(nullptr);
    logAtEveryLevel();
    EXPECT_EQ(texts, (QStringList{"u", "j"})) << "with no logger installed every call is a no-op";
}

TEST_F(LoggingTest, EachCallPrintsAndEmitsOneTextExactlyAsFormatted)
{
    testing::internal::CaptureStdout();
    Log::info("Inject command '%s'\n", "reset");
    Log::info("\r(%d/%d)%2d%%", 1, 1, 7);
    const std::string big = std::string(20000, 'x') + "end\n";
    Log::error("%s", big.c_str());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Inject command 'reset'\n\r(1/1) 7%" + big);
    EXPECT_EQ(texts, (QStringList{ "Inject command 'reset'\n", "\r(1/1) 7%", QString::fromStdString(big) }));
}

TEST_F(LoggingTest, CallsWithoutALevelUseTheOutputLevelAndStringsAreNoFormat)
{
    logger.setOutputLevel(Logger::kDebug);
    logger.log("hidden %d", 1);
    logger.setOutputLevel(Logger::kWarning);
    logger.log("shown %d", 2);
    logger.log(Logger::kError, std::string("Error: 100% sure %s %n\n"));
    logger.log(std::string("50%d"));
    EXPECT_EQ(texts, (QStringList{"shown 2", "Error: 100% sure %s %n\n", "50%d"}));
}

TEST(FileLoggerTest, TruncatesTheFileAndFlushesEveryMessage)
{
    const char *path = "file_logger_test.log";
    std::ofstream(path) << "stale contents";
    FileLogger logger(path);
    logger.setFilterLevel(Logger::kDebug2);
    logger.log(Logger::kDebug2, "[%02x]\n", 1);
    logger.log("done");

    std::stringstream contents;
    contents << std::ifstream(path).rdbuf();
    EXPECT_EQ(contents.str(), "[01]\ndone");
    std::remove(path);
}

} // namespace
