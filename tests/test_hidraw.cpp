// The production programs, linked with the system's hidapi, against the
// controller behind an emulated hidraw node (vornsim-hidraw under umockdev).
#include "product/controller_variants.h"
#include "sim_test_support.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <algorithm>
#include <ostream>

using namespace simtest;

namespace {

const QString kBlack = vorn::kBlackVariant.vidPid;
const QString kOpenFailure = "Error: UsbHidPeripheral() cannot open USB HID device (vid=0x3b7c, pid=0x5e03, sn=).";

struct Outcome
{
    int exitCode = -1;
    QByteArray output;
};

//! Runs @a program with the controller's settings @a settings (every other
//! VORN_ variable removed, but for this test's lock directory) and waits at
//! most @a seconds.
Outcome run(const QString &program, const QStringList &arguments, const QList<QPair<QString, QString>> &settings,
        const QString &directory, int seconds)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &key : environment.keys())
    {
        if (key.startsWith("VORN_") && key != "VORN_LOCK_DIR")
        {
            environment.remove(key);
        }
    }
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    for (const auto &setting : settings)
    {
        environment.insert(setting.first, setting.second);
    }
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(directory);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    if (!process.waitForFinished(seconds * 1000))
    {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << program.toStdString() << " did not end within " << seconds << " s";
    }
    return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput() };
}

//! A production program under vornsim-hidraw.
Outcome underHidraw(const QStringList &command, const QList<QPair<QString, QString>> &settings,
                const QString &directory, int seconds = 30, const QStringList &options = {})
{
    return run(VORNSIM_HIDRAW, options + QStringList{ "--" } + command, settings, directory, seconds);
}

QString imagePath(const char *variant)
{
    return QString(VORN_FIRMWARE_DIR "/vorn_tarsel_v_0.5.20_%1.bin").arg(variant);
}

//! The flash file begins with the variant's whole image, byte for byte.
bool flashHolds(const std::string &flash, const char *variant)
{
    const std::string image = readFile(imagePath(variant).toStdString());
    return image.size() == 458764 && readFile(flash).compare(0, image.size(), image) == 0;
}

//! The window's unattended walkthrough under vornsim-hidraw, saving its pages in @a dir.
Outcome walkthrough(const TempDir &dir, const char *limit, const QList<QPair<QString, QString>> &settings, int seconds)
{
    return underHidraw({ KELVO_UPDATER, "--walkthrough", QString::fromStdString(dir.file("pictures")),
                         "--walkthrough-limit", limit },
                       settings, QString::fromStdString(dir.file("")), seconds);
}

using ThroughTheSystemLibrary = ::testing::TestWithParam<const char *>;

// Version read, erase, whole write and reset at each report size: the same
// texts as the program linked with the virtual controller, and the image in
// flash byte for byte.
TEST_P(ThroughTheSystemLibrary, ProductionRivuvoUpdatesAsTheSimProgramDoes)
{
    TempDir dir;
    const std::string realFlash = dir.file("real.bin");
    const std::string simFlash = dir.file("sim.bin");
    auto settings = [&](const std::string &flash) {
        return QList<QPair<QString, QString>>{ { "VORN_SIM_VARIANT", "black" },
                                               { "VORN_SIM_MAX_PACKET", GetParam() },
                                               { "VORN_SIM_FLASH", QString::fromStdString(flash) } };
    };
    const QString directory = QString::fromStdString(dir.file(""));

    for (const QString &step : QStringList{ "read-memory 0x70006 6", "flash-erase-region 0x00 0x71000",
                                            "write-memory 0x0 " + imagePath("black"), "reset" })
    {
        const QStringList arguments = QStringList{ "-u", kBlack, "--" } + step.split(' ');
        const Outcome real = underHidraw(QStringList{ RIVUVO } + arguments, settings(realFlash), directory);
        const Outcome sim = run(RIVUVO_SIM, arguments, settings(simFlash), directory, 30);
        EXPECT_EQ(real.exitCode, 0) << step.toStdString() << "\n" << real.output.toStdString();
        EXPECT_EQ(real.output, sim.output) << step.toStdString();
        EXPECT_TRUE(real.output.contains("Response status = 0 (0x0) Success")) << step.toStdString();
    }
    EXPECT_TRUE(flashHolds(realFlash, "black"));
}

