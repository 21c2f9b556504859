// The window's reading of the engine's log texts: the version, the write's
// percentage and the status lines, read according to the step the window
// started last, and the window itself reading them while it looks for a
// controller. One window lives for the whole run, off screen.
//
// Input: texts separated by NUL bytes. A text that begins with a digit from
// 1 to 4 is read as a text of that step (version read, reset, erase, write);
// any other text is read as a text of every step. Every text also goes to the
// window's own slot.

#include "window/logreading.h"
#include "mainwindow.h"
#include "workerthread.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMetaObject>
#include <QPixmapCache>
#include <QRegularExpression>
#include <QString>

#include <fcntl.h>
#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void require(bool ok, const char *what)
{
    if (!ok)
    {
        std::fprintf(stderr, "fuzz: %s\n", what);
        std::abort();
    }
}

//! Answers any dialog the window opens, as a person would, so that a message
//! cannot hold the fuzzer in its event loop.
class DialogCloser : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
        {
            if (auto *dialog = qobject_cast<QDialog *>(watched))
            {
                QMetaObject::invokeMethod(dialog, &QDialog::reject, Qt::QueuedConnection);
            }
        }
        return false;
    }
};

MainWindow *window = nullptr;

//! A text can start an engine run (the next version read after a lost
//! controller): let every run end and its texts be read, so that no input
//! leaves work behind for the next one.
void finishEngineRuns()
{
    for (int round = 0; round < 10; ++round)
    {
        const QList<WorkerThread *> workers = window->findChildren<WorkerThread *>();
        if (workers.isEmpty())
        {
            return;
        }
        for (WorkerThread *worker : workers)
        {
            worker->wait();
        }
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    require(false, "engine runs keep starting each other");
}

void checkReading(const logreading::Reading &reading)
{
    using logreading::Outcome;
    static const QRegularExpression versionShape(QStringLiteral("^\\d+\\.\\d+\\.\\d+$"));
    if (reading.outcome == Outcome::Progress)
    {
        require(reading.percent >= 0 && reading.percent <= 100, "a percentage outside 0 to 100 was read");
    }
    if (reading.outcome == Outcome::Version)
    {
        require(versionShape.match(reading.version).hasMatch(), "a version that is not three numbers was read");
    }
}

void readText(QByteArray text)
{
    const char step = text.isEmpty() ? '0' : text.at(0);
    if (step >= '1' && step <= '4')
    {
        text.remove(0, 1);
    }
    // The logger hands every text over as UTF-8.
    const QString logText = QString::fromUtf8(text);
    if (step == '1' || step < '1' || step > '4')
    {
        checkReading(logreading::readVersionText(logText));
    }
    if (step == '2' || step < '1' || step > '4')
    {
        checkReading(logreading::readResetText(logText));
    }
    if (step == '3' || step < '1' || step > '4')
    {
        checkReading(logreading::readEraseText(logText));
    }
    if (step == '4' || step < '1' || step > '4')
    {
        checkReading(logreading::readWriteText(logText));
    }
    window->ParseLogs(logText);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // A version read that a text starts meets a plain controller in this process.
    for (const char *name : { "VORN_HID_SOCKET", "VORN_SIM_FLASH", "VORN_SIM_TIMING", "VORN_SIM_FAULT",
                              "VORN_SIM_TRACE", "VORN_SIM_CONTROLLERS" })
    {
        qunsetenv(name);
    }
    // The engine runs print their log texts too.
    const int null = open("/dev/null", O_WRONLY);
    require(null >= 0 && dup2(null, STDOUT_FILENO) >= 0, "cannot send standard output to /dev/null");
    close(null);

    static int argc = 1;
    static char name[] = "fuzz_log_reading";
    static char *argv[] = { name, nullptr };
    // Kept for the whole process, like the window: the fuzzer ends it with exit().
    auto *app = new QApplication(argc, argv);
    QPixmapCache::setCacheLimit(256 * 1024);
    app->installEventFilter(new DialogCloser());
    window = new MainWindow();
    // The sequence advances only on the texts given here, never on its clock.
    window->setDeviceTiming(INT_MAX, 0);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<int>(size));
    for (const QByteArray &text : input.split('\0'))
    {
        readText(text);
    }
    finishEngineRuns();
    return 0;
}
