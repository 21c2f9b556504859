#include "support/updatelog.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char kLogFolder[] = "kelvo-updater";
const char kNamePattern[] = "update-*.log";

QString systemError(int number)
{
    return QString::fromLocal8Bit(std::strerror(number));
}

//! Makes every missing folder of @a path with mode 0700, as the XDG base
//! directories ask for; the log folder itself is made private even when it
//! already exists.
bool makePrivateFolder(const QString &path, QString *error)
{
    const QStringList parts = QDir::cleanPath(QDir(path).absolutePath()).split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current;
    for (const QString &part : parts)
    {
        current += QLatin1Char('/') + part;
        const QByteArray native = QFile::encodeName(current);
        if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        {
            *error = QStringLiteral("cannot make %1: %2").arg(current, systemError(errno));
            return false;
        }
    }
    if (::chmod(QFile::encodeName(current).constData(), 0700) != 0)
    {
        *error = QStringLiteral("cannot restrict %1: %2").arg(current, systemError(errno));
        return false;
    }
    return true;
}

QString timeStamp(const QDateTime &when)
{
    return when.toOffsetFromUtc(when.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

//! Name parts that are safe in a file name; anything else becomes "_".
QString fileNamePart(const QString &controller)
{
    QString part = controller;
    part.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")), QStringLiteral("_"));
    return part.isEmpty() ? QStringLiteral("controller") : part;
}

//! The number before a closing "%" ("(1/1) 7%" gives 7); -1 for none. A write
//! sends one such text per packet, so this stays cheap.
int trailingPercentage(const QString &text)
{
    int end = text.size();
    while (end > 0 && text.at(end - 1).isSpace())
    {
        --end;
    }
    if (end == 0 || text.at(end - 1) != QLatin1Char('%'))
    {
        return -1;
    }
    int percent = 0;
    int scale = 1;
    int at = end - 1;
    for (; at > 0 && text.at(at - 1).isDigit() && scale <= 100; --at, scale *= 10)
    {
        percent += text.at(at - 1).digitValue() * scale;
    }
    return at == end - 1 ? -1 : percent;
}

} // namespace

QString UpdateLog::defaultDirectory()
{
    QString state = qEnvironmentVariable("XDG_STATE_HOME");
    // Relative paths are invalid there and are ignored.
    if (state.isEmpty() || QDir::isRelativePath(state))
    {
        state = QDir::homePath() + QStringLiteral("/.local/state");
    }
    return state + QLatin1Char('/') + QLatin1String(kLogFolder);
}

UpdateLog::~UpdateLog()
{
    finish();
}

bool UpdateLog::start(const QString &controller, const Versions &versions, const QString &directory)
{
    finish();
    filePath.clear();
    written.clear();
    lastError.clear();
    pending.clear();
    lastPercent = -1;
    if (!makePrivateFolder(directory, &lastError))
    {
        return false;
    }
    // UTC in the name, so that names sort by time across clock changes.
    const QString time = QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmsszzz'Z'"));
    if (!openNewFile(QStringLiteral("%1/update-%2-%3").arg(directory, time, fileNamePart(controller))))
    {
        return false;
    }
    writeLine(QStringLiteral("Updater: %1").arg(versions.updater));
    writeLine(QStringLiteral("Controller: %1").arg(controller));
    writeLine(QStringLiteral("Firmware in the controller: %1").arg(versions.controller));
    writeLine(QStringLiteral("Firmware to write: %1").arg(versions.offered));
    return true;
}

bool UpdateLog::openNewFile(const QString &stem)
{
    for (int attempt = 1; attempt <= 100; ++attempt)
    {
        const QString candidate =
            attempt == 1 ? stem + QStringLiteral(".log") : QStringLiteral("%1-%2.log").arg(stem).arg(attempt);
        const QByteArray native = QFile::encodeName(candidate);
        // A new file only, never through a link, and private whatever the umask.
        const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd < 0 && errno == EEXIST)
        {
            continue;
        }
        if (fd < 0)
        {
            lastError = QStringLiteral("cannot create %1: %2").arg(candidate, systemError(errno));
            return false;
        }
        if (::fchmod(fd, 0600) != 0 || !file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle))
        {
            lastError = QStringLiteral("cannot write %1").arg(candidate);
            ::close(fd);
            ::unlink(native.constData());
            return false;
        }
        filePath = candidate;
        return true;
    }
    lastError = QStringLiteral("no free file name for %1").arg(stem);
    return false;
}

void UpdateLog::record(const QString &engineText)
{
    record(engineText, QDateTime());
}

void UpdateLog::record(const QString &engineText, const QDateTime &when)
{
    if (!isOpen())
    {
        return;
    }
    textTime = when;
    // The write's progress comes as one such text per packet: no splitting for it.
    if (engineText.startsWith(QLatin1Char('\r')) && engineText.lastIndexOf(QLatin1Char('\r')) == 0 &&
        !engineText.contains(QLatin1Char('\n')))
    {
        progressText(engineText.mid(1));
        return;
    }
    const QStringList lines = engineText.split(QLatin1Char('\n'));
    for (int i = 0; i < lines.size(); ++i)
    {
        // Progress texts start with a carriage return and overwrite each other
        // on a terminal; what stood before the first one belongs to the line.
        const QStringList overwrites = lines.at(i).split(QLatin1Char('\r'));
        pending += overwrites.first();
        for (int j = 1; j < overwrites.size(); ++j)
        {
            progressText(overwrites.at(j));
        }
        if (i + 1 < lines.size())
        {
            endPendingLine();
        }
    }
}

void UpdateLog::progressText(const QString &text)
{
    endPendingLine();
    const int percent = trailingPercentage(text);
    if (percent < 0)
    {
        pending = text;
        return;
    }
    if (percent != lastPercent)
    {
        lastPercent = percent;
        writeLine(text.trimmed(), textTime);
    }
}

void UpdateLog::note(const QString &line)
{
    if (!isOpen())
    {
        return;
    }
    endPendingLine();
    textTime = QDateTime();
    for (const QString &part : line.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
    {
        writeLine(part);
    }
}

void UpdateLog::finish()
{
    if (!isOpen())
    {
        return;
    }
    endPendingLine();
    file.close();
    // At the end rather than the start, where it would delay the update's first step.
    removeOldLogs(QFileInfo(filePath).path());
}

void UpdateLog::endPendingLine()
{
    const QString line = pending.trimmed();
    pending.clear();
    if (!line.isEmpty())
    {
        writeLine(line, textTime);
    }
}

void UpdateLog::writeLine(const QString &line, const QDateTime &when)
{
    const QString stamped =
        QStringLiteral("%1 %2\n").arg(timeStamp(when.isValid() ? when : QDateTime::currentDateTime()), line);
    written += stamped;
    // Flushed line by line: a crash keeps everything up to its last text.
    if (file.write(stamped.toUtf8()) < 0 || !file.flush())
    {
        lastError = file.errorString();
    }
}

void UpdateLog::removeOldLogs(const QString &directory) const
{
    QStringList logs = QDir(directory).entryList({ QLatin1String(kNamePattern) }, QDir::Files, QDir::Name);
    while (logs.size() > kKeptLogs)
    {
        QFile::remove(directory + QLatin1Char('/') + logs.takeFirst());
    }
}
