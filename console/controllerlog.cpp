#include "console/controllerlog.h"

#include "console/consoletexts.h"

#include <cstdio>

void ControllerLog::record(const QString &engineText)
{
    if (m_started)
    {
        m_log.record(engineText);
        return;
    }
    m_early.emplace_back(QDateTime::currentDateTime(), engineText);
}

void ControllerLog::start(const FoundController &controller, const UpdateLog::Versions &versions)
{
    m_started = true;
    // Serials tell the controllers of one variant apart, as the console's lines do.
    const QString name = controller.serial.isEmpty() ? controller.path : controller.serial;
    if (!m_log.start(QStringLiteral("%1-%2").arg(QLatin1String(controller.variant->name), name), versions))
    {
        const QString why = QLatin1String(consoletexts::kNoLog).arg(m_log.error());
        std::fprintf(stderr, "%s\n", why.toLocal8Bit().constData());
    }
    for (const auto &text : m_early)
    {
        m_log.record(text.second, text.first);
    }
    m_early.clear();
}

void ControllerLog::note(const QString &line)
{
    if (m_started)
    {
        m_log.note(line);
        return;
    }
    // Line ends on both sides make it a line of its own, however the
    // engine's text before it ended.
    m_early.emplace_back(QDateTime::currentDateTime(), QLatin1Char('\n') + line + QLatin1Char('\n'));
}

QString ControllerLog::finish()
{
    m_log.finish();
    return m_log.path();
}
