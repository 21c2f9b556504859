#include "window/windowstyle.h"

#include "widgets/picturesource.h"
#include "widgets/transparentstyle.h"
#include "window/pagewords.h"
#include "window/updatetexts.h"
#include "ui_mainwindow.h"
#include "vornbutton.h"
#include "vornclosebutton.h"
#include "vornprogressbar.h"

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMovie>
#include <QPalette>
#include <QScreen>
#include <QtGlobal>

#include <future>
#include <vector>

namespace windowstyle {

namespace {

const char kStyleWhite[] = "border-image: url(:/img/transparent.png) 0 0 0 0 stretch; color : rgb(255, 255, 255)";
const char kStyleOrange[] = "border-image: url(:/img/transparent.png) 0 0 0 0 stretch; color : rgb(255, 143, 28)";
const char kStyleOrangeStretched[] =
    "border-image: url(:/img/transparent.png) 0 0 0 0 stretch stretch; color : rgb(255, 143, 28)";

const int kPageCount = 5;
const int kConnectPage = 0;

//! How a text's pixel size follows its label's height.
enum class TextHeight
{
    Whole,
    FourFifths
};

//! Page @a picture's background (1 to 5) decoded and drawn once at the window's
//! size in device pixels at @a ratio, as a stretched border image of the
//! whole page would draw it; safe on any thread. The file-sized picture is
//! released at once.
QImage pageBackground(int picture, const QSize &window, qreal ratio)
{
    return picturesource::prepared(QStringLiteral(":/img/Vorn-UpdaterApp-%1.jpg").arg(picture), window, ratio);
}

//! Shows @a background behind the page's widgets; it is drawn as it is,
//! never scaled or decoded again.
void setPageBackground(QWidget *page, const QImage &background)
{
    QPalette palette = page->palette();
    palette.setBrush(QPalette::Window, QBrush(QPixmap::fromImage(background)));
    page->setPalette(palette);
    page->setAutoFillBackground(true);
}

class Placer
{
public:
    explicit Placer(const QSize &window)
        : window(window)
    {
    }

    void place(QWidget *widget, double x, double y, double w, double h, const char *style) const
    {
        widget->setGeometry(scaledRect(window, x, y, w, h));
        widget->setStyleSheet(QString::fromLatin1(style));
        widget->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        if (auto *label = qobject_cast<QLabel *>(widget))
        {
            label->setScaledContents(true);
        }
    }

