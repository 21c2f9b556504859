#pragma once

#include <QString>
#include <QThread>

#include <initializer_list>

class MainWindow;

//! Runs one command line of the host engine off the GUI thread. Every text the
//! engine logs during the run reaches MainWindow::ParseLogs, queued and in
//! order, on the GUI thread; those texts are the only result of a run.
class WorkerThread : public QThread
{
    Q_OBJECT

public:
    static constexpr int kMaxArgs = 30;

    explicit WorkerThread(MainWindow *window);
    ~WorkerThread() override;

    //! Copies the first @a argc pointers (at most kMaxArgs); the strings
    //! themselves are borrowed and must outlive the run.
    void SetArgs(int argc, char **argv);

    //! Starts a worker of @a window that runs the engine with @a args, with
    //! "-t" and @a timeoutMs after the program name unless that is null; the
    //! worker deletes itself once its thread has finished. The strings are
    //! borrowed.
    static WorkerThread *startRun(MainWindow *window, std::initializer_list<const char *> args,
                                  const char *timeoutMs);

    int argsLen;
    char *argv[kMaxArgs];
    MainWindow *mainWindow;
    int running;

Q_SIGNALS:
    void resultReady(const QString &result);

protected:
    void run() override;
};
