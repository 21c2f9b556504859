// kelvo-updater-sim --cli against the virtual controller: one controller and
// several, faults at each step, the JSON stream, the exit codes, Ctrl-C and
// the per-update logs. Every run has no display and no Qt platform set.
#include "console/consoletexts.h"
#include "driver/devicelock.h"
#include "sim_test_support.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QSet>
#include <QStringList>
#include <QThread>

#include <csignal>
#include <sys/stat.h>

using namespace simtest;

namespace {

using Settings = QList<QPair<QString, QString>>;

struct Finished
{
    int exitCode = -1;
    QByteArray output;
    QByteArray errors;
};

QProcessEnvironment environmentWith(const Settings &settings)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &key : environment.keys())
    {
        // The test's own lock directory stays.
        if ((key.startsWith("VORN_") && key != "VORN_LOCK_DIR") || key == "DISPLAY" || key == "WAYLAND_DISPLAY" ||
            key == "QT_QPA_PLATFORM")
        {
            environment.remove(key);
        }
    }
    for (const auto &setting : settings)
    {
        environment.insert(setting.first, setting.second);
    }
    return environment;
}

void start(QProcess &process, const QStringList &arguments, const Settings &settings)
{
    process.setProcessEnvironment(environmentWith(settings));
    process.start(VORN_UPDATER_SIM, QStringList{ "--cli" } + arguments);
    ASSERT_TRUE(process.waitForStarted());
    process.closeWriteChannel();
}

Finished finish(QProcess &process, int seconds = 60)
{
    if (!process.waitForFinished(seconds * 1000))
    {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << "the console updater did not end within " << seconds << " s";
    }
    return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1, process.readAllStandardOutput(),
             process.readAllStandardError() };
}

Finished console(const QStringList &arguments, const Settings &settings)
{
    QProcess process;
    start(process, arguments, settings);
    return finish(process);
}

std::string image(const char *variant = "black")
{
    return readFile(VORN_FIRMWARE_DIR "/vorn_tarsel_v_0.5.20_" + std::string(variant) + ".bin");
}

//! The flash begins with the whole image and is erased after it.
bool holdsImage(const std::string &flash, const char *variant = "black")
{
    const std::string bytes = readFile(flash);
    const std::string wanted = image(variant);
    return !wanted.empty() && bytes.size() == 0x80000 && bytes.compare(0, wanted.size(), wanted) == 0 &&
           bytes.find_first_not_of('\xff', wanted.size()) == std::string::npos;
}

//! Command tags the host sent, from the trace: 02 erase, 03 read, 04 write, 0b reset.
QSet<QString> commandsSent(const std::string &trace)
{
    QSet<QString> tags;
    for (const QString &line : QString::fromStdString(readFile(trace)).split('\n'))
    {
        if (line.startsWith("> 01 00 "))
        {
            tags << line.mid(14, 2);
        }
    }
    return tags;
}

const char kErase[] = "02";
const char kWrite[] = "04";
const char kReset[] = "0b";

//! The logs in the state folder @a state, oldest first.
QStringList logsIn(const std::string &state)
{
    const QDir folder(QString::fromStdString(state) + "/kelvo-updater");
    QStringList paths;
    for (const QString &name : folder.entryList({ "update-*.log" }, QDir::Files, QDir::Name))
    {
        paths << folder.filePath(name);
    }
    return paths;
}

Settings stateIn(const std::string &state)
{
    return { { "XDG_STATE_HOME", QString::fromStdString(state) } };
}

QString logLineFor(const QString &path)
{
    return QLatin1String(consoletexts::kLogKept).arg(path);
}

