#pragma once

#include "console/updateevent.h"

#include <QMap>
#include <QString>
#include <QStringList>

#include <cstdio>

//! How the console shows one event to a person: the controller's name and
//! its state now; empty when the event changes nothing worth a line.
namespace progresstext {

QString nameOf(const UpdateEvent &event);
QString stateOf(const UpdateEvent &event);

} // namespace progresstext

//! On a terminal: one live line per controller, redrawn only when it changes.
class LiveProgress : public UpdateEventSink
{
public:
    explicit LiveProgress(std::FILE *stream);
    void take(const UpdateEvent &event) override;

private:
    std::FILE *m_stream;
    int m_width = 80;
    QStringList m_devices;           //!< in the order of their lines
    QMap<QString, QString> m_shown;  //!< device path to the line on screen
};

//! Anywhere else: plain lines, the write's progress once per ten percent.
class PlainProgress : public UpdateEventSink
{
public:
    explicit PlainProgress(std::FILE *stream);
    void take(const UpdateEvent &event) override;

private:
    std::FILE *m_stream;
    QMap<QString, int> m_lastTenth;
};
