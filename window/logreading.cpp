#include "window/logreading.h"

#include "window/embeddedfirmware.h"
#include "blfwk/UsbHidPeripheral.h"
#include "blfwk/log_texts.h"

#include <QByteArray>

#include <string_view>

namespace logreading {

namespace {

//! Error texts begin with this word, and the names of the target's error
//! statuses in a response line end with it: both mean the run failed.
constexpr std::string_view kErrorWord =
    std::string_view(blfwk::kLogErrorPrefix).substr(0, std::string_view(blfwk::kLogErrorPrefix).find(':'));

//! The six byte fields with their separating blanks.
const int kVersionFieldsLength = 17;

//! A log text as the engine's readers take it.
class Text
{
public:
    explicit Text(const QString &text)
        : utf8(text.toUtf8())
    {
    }
    std::string_view view() const { return std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())); }
    bool contains(std::string_view piece) const { return view().find(piece) != std::string_view::npos; }

private:
    QByteArray utf8;
};

Reading outcome(Outcome what)
{
    Reading reading;
    reading.outcome = what;
    return reading;
}

} // namespace

Reading readVersionText(const QString &text)
{
    const Text log(text);
    Reading reading;
    if (log.contains(blfwk::kLogVersionMarker))
    {
        reading.outcome = Outcome::Version;
        const QString fields = QString::fromStdString(blfwk::versionFields(log.view()));
        reading.version = embeddedfirmware::versionFromFields(fields.left(kVersionFieldsLength));
    }
    else if (blfwk::reportsDataPhaseAbort(log.view()))
    {
        reading.outcome = Outcome::ReadAborted;
        reading.version = QStringLiteral("0.0.0");
    }
    else if (log.contains(kErrorWord))
    {
        reading.outcome = log.contains(blfwk::kUsbHidOpenFailure) ? Outcome::OpenFailed : Outcome::Failed;
    }
    return reading;
}

Reading readEraseText(const QString &text)
{
    return outcome(blfwk::isSuccessStatus(Text(text).view()) ? Outcome::Confirmed : Outcome::Unconfirmed);
}

Reading readWriteText(const QString &text)
{
    const Text log(text);
    const int percent = blfwk::progressPercent(log.view());
    // Only whole percentages that have a progress frame count.
    if (percent >= 0 && percent <= 100)
    {
        Reading reading = outcome(Outcome::Progress);
        reading.percent = percent;
        return reading;
    }
    // The host sends the whole image before the target's final answer, so
    // 100 % does not mean the target took it.
    return outcome(blfwk::isFailedStatus(log.view()) ? Outcome::Refused : Outcome::Nothing);
}

Reading readResetText(const QString &text)
{
    return outcome(blfwk::isSuccessStatus(Text(text).view()) ? Outcome::Confirmed : Outcome::Nothing);
}

} // namespace logreading