int modeOf(const QString &path)
{
    struct stat status = {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? static_cast<int>(status.st_mode & 07777) : -1;
}

Settings controllers(int count, const std::string &flash, const Settings &more = {})
{
    return Settings{ { "VORN_SIM_CONTROLLERS", QString::number(count) },
                     { "VORN_SIM_FLASH", QString::fromStdString(flash) },
                     { "VORN_SIM_VERSION", "0.5.19" } } +
           more;
}

TEST(ConsoleAll, FourControllersAreUpdatedAtOnceAndEachFlashHoldsTheImage)
{
    TempDir dir;
    const std::string flash = dir.file("f");
    const Finished run = console({ "--all", "--yes" }, controllers(4, flash));
    EXPECT_EQ(run.exitCode, 0) << run.output.toStdString() << run.errors.toStdString();
    for (int k = 1; k <= 4; ++k)
    {
        EXPECT_TRUE(holdsImage(flash + "." + std::to_string(k))) << k;
        EXPECT_TRUE(run.output.contains(QString("(VSIM000%1): updated to 0.5.20").arg(k).toUtf8()))
            << run.output.toStdString();
    }
}

struct StepFault
{
    const char *name;
    const char *fault;
    bool verify;
    bool erased;  //!< whether controller 2's old firmware is gone afterwards
    bool written; //!< whether its flash holds the whole image afterwards
};

void PrintTo(const StepFault &fault, std::ostream *out)
{
    *out << fault.fault;
}

class ConsoleAllFault : public ::testing::TestWithParam<StepFault>
{
};

TEST_P(ConsoleAllFault, OnlyControllerTwoFailsAndTheSummaryNamesIt)
{
    TempDir dir;
    const std::string flash = dir.file("f");
    QStringList arguments{ "--all", "--yes" };
    if (GetParam().verify)
    {
        arguments << "--verify";
    }
    const std::string state = dir.file("state");
    const Finished run =
        console(arguments, controllers(3, flash, Settings{ { "VORN_SIM_FAULT_2", GetParam().fault } } + stateIn(state)));
    EXPECT_EQ(run.exitCode, 1) << run.output.toStdString();
    EXPECT_TRUE(holdsImage(flash + ".1"));
    EXPECT_TRUE(holdsImage(flash + ".3"));
    EXPECT_EQ(holdsImage(flash + ".2"), GetParam().written);
    // The old trailer is the last thing a write reaches.
    EXPECT_EQ(readFile(flash + ".2").substr(0x70000, 12) == std::string(12, '\xff'), GetParam().erased);

    const QStringList summary = QString::fromUtf8(run.output).split("Summary:\n").value(1).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(summary.size(), 4) << run.output.toStdString();
    const QStringList logs = logsIn(state);
    ASSERT_EQ(logs.size(), 3);
    const QStringList failedLogs = logs.filter("-VSIM0002.log");
    ASSERT_EQ(failedLogs.size(), 1) << logs.join(' ').toStdString();
    for (int i = 0; i < summary.size(); ++i)
    {
        if (summary[i].startsWith("    "))
        {
            // Only the failed controller's line is followed by its log.
            ASSERT_GT(i, 0);
            EXPECT_TRUE(summary[i - 1].contains("(VSIM0002)")) << summary[i - 1].toStdString();
            EXPECT_EQ(summary[i], logLineFor(failedLogs.first()));
            continue;
        }
        EXPECT_EQ(summary[i].contains("(VSIM0002)"), !summary[i].contains(": updated to 0.5.20"))
            << summary[i].toStdString();
    }
    EXPECT_EQ(modeOf(failedLogs.first()), 0600);
    EXPECT_TRUE(QString::fromStdString(readFile(failedLogs.first().toStdString())).contains(QString("%1 failed").arg(GetParam().name)))
        << "the failed step is in the log";
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, ConsoleAllFault,
    ::testing::Values(StepFault{ "version", "status:read-memory:10200", false, false, false },
                      StepFault{ "erase", "status:flash-erase-region:105", false, false, false },
                      StepFault{ "write", "unplug:write-memory:40", false, true, false },
                      StepFault{ "verify", "abort:read-memory:2", true, false, true }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ConsoleJson, EveryLineIsOneJsonObjectAndTheEventsTellTheWholeUpdate)
{
    TempDir dir;
    const Finished run = console({ "--all", "--yes", "--json" }, controllers(2, dir.file("f")));
    EXPECT_EQ(run.exitCode, 0);
    QSet<QString> kinds;
    QMap<QString, int> lastPercent;
    QMap<QString, QString> results;
    const QList<QByteArray> lines = run.output.split('\n');
    ASSERT_EQ(lines.last(), QByteArray()) << "ends with a line end";
    for (const QByteArray &line : lines.mid(0, lines.size() - 1))
    {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(line, &error);
        ASSERT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
        ASSERT_TRUE(document.isObject()) << line.toStdString();
        const QJsonObject object = document.object();
        const QString device = object.value("device").toString();
        EXPECT_FALSE(device.isEmpty()) << line.toStdString();
        kinds << object.value("event").toString();
        if (object.value("event") == "progress")
        {
            const int percent = object.value("percent").toInt(-1);
            EXPECT_GE(percent, lastPercent.value(device, 0)) << line.toStdString();
            lastPercent[device] = percent;
        }
        if (object.value("event") == "result")
        {
            results[object.value("serial").toString()] = object.value("result").toString();
        }
    }
    EXPECT_EQ(kinds, (QSet<QString>{ "found", "version", "step-started", "progress", "step-ended", "result" }));
    EXPECT_EQ(lastPercent.values(), (QList<int>{ 100, 100 }));
    EXPECT_EQ(results, (QMap<QString, QString>{ { "VSIM0001", "updated" }, { "VSIM0002", "updated" } }));
}

TEST(ConsoleVersions, ANewerControllerIsRefusedWithNothingSentUnlessOlderIsAllowed)
{
    TempDir dir;
    const std::string flash = dir.file("flash.bin");
    const std::string trace = dir.file("trace");
    const std::string state = dir.file("state");
    const Settings newer = Settings{ { "VORN_SIM_VERSION", "0.6.0" },
                                     { "VORN_SIM_FLASH", QString::fromStdString(flash) },
                                     { "VORN_SIM_TRACE", QString::fromStdString(trace) } } +
                           stateIn(state);
    const Finished refused = console({ "--yes" }, newer);
    EXPECT_EQ(refused.exitCode, 4);
    EXPECT_TRUE(refused.output.contains("--allow-older")) << refused.output.toStdString();
    EXPECT_FALSE(commandsSent(trace).contains(kErase));
    EXPECT_FALSE(commandsSent(trace).contains(kWrite));
    EXPECT_FALSE(holdsImage(flash));
    EXPECT_TRUE(logsIn(state).isEmpty()) << "a refused controller leaves no log";

    const Finished allowed = console({ "--yes", "--allow-older" }, newer);
    EXPECT_EQ(allowed.exitCode, 0) << allowed.output.toStdString();
    EXPECT_TRUE(holdsImage(flash));
    EXPECT_EQ(logsIn(state).size(), 1);

    // Now it carries the updater's own version: left alone.
    std::remove(trace.c_str());
    const Finished same = console({ "--yes" }, newer);
    EXPECT_EQ(same.exitCode, 0);
    EXPECT_TRUE(same.output.contains("already up to date (0.5.20)")) << same.output.toStdString();
    EXPECT_FALSE(commandsSent(trace).contains(kErase));
    EXPECT_EQ(logsIn(state).size(), 1) << "an up-to-date controller leaves no log";
}

TEST(ConsoleLog, OneUpdateLeavesOneStampedLogWithBothVersionsEveryStepAndALinePerPercentage)
{
    TempDir dir;
    const std::string state = dir.file("state");
    const Finished listed = console({ "--list" }, stateIn(state));
    EXPECT_EQ(listed.exitCode, 0);
    EXPECT_TRUE(logsIn(state).isEmpty()) << "listing leaves no log";

    const Finished run = console({ "--yes", "--verify" }, Settings{ { "VORN_SIM_VERSION", "0.5.19" } } + stateIn(state));
    EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
    const QStringList logs = logsIn(state);
    ASSERT_EQ(logs.size(), 1);
    EXPECT_TRUE(logs.first().endsWith("-black-KELVO-SIM-0001.log")) << logs.first().toStdString();
    EXPECT_FALSE(run.output.contains(logs.first().toUtf8())) << "a good update names no log";
    const QStringList lines = QString::fromStdString(readFile(logs.first().toStdString())).split('\n', Qt::SkipEmptyParts);
    const QRegularExpression stamped("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}(Z|[+-]\\d\\d:\\d\\d) \\S");
    QMap<int, int> percentLines;
    const QRegularExpression percent("\\(1/1\\) ?(\\d+)%$");
    bool writing = false;
    for (const QString &line : lines)
    {
        EXPECT_TRUE(stamped.match(line).hasMatch()) << line.toStdString();
        EXPECT_LT(line.size(), 300) << "no endless progress line";
        writing = (writing || line.endsWith("Inject command 'write-memory'")) && !line.endsWith("write done");
        const QRegularExpressionMatch match = percent.match(line);
        if (writing && match.hasMatch())
        {
            ++percentLines[match.captured(1).toInt()];
        }
    }
    EXPECT_EQ(percentLines.size(), 101);
    EXPECT_EQ(percentLines.values().count(1), 101) << "each percentage once";
    const QString text = lines.join('\n');
    for (const char *wanted : { "Updater: kelvo-updater ", "Firmware in the controller: 0.5.19", "Firmware to write: 0.5.20",
                                "reading the version", "version done", "erasing", "erase done", "write done",
                                "verifying", "verify done", "resetting", "reset done", "updated to 0.5.20",
                                "Inject command 'flash-erase-region'", "Inject command 'write-memory'",
                                "Inject command 'reset'" })
    {
        EXPECT_TRUE(text.contains(wanted)) << wanted;
    }
    EXPECT_LT(text.indexOf("reading the version"), text.indexOf("erasing")) << "from the version read on";
}

TEST(ConsoleLog, AStateFolderThatCannotBeMadeStopsNoUpdate)
{
    TempDir dir;
    const std::string blocked = dir.file("state");
    std::FILE *file = std::fopen(blocked.c_str(), "w");
    ASSERT_NE(file, nullptr);
    std::fclose(file);
    const Finished run = console({ "--yes", "--json" }, Settings{ { "VORN_SIM_FLASH", QString::fromStdString(dir.file("f")) },
                                                              { "VORN_SIM_VERSION", "0.5.19" } } +
                                                         stateIn(blocked));
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(holdsImage(dir.file("f")));
    EXPECT_TRUE(run.errors.contains("the update goes on")) << run.errors.toStdString();
    EXPECT_FALSE(run.output.contains("\"log\"")) << "no file to name";
}

class ConsoleLogAll : public ::testing::TestWithParam<int>
{
};

TEST_P(ConsoleLogAll, EveryControllerOfAnAllRunHasAFileOfItsOwnThatItsResultNames)
{
    TempDir dir;
    const std::string state = dir.file("state");
    const int count = GetParam();
    const Finished run = console({ "--all", "--yes", "--json" }, controllers(count, dir.file("f"), stateIn(state)));
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    const QStringList logs = logsIn(state);
    ASSERT_EQ(logs.size(), count);
    QSet<QString> named;
    for (const QByteArray &line : run.output.split('\n'))
    {
        const QJsonObject event = QJsonDocument::fromJson(line).object();
        if (event.value("event") == "result")
        {
            named << event.value("log").toString();
            const QString log = QString::fromStdString(readFile(event.value("log").toString().toStdString()));
            EXPECT_TRUE(log.contains("Controller: black-" + event.value("serial").toString())) << log.toStdString();
            EXPECT_EQ(log.count("Inject command 'write-memory'"), 1) << "no other controller's texts";
        }
    }
    EXPECT_EQ(named, QSet<QString>(logs.begin(), logs.end()));
}

INSTANTIATE_TEST_SUITE_P(TwoAndFour, ConsoleLogAll, ::testing::Values(2, 4));

TEST(ConsoleImage, AnImageForAnotherVariantIsRefusedBeforeAnythingIsSent)
{
    TempDir dir;
    const std::string flash = dir.file("flash.bin");
    const std::string trace = dir.file("trace");
    const Settings black{ { "VORN_SIM_FLASH", QString::fromStdString(flash) },
                          { "VORN_SIM_TRACE", QString::fromStdString(trace) } };
    const Finished wrong = console({ "--yes", "--image", VORN_FIRMWARE_DIR "/vorn_tarsel_v_0.5.20_smoked.bin" }, black);
    EXPECT_EQ(wrong.exitCode, 4);
    EXPECT_TRUE(readFile(trace).empty()) << "not even the version read";

    const Finished right = console({ "--yes", "--image", VORN_FIRMWARE_DIR "/vorn_tarsel_v_0.5.20_black.bin" }, black);
    EXPECT_EQ(right.exitCode, 0) << right.output.toStdString();
    EXPECT_TRUE(holdsImage(flash));

    EXPECT_EQ(console({ "--yes", "--image", QString::fromStdString(dir.file("missing.bin")) }, black).exitCode, 2);
}

TEST(ConsoleVerify, AReadBackThatFailsLeavesTheControllerWithoutReset)
{
    TempDir dir;
    const std::string trace = dir.file("trace");
    const std::string state = dir.file("state");
    const Finished run = console({ "--yes", "--verify" }, Settings{ { "VORN_SIM_FAULT", "final-status:read-memory:10200*" },
                                                                { "VORN_SIM_TRACE", QString::fromStdString(trace) } } +
                                                           stateIn(state));
    EXPECT_EQ(run.exitCode, 1) << run.output.toStdString();
    EXPECT_TRUE(run.output.contains("not reset")) << run.output.toStdString();
    const QStringList logs = logsIn(state);
    ASSERT_EQ(logs.size(), 1);
    EXPECT_TRUE(run.output.contains(logLineFor(logs.first()).toUtf8())) << run.output.toStdString();
    EXPECT_EQ(modeOf(logs.first()), 0600);
    EXPECT_TRUE(commandsSent(trace).contains(kWrite));
    EXPECT_FALSE(commandsSent(trace).contains(kReset));
}

TEST(ConsoleExitCodes, NoControllerUsageAndNoConsentEachHaveTheirOwn)
{
    TempDir dir;
    const std::string flash = dir.file("f");
    EXPECT_EQ(console({ "--yes" }, { { "VORN_SIM_VARIANT", "none" } }).exitCode, 3);
    EXPECT_EQ(console({ "--all", "--yes" }, { { "VORN_SIM_VARIANT", "none" } }).exitCode, 3);
    EXPECT_EQ(console({ "--frobnicate" }, {}).exitCode, 2);
    EXPECT_EQ(console({ "--yes" }, controllers(2, flash)).exitCode, 2) << "which of two is not said";
    EXPECT_EQ(console({ "--yes", "--device", "/dev/hidraw9" }, controllers(2, flash)).exitCode, 3);

    // No terminal to ask on: refused, whatever the input says.
    QProcess process;
    process.setProcessEnvironment(environmentWith(controllers(2, flash)));
    process.start(VORN_UPDATER_SIM, { "--cli", "--all" });
    ASSERT_TRUE(process.waitForStarted());
    process.write("y\n");
    process.closeWriteChannel();
    const Finished refused = finish(process);
    EXPECT_EQ(refused.exitCode, 4);
    EXPECT_TRUE(refused.errors.contains("--yes")) << refused.errors.toStdString();
    EXPECT_FALSE(holdsImage(flash + ".1"));
}

TEST(ConsoleLock, AControllerInUseIsRefusedAndListedAsSuch)
{
    TempDir dir;
    const std::string trace = dir.file("trace");
    // The test process holds the controller as another updater would; its
    // lock directory is the program's too.
    std::string reason;
    const auto held = vorn::DeviceLock::tryLock(
        "\\\\?\\hid#vid_3b7c&pid_5e03#vornsim#{4d1e55b2-f16f-11cf-88cb-001111000030}", &reason);
    ASSERT_TRUE(held) << reason;
    const Finished refused = console({ "--yes" }, { { "VORN_SIM_TRACE", QString::fromStdString(trace) } });
    EXPECT_EQ(refused.exitCode, 4);
    EXPECT_TRUE(refused.output.contains(vorn::kDeviceBusyReason)) << refused.output.toStdString();
    EXPECT_TRUE(readFile(trace).empty()) << "not even the version read";
    const Finished listed = console({ "--list" }, {});
    EXPECT_TRUE(listed.output.endsWith("\tin use by another program\n")) << listed.output.toStdString();
}

TEST(ConsoleList, OneLinePerControllerWithWhatAnUpdateWouldDo)
{
    TempDir dir;
    const Finished run = console({ "--list" }, controllers(3, dir.file("f"), { { "VORN_SIM_VARIANT", "steel_gray" } }));
    EXPECT_EQ(run.exitCode, 0);
    const QStringList lines = QString::fromUtf8(run.output).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 3) << run.output.toStdString();
    for (int k = 1; k <= 3; ++k)
    {
        const QStringList fields = lines[k - 1].split('\t');
        ASSERT_EQ(fields.size(), 5) << lines[k - 1].toStdString();
        EXPECT_TRUE(fields[0].contains(QString("vornsim%1").arg(k)));
        EXPECT_EQ(fields.mid(1), (QStringList{ "steel_gray", QString("VSIM000%1").arg(k), "0.5.19", "update" }));
    }
}

TEST(ConsoleDevice, OnlyTheNamedControllerIsUpdated)
{
    TempDir dir;
    const std::string flash = dir.file("f");
    const Finished listed = console({ "--list" }, controllers(3, flash));
    const QString third = QString::fromUtf8(listed.output).split('\n').value(2).section('\t', 0, 0);
    ASSERT_FALSE(third.isEmpty());
    const Finished run = console({ "--yes", "--device", third }, controllers(3, flash));
    EXPECT_EQ(run.exitCode, 0) << run.output.toStdString();
    EXPECT_FALSE(holdsImage(flash + ".1"));
    EXPECT_FALSE(holdsImage(flash + ".2"));
    EXPECT_TRUE(holdsImage(flash + ".3"));
}

TEST(ConsoleDisplay, AMissingGuiPlatformDoesNotMatter)
{
    TempDir dir;
    const Finished run = console({ "--list" }, { { "QT_QPA_PLATFORM", "no-such-platform" } });
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_TRUE(run.output.contains("KELVO-SIM-0001"));
}

//! Starts a JSON run and waits for the event line that contains @a marker.
bool waitForEvent(QProcess &process, const QByteArray &marker, QByteArray &seen)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 20000)
    {
        process.waitForReadyRead(100);
        seen += process.readAllStandardOutput();
        if (seen.contains(marker))
        {
            return true;
        }
    }
    return false;
}

