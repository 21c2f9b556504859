// The window's reading of the engine's log texts: the version, the write's
// percentage and the status lines, read according to the step the window
// started last. One window lives for the whole run, off screen.
//
// Input: texts separated by NUL bytes. A text that begins with a digit from
// 0 to 4 first makes that step the current one (none, version read, reset,
// erase, write); the rest is the log text. The texts of one input are read in
// order, as one run of steps.

#include "mainwindow.h"
#include "ui_mainwindow.h"
#include "workerthread.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QMetaObject>
#include <QPixmapCache>
#include <QStackedWidget>
#include <QString>

#include <fcntl.h>
#include <unistd.h>

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

//! Answers any dialog the window opens, as a person would, so that a modal
//! message cannot hold the fuzzer in its event loop.
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

//! A text can start an engine run (a version read after a lost controller):
//! let every run end and its texts be read, so that no input leaves work
//! behind for the next one.
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

void startFromConnectPage()
{
    window->lstMsg = MainWindow::None;
    window->controllerFound = 0;
    window->erased = 0;
    window->flashed = 0;
    window->foundIndex = 0;
    window->lastPercent = 0;
    window->ui->stackedWidget->setCurrentIndex(0);
}

void readText(QByteArray text)
{
    if (!text.isEmpty() && text.at(0) >= '0' && text.at(0) <= '4')
    {
        window->lstMsg = static_cast<MainWindow::LastMessage>(text.at(0) - '0');
        text.remove(0, 1);
    }
    // The logger hands every text over as UTF-8.
    window->ParseLogs(QString::fromUtf8(text));
    require(window->lastPercent >= 0 && window->lastPercent <= 100, "a percentage outside 0 to 100 was shown");
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // A version read that a text starts meets a plain controller in this process.
    for (const char *name : { "VORN_HID_SOCKET", "VORN_SIM_FLASH", "VORN_SIM_TIMING", "VORN_SIM_FAULT",
                              "VORN_SIM_TRACE" })
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
    // The five page pictures, decoded once: the default cache holds fewer, and
    // decoding them again at every page change would be most of the work.
    QPixmapCache::setCacheLimit(256 * 1024);
    app->installEventFilter(new DialogCloser());
    window = new MainWindow();
    // The sequence advances only on the texts given here, never on its clock.
    window->killTimer(window->timerId);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    startFromConnectPage();
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<int>(size));
    for (const QByteArray &text : input.split('\0'))
    {
        readText(text);
    }
    finishEngineRuns();
    return 0;
}
