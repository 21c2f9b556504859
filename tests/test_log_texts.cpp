#include "blfwk/Command.h"
#include "blfwk/format_string.h"
#include "blfwk/log_texts.h"

#include <gtest/gtest.h>

#include <utility>

using namespace blfwk;

namespace {

TEST(LogTexts, TheEnginesStatusLinesAreWhatTheWindowLooksFor)
{
    auto statusLine = [](status_t status) {
        return format_string(kLogStatusFormat, status, static_cast<unsigned>(status),
                             Command::getStatusMessage(status).c_str());
    };
    EXPECT_TRUE(isSuccessStatus(statusLine(kStatus_Success)));
    EXPECT_FALSE(isFailedStatus(statusLine(kStatus_Success)));
    EXPECT_TRUE(isFailedStatus(statusLine(kStatus_NoResponse)));
    EXPECT_TRUE(isFailedStatus(statusLine(kStatus_Fail)));
    char text[kProgressTextSize];
    for (int percent : { 0, 7, 10, 99, 100, -3, 2147483647 })
    {
        for (auto [index, count] : { std::pair{ 1, 1 }, std::pair{ 12, 345 }, std::pair{ -2147483647 - 1, 0 } })
        {
            EXPECT_EQ(formatProgress(text, index, count, percent),
                      format_string(kLogProgressFormat, index, count, percent));
        }
        EXPECT_EQ(progressPercent(formatProgress(text, 1, 1, percent)), percent < 0 ? -1 : percent);
    }
    EXPECT_EQ(versionFields(format_string(kLogVersionFormat, "13 00 05 00 00 00 ")), "13 00 05 00 00 00 ");
}

TEST(LogTexts, ReadersTellTheirTextFromAnyOther)
{
    EXPECT_TRUE(reportsDataPhaseAbort("Data phase aborted by sender\n"));
    for (const char *other : { "Error: UsbHidPeripheral() cannot open USB HID device (vid=0x3b7c, pid=0x5e0d, sn=).",
                               "sendCommandGetResponse.readPacket error 5.\n", "\r(1/1)4x%", "\r(1/1)%", "(1/1)50%",
                               "Response word 1 = 100 (0x64)\n" })
    {
        EXPECT_FALSE(isSuccessStatus(other)) << other;
        EXPECT_FALSE(isFailedStatus(other)) << other;
        EXPECT_FALSE(reportsDataPhaseAbort(other)) << other;
        EXPECT_EQ(progressPercent(other), -1) << other;
        EXPECT_EQ(versionFields(other), "") << other;
    }
}

} // namespace
