#include "blfwk/Logging.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace {

//! Records every emitted text, one entry per log call.
class CapturingLogger : public StdoutLogger
{
public:
    CapturingLogger()
    {
        QObject::connect(this, &Logger::newLogMsg, [this](const QString &msg) { texts << msg; });
    }
    QStringList texts;
};

class LoggingTest : public ::testing::Test
{
protected:
    void SetUp() override { Log::setLogger(&logger); }
    void TearDown() override { Log::setLogger(nullptr); }
    CapturingLogger logger;
};

TEST_F(LoggingTest, InfoFilterPassesUpToInfoAndDropsDebugLevels)
{
    Log::urgent("u");
    Log::error("e");
    Log::warning("w");
    Log::info("i");
    Log::info2("i2");
    Log::debug("d");
    Log::debug2("d2");
    EXPECT_EQ(logger.texts, (QStringList{ "u", "e", "w", "i" }));
}

TEST_F(LoggingTest, Debug2FilterPassesEveryLevelButJson)
{
    logger.setFilterLevel(Logger::kDebug2);
    Log::error("e");
    Log::info2("i2");
    Log::debug("d");
    Log::debug2("d2");
    Log::json("j");
    EXPECT_EQ(logger.texts, (QStringList{ "e", "i2", "d", "d2" }));
}

TEST_F(LoggingTest, JsonOnlyUnderTheJsonFilterWhereOnlyUrgentAlsoPasses)
{
    Log::json("{}");
    EXPECT_TRUE(logger.texts.isEmpty()) << "json is dropped under kInfo although its level is lower";

    logger.setFilterLevel(Logger::kJson);
    Log::json("{ \"a\" : %d }", 1);
    Log::urgent("u");
    Log::error("e");
    Log::warning("w");
    Log::info("i");
    EXPECT_EQ(logger.texts, (QStringList{ "{ \"a\" : 1 }", "u" }));
}

TEST_F(LoggingTest, EachCallIsOneTextExactlyAsFormatted)
{
    Log::info("Inject command '%s'\n", "reset");
    Log::info("\r(%d/%d)%2d%%", 1, 1, 7);
    Log::info("%02X ", 0xab);
    ASSERT_EQ(logger.texts.size(), 3);
    EXPECT_EQ(logger.texts[0], "Inject command 'reset'\n");
    EXPECT_EQ(logger.texts[1], "\r(1/1) 7%");
    EXPECT_EQ(logger.texts[2], "AB ");
}

TEST_F(LoggingTest, LongMessagesArriveWhole)
{
    std::string big(20000, 'x');
    big += "end\n";
    Log::error("%s", big.c_str());
    ASSERT_EQ(logger.texts.size(), 1);
    EXPECT_EQ(logger.texts[0].toStdString(), big);
}

TEST_F(LoggingTest, StringOverloadIsTakenLiterallyNotAsAFormat)
{
    logger.log(Logger::kError, std::string("Error: 100% sure %s %n\n"));
    logger.log(std::string("at output level"));
    EXPECT_EQ(logger.texts, (QStringList{ "Error: 100% sure %s %n\n", "at output level" }));
}

TEST_F(LoggingTest, OutputLevelAppliesToCallsWithoutALevel)
{
    logger.setOutputLevel(Logger::kDebug);
    logger.log("hidden %d", 1);
    logger.setOutputLevel(Logger::kWarning);
    logger.log("shown %d", 2);
    EXPECT_EQ(logger.texts, (QStringList{ "shown 2" }));
}

TEST_F(LoggingTest, StdoutLoggerPrintsTheSameText)
{
    testing::internal::CaptureStdout();
    Log::info("line one\n");
    Log::info("no newline");
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "line one\nno newline");
}

TEST(LogFacade, WithoutALoggerEveryCallIsANoOp)
{
    Log::setLogger(nullptr);
    testing::internal::CaptureStdout();
    Log::urgent("a");
    Log::json("b");
    Log::error("c");
    Log::info("%s", "d");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(Log::getLogger(), nullptr);
}

TEST(FileLoggerTest, TruncatesAndWritesEveryMessageAtOnce)
{
    const char *path = "file_logger_test.log";
    {
        std::ofstream stale(path);
        stale << "stale contents";
    }
    FileLogger logger(path);
    logger.setFilterLevel(Logger::kDebug2);
    Log::setLogger(&logger);
    Log::debug2("[%02x]\n", 1);
    Log::info("done");

    // Flushed per message: the file is complete while the logger still lives.
    std::ifstream in(path);
    std::stringstream contents;
    contents << in.rdbuf();
    EXPECT_EQ(contents.str(), "[01]\ndone");
    Log::setLogger(nullptr);
    std::remove(path);
}

} // namespace
