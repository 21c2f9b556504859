// The per-update log: where it goes, who may read it, how engine texts become
// lines, and how many are kept.
#include "support/updatelog.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <sys/stat.h>

namespace {

const UpdateLog::Versions kVersions{ "kelvo-updater 9.8.7", "0.5.19", "0.5.20" };

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

mode_t modeOf(const QString &path)
{
    struct stat status = {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? (status.st_mode & 07777) : 0;
}

//! The lines of a log without their time stamps.
QStringList bodyLines(const QString &text)
{
    QStringList lines;
    for (const QString &line : text.split('\n', Qt::SkipEmptyParts))
    {
        lines << line.section(' ', 1);
    }
    return lines;
}

class EnvironmentVariable
{
public:
    EnvironmentVariable(const char *name, const QByteArray &value)
        : name(name)
        , had(qEnvironmentVariableIsSet(name))
        , previous(qgetenv(name))
    {
        value.isNull() ? qunsetenv(name) : qputenv(name, value);
    }
    ~EnvironmentVariable() { had ? qputenv(name, previous) : qunsetenv(name); }

private:
    const char *name;
    bool had;
    QByteArray previous;
};

TEST(UpdateLog, GoesToTheStateFolderOfTheUserAndOnlyThatUserMayReadIt)
{
    QTemporaryDir state;
    ASSERT_TRUE(state.isValid());
    const EnvironmentVariable xdg("XDG_STATE_HOME", state.filePath("deeper/state").toUtf8());
    const mode_t previousMask = ::umask(0);

    UpdateLog log;
    const bool started = log.start("black", kVersions);
    ::umask(previousMask);
    ASSERT_TRUE(started) << log.error().toStdString();
    EXPECT_EQ(QFileInfo(log.path()).absolutePath(), state.filePath("deeper/state/kelvo-updater"));
    EXPECT_EQ(modeOf(log.path()), 0600u);
    EXPECT_EQ(modeOf(state.filePath("deeper/state/kelvo-updater")), 0700u);
    EXPECT_EQ(modeOf(state.filePath("deeper")), 0700u) << "folders made on the way are private too";
}

TEST(UpdateLog, FallsBackToTheHomeFolderWhenTheStateFolderIsUnsetOrRelative)
{
    const EnvironmentVariable home("HOME", "/home/someone");
    {
        const EnvironmentVariable xdg("XDG_STATE_HOME", QByteArray());
        EXPECT_EQ(UpdateLog::defaultDirectory(), "/home/someone/.local/state/kelvo-updater");
    }
    const EnvironmentVariable xdg("XDG_STATE_HOME", "relative/state");
    EXPECT_EQ(UpdateLog::defaultDirectory(), "/home/someone/.local/state/kelvo-updater");
}

TEST(UpdateLog, EveryLineIsTimeStampedAndTheHeadNamesBothVersions)
{
    QTemporaryDir dir;
    UpdateLog log;
    ASSERT_TRUE(log.start("light_gray", kVersions, dir.path()));
    log.record("Inject command 'reset'\n");
    log.note("A message\n\nover two lines");
    log.finish();

    const QString text = readText(log.path());
    EXPECT_EQ(text, log.text());
    const QRegularExpression stamped("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}(Z|[+-]\\d\\d:\\d\\d) \\S");
    for (const QString &line : text.split('\n', Qt::SkipEmptyParts))
    {
        EXPECT_TRUE(stamped.match(line).hasMatch()) << line.toStdString();
    }
    EXPECT_EQ(bodyLines(text), QStringList({ "Updater: kelvo-updater 9.8.7", "Controller: light_gray",
                                             "Firmware in the controller: 0.5.19", "Firmware to write: 0.5.20",
                                             "Inject command 'reset'", "A message", "over two lines" }));
}

TEST(UpdateLog, ProgressBecomesOneLineForEachChangedPercentage)
{
    QTemporaryDir dir;
    UpdateLog log;
    ASSERT_TRUE(log.start("smoked", kVersions, dir.path()));
    // As the engine logs a write: texts without line ends, overwriting each
    // other with carriage returns, most of them repeating a percentage.
    log.record("Preparing to send 4 bytes to the target.\nSuccessful generic response to command 'write-memory'\n");
    for (int packet = 0; packet <= 300; ++packet)
    {
        log.record(QString::asprintf("\r(1/1)%2d%%", packet / 3));
    }
    log.record(" Completed!\n");
    log.record("Response status = 0 (0x0) Success.");
    log.record("\n");
    log.finish();

    const QString text = readText(log.path());
    EXPECT_FALSE(text.contains('\r'));
    const QStringList lines = bodyLines(text).mid(4);
    ASSERT_EQ(lines.size(), 2 + 101 + 2) << text.toStdString();
    EXPECT_EQ(lines.at(2), "(1/1) 0%");
    EXPECT_EQ(lines.at(3), "(1/1) 1%");
    EXPECT_EQ(lines.at(102), "(1/1)100%");
    EXPECT_EQ(lines.at(103), "Completed!");
    EXPECT_EQ(lines.at(104), "Response status = 0 (0x0) Success.") << "a line given in two texts is one line";
}

TEST(UpdateLog, AnUnfinishedLineIsKeptWhenTheLogEnds)
{
    QTemporaryDir dir;
    UpdateLog log;
    ASSERT_TRUE(log.start("black", kVersions, dir.path()));
    log.record("Error: UsbHidPeripheral() cannot open USB HID device");
    log.finish();
    EXPECT_TRUE(readText(log.path()).endsWith(" Error: UsbHidPeripheral() cannot open USB HID device\n"));
}

TEST(UpdateLog, KeepsTheNewestTwentyLogsAndNothingElseIsTouched)
{
    QTemporaryDir dir;
    QFile other(dir.filePath("notes.txt"));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.close();
    QStringList paths;
    for (int i = 0; i < UpdateLog::kKeptLogs + 5; ++i)
    {
        UpdateLog log;
        ASSERT_TRUE(log.start(QStringLiteral("controller%1").arg(i, 2, 10, QLatin1Char('0')), kVersions, dir.path()));
        paths << log.path();
    }
    const QStringList kept = QDir(dir.path()).entryList({ "*.log" }, QDir::Files, QDir::Name);
    EXPECT_EQ(kept.size(), UpdateLog::kKeptLogs);
    for (int i = 0; i < paths.size(); ++i)
    {
        EXPECT_EQ(QFileInfo::exists(paths.at(i)), i >= 5) << paths.at(i).toStdString();
    }
    EXPECT_TRUE(other.exists());
}

TEST(UpdateLog, TwoControllersUpdatedAtOnceGetAFileEach)
{
    QTemporaryDir dir;
    UpdateLog first;
    UpdateLog second;
    UpdateLog same;
    ASSERT_TRUE(first.start("hidraw3", kVersions, dir.path()));
    ASSERT_TRUE(second.start("hidraw4", kVersions, dir.path()));
    ASSERT_TRUE(same.start("hidraw3", kVersions, dir.path()));
    first.record("first\n");
    second.record("second\n");
    same.record("same\n");
    EXPECT_TRUE(QFileInfo(first.path()).fileName().contains("hidraw3"));
    EXPECT_TRUE(QFileInfo(second.path()).fileName().contains("hidraw4"));
    EXPECT_NE(first.path(), same.path());
    EXPECT_TRUE(readText(first.path()).endsWith(" first\n"));
    EXPECT_TRUE(readText(second.path()).endsWith(" second\n"));
    EXPECT_TRUE(readText(same.path()).endsWith(" same\n"));
}

TEST(UpdateLog, AFolderThatCannotBeMadeLeavesNoFileAndSaysWhy)
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath("state"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    UpdateLog log;
    EXPECT_FALSE(log.start("black", kVersions, dir.filePath("state/kelvo-updater")));
    EXPECT_FALSE(log.error().isEmpty());
    EXPECT_TRUE(log.path().isEmpty());
    log.record("ignored\n");
    EXPECT_FALSE(log.isOpen());
}

TEST(UpdateLog, ControllerNamesCannotLeaveTheLogFolder)
{
    QTemporaryDir dir;
    UpdateLog log;
    ASSERT_TRUE(log.start("../../etc/x y", kVersions, dir.path()));
    EXPECT_EQ(QFileInfo(log.path()).absolutePath(), QDir(dir.path()).absolutePath());
}

} // namespace