INSTANTIATE_TEST_SUITE_P(EveryPacketSize, ThroughTheSystemLibrary, ::testing::Values("56", "8192"),
                         [](const auto &info) { return std::string(info.param); });

// Each variant's product ID goes through the system's enumeration and open.
using ProductionWindow = ::testing::TestWithParam<vorn::ControllerVariant>;

TEST_P(ProductionWindow, WalkthroughReachesTheFinishedPage)
{
    const char *variant = GetParam().name;
    TempDir dir;
    const std::string flash = dir.file("flash.bin");
    const Outcome window = walkthrough(
        dir, "60", { { "VORN_SIM_VARIANT", variant }, { "VORN_SIM_FLASH", QString::fromStdString(flash) } }, 70);
    EXPECT_EQ(window.exitCode, 0) << window.output.right(2000).toStdString();
    EXPECT_TRUE(window.output.contains("walkthrough: finished page reached"));
    EXPECT_TRUE(flashHolds(flash, variant));
}

INSTANTIATE_TEST_SUITE_P(EveryVariant, ProductionWindow, ::testing::ValuesIn(vorn::kVariants),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ProductionWindowUnplug, ReturnsToPollingAndASecondWalkthroughFinishes)
{
    TempDir dir;
    const QString flash = QString::fromStdString(dir.file("flash.bin"));

    // Every write loses the controller at its 40th report: the window can
    // only go back to polling, again and again, until its time is up.
    const Outcome first = walkthrough(dir, "12",
                                      { { "VORN_SIM_VARIANT", "black" },
                                        { "VORN_SIM_FLASH", flash },
                                        { "VORN_SIM_FAULT", "unplug:write-memory:40*" } },
                                      30);
    EXPECT_EQ(first.exitCode, 1) << first.output.right(2000).toStdString();
    EXPECT_TRUE(first.output.contains("No response packet from target device"));
    const QStringList saved = QDir(QString::fromStdString(dir.file("pictures"))).entryList({ "*.png" }, QDir::Files, QDir::Name);
    const int updating = saved.indexOf(QRegExp(".*-pageUpdating\\.png"));
    ASSERT_GE(updating, 0) << saved.join(' ').toStdString();
    EXPECT_GE(saved.indexOf(QRegExp(".*-pageConnectController\\.png"), updating), 0)
        << "the window went back to polling: " << saved.join(' ').toStdString();

    const Outcome second = walkthrough(dir, "60", { { "VORN_SIM_VARIANT", "black" }, { "VORN_SIM_FLASH", flash } }, 70);
    EXPECT_EQ(second.exitCode, 0) << second.output.right(2000).toStdString();
    EXPECT_TRUE(second.output.contains("walkthrough: finished page reached"));
    EXPECT_TRUE(flashHolds(flash.toStdString(), "black"));
}

// The node is there, but the user may not open it.
TEST(AccessDenied, BothProgramsReportTheEnginesOpenFailure)
{
    TempDir dir;
    const QString directory = QString::fromStdString(dir.file(""));
    const QList<QPair<QString, QString>> denied{ { "VORN_SIM_VARIANT", "black" }, { "VORN_SIM_FAULT", "denied" } };

    EXPECT_EQ(underHidraw({ "/bin/sh", "-c", "test -c /dev/hidraw0" }, denied, directory).exitCode, 0)
        << "the node exists";
    const Outcome tool = underHidraw({ RIVUVO, "-u", kBlack, "--", "read-memory", "0x70006", "6" }, denied, directory);
    EXPECT_EQ(tool.exitCode, 1);
    EXPECT_TRUE(tool.output.contains(kOpenFailure.toUtf8())) << tool.output.toStdString();

    const Outcome window = walkthrough(dir, "6", denied, 30);
    EXPECT_EQ(window.exitCode, 1) << "the update is never offered";
    EXPECT_TRUE(window.output.contains(kOpenFailure.toUtf8())) << window.output.right(2000).toStdString();
}