//! Two signals far enough apart not to merge into one.
void interruptTwice(QProcess &process)
{
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    QThread::msleep(300);
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
}

// The erase takes 1.5 s, so a signal sent when it starts arrives during it.
const Settings kSlowErase{ { "VORN_SIM_FAULT", "delay:flash-erase-region:1500" } };

TEST(ConsoleInterrupt, OneCtrlCDuringTheEraseLetsTheUpdateFinish)
{
    TempDir dir;
    QProcess process;
    start(process, { "--yes", "--json" }, kSlowErase + Settings{ { "VORN_SIM_FLASH", QString::fromStdString(dir.file("f")) } });
    QByteArray seen;
    ASSERT_TRUE(waitForEvent(process, "\"step\":\"erase\"", seen));
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    const Finished run = finish(process);
    EXPECT_EQ(run.exitCode, 0) << (seen + run.output).toStdString();
    EXPECT_TRUE(holdsImage(dir.file("f")));
}

TEST(ConsoleInterrupt, ASecondCtrlCStopsAfterTheStepWithAClearMessage)
{
    TempDir dir;
    const std::string trace = dir.file("trace");
    QProcess process;
    start(process, { "--yes" }, kSlowErase + Settings{ { "VORN_SIM_TRACE", QString::fromStdString(trace) } });
    QByteArray seen;
    ASSERT_TRUE(waitForEvent(process, "erasing", seen));
    interruptTwice(process);
    const Finished run = finish(process);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE((seen + run.output).contains("stopped after the erase step")) << (seen + run.output).toStdString();
    EXPECT_TRUE(run.errors.contains("Ctrl-C again")) << run.errors.toStdString();
    EXPECT_TRUE(commandsSent(trace).contains(kErase));
    EXPECT_FALSE(commandsSent(trace).contains(kWrite));
}

