#pragma once

#include <QString>
#include <QThread>

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

    int argsLen;
    char *argv[kMaxArgs];
    MainWindow *mainWindow;
    int running;

Q_SIGNALS:
    void resultReady(const QString &result);

protected:
    void run() override;
};