// A device model in another process speaks the socket protocol; the
// production tool reaches it through the emulated node all the same.
TEST(ExternalModel, AnswersTheProductionToolOverTheSocketProtocol)
{
    TempDir dir;
    const std::string socket = dir.file("model.sock");
    const Bytes erase = command(0x02, { 0, 0x71000, 0 });
    ScriptedDevice model(socket, identity(0x5e0d, ""), { generic(0, 0x02) });

    const Outcome real = underHidraw({ RIVUVO, "-u", "0x3b7c,0x5e0d", "--", "flash-erase-region", "0x00", "0x71000" },
                                     {}, QString::fromStdString(dir.file("")), 30,
                                     { "--socket", QString::fromStdString(socket) });
    EXPECT_EQ(real.exitCode, 0) << real.output.toStdString();
    EXPECT_TRUE(real.output.contains("Response status = 0 (0x0) Success")) << real.output.toStdString();
    const std::vector<Bytes> received = model.received();
    EXPECT_NE(std::find(received.begin(), received.end(), bridgeFrame('W', erase)), received.end())
        << "the erase command reached the model";
    ASSERT_TRUE(model.waitForClosed(1));
}

// Two production windows on one node. Each runs in DIR/a and DIR/b: its
// output in "out", its process id in "pid", its result in "code". Once one
// has ended, the other has three seconds to show what it makes of the
// controller, then gets SIGTERM.
const char kTwoWindows[] = R"sh(
dir=$1; delay=$2; updater=$3
start() {
    mkdir -p "$1"
    ( sh -c 'echo $$ > "$0"; exec "$@"' "$1/pid" "$updater" --walkthrough "$1/pictures" --walkthrough-limit 90 \
        > "$1/out" 2>&1; echo $? > "$1/code" ) &
}
start "$dir/a"; sleep "$delay"; start "$dir/b"
while [ ! -e "$dir/a/code" ] && [ ! -e "$dir/b/code" ]; do sleep 0.2; done
sleep 3
for w in a b; do [ -e "$dir/$w/code" ] || kill -TERM "$(cat "$dir/$w/pid")"; done
wait
)sh";

struct TwoWindows
{
    const char *name;
    const char *delaySeconds;
    const char *timing;
};

void PrintTo(const TwoWindows &start, std::ostream *out)
{
    *out << start.name;
}

using OneWriterPerController = ::testing::TestWithParam<TwoWindows>;

TEST_P(OneWriterPerController, OneWindowUpdatesTheOtherWaitsAndTheFlashHoldsTheImage)
{
    TempDir dir;
    const QString base = QString::fromStdString(dir.file(""));
    const std::string flash = dir.file("flash.bin");
    const Outcome both = underHidraw({ "/bin/bash", "-c", kTwoWindows, "bash", base, GetParam().delaySeconds, KELVO_UPDATER },
                                     { { "VORN_SIM_VARIANT", "black" },
                                       { "VORN_SIM_FLASH", QString::fromStdString(flash) },
                                       { "VORN_SIM_TIMING", GetParam().timing } },
                                     base, 150);
    ASSERT_EQ(both.exitCode, 0);

    int finished = 0;
    for (const char *window : { "a", "b" })
    {
        const std::string out = readFile(dir.file(std::string(window) + "/out"));
        const std::string code = readFile(dir.file(std::string(window) + "/code"));
        const bool done = out.find("walkthrough: finished page reached") != std::string::npos;
        finished += done ? 1 : 0;
        EXPECT_EQ(code, "0\n") << window << " ended by itself or at the signal, without a hang\n"
                               << out.substr(out.size() > 3000 ? out.size() - 3000 : 0);
        EXPECT_EQ(out.find("Error: Another program is using the controller"), std::string::npos)
            << "the window asks before it runs the engine";
        if (std::string(GetParam().delaySeconds) != "0" && std::string(window) == "a")
        {
            EXPECT_TRUE(done) << "the first window's update finishes";
        }
    }
    EXPECT_EQ(finished, 1) << "one update, no second one over it";
    EXPECT_TRUE(flashHolds(flash, "black")) << "no false finish over a broken flash";
}

