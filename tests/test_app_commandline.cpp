// The program's options, run as a user runs them: from a terminal without a
// display, where --help and --version must answer without one.
#include <gtest/gtest.h>

#include <QProcess>
#include <QProcessEnvironment>

namespace {

struct ProgramRun
{
    int exitCode = -1;
    QString out;
    QString err;
};

//! Runs @a program with no window system at all, in @a language.
ProgramRun runWithoutDisplay(const char *program, const QStringList &arguments, const char *language = "C")
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : { "DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "LC_ALL", "LC_MESSAGES", "LANG" })
    {
        environment.remove(name);
    }
    environment.insert("LANGUAGE", language);
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    ProgramRun run;
    if (!process.waitForFinished(10000))
    {
        process.kill();
        process.waitForFinished();
        ADD_FAILURE() << program << " did not end";
        return run;
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

class CommandLine : public ::testing::TestWithParam<const char *>
{
};

TEST_P(CommandLine, VersionPrintsTheProgramsVersionAndEndsWithoutADisplay)
{
    const ProgramRun run = runWithoutDisplay(GetParam(), { "--version" });
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "kelvo-updater " VORN_UPDATER_VERSION "\n");
    EXPECT_EQ(runWithoutDisplay(GetParam(), { "-v" }).out, run.out);
}

TEST_P(CommandLine, HelpListsTheOptionsIncludingTheConsoleUpdaterAndEndsWithoutADisplay)
{
    const ProgramRun run = runWithoutDisplay(GetParam(), { "--help" });
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    for (const char *option : { "--walkthrough <dir>", "--walkthrough-limit <seconds>", "--walkthrough-hold <seconds>",
                                "--version", "--cli" })
    {
        EXPECT_TRUE(run.out.contains(option)) << option << "\n" << run.out.toStdString();
    }
    EXPECT_TRUE(run.out.simplified().contains("kelvo-updater --cli --help"));
    EXPECT_FALSE(run.out.contains("-platform")) << "Qt's own options stay out of the short help";
    EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
}

TEST_P(CommandLine, AnUnknownOptionOrArgumentPrintsTheUsageOnStandardErrorAndEndsWith2)
{
    for (const QStringList &arguments : { QStringList{ "--bogus" }, QStringList{ "stray" },
                                          QStringList{ "--walkthrough" } })
    {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const ProgramRun run = runWithoutDisplay(GetParam(), arguments);
        EXPECT_EQ(run.exitCode, 2);
        EXPECT_TRUE(run.out.isEmpty()) << run.out.toStdString();
        EXPECT_TRUE(run.err.contains("--walkthrough <dir>")) << run.err.toStdString();
    }
}

TEST_P(CommandLine, HelpFollowsTheUsersLanguage)
{
    const ProgramRun german = runWithoutDisplay(GetParam(), { "--help" }, "de");
    EXPECT_EQ(german.exitCode, 0);
    EXPECT_TRUE(german.out.contains("Aktualisiert die Firmware")) << german.out.toStdString();
    const ProgramRun spanish = runWithoutDisplay(GetParam(), { "--help" }, "es:de");
    EXPECT_TRUE(spanish.out.contains("Actualiza el firmware")) << spanish.out.toStdString();
    const ProgramRun english = runWithoutDisplay(GetParam(), { "--help" }, "en:de");
    EXPECT_TRUE(english.out.contains("Updates the firmware")) << "English listed first wins";
}

INSTANTIATE_TEST_SUITE_P(Programs, CommandLine, ::testing::Values(VORN_UPDATER, VORN_UPDATER_SIM),
                         [](const ::testing::TestParamInfo<const char *> &info) {
                             return std::string(info.index == 0 ? "Production" : "Simulator");
                         });

} // namespace
