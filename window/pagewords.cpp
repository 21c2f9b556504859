#include "window/pagewords.h"

#include "window/updatetexts.h"

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QPalette>
#include <QWidget>
#include <QtGlobal>

#include <iterator>

namespace pagewords {

namespace {

enum class Anchor
{
    Left,
    Centre
};

//! One text on a page. Places are fractions of the window, sizes and letter
//! spacing fractions of its height, as on the pictures they were drawn on.
struct Word
{
    int page;
    const char *text;
    double x;       //!< left edge, or centre for Anchor::Centre
    double centreY; //!< middle of the line
    double size;    //!< the font's pixel size
    double tracking;
    QColor colour;
    Anchor anchor;
    double width; //!< room to the right of a left-anchored text
};

//! The page pictures are drawn at this height; their words were measured on it.
constexpr double kArtHeight = 1778.0;
constexpr double art(double pixels)
{
    return pixels / kArtHeight;
}

const QColor kWhite(240, 240, 242);
const QColor kGrey(150, 152, 158);
const QColor kOrange(255, 143, 28);

const double kHeading = art(74), kHeadingTracking = art(14);
const double kCaption = art(30), kCaptionTracking = art(10);
const double kLine = art(40), kBody = art(44), kBodyTracking = art(2);
//! The size of the window's own "Current firmware version:" label, 0.8 of its height.
const double kField = art(54), kFieldTracking = art(4);

using updatetexts::kProductCaption;
const Word kWords[] = {
    { 0, updatetexts::kConnectStepHold, 0.5, 0.53, kLine, art(8), kGrey, Anchor::Centre, 0 },
    { 0, updatetexts::kConnectStepPlug, 0.5, 0.58, kLine, art(8), kGrey, Anchor::Centre, 0 },
    { 0, updatetexts::kConnectWaiting, 0.5, 0.66, art(34), art(10), kOrange, Anchor::Centre, 0 },

    { 1, updatetexts::kSameHeading, 0.5, 0.50, kHeading, kHeadingTracking, kWhite, Anchor::Centre, 0 },
    { 1, kProductCaption, 0.36, 0.60, kCaption, kCaptionTracking, kGrey, Anchor::Left, 0.5 },
    { 1, updatetexts::kSameNoUpdate, 0.5, 0.88, kLine, kBodyTracking, kGrey, Anchor::Centre, 0 },

    { 2, updatetexts::kOfferHeading, 0.5, 0.50, kHeading, kHeadingTracking, kWhite, Anchor::Centre, 0 },
    { 2, kProductCaption, 0.36, 0.60, kCaption, kCaptionTracking, kGrey, Anchor::Left, 0.5 },
    // Up to the version labels beside them.
    { 2, updatetexts::kOfferCurrent, 0.33, 0.777, kField, kFieldTracking, kWhite, Anchor::Left, 0.27 },
    { 2, updatetexts::kOfferNew, 0.33, 0.815, kField, kFieldTracking, kOrange, Anchor::Left, 0.26 },

    { 3, updatetexts::kUpdatingHeading, 0.5, 0.50, kHeading, kHeadingTracking, kWhite, Anchor::Centre, 0 },
    { 3, updatetexts::kUpdatingWriting, 0.5, 0.66, kBody, kBodyTracking, kGrey, Anchor::Centre, 0 },
    { 3, updatetexts::kUpdatingDoNotUnplug, 0.5, 0.82, kLine, art(10), kOrange, Anchor::Centre, 0 },

    { 4, updatetexts::kFinishedHeading, 0.5, 0.50, kHeading, kHeadingTracking, kWhite, Anchor::Centre, 0 },
    { 4, updatetexts::kFinishedUnplug, 0.5, 0.64, kBody, kBodyTracking, kGrey, Anchor::Centre, 0 },
    { 4, updatetexts::kFinishedVersion, 0.33, 0.742, kField, kFieldTracking, kWhite, Anchor::Left, 0.26 },
};

//! Room left and right of a centred text.
const double kCentredWidth = 0.9;

QLabel *label(const Word &word, QWidget *page, const QSize &window)
{
    auto *label = new QLabel(updatetexts::text(word.text), page);
    label->setObjectName(QStringLiteral("lblWord%1").arg(page->children().size()));
    const double w = window.width(), h = window.height();
    const double lineHeight = 2 * word.size * h;
    const double tracking = word.tracking * h;
    const bool centred = word.anchor == Anchor::Centre;
    const double width = (centred ? kCentredWidth : word.width) * w;
    // The spacing follows every letter, the last too: half of it is moved
    // back so that a centred text stays centred.
    const double left = centred ? word.x * w - width / 2 + tracking / 2 : word.x * w;
    label->setGeometry(static_cast<int>(left), static_cast<int>(word.centreY * h - lineHeight / 2),
                       static_cast<int>(width), static_cast<int>(lineHeight));
    label->setAlignment((centred ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignVCenter);

    QFont font(QStringLiteral("DIN Next W1G"));
    font.setPixelSize(qMax(1, qRound(word.size * h)));
    font.setLetterSpacing(QFont::AbsoluteSpacing, tracking);
    // Unhinted advances keep the fractional widths the pictures were drawn with.
    font.setHintingPreference(QFont::PreferNoHinting);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, word.colour);
    label->setPalette(palette);

    label->setAttribute(Qt::WA_TransparentForMouseEvents);
    return label;
}

} // namespace

void addTo(QWidget *const pages[], const QSize &window)
{
    // Added in reverse and each put under the others, so that they come
    // first, in reading order, among the page's children.
    for (auto word = std::rbegin(kWords); word != std::rend(kWords); ++word)
    {
        label(*word, pages[word->page], window)->lower();
    }
}

} // namespace pagewords
