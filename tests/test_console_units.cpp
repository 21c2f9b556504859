// The console updater's pieces that decide without a controller: versions,
// image identity, the options, the events' JSON form, the plain output and
// the exit status.
#include "console/consoleoptions.h"
#include "console/controllerupdate.h"
#include "console/exitcodes.h"
#include "console/imagecheck.h"
#include "console/jsonevents.h"
#include "console/progressoutput.h"
#include "console/summary.h"
#include "window/embeddedfirmware.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>

#include <cstdio>
#include <string>

namespace {

using Outcome = UpdateEvent::Outcome;

QByteArray image(const char *variant)
{
    QFile file(QStringLiteral(VORN_FIRMWARE_DIR "/vorn_tarsel_v_0.5.20_%1.bin").arg(variant));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(ConsoleImageCheck, AnImageFitsOnlyTheVariantItsTrailerNames)
{
    for (const vorn::ControllerVariant &variant : vorn::kVariants)
    {
        const QByteArray own = image(variant.name);
        ASSERT_FALSE(own.isEmpty()) << variant.name;
        for (const vorn::ControllerVariant &other : vorn::kVariants)
        {
            EXPECT_EQ(imagecheck::mismatch(own, other).isEmpty(), &variant == &other)
                << variant.name << " on " << other.name;
        }
    }
    EXPECT_FALSE(imagecheck::mismatch(image("black").left(0x70004), vorn::kBlackVariant).isEmpty())
        << "an image too short for its identity";
    EXPECT_EQ(embeddedfirmware::versionOf(image("smoked")), "0.5.20");
    EXPECT_EQ(embeddedfirmware::versionOf(QByteArray()), "0.0.0");
}

ParsedOptions parse(const QStringList &arguments)
{
    return parseConsoleOptions(QStringList{ "kelvo-updater", "--cli" } + arguments);
}

TEST(ConsoleOptions, ConflictsAndStrayWordsAreUsageErrors)
{
    // The help text names the program from the application's arguments.
    int argc = 1;
    char name[] = "kelvo-updater";
    char *argv[] = { name, nullptr };
    QCoreApplication application(argc, argv);

    EXPECT_EQ(parse({ "--device", "/dev/hidraw0", "--all" }).next, ParsedOptions::Next::Usage);
    EXPECT_EQ(parse({ "--list", "--yes" }).next, ParsedOptions::Next::Usage);
    EXPECT_EQ(parse({ "update" }).next, ParsedOptions::Next::Usage);
    EXPECT_EQ(parse({ "--frobnicate" }).next, ParsedOptions::Next::Usage);
    EXPECT_EQ(parse({ "--device" }).next, ParsedOptions::Next::Usage) << "a missing value";

    const ParsedOptions all = parse({ "--all", "--yes", "--allow-older", "--verify", "--image", "x.bin", "--json" });
    ASSERT_EQ(all.next, ParsedOptions::Next::Run);
    EXPECT_TRUE(all.options.all && all.options.yes && all.options.allowOlder && all.options.verify &&
                all.options.json);
    EXPECT_EQ(all.options.image, "x.bin");

    // One controller's run of --all gets the same choices, its device, and no question.
    const ParsedOptions one = parse(forwardedArguments(all.options, "/dev/hidraw3").mid(1));
    ASSERT_EQ(one.next, ParsedOptions::Next::Run);
    EXPECT_FALSE(one.options.all);
    EXPECT_EQ(one.options.device, "/dev/hidraw3");
    EXPECT_TRUE(one.options.yes && one.options.json && one.options.allowOlder && one.options.verify);
    EXPECT_EQ(one.options.image, "x.bin");

    const ParsedOptions help = parse({ "--help" });
    EXPECT_EQ(help.next, ParsedOptions::Next::Help);
    EXPECT_TRUE(help.text.contains("4  refused")) << "the exit codes are in the help";
}

UpdateEvent event(UpdateEvent::Kind kind, const QString &device = "/dev/hidraw0")
{
    UpdateEvent made;
    made.kind = kind;
    made.device = device;
    made.serial = "VSIM0001";
    return made;
}

TEST(ConsoleJson, EveryEventSurvivesTheWayThroughOneLine)
{
    UpdateEvent progress = event(UpdateEvent::Kind::Progress, "\\\\?\\hid#\"quoted\"");
    progress.step = "write";
    progress.percent = 37;
    UpdateEvent result = event(UpdateEvent::Kind::Result);
    result.outcome = Outcome::Refused;
    result.message = "has firmware 0.6.0";
    UpdateEvent ended = event(UpdateEvent::Kind::StepEnded);
    ended.step = "erase";
    ended.ok = true;
    for (const UpdateEvent &original : { progress, result, ended })
    {
        const QByteArray line = jsonevents::toLine(original);
        EXPECT_EQ(line.count('\n'), 1);
        EXPECT_TRUE(line.endsWith('\n'));
        UpdateEvent back;
        ASSERT_TRUE(jsonevents::fromLine(line, back)) << line.toStdString();
        EXPECT_EQ(back.kind, original.kind);
        EXPECT_EQ(back.device, original.device);
        EXPECT_EQ(back.serial, original.serial);
        EXPECT_EQ(back.step, original.step);
        EXPECT_EQ(back.percent, original.kind == UpdateEvent::Kind::Progress ? 37 : -1);
        EXPECT_EQ(back.ok, original.ok);
        EXPECT_EQ(back.outcome, original.outcome);
        EXPECT_EQ(back.message, original.message);
    }
    UpdateEvent ignored;
    EXPECT_FALSE(jsonevents::fromLine("vornsim: a warning\n", ignored));
    EXPECT_FALSE(jsonevents::fromLine("{\"event\":\"unheard-of\"}\n", ignored));
}

TEST(ConsoleSummary, AFailureOutweighsARefusalWhichOutweighsSuccess)
{
    auto status = [](std::initializer_list<Outcome> outcomes) {
        Summary summary;
        int n = 0;
        for (Outcome outcome : outcomes)
        {
            UpdateEvent result = event(UpdateEvent::Kind::Result, QString("/dev/hidraw%1").arg(n++));
            result.outcome = outcome;
            summary.take(result);
            summary.take(event(UpdateEvent::Kind::StepStarted));
        }
        return summary.exitStatus();
    };
    EXPECT_EQ(status({ Outcome::Updated, Outcome::UpToDate }), exitcodes::kDone);
    EXPECT_EQ(status({ Outcome::Updated, Outcome::Refused }), exitcodes::kRefused);
    EXPECT_EQ(status({ Outcome::Refused, Outcome::Failed, Outcome::Updated }), exitcodes::kFailure);
    EXPECT_EQ(status({ Outcome::Stopped }), exitcodes::kFailure);

    Summary summary;
    FoundController lost{ "/dev/hidraw4", &vorn::kVariants[0], "VSIM0005" };
    summary.take(resultAbout(lost, Outcome::Failed, "ended without a result"));
    EXPECT_EQ(summary.exitStatus(), exitcodes::kFailure);
    EXPECT_EQ(summary.lines().value(1), "  /dev/hidraw4 (VSIM0005): ended without a result");
}

TEST(ConsolePlainOutput, TheWriteShowsOneLinePerTenPercentPerController)
{
    char *text = nullptr;
    size_t size = 0;
    std::FILE *stream = open_memstream(&text, &size);
    ASSERT_NE(stream, nullptr);
    {
        PlainProgress output(stream);
        for (const char *device : { "/dev/hidraw0", "/dev/hidraw1" })
        {
            UpdateEvent started = event(UpdateEvent::Kind::StepStarted, device);
            started.step = "write";
            output.take(started);
        }
        for (int percent = 0; percent <= 100; ++percent)
        {
            for (const char *device : { "/dev/hidraw0", "/dev/hidraw1" })
            {
                UpdateEvent progress = event(UpdateEvent::Kind::Progress, device);
                progress.step = "write";
                progress.percent = percent;
                output.take(progress);
            }
        }
    }
    std::fclose(stream);
    const QString shown = QString::fromLocal8Bit(text, static_cast<int>(size));
    std::free(text);
    // Per controller: the start, then 10 % to 100 %.
    EXPECT_EQ(shown.count('\n'), 2 * 11) << shown.toStdString();
    EXPECT_EQ(shown.count("VSIM0001: writing 50 %\n"), 2);
    EXPECT_EQ(shown.count("writing 51 %"), 0);
}

//! What @a feed makes an output write into a memory stream.
template <typename Output, typename Feed>
QString written(Feed feed)
{
    char *text = nullptr;
    size_t size = 0;
    std::FILE *stream = open_memstream(&text, &size);
    {
        Output output(stream);
        feed(output);
    }
    std::fclose(stream);
    const QString shown = QString::fromLocal8Bit(text, static_cast<int>(size));
    std::free(text);
    return shown;
}

TEST(ConsoleLiveOutput, EachControllerKeepsOneLineThatIsRedrawnOnlyWhenItChanges)
{
    UpdateEvent first = event(UpdateEvent::Kind::StepStarted, "/dev/hidraw0");
    first.step = "erase";
    UpdateEvent second = event(UpdateEvent::Kind::StepStarted, "/dev/hidraw1");
    second.serial = "VSIM0002";
    second.step = "erase";
    UpdateEvent progress = event(UpdateEvent::Kind::Progress, "/dev/hidraw0");
    progress.step = "write";
    progress.percent = 42;

    const QString introduced = written<LiveProgress>([&](LiveProgress &output) {
        output.take(first);
        output.take(second);
    });
    EXPECT_EQ(introduced, "VSIM0001: erasing\nVSIM0002: erasing\n");

    const QString redrawn = written<LiveProgress>([&](LiveProgress &output) {
        output.take(first);
        output.take(second);
        output.take(second);
        output.take(progress);
        output.take(progress);
    });
    // Only the first controller's line changed, once: two lines up, rewritten, back down.
    EXPECT_EQ(redrawn.mid(introduced.size()), "\x1b[2A\r\x1b[2KVSIM0001: writing 42 %\x1b[2B\r");
}

} // namespace
