#include "workerthread.h"

#include "blfwk/Logging.h"
#include "mainwindow.h"
#include "rivuvo.h"

#include <QtGlobal>

#include <memory>
#include <vector>

WorkerThread::WorkerThread(MainWindow *window)
    : QThread(window)
    , argsLen(0)
    , argv{}
    , mainWindow(window)
    , running(0)
{
}

WorkerThread::~WorkerThread() = default;

void WorkerThread::SetArgs(int argc, char **args)
{
    if (argc > kMaxArgs)
    {
        qWarning("WorkerThread: %d arguments given, only %d are kept", argc, kMaxArgs);
    }
    argsLen = qBound(0, argc, kMaxArgs);
    for (int i = 0; i < argsLen; ++i)
    {
        argv[i] = args[i];
    }
}

WorkerThread *WorkerThread::startRun(MainWindow *window, std::initializer_list<const char *> args,
                                     const char *timeoutMs)
{
    std::vector<char *> argv;
    for (const char *arg : args)
    {
        // The engine only reads its arguments.
        argv.push_back(const_cast<char *>(arg));
        if (argv.size() == 1 && timeoutMs)
        {
            argv.insert(argv.end(), { const_cast<char *>("-t"), const_cast<char *>(timeoutMs) });
        }
    }
    auto *worker = new WorkerThread(window);
    worker->SetArgs(static_cast<int>(argv.size()), argv.data());
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    worker->start(QThread::InheritPriority);
    return worker;
}

void WorkerThread::run()
{
    auto engine = std::make_unique<RiVuvo>(argsLen, argv, mainWindow);
    auto logger = std::make_unique<StdoutLogger>(mainWindow);

    // The logger lives on this thread and the window on the GUI thread, so the
    // automatic connection queues every text: ParseLogs sees them in order.
    connect(logger.get(), &Logger::newLogMsg, mainWindow, &MainWindow::ParseLogs);

    engine->m_logger = logger.get();
    logger->setFilterLevel(Logger::kInfo);
    Log::setLogger(logger.get());

    engine->run();

    // The run's objects go with it; the process-wide logger must never be
    // left pointing at a destroyed one.
    if (Log::getLogger() == logger.get())
    {
        Log::setLogger(nullptr);
    }
    engine.reset();
    logger.reset();

    Q_EMIT resultReady(QString());
}
