#include "mainwindow.h"

#include "ui_mainwindow.h"
#include "vornbutton.h"
#include "vornclosebutton.h"
#include "vornprogressbar.h"
#include "workerthread.h"
#include "blfwk/UsbHidPeripheral.h"
#include "blfwk/UsbHidPresence.h"

#include <QCoreApplication>
#include <QFile>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QMovie>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QStringList>
#include <QTimerEvent>
#include <QtGlobal>

#include <array>
#include <future>
#include <vector>

const char *const MainWindow::VidPid[4] = {
    "0x3b7c,0x5e0d", // smoked
    "0x3b7c,0x5e0c", // light gray
    "0x3b7c,0x5e0b", // steel gray
    "0x3b7c,0x5e03", // black
};

namespace {

const char kVersionImage[] = ":/binaries/vorn_tarsel_v_0.5.20_black.bin";
const qint64 kVersionOffset = 0x70006;
const int kVersionBytes = 6;
const char kSuccessText[] = "Response status = 0 (0x0) Success";
const char kStatusPrefix[] = "Response status = ";
const char kAccessHintText[] = "The controller is plugged in, but this user may not open it. Install the "
                               "updater's udev rule, then plug the controller in again.";

// What the user reads when an update cannot go on.
const char kImageNotReadyText[] =
    "The firmware image could not be prepared, so nothing on the controller was changed. Make sure the "
    "temporary folder has free space, then click UPDATE to try again.";
const char kEraseFailedText[] = "The controller did not confirm that its old firmware was erased.";
const char kWriteFailedText[] = "The controller did not confirm that it received the whole new firmware.";
const char kImageChangedText[] = "The firmware image changed before it could be written, so it was not sent.";
const char kTryAgainText[] =
    "The update did not finish. Unplug the controller, hold the left stick, plug it in again, then click UPDATE.";
const char kRestartText[] =
    "The new firmware is written. Unplug the controller and plug it in again to start it.";

enum Page
{
    kPageConnect = 0,
    kPageSame = 1,
    kPageLower = 2,
    kPageUpdating = 3,
    kPageFinished = 4
};

const char kStyleTransparent[] = "border-image: url(:/img/transparent.png) 0 0 0 0 stretch stretch";
const char kStyleWhite[] = "border-image: url(:/img/transparent.png) 0 0 0 0 stretch; color : rgb(255, 255, 255)";
const char kStyleOrange[] = "border-image: url(:/img/transparent.png) 0 0 0 0 stretch; color : rgb(255, 143, 28)";
const char kStyleOrangeStretched[] =
    "border-image: url(:/img/transparent.png) 0 0 0 0 stretch stretch; color : rgb(255, 143, 28)";

const int kPageCount = 5;

//! Page @a picture's background (1 to 5) decoded and drawn once at the window's
//! size, as a stretched border image of the whole page would draw it; safe
//! on any thread. The file-sized picture is released at once.
QImage pageBackground(int picture, const QSize &window)
{
    const QImage source(QStringLiteral(":/img/Vorn-UpdaterApp-%1.jpg").arg(picture));
    QImage scaled(window, QImage::Format_RGB32);
    scaled.fill(Qt::black);
    QPainter painter(&scaled);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(QPoint(0, 0), window), source, source.rect());
    return scaled;
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

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , lstMsg(None)
    , ui(new Ui::MainWindow)
    , timerId(0)
    , controllerFound(0)
    , erased(0)
    , flashed(0)
    , foundIndex(0)
    , running(0)
    , pb(nullptr)
    , lastPercent(0)
    , updateButton(nullptr)
    , closeButton(nullptr)
    , loaderLabel(nullptr)
    , loader(nullptr)
    , retryStep(None)
    , configErrorShown(false)
{
    ui->setupUi(this);
    GenerateUI();
    createAccessHint();
    lstMsg = None;
    timerId = startTimer(kPollPeriodMs, Qt::CoarseTimer);
}

MainWindow::~MainWindow()
{
    killTimer(timerId);
    // A run still going uses this window as its receiver and its thread object
    // is our child: let it end before either goes.
    if (currentWorker)
    {
        currentWorker->wait();
    }
    delete ui;
}

QSize MainWindow::windowSizeForScreen(const QSize &screen)
{
    const int height = screen.height() / 2;
    return QSize(static_cast<int>(height * 1.163), height);
}

QRect MainWindow::scaledRect(const QSize &window, double x, double y, double width, double height)
{
    return QRect(static_cast<int>(x * window.width()), static_cast<int>(y * window.height()),
                 static_cast<int>(width * window.width()), static_cast<int>(height * window.height()));
}

QString MainWindow::hex2version(const QString &hex)
{
    const QStringList fields = hex.split(QLatin1Char(' '));
    // A missing field is empty and a pair that does not convert gives 0.
    auto number = [&fields](int high, int low) {
        return (fields.value(high) + fields.value(low)).toUShort(nullptr, 16);
    };
    const quint16 n1 = number(5, 4);
    const quint16 n2 = number(3, 2);
    const quint16 n3 = number(1, 0);

    // Images store minor and patch the other way round when the minor number
    // looks like a patch number.
    const bool swapped = n2 > 50;
    return QStringLiteral("%1.%2.%3").arg(n1).arg(swapped ? n3 : n2).arg(swapped ? n2 : n3);
}

QString MainWindow::firmwareResource(const QString &vidPid)
{
    static const char *const images[kVariantCount] = {
        ":/binaries/vorn_tarsel_v_0.5.20_smoked.bin",
        ":/binaries/vorn_tarsel_v_0.5.20_light_gray.bin",
        ":/binaries/vorn_tarsel_v_0.5.20_steel_gray.bin",
        kVersionImage,
    };
    for (int i = 0; i < kVariantCount - 1; ++i)
    {
        if (vidPid == QLatin1String(VidPid[i]))
        {
            return QString::fromLatin1(images[i]);
        }
    }
    return QString::fromLatin1(images[kVariantCount - 1]);
}

void MainWindow::GenerateUI()
{
    QSize screen(width(), height() * 2);
    if (const QScreen *primary = QGuiApplication::primaryScreen())
    {
        screen = primary->geometry().size();
    }
    const QSize window = windowSizeForScreen(screen);
    setFixedSize(window);

    ui->stackedWidget->setCurrentIndex(kPageConnect);
    ui->stackedWidget->setFixedSize(window);

    QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/DINNextW1G-Regular.otf"));
    QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/DINNextW1G-Heavy.otf"));
    QFont textFont(QStringLiteral("DIN Next W1G"), 15, 0);
    textFont.setLetterSpacing(QFont::PercentageSpacing, 90);
    const QFont versionFont(QStringLiteral("DIN Next W1G"), 15, 75);
    QFont titleFont(QStringLiteral("DIN Next W1G"), 60, 81);
    const QFont productFont(QStringLiteral("DIN Next W1G Medium"), 18);

    // The pictures are decoded and scaled on other threads while the form is
    // styled, and all are in place before the first page shows: nothing is
    // decoded or scaled again while the window runs.
    std::vector<std::future<QImage>> backgrounds;
    for (int picture = 1; picture <= kPageCount; ++picture)
    {
        backgrounds.push_back(std::async(std::launch::async, pageBackground, picture, window));
    }
    const QRect barRect = scaledRect(window, 0.243, 0.729, 0.516, 0.028);
    auto barFrames = std::async(std::launch::async, &vornProgressBar::scaledFrames, barRect.size());

    auto place = [&window](QWidget *widget, double x, double y, double w, double h, const char *style) {
        widget->setGeometry(scaledRect(window, x, y, w, h));
        widget->setStyleSheet(QString::fromLatin1(style));
        widget->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
        if (auto *label = qobject_cast<QLabel *>(widget))
        {
            label->setScaledContents(true);
        }
    };
    // Pixel sizes follow the label's own height, so text scales with the window.
    // That holds for the version and product texts too: their point sizes
    // match their labels only on a 1080-line screen and overflow on smaller ones.
    auto fontFor = [](QFont font, const QWidget *widget, bool reduced) {
        const int h = widget->height();
        font.setPixelSize(qMax(1, reduced ? h - static_cast<int>(h * 0.2) : h));
        return font;
    };

    loader = new QMovie(QStringLiteral(":/img/loader.gif"), QByteArray(), this);
    if (!loader->isValid())
    {
        qDebug("Movie is Invalid");
    }
    // Every frame read now and kept: the loop then never decodes again.
    loader->setCacheMode(QMovie::CacheAll);
    loader->jumpToFrame(loader->frameCount() - 1);
    loader->jumpToFrame(0);
    loaderLabel = new QLabel(ui->pageConnectController);
    loaderLabel->setMovie(loader);
    place(loaderLabel, 0.448, 0.703, 0.099, 0.0269, kStyleTransparent);
    loader->start();

    QWidget *const pages[kPageCount] = { ui->pageConnectController, ui->pageVersionSame, ui->pageVersionLower,
                                         ui->pageUpdating, ui->pageFinished };

    place(ui->lblTitle, 0.25, 0.39, 0.58, 0.045, kStyleWhite);
    ui->lblTitle->setFont(fontFor(titleFont, ui->lblTitle, false));
    place(ui->lblConnectController, 0.262, 0.77, 0.5, 0.038, kStyleOrange);
    ui->lblConnectController->setFont(fontFor(textFont, ui->lblConnectController, true));
    place(ui->lblConnectController_2, 0.325, 0.8, 0.5, 0.038, kStyleOrange);
    ui->lblConnectController_2->setFont(fontFor(textFont, ui->lblConnectController_2, true));

    place(ui->lblSameVersion, 0.6, 0.76, 0.14, 0.038, kStyleWhite);
    ui->lblSameVersion->setFont(fontFor(versionFont, ui->lblSameVersion, false));
    place(ui->lblStaticCurrentFirmware, 0.33, 0.76, 0.3, 0.036, kStyleWhite);
    ui->lblStaticCurrentFirmware->setFont(fontFor(textFont, ui->lblStaticCurrentFirmware, true));

    place(ui->lblCurrentVersion, 0.6, 0.758, 0.149, 0.038, kStyleWhite);
    ui->lblCurrentVersion->setFont(fontFor(versionFont, ui->lblCurrentVersion, false));
    place(ui->lblNewVersion, 0.591, 0.796, 0.14, 0.038, kStyleOrangeStretched);
    ui->lblNewVersion->setFont(fontFor(versionFont, ui->lblNewVersion, false));
    ui->lblNewVersion->setText(updaterVersion);
    place(ui->lblProduct, 0.36, 0.63, 0.58, 0.045, kStyleWhite);
    ui->lblProduct->setFont(fontFor(productFont, ui->lblProduct, false));
    updateButton = new vornButton();
    updateButton->setParent(ui->pageVersionLower);
    place(updateButton, 0.421, 0.851, 0.148, 0.058, kStyleTransparent);

    pb = new vornProgressBar();
    pb->setParent(ui->pageUpdating);
    place(pb, 0.243, 0.729, 0.516, 0.028, kStyleTransparent);

    closeButton = new vornCloseButton();
    closeButton->setParent(ui->pageFinished);
    place(closeButton, 0.432, 0.851, 0.148, 0.058, kStyleTransparent);
    place(ui->lblFinishedVersion, 0.591, 0.723, 0.149, 0.038, kStyleOrangeStretched);
    ui->lblFinishedVersion->setFont(fontFor(versionFont, ui->lblFinishedVersion, false));

    place(ui->lblProductName, 0.36, 0.63, 0.58, 0.045, kStyleWhite);
    ui->lblProductName->setFont(fontFor(productFont, ui->lblProductName, false));

    for (int page = 0; page < kPageCount; ++page)
    {
        setPageBackground(pages[page], backgrounds[page].get());
    }
    pb->setFrames(barFrames.get());
    // The loader runs only while its page shows.
    connect(ui->stackedWidget, &QStackedWidget::currentChanged, loader,
            [this](int index) { loader->setPaused(index != kPageConnect); });

    connect(updateButton, &vornButton::vornButtonClicked, this, &MainWindow::on_pushButton_clicked);
    connect(closeButton, &vornCloseButton::vornCloseClicked, this, &MainWindow::on_close_clicked);
}

void MainWindow::createAccessHint()
{
    accessHint = new QLabel(QString::fromLatin1(kAccessHintText), ui->pageConnectController);
    accessHint->setObjectName(QStringLiteral("lblAccessHint"));
    accessHint->setGeometry(scaledRect(size(), 0.2, 0.865, 0.6, 0.08));
    accessHint->setStyleSheet(QString::fromLatin1(kStyleWhite));
    accessHint->setAlignment(Qt::AlignCenter);
    accessHint->setWordWrap(true);
    QFont font(QStringLiteral("DIN Next W1G"));
    font.setPixelSize(qMax(1, static_cast<int>(0.026 * height())));
    accessHint->setFont(font);
    accessHint->hide();
}

//! Looks up, after a failed open, which refused controllers are still
//! plugged in, and shows the hint while one is.
void MainWindow::checkAccess()
{
    // Listing goes through hidapi, which a run may be using: only between runs.
    if (pendingAccessCheck < 0 || !engineIdle())
    {
        return;
    }
    refusedVariants |= static_cast<quint8>(1u << pendingAccessCheck);
    pendingAccessCheck = -1;
    for (int i = 0; i < kVariantCount; ++i)
    {
        const QStringList ids = QString::fromLatin1(VidPid[i]).split(QLatin1Char(','));
        if ((refusedVariants & (1u << i)) &&
            !blfwk::isUsbHidDevicePresent(ids.value(0).toUShort(nullptr, 0), ids.value(1).toUShort(nullptr, 0)))
        {
            refusedVariants &= static_cast<quint8>(~(1u << i));
        }
    }
    accessHint->setVisible(refusedVariants != 0);
}

void MainWindow::ReadConfig()
{
    QFile file(QString::fromLatin1(kVersionImage));
    QByteArray bytes;
    if (!file.open(QIODevice::ReadOnly))
    {
        // Shown once: this runs for every log text, and a message box per text
        // would stack nested event loops.
        if (!configErrorShown)
        {
            configErrorShown = true;
            QMessageBox::information(nullptr, QStringLiteral("error"), file.errorString(), QMessageBox::Ok);
        }
    }
    else if (file.size() > kVersionOffset && file.seek(kVersionOffset))
    {
        bytes = file.read(kVersionBytes);
    }

    QStringList fields;
    for (int i = 0; i < kVersionBytes; ++i)
    {
        const auto value = static_cast<unsigned char>(i < bytes.size() ? bytes.at(i) : 0);
        fields << QStringLiteral("%1").arg(value, 2, 16, QLatin1Char('0'));
    }
    updaterVersion = hex2version(fields.join(QLatin1Char(' ')));
    ui->lblNewVersion->setText(updaterVersion);
    file.close();
}

bool MainWindow::engineIdle() const
{
    return currentWorker.isNull();
}

bool MainWindow::startStep(LastMessage step, std::initializer_list<const char *> args)
{
    if (!engineIdle())
    {
        retryStep = step;
        return false;
    }
    running = 1;
    retryStep = None;
    // A step's flag is only ever set by the texts of its own run.
    if (step == FlashErase)
    {
        erased = 0;
    }
    else if (step == SendBinary)
    {
        flashed = 0;
    }

    auto *worker = new WorkerThread(this);
    std::array<char *, WorkerThread::kMaxArgs> argv{};
    int argc = 0;
    for (const char *arg : args)
    {
        if (argc < WorkerThread::kMaxArgs)
        {
            // The engine only reads its arguments.
            argv[argc++] = const_cast<char *>(arg);
        }
        if (argc == 1 && !timeoutArg.isEmpty())
        {
            argv[argc++] = const_cast<char *>("-t");
            argv[argc++] = timeoutArg.data();
        }
    }
    worker->SetArgs(argc, argv.data());
    connect(worker, &QThread::finished, worker, &QObject::deleteLater);
    lstMsg = step;
    currentWorker = worker;
    worker->start(QThread::InheritPriority);
    return true;
}

void MainWindow::CheckController()
{
    startStep(GetVersion, { "RiVuvo", "-u", VidPid[foundIndex], "--", "read-memory", "0x70006", "6" });
}

int MainWindow::EraseFlash()
{
    startStep(FlashErase, { "RiVuvo", "-u", VidPid[foundIndex], "--", "flash-erase-region", "0x00", "0x71000" });
    return 0;
}

QByteArray MainWindow::variantImage() const
{
    QFile resource(firmwareResource(QString::fromLatin1(VidPid[foundIndex])));
    return resource.open(QIODevice::ReadOnly) ? resource.readAll() : QByteArray();
}

bool MainWindow::prepareUpdateFile()
{
    if (!updateImage.prepare(variantImage()))
    {
        qWarning("Cannot prepare the firmware image in %s", qUtf8Printable(updateImage.directory()));
        return false;
    }
    updateFileArg = QFile::encodeName(updateImage.path());
    return true;
}

int MainWindow::ProgramNewBinary()
{
    if (!engineIdle())
    {
        return 0;
    }
    // The copy was checked before the erase; only that image is ever sent.
    if (!updateImage.holds(variantImage()))
    {
        abandonUpdate(kImageChangedText);
        return 0;
    }
    startStep(SendBinary,
              { "RiVuvo", "-u", VidPid[foundIndex], "--", "write-memory", "0x0", updateFileArg.constData() });
    return 0;
}

void MainWindow::ResetDevice()
{
    startStep(Reset, { "RiVuvo", "-u", VidPid[foundIndex], "--", "reset" });
}

void MainWindow::setDeviceTiming(int pollPeriodMs, int packetTimeoutMs)
{
    killTimer(timerId);
    timerId = startTimer(pollPeriodMs, Qt::CoarseTimer);
    timeoutArg = packetTimeoutMs > 0 ? QByteArray::number(packetTimeoutMs) : QByteArray();
}

void MainWindow::timerEvent(QTimerEvent *)
{
    checkAccess();
    if (lstMsg == SendBinary && engineIdle())
    {
        // The write is over, whatever its outcome: its image copy has served.
        updateImage.remove();
    }
    // Steps outside the table below (an erase after a click, a version read
    // after a failed update) are only asked for once; retry them here.
    if (retryStep == FlashErase)
    {
        EraseFlash();
        return;
    }
    if (retryStep == GetVersion)
    {
        CheckController();
        return;
    }

    // A step is judged once its run has ended and every text of it was read.
    switch (lstMsg)
    {
    case None:
    case GetVersion:
        CheckController();
        break;
    case FlashErase:
        if (engineIdle() && erased == 1)
        {
            ProgramNewBinary();
        }
        else if (engineIdle())
        {
            abandonUpdate(kEraseFailedText);
        }
        break;
    case SendBinary:
        if (engineIdle() && flashed == 1)
        {
            ResetDevice();
        }
        else if (engineIdle())
        {
            abandonUpdate(kWriteFailedText);
        }
        break;
    case Reset:
        // The write was confirmed, so the firmware is in place even when the
        // controller restarted before its answer to the reset left it.
        if (engineIdle() && ui->stackedWidget->currentIndex() != kPageFinished)
        {
            clearUpdateFlags();
            showPage(kPageFinished);
            showNotice(QLatin1String(kRestartText), false);
        }
        break;
    }
}

void MainWindow::clearUpdateFlags()
{
    erased = 0;
    flashed = 0;
    lastPercent = 0;
    pb->setProgress(0);
}

void MainWindow::abandonUpdate(const char *what)
{
    // Back to polling as after a lost controller, so that the next update
    // starts from the beginning.
    clearUpdateFlags();
    updateImage.remove();
    controllerFound = 0;
    showPage(kPageConnect);
    showNotice(QStringLiteral("%1 %2").arg(QLatin1String(what), QLatin1String(kTryAgainText)), true);
    CheckController();
}

QMessageBox *MainWindow::notice() const
{
    return noticeBox.data();
}

void MainWindow::showNotice(const QString &text, bool failure)
{
    if (!noticeBox)
    {
        noticeBox = new QMessageBox(this);
        noticeBox->setWindowTitle(windowTitle());
        noticeBox->setStandardButtons(QMessageBox::Ok);
    }
    noticeBox->setIcon(failure ? QMessageBox::Warning : QMessageBox::Information);
    noticeBox->setText(text);
    // Not exec(): the sequence and its polling go on behind the message.
    noticeBox->open();
    Q_EMIT noticeShown(text);
}

void MainWindow::showPage(int index)
{
    ui->stackedWidget->setCurrentIndex(index);
}

void MainWindow::ParseLogs(QString msg)
{
    switch (lstMsg)
    {
    case GetVersion:
        parseVersionLog(msg);
        break;
    case FlashErase:
        erased = msg.contains(QLatin1String(kSuccessText)) ? 1 : 0;
        break;
    case SendBinary:
        parseWriteLog(msg);
        break;
    case Reset:
        if (msg.contains(QLatin1String(kSuccessText)))
        {
            erased = 0;
            flashed = 0;
            showPage(kPageFinished);
        }
        break;
    case None:
        break;
    }
    running = 0;
}

void MainWindow::parseVersionLog(const QString &msg)
{
    const bool hasVersion = msg.contains(QLatin1String("Version:"));
    if (hasVersion || msg.contains(QLatin1String("Data phase aborted by sender")))
    {
        controllerVersion =
            hasVersion ? hex2version(msg.mid(msg.indexOf(QLatin1Char(':')) + 2, 17)) : QStringLiteral("0.0.0");
        ui->lblCurrentVersion->setText(controllerVersion);
        ui->lblSameVersion->setText(controllerVersion);
        controllerFound = 1;
        refusedVariants = 0;
        accessHint->hide();
    }
    else if (msg.contains(QLatin1String("Error")))
    {
        if (msg.contains(QLatin1String(blfwk::kUsbHidOpenFailure)))
        {
            pendingAccessCheck = foundIndex;
        }
        controllerFound = 0;
        foundIndex = static_cast<quint8>((foundIndex + 1) % kVariantCount);
        // The controller is gone: an erase still waiting for its turn must not
        // run against whatever is found next.
        if (retryStep == FlashErase)
        {
            retryStep = None;
        }
        showPage(kPageConnect);
        return;
    }
    else if (controllerFound == 0)
    {
        showPage(kPageConnect);
        return;
    }

    ReadConfig();
    if (ui->stackedWidget->currentIndex() != kPageConnect)
    {
        return;
    }
    showPage(controllerVersion == updaterVersion ? kPageSame : kPageLower);
}

void MainWindow::parseWriteLog(const QString &msg)
{
    const int p = msg.indexOf(QLatin1Char('%'));
    if (p < 0)
    {
        // The host sends the whole image before the target's final answer, so
        // 100 % does not mean the target took it: a refused write must never
        // lead to the reset and the finished page. The reset waits until this
        // run is over, so this text always arrives in time.
        if (msg.startsWith(QLatin1String(kStatusPrefix)) && !msg.contains(QLatin1String(kSuccessText)))
        {
            flashed = 0;
        }
        // A lost controller ("No response packet from target device") ends the
        // run with that status: the tick after it abandons the update.
        return;
    }

    auto percentBefore = [&msg, p](int width, bool *ok) {
        *ok = p >= width;
        return *ok ? msg.mid(p - width, width).trimmed().toInt(ok, 10) : 0;
    };
    bool ok = false;
    int percent = percentBefore(3, &ok);
    if (!ok)
    {
        percent = percentBefore(2, &ok);
    }
    // Only whole percentages that have a progress frame are shown.
    if (!ok || percent < 0 || percent > 100 || percent == lastPercent)
    {
        return;
    }
    showProgress(percent);
    if (percent == 100)
    {
        flashed = 1;
        ui->lblFinishedVersion->setText(updaterVersion);
    }
}

void MainWindow::showProgress(int percent)
{
    pb->setProgress(static_cast<unsigned char>(percent));
    lastPercent = percent;
    Q_EMIT progressShown(percent);
}

void MainWindow::on_pushButton_clicked()
{
    // The button lives on the update page; a stray click elsewhere must not
    // start a second erase.
    if (ui->stackedWidget->currentIndex() != kPageLower)
    {
        return;
    }
    // Nothing is erased before the image that replaces it is ready.
    if (!prepareUpdateFile())
    {
        showNotice(QLatin1String(kImageNotReadyText), true);
        return;
    }
    clearUpdateFlags();
    showPage(kPageUpdating);
    EraseFlash();
}

void MainWindow::on_close_clicked()
{
    QCoreApplication::quit();
}