    //! Pixel sizes follow the label's own height, so text scales with the
    //! window. That holds for the version and product texts too: their point
    //! sizes match their labels only on a 1080-line screen.
    void placeText(QLabel *label, double x, double y, double w, double h, const char *style, QFont font,
                   TextHeight height = TextHeight::Whole) const
    {
        place(label, x, y, w, h, style);
        const int pixels = label->height();
        font.setPixelSize(qMax(1, height == TextHeight::FourFifths ? pixels - static_cast<int>(pixels * 0.2) : pixels));
        label->setFont(font);
    }

private:
    QSize window;
};

QMovie *addLoader(QWidget *page, const Placer &placer)
{
    auto *loader = new QMovie(QStringLiteral(":/img/loader.gif"), QByteArray(), page);
    if (!loader->isValid())
    {
        qDebug("Movie is Invalid");
    }
    // Every frame read now and kept: the loop then never decodes again.
    loader->setCacheMode(QMovie::CacheAll);
    loader->jumpToFrame(loader->frameCount() - 1);
    loader->jumpToFrame(0);
    auto *label = new QLabel(page);
    label->setObjectName(QStringLiteral("lblLoader"));
    label->setMovie(loader);
    placer.place(label, 0.448, 0.703, 0.099, 0.0269, kTransparentStyle);
    loader->start();
    return loader;
}

QLabel *addHint(QWidget *page, const QSize &window, const QString &text, const QString &objectName)
{
    auto *hint = new QLabel(text, page);
    hint->setObjectName(objectName);
    // Up to three lines: the access hint ends with the rule's file name on a line of its own.
    hint->setGeometry(scaledRect(window, 0.2, 0.855, 0.6, 0.11));
    hint->setStyleSheet(QString::fromLatin1(kStyleWhite));
    hint->setAlignment(Qt::AlignCenter);
    hint->setWordWrap(true);
    QFont font(QStringLiteral("DIN Next W1G"));
    font.setPixelSize(qMax(1, static_cast<int>(0.026 * window.height())));
    hint->setFont(font);
    hint->hide();
    return hint;
}

} // namespace

QSize windowSizeForScreen(const QSize &screen)
{
    const int height = screen.height() / 2;
    return QSize(static_cast<int>(height * 1.163), height);
}

QRect scaledRect(const QSize &window, double x, double y, double width, double height)
{
    return QRect(static_cast<int>(x * window.width()), static_cast<int>(y * window.height()),
                 static_cast<int>(width * window.width()), static_cast<int>(height * window.height()));
}

StyledWidgets styleForm(QMainWindow &mainWindow, Ui::MainWindow &form, const QString &accessHintText,
                        const QString &busyHintText)
{
    QSize screen(mainWindow.width(), mainWindow.height() * 2);
    if (const QScreen *primary = QGuiApplication::primaryScreen())
    {
        screen = primary->geometry().size();
    }
    const QSize window = windowSizeForScreen(screen);
    mainWindow.setFixedSize(window);
    form.stackedWidget->setCurrentIndex(kConnectPage);
    form.stackedWidget->setFixedSize(window);

    QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/DINNextW1G-Regular.otf"));
    QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/DINNextW1G-Heavy.otf"));
    // The product name asks for this face by family; unregistered, it would
    // fall back to a wider face that runs past the divider line.
    QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/DINNextW1G-Medium.otf"));
    QFont textFont(QStringLiteral("DIN Next W1G"), 15, 0);
    textFont.setLetterSpacing(QFont::PercentageSpacing, 90);
    const QFont versionFont(QStringLiteral("DIN Next W1G"), 15, 75);
    const QFont titleFont(QStringLiteral("DIN Next W1G"), 60, 81);
    const QFont productFont(QStringLiteral("DIN Next W1G Medium"), 18);

    // The pictures are decoded and scaled on two other threads while the form
    // is styled, at the screen's device pixel ratio so that they stay sharp,
    // and all are in place before the first page shows. Two threads, not one
    // per page: a decoded page picture is large, and only two are held at once.
    const qreal ratio = picturesource::screenRatio();
    auto backgroundsFrom = [window, ratio](int first) {
        std::vector<QImage> drawn;
        for (int picture = first; picture <= kPageCount; picture += 2)
        {
            drawn.push_back(pageBackground(picture, window, ratio));
        }
        return drawn;
    };
    std::future<std::vector<QImage>> backgrounds[2] = { std::async(std::launch::async, backgroundsFrom, 1),
                                                        std::async(std::launch::async, backgroundsFrom, 2) };
    const QRect barRect = scaledRect(window, 0.243, 0.729, 0.516, 0.028);
    auto barFrames = std::async(std::launch::async, &vornProgressBar::scaledFrames, barRect.size(), ratio);

    const Placer placer(window);
    StyledWidgets added;
    added.loader = addLoader(form.pageConnectController, placer);

    placer.placeText(form.lblTitle, 0.25, 0.39, 0.58, 0.045, kStyleWhite, titleFont);
    placer.placeText(form.lblConnectController, 0.262, 0.77, 0.5, 0.038, kStyleOrange, textFont,
                     TextHeight::FourFifths);
    placer.placeText(form.lblConnectController_2, 0.325, 0.8, 0.5, 0.038, kStyleOrange, textFont,
                     TextHeight::FourFifths);

    placer.placeText(form.lblSameVersion, 0.6, 0.76, 0.14, 0.038, kStyleWhite, versionFont);
    placer.placeText(form.lblStaticCurrentFirmware, 0.33, 0.76, 0.3, 0.036, kStyleWhite, textFont,
                     TextHeight::FourFifths);

    placer.placeText(form.lblCurrentVersion, 0.6, 0.758, 0.149, 0.038, kStyleWhite, versionFont);
    placer.placeText(form.lblNewVersion, 0.591, 0.796, 0.14, 0.038, kStyleOrangeStretched, versionFont);
    placer.placeText(form.lblProduct, 0.36, 0.63, 0.58, 0.045, kStyleWhite, productFont);
    added.updateButton = new vornButton();
    added.updateButton->setParent(form.pageVersionLower);
    added.updateButton->setWord(updatetexts::text(updatetexts::kUpdateButtonWord));
    placer.place(added.updateButton, 0.421, 0.851, 0.148, 0.058, kTransparentStyle);

    added.progressBar = new vornProgressBar();
    added.progressBar->setParent(form.pageUpdating);
    placer.place(added.progressBar, 0.243, 0.729, 0.516, 0.028, kTransparentStyle);

    added.closeButton = new vornCloseButton();
    added.closeButton->setParent(form.pageFinished);
    added.closeButton->setWord(updatetexts::text(updatetexts::kCloseButtonWord));
    placer.place(added.closeButton, 0.432, 0.851, 0.148, 0.058, kTransparentStyle);
    placer.placeText(form.lblFinishedVersion, 0.591, 0.723, 0.149, 0.038, kStyleOrangeStretched, versionFont);

    placer.placeText(form.lblProductName, 0.36, 0.63, 0.58, 0.045, kStyleWhite, productFont);

    added.accessHint = addHint(form.pageConnectController, window, accessHintText, QStringLiteral("lblAccessHint"));
    added.busyHint = addHint(form.pageConnectController, window, busyHintText, QStringLiteral("lblBusyHint"));

    QWidget *const pages[kPageCount] = { form.pageConnectController, form.pageVersionSame, form.pageVersionLower,
                                         form.pageUpdating, form.pageFinished };
    pagewords::addTo(pages, window);
    const std::vector<QImage> drawn[2] = { backgrounds[0].get(), backgrounds[1].get() };
    for (int page = 0; page < kPageCount; ++page)
    {
        setPageBackground(pages[page], drawn[page % 2].at(static_cast<size_t>(page / 2)));
    }
    added.progressBar->setFrames(barFrames.get());
    // The loader runs only while its page shows.
    QMovie *loader = added.loader;
    QObject::connect(form.stackedWidget, &QStackedWidget::currentChanged, loader,
                     [loader](int index) { loader->setPaused(index != kConnectPage); });
    return added;
}

} // namespace windowstyle
