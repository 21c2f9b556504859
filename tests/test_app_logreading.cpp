// How the window reads single log texts of the engine, step by step, and how
// it turns byte fields into a version.
#include "window/logreading.h"
#include "mainwindow.h"

#include <gtest/gtest.h>

namespace {

using logreading::Outcome;
using logreading::Reading;

struct Row
{
    const char *text;
    Outcome outcome;
    const char *version = "";
    int percent = -1;
};

void expectReadings(Reading (*read)(const QString &), std::initializer_list<Row> rows)
{
    for (const Row &row : rows)
    {
        SCOPED_TRACE(row.text);
        const Reading reading = read(QString::fromLatin1(row.text));
        EXPECT_EQ(reading.outcome, row.outcome);
        EXPECT_EQ(reading.version, QLatin1String(row.version));
        EXPECT_EQ(reading.percent, row.percent);
    }
}

TEST(LogReading, AVersionReadFindsTheVersionAnAbortOrAFailedOpen)
{
    expectReadings(logreading::readVersionText,
                   {
                       { "Version: 14 00 05 00 00 00 ", Outcome::Version, "0.5.20" },
                       { "Version: 14 00 05 00 00 00 AA BB", Outcome::Version, "0.5.20" },
                       { "Data phase aborted by sender\n", Outcome::ReadAborted, "0.0.0" },
                       { "Error: UsbHidPeripheral() cannot open USB HID device (vid=0x3b7c, pid=0x5e0d, sn=).",
                         Outcome::OpenFailed },
                       { "Error: expected kReadMemoryResponse (0xa3), received 0xaf\n", Outcome::Failed },
                       // The names of the target's error statuses end in the same word.
                       { "Response status = 10209 (0x27e1) kStatusMemoryAddressError\n", Outcome::Failed },
                       { "version: 14 00 05 00 00 00", Outcome::Nothing },
                   });
}

TEST(LogReading, AnEraseIsConfirmedOnlyBySuccessAndTheResetLikewise)
{
    expectReadings(logreading::readEraseText, {
                                                  { "Response status = 0 (0x0) Success.\n", Outcome::Confirmed },
                                                  { "Response status = 10000 (0x2710) kStatus_UnknownCommand\n",
                                                    Outcome::Unconfirmed },
                                              });
    expectReadings(logreading::readResetText, {
                                                  { "Response status = 0 (0x0) Success.\n", Outcome::Confirmed },
                                                  { "Response status = 10000 (0x2710) kStatus_UnknownCommand\n",
                                                    Outcome::Nothing },
                                              });
}

TEST(LogReading, AWriteReportsPercentagesWithAFrameAndEveryAnswerButSuccessAsRefused)
{
    expectReadings(logreading::readWriteText,
                   {
                       { "\r(1/1) 0%", Outcome::Progress, "", 0 },
                       { "\r(1/1)100%", Outcome::Progress, "", 100 },
                       { "\r(1/1)250%", Outcome::Nothing },
                       { "Response status = 0 (0x0) Success.\n", Outcome::Nothing },
                       { "Response status = 10210 (0x27e2) kStatusMemoryBlankCheckFailed\n", Outcome::Refused },
                   });
}

TEST(Hex2Version, JoinsFieldPairsHighFirstSwapsOnlyAboveFiftyAndNeverFails)
{
    const std::pair<const char *, const char *> rows[] = {
        { "51 00 01 00 02 00", "2.1.81" },
        { "0a 01 FF 00 02 00", "2.266.255" },  // either case; 0x010A = 266
        { "01 00 51 00 02 00", "2.1.81" },     // 81 is above 50: swapped
        { "00 00 32 00 01 00", "1.50.0" },     // 50 itself does not swap
        { "", "0.0.0" },
        { "14 00 05", "0.5.20" },              // missing fields are empty
        { "zz 00 05 00 00 00", "0.5.0" },      // a pair that does not convert gives 0
        { " 14 00 05 00 00 00", "0.20.1280" }, // an empty field is kept
        { "123 456 05 00 00 00", "0.5.0" },    // more than 16 bits gives 0
    };
    for (const auto &row : rows)
    {
        EXPECT_EQ(MainWindow::hex2version(row.first), row.second) << row.first;
    }
}

} // namespace
