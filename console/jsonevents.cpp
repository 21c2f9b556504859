#include "console/jsonevents.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace jsonevents {

namespace {

struct Named
{
    const char *name;
    int value;
};

const Named kKinds[] = {
    { "found", static_cast<int>(UpdateEvent::Kind::Found) },
    { "version", static_cast<int>(UpdateEvent::Kind::Version) },
    { "step-started", static_cast<int>(UpdateEvent::Kind::StepStarted) },
    { "progress", static_cast<int>(UpdateEvent::Kind::Progress) },
    { "step-ended", static_cast<int>(UpdateEvent::Kind::StepEnded) },
    { "result", static_cast<int>(UpdateEvent::Kind::Result) },
};

const Named kOutcomes[] = {
    { "updated", static_cast<int>(UpdateEvent::Outcome::Updated) },
    { "up-to-date", static_cast<int>(UpdateEvent::Outcome::UpToDate) },
    { "refused", static_cast<int>(UpdateEvent::Outcome::Refused) },
    { "failed", static_cast<int>(UpdateEvent::Outcome::Failed) },
    { "stopped", static_cast<int>(UpdateEvent::Outcome::Stopped) },
};

template <size_t N>
QString nameOf(const Named (&table)[N], int value)
{
    for (const Named &entry : table)
    {
        if (entry.value == value)
        {
            return QLatin1String(entry.name);
        }
    }
    return QString();
}

template <size_t N>
int valueOf(const Named (&table)[N], const QString &name, int fallback)
{
    for (const Named &entry : table)
    {
        if (name == QLatin1String(entry.name))
        {
            return entry.value;
        }
    }
    return fallback;
}

void putText(QJsonObject &object, const char *key, const QString &value)
{
    if (!value.isEmpty())
    {
        object.insert(QLatin1String(key), value);
    }
}

} // namespace

QByteArray toLine(const UpdateEvent &event)
{
    using Kind = UpdateEvent::Kind;
    QJsonObject object;
    object.insert(QStringLiteral("event"), nameOf(kKinds, static_cast<int>(event.kind)));
    object.insert(QStringLiteral("device"), event.device);
    putText(object, "variant", event.variant);
    putText(object, "serial", event.serial);
    putText(object, "version", event.version);
    putText(object, "offered", event.offered);
    putText(object, "action", event.action);
    putText(object, "step", event.step);
    if (event.kind == Kind::Progress)
    {
        object.insert(QStringLiteral("percent"), event.percent);
    }
    if (event.kind == Kind::StepEnded)
    {
        object.insert(QStringLiteral("ok"), event.ok);
    }
    if (event.kind == Kind::Result)
    {
        object.insert(QStringLiteral("result"), nameOf(kOutcomes, static_cast<int>(event.outcome)));
    }
    putText(object, "message", event.message);
    putText(object, "log", event.log);
    return QJsonDocument(object).toJson(QJsonDocument::Compact) + '\n';
}

bool fromLine(const QByteArray &line, UpdateEvent &event)
{
    const QJsonDocument document = QJsonDocument::fromJson(line);
    const QJsonObject object = document.object();
    const int kind = valueOf(kKinds, object.value(QStringLiteral("event")).toString(), -1);
    if (!document.isObject() || kind < 0)
    {
        return false;
    }
    event = UpdateEvent();
    event.kind = static_cast<UpdateEvent::Kind>(kind);
    auto text = [&object](const char *key) { return object.value(QLatin1String(key)).toString(); };
    event.device = text("device");
    event.variant = text("variant");
    event.serial = text("serial");
    event.version = text("version");
    event.offered = text("offered");
    event.action = text("action");
    event.step = text("step");
    event.percent = object.value(QStringLiteral("percent")).toInt(-1);
    event.ok = object.value(QStringLiteral("ok")).toBool();
    event.outcome = static_cast<UpdateEvent::Outcome>(
        valueOf(kOutcomes, text("result"), static_cast<int>(UpdateEvent::Outcome::None)));
    event.message = text("message");
    event.log = text("log");
    return true;
}

} // namespace jsonevents

JsonEventWriter::JsonEventWriter(std::FILE *stream)
    : m_stream(stream)
{
}

void JsonEventWriter::take(const UpdateEvent &event)
{
    const QByteArray line = jsonevents::toLine(event);
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), m_stream);
    std::fflush(m_stream);
}
