#pragma once

#include "console/updateevent.h"

#include <QByteArray>

#include <cstdio>

//! Events as JSON, one compact object per line, so that a script can read
//! them as they come; and back, for the lines of an update run elsewhere.
namespace jsonevents {

QByteArray toLine(const UpdateEvent &event);
//! False when @a line is no event of ours.
bool fromLine(const QByteArray &line, UpdateEvent &event);

} // namespace jsonevents

//! Writes every event as a line to a stream, flushed at once.
class JsonEventWriter : public UpdateEventSink
{
public:
    explicit JsonEventWriter(std::FILE *stream);
    void take(const UpdateEvent &event) override;

private:
    std::FILE *m_stream;
};
