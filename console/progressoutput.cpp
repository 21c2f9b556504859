#include "console/progressoutput.h"

#include "console/consoletexts.h"

#include <sys/ioctl.h>

namespace progresstext {

using namespace consoletexts;

QString nameOf(const UpdateEvent &event)
{
    return event.serial.isEmpty() ? event.device : event.serial;
}

QString stateOf(const UpdateEvent &event)
{
    using Kind = UpdateEvent::Kind;
    switch (event.kind)
    {
    case Kind::Found:
        return QLatin1String(kStateFound).arg(event.device, event.variant);
    case Kind::Version:
        return QLatin1String(kStateVersion).arg(event.version, event.offered, event.action);
    case Kind::StepStarted:
        if (event.step == QLatin1String(kStepVersion))
        {
            return QLatin1String(kStateReading);
        }
        if (event.step == QLatin1String(kStepErase))
        {
            return QLatin1String(kStateErasing);
        }
        if (event.step == QLatin1String(kStepWrite))
        {
            return QString::fromLatin1(kStateWriting).arg(0);
        }
        if (event.step == QLatin1String(kStepVerify))
        {
            return QLatin1String(kStateVerifying);
        }
        return QLatin1String(kStateResetting);
    case Kind::Progress:
        return QString::fromLatin1(kStateWriting).arg(event.percent);
    case Kind::StepEnded:
        return QLatin1String(event.ok ? kStateDone : kStateFailed).arg(event.step);
    case Kind::Result:
        return event.message;
    }
    return QString();
}

} // namespace progresstext

namespace {

QString lineOf(const UpdateEvent &event)
{
    return QLatin1String(consoletexts::kLine).arg(progresstext::nameOf(event), progresstext::stateOf(event));
}

void put(std::FILE *stream, const QString &text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

} // namespace

LiveProgress::LiveProgress(std::FILE *stream)
    : m_stream(stream)
{
    winsize size = {};
    if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) == 0 && size.ws_col > 1)
    {
        m_width = size.ws_col;
    }
}

void LiveProgress::take(const UpdateEvent &event)
{
    // A step that ended well is followed at once by the next state.
    if (event.kind == UpdateEvent::Kind::StepEnded && event.ok)
    {
        return;
    }
    // A line that wrapped would throw the redrawing off by a line; the
    // summary has the whole text.
    const QString line = lineOf(event).left(m_width - 1);
    int index = m_devices.indexOf(event.device);
    if (index < 0)
    {
        m_devices << event.device;
        m_shown.insert(event.device, line);
        put(m_stream, line + QLatin1Char('\n'));
        std::fflush(m_stream);
        return;
    }
    if (m_shown.value(event.device) == line)
    {
        return;
    }
    m_shown.insert(event.device, line);
    // Up to the controller's line, rewrite it, back down below the last one.
    const int up = m_devices.size() - index;
    put(m_stream, QStringLiteral("\x1b[%1A\r\x1b[2K%2\x1b[%1B\r").arg(up).arg(line));
    std::fflush(m_stream);
}

PlainProgress::PlainProgress(std::FILE *stream)
    : m_stream(stream)
{
}

void PlainProgress::take(const UpdateEvent &event)
{
    if (event.kind == UpdateEvent::Kind::StepStarted && event.step == QLatin1String(consoletexts::kStepWrite))
    {
        m_lastTenth.insert(event.device, 0);
    }
    if (event.kind == UpdateEvent::Kind::Progress)
    {
        const int tenth = event.percent / 10;
        if (m_lastTenth.value(event.device, -1) == tenth)
        {
            return;
        }
        m_lastTenth.insert(event.device, tenth);
    }
    put(m_stream, lineOf(event) + QLatin1Char('\n'));
    std::fflush(m_stream);
}
