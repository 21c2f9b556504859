#pragma once

#include <QObject>

class QSocketNotifier;

//! SIGTERM, SIGINT and SIGHUP as a signal of the event loop, so that they end
//! the program the way closing the window does, never in the middle of a
//! step. The handler only writes the number to a socket pair.
class QuitSignals : public QObject
{
    Q_OBJECT

public:
    //! One per process; the handlers stay installed until it goes.
    explicit QuitSignals(QObject *parent = nullptr);
    ~QuitSignals() override;

Q_SIGNALS:
    void received(int signalNumber);

private:
    void readPending();

    QSocketNotifier *m_notifier = nullptr;
};
