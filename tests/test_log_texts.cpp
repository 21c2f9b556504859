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
            EXPECT_EQ(formatProgress(text, index, count, percent), format_string(kLogProgressFormat, index, count, percent));
        }
        if (percent >= 0)
        {
            EXPECT_EQ(progressPercent(formatProgress(text, 1, 1, percent)), percent);
        }
    }
    EXPECT_EQ(versionFields(format_string(kLogVersionFormat, "13 00 05 00 00 00 ")), "13 00 05 00 00 00 ");
}

TEST(LogTexts, ReadersTellTheirTextFromAnyOther)
{
    struct Case
    {
        const char *text;
        bool success, failed, aborted;
        int percent;
        const char *fields;
    };
    const Case cases[] = {
        { "Response status = 0 (0x0) Success.\n", true, false, false, -1, "" },
        { "Response status = 10200 (0x27d8) kStatusMemoryRangeInvalid\n", false, true, false, -1, "" },
        { "Error: UsbHidPeripheral() cannot open USB HID device (vid=0x3b7c, pid=0x5e0d, sn=).", false, false, false, -1,
          "" },
        { "sendCommandGetResponse.readPacket error 5.\n", false, false, false, -1, "" },
        { "Data phase aborted by sender\n", false, false, true, -1, "" },
        { "Version: AB CD ", false, false, false, -1, "AB CD " },
        { "\r(1/1) 0%", false, false, false, 0, "" },
        { "\r(1/1)42%", false, false, false, 42, "" },
        { "\r(1/1)100%", false, false, false, 100, "" },
        { "\r(1/1)4x%", false, false, false, -1, "" },
        { "\r(1/1)%", false, false, false, -1, "" },
        { "(1/1)50%", false, false, false, -1, "" },
        { "Response word 1 = 100 (0x64)\n", false, false, false, -1, "" },
    };
    for (const Case &c : cases)
    {
        EXPECT_EQ(isSuccessStatus(c.text), c.success) << c.text;
        EXPECT_EQ(isFailedStatus(c.text), c.failed) << c.text;
        EXPECT_EQ(reportsDataPhaseAbort(c.text), c.aborted) << c.text;
        EXPECT_EQ(progressPercent(c.text), c.percent) << c.text;
        EXPECT_EQ(versionFields(c.text), c.fields) << c.text;
    }
}

} // namespace