INSTANTIATE_TEST_SUITE_P(
    StartedTogetherOrApart, OneWriterPerController,
    ::testing::Values(TwoWindows{ "Together", "0", "none" }, TwoWindows{ "OneSecondApart", "1", "none" },
                      TwoWindows{ "SixSecondsApart", "6", "none" },
                      TwoWindows{ "TogetherAtFullSpeed", "0", "full-speed" },
                      TwoWindows{ "OneSecondApartAtFullSpeed", "1", "full-speed" },
                      TwoWindows{ "SixSecondsApartAtFullSpeed", "6", "full-speed" }),
    [](const auto &info) { return std::string(info.param.name); });

// The console tool started while a window writes: refused before it sends
// anything, and the write goes on to the finished page.
const char kToolDuringTheWrite[] = R"sh(
dir=$1; updater=$2; tool=$3
"$updater" --walkthrough "$dir/pictures" --walkthrough-limit 60 > "$dir/window" 2>&1 &
until grep -q '(1/1) 5%' "$dir/window" 2>/dev/null; do sleep 0.1; done
"$tool" -u 0x3b7c,0x5e03 -- read-memory 0x70006 6 > "$dir/tool" 2>&1; echo $? > "$dir/toolcode"
wait
)sh";

TEST(ControllerInUse, RivuvoStartedDuringAWindowsWriteIsRefusedAndTheWriteFinishes)
{
    TempDir dir;
    const QString base = QString::fromStdString(dir.file(""));
    const std::string flash = dir.file("flash.bin");
    const Outcome both = underHidraw({ "/bin/bash", "-c", kToolDuringTheWrite, "bash", base, KELVO_UPDATER, RIVUVO },
                                     { { "VORN_SIM_VARIANT", "black" },
                                       { "VORN_SIM_FLASH", QString::fromStdString(flash) },
                                       { "VORN_SIM_TIMING", "full-speed" } },
                                     base, 90);
    ASSERT_EQ(both.exitCode, 0);
    EXPECT_EQ(readFile(dir.file("toolcode")), "1\n");
    EXPECT_EQ(readFile(dir.file("tool")),
              "Error: Another program is using the controller at /dev/hidraw0: let it finish, or close it, then try "
              "again.\n");
    const std::string window = readFile(dir.file("window"));
    EXPECT_NE(window.find("walkthrough: finished page reached"), std::string::npos)
        << window.substr(window.size() > 3000 ? window.size() - 3000 : 0);
    EXPECT_TRUE(flashHolds(flash, "black"));
}

} // namespace

// The console updater of the production program finds both nodes and
// updates both controllers at once, each through its own node.
TEST(ProductionConsole, UpdatesTwoControllersBehindTwoNodesAtOnce)
{
    TempDir dir;
    const std::string flash = dir.file("flash");
    const Outcome console =
        underHidraw({ KELVO_UPDATER, "--cli", "--all", "--yes" },
                    { { "VORN_SIM_CONTROLLERS", "2" }, { "VORN_SIM_FLASH", QString::fromStdString(flash) } },
                    QString::fromStdString(dir.file("")), 90);
    EXPECT_EQ(console.exitCode, 0) << console.output.toStdString();
    EXPECT_TRUE(console.output.contains("/dev/hidraw0 (VSIM0001): updated")) << console.output.toStdString();
    EXPECT_TRUE(console.output.contains("/dev/hidraw1 (VSIM0002): updated")) << console.output.toStdString();
    EXPECT_TRUE(flashHolds(flash + ".1", "black"));
    EXPECT_TRUE(flashHolds(flash + ".2", "black"));
}