TEST(ConsoleInterrupt, AThirdCtrlCEndsAStepThatDoesNotEnd)
{
    QProcess process;
    // An erase far longer than any run's own slowness.
    start(process, { "--yes" }, { { "VORN_SIM_FAULT", "delay:flash-erase-region:60000" } });
    QByteArray seen;
    ASSERT_TRUE(waitForEvent(process, "erasing", seen));
    QElapsedTimer timer;
    timer.start();
    interruptTwice(process);
    QThread::msleep(300);
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    const Finished run = finish(process);
    EXPECT_LT(timer.elapsed(), 20000) << "the erase was not waited for";
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains("Ended in the middle of a step")) << run.errors.toStdString();
}

TEST(ConsoleInterrupt, CtrlCBeforeTheEraseStopsAtOnce)
{
    TempDir dir;
    const std::string trace = dir.file("trace");
    QProcess process;
    start(process, { "--yes", "--json" },
          { { "VORN_SIM_FAULT", "delay:read-memory:60000" }, { "VORN_SIM_TRACE", QString::fromStdString(trace) } });
    QByteArray seen;
    ASSERT_TRUE(waitForEvent(process, "\"step\":\"version\"", seen));
    QElapsedTimer timer;
    timer.start();
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    const Finished run = finish(process);
    EXPECT_LT(timer.elapsed(), 20000) << "the version read was not waited for";
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.output.contains("\"result\":\"stopped\"")) << run.output.toStdString();
    EXPECT_FALSE(commandsSent(trace).contains(kErase));
}

TEST(ConsoleInterrupt, CtrlCReachesEveryControllerOfAnAllRun)
{
    TempDir dir;
    const std::string flash = dir.file("f");
    QProcess process;
    start(process, { "--all", "--yes" }, controllers(3, flash, kSlowErase));
    QByteArray seen;
    ASSERT_TRUE(waitForEvent(process, "erasing", seen));
    interruptTwice(process);
    const Finished run = finish(process);
    EXPECT_EQ(run.exitCode, 1);
    for (int k = 1; k <= 3; ++k)
    {
        EXPECT_FALSE(holdsImage(flash + "." + std::to_string(k))) << "nothing written after the stop";
    }
    EXPECT_EQ(QString::fromUtf8(seen + run.output).count(QRegExp("\\(VSIM000[123]\\): stopped")), 3)
        << (seen + run.output).toStdString();
}

} // namespace
