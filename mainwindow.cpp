#include "mainwindow.h"

#include "window/accesshint.h"
#include "window/accessibility.h"
#include "window/devicereservation.h"
#include "window/embeddedfirmware.h"
#include "window/firmwareversion.h"
#include "window/logreading.h"
#include "ui_mainwindow.h"
#include "window/updatetexts.h"
#include "vornbutton.h"
#include "vornclosebutton.h"
#include "vornprogressbar.h"
#include "window/windowstyle.h"
#include "workerthread.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QMessageBox>
#include <QTimer>
#include <QTimerEvent>

const char *const MainWindow::VidPid[vorn::kVariantCount] = { vorn::kVariants[0].vidPid, vorn::kVariants[1].vidPid,
                                                              vorn::kVariants[2].vidPid, vorn::kVariants[3].vidPid };

namespace {

// The pages of the stacked widget, by index.
enum Page { kPageConnect = 0, kPageSame = 1, kPageLower = 2, kPageUpdating = 3, kPageFinished = 4 };

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
{
    accessibility::installPictureInterfaces();
    ui->setupUi(this);
    GenerateUI();
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

QString MainWindow::hex2version(const QString &hex)
{
    return embeddedfirmware::versionFromFields(hex);
}

void MainWindow::GenerateUI()
{
    const StyledWidgets added = windowstyle::styleForm(*this, *ui, updatetexts::text(updatetexts::kAccessHint),
                                                       updatetexts::text(updatetexts::kControllerBusy));
    loader = added.loader;
    updateButton = added.updateButton;
    pb = added.progressBar;
    closeButton = added.closeButton;
    accessHint = std::make_unique<AccessHint>(added.accessHint);
    reservation = std::make_unique<DeviceReservation>(added.busyHint);
    ui->lblNewVersion->setText(updaterVersion);
    accessibility::describe(*ui->stackedWidget, added);
    // The program's own version, for a user who is asked for it.
    const QString programVersion =
        updatetexts::text(updatetexts::kProgramVersion).arg(QLatin1String(VORN_UPDATER_VERSION));
    ui->lblTitle->setToolTip(programVersion);
    ui->lblTitle->setAccessibleDescription(programVersion);

    connect(updateButton, &vornButton::vornButtonClicked, this, &MainWindow::on_pushButton_clicked);
    connect(closeButton, &vornCloseButton::vornCloseClicked, this, &MainWindow::on_close_clicked);
}

void MainWindow::ReadConfig()
{
    const embeddedfirmware::CarriedVersion carried = embeddedfirmware::carriedVersion();
    // Shown once: this runs for every log text, and a message box per text
    // would stack nested event loops.
    if (!carried.error.isEmpty() && !versionErrorShown)
    {
        versionErrorShown = true;
        QMessageBox::information(nullptr, updatetexts::text(updatetexts::kErrorTitle), carried.error, QMessageBox::Ok);
    }
    updaterVersion = carried.version;
    ui->lblNewVersion->setText(updaterVersion);
}

bool MainWindow::engineIdle() const
{
    return currentWorker.isNull();
}

void MainWindow::startStep(LastMessage step, std::initializer_list<const char *> args)
{
    if (!engineIdle())
    {
        deferredStep = step;
        return;
    }
    deferredStep = None;
    // Nothing is sent while another program uses the controller.
    if (!reservation->claim(vorn::kVendorId, vorn::kVariants[foundIndex].updatePid))
    {
        if (step == GetVersion)
        {
            lstMsg = GetVersion;
            controllerFound = 0;
            showPage(kPageConnect);
        }
        else
        {
            abandonUpdate(updatetexts::kControllerBusy);
        }
        return;
    }
    // A step's flag is only ever set by the texts of its own run.
    erased = step == FlashErase ? 0 : erased;
    flashed = step == SendBinary ? 0 : flashed;

    lstMsg = step;
    if (step == GetVersion)
    {
        versionReadTexts.clear();
    }
    currentWorker = WorkerThread::startRun(this, args, timeoutArg.isEmpty() ? nullptr : timeoutArg.constData());
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
    return embeddedfirmware::image(QString::fromLatin1(VidPid[foundIndex]));
}

int MainWindow::ProgramNewBinary()
{
    // The copy was checked before the erase; only that image is ever sent.
    if (!updateImage.holds(variantImage()))
    {
        abandonUpdate(updatetexts::kImageChanged);
        return 0;
    }
    // No run uses the path now: the write is only started between runs.
    updateFileArg = QFile::encodeName(updateImage.enginePath());
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
    // A running step reads the "-t" text until its run ends: replace it only after.
    if (currentWorker)
    {
        currentWorker->wait();
    }
    killTimer(timerId);
    timerId = startTimer(pollPeriodMs, Qt::CoarseTimer);
    timeoutArg = packetTimeoutMs > 0 ? QByteArray::number(packetTimeoutMs) : QByteArray();
}

void MainWindow::timerEvent(QTimerEvent *)
{
    // A step is judged, and the next one started, only once the last run has
    // ended and every text of it was read, and not while a click's update is
    // about to begin.
    if (!engineIdle() || updateStarting)
    {
        return;
    }
    // Listing goes through hidapi, which a run may be using: only between runs.
    accessHint->check();
    // The controller stays reserved from the version read that offers the
    // update until the update has ended; otherwise only for each run.
    if (!updateUnderway() && ui->stackedWidget->currentIndex() != kPageLower)
    {
        reservation->release();
    }
    if (lstMsg == SendBinary)
    {
        // The write is over, whatever its outcome: its image copy has served.
        updateImage.remove();
    }
    // An erase asked for by a click while a version read ran.
    if (deferredStep == FlashErase)
    {
        EraseFlash();
    }
    else if (deferredStep == GetVersion || lstMsg == None || lstMsg == GetVersion)
    {
        CheckController();
    }
    else if (lstMsg == FlashErase && erased == 1)
    {
        ProgramNewBinary();
    }
    else if (lstMsg == SendBinary && flashed == 1)
    {
        ResetDevice();
    }
    else if (lstMsg == FlashErase || lstMsg == SendBinary)
    {
        abandonUpdate(lstMsg == FlashErase ? updatetexts::kEraseFailed : updatetexts::kWriteFailed);
    }
    else
    {
        // After the reset: the write was confirmed, so the firmware is in place
        // even when the controller restarted before its answer left it.
        if (ui->stackedWidget->currentIndex() != kPageFinished)
        {
            clearUpdateFlags();
            showPage(kPageFinished);
            showNotice(updatetexts::text(updatetexts::kRestart), NoticeBox::Kind::Information);
        }
        // The update has ended with the reset's run, and its last text is in.
        updateLog.finish();
        reservation->release();
        closeIfAsked(true);
    }
}

bool MainWindow::updateUnderway() const
{
    // The finished page shows at the reset's answer, a moment before its run ends.
    return updateStarting || ui->stackedWidget->currentIndex() == kPageUpdating || (lstMsg == Reset && !engineIdle());
}

void MainWindow::closeWhenIdle(bool fromSignal)
{
    if (!updateUnderway())
    {
        closeAsked = CloseAsked::No;
        close();
        QCoreApplication::quit();
        return;
    }
    // Ending now would leave the controller half written: the update goes
    // on to its end, the reset included, and the window says so.
    if (closeAsked != CloseAsked::BySignal)
    {
        closeAsked = fromSignal ? CloseAsked::BySignal : CloseAsked::ByUser;
    }
    showNotice(updatetexts::text(updatetexts::kClosingAfterUpdate), NoticeBox::Kind::Information);
}

void MainWindow::closeIfAsked(bool finished)
{
    const CloseAsked asked = closeAsked;
    closeAsked = CloseAsked::No;
    // After a failure the user asked to close sees why the controller is not
    // written; a quit signal ends the program all the same.
    if (asked == CloseAsked::BySignal || (asked == CloseAsked::ByUser && finished))
    {
        if (!finished)
        {
            qWarning("%s", qUtf8Printable(notices.box()->text()));
        }
        close();
        QCoreApplication::quit();
    }
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (updateUnderway())
    {
        event->ignore();
        closeWhenIdle(false);
        return;
    }
    QMainWindow::closeEvent(event);
}

void MainWindow::bringToFront()
{
    showNormal();
    raise();
    activateWindow();
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
    reservation->release();
    showFailure(QStringLiteral("%1 %2").arg(updatetexts::text(what), updatetexts::text(updatetexts::kTryAgain)));
    closeIfAsked(false);
    CheckController();
}

void MainWindow::startUpdateLog()
{
    const vorn::ControllerVariant &variant = vorn::kVariants[foundIndex];
    if (!updateLog.start(QLatin1String(variant.name),
                         { QStringLiteral("kelvo-updater " VORN_UPDATER_VERSION), controllerVersion, updaterVersion }))
    {
        qWarning("No log of this update: %s", qUtf8Printable(updateLog.error()));
        return;
    }
    for (const auto &text : qAsConst(versionReadTexts))
    {
        updateLog.record(text.second, text.first);
    }
}

void MainWindow::showFailure(const QString &text)
{
    updateLog.note(text);
    updateLog.finish();
    if (updateLog.path().isEmpty())
    {
        showNotice(text, NoticeBox::Kind::Failure);
        return;
    }
    showNotice(QStringLiteral("%1\n\n%2").arg(text, updatetexts::text(updatetexts::kLogKept).arg(updateLog.path())),
               NoticeBox::Kind::Failure, updateLog.text());
}

QMessageBox *MainWindow::notice() const
{
    return notices.box();
}

void MainWindow::showNotice(const QString &text, NoticeBox::Kind kind, const QString &details)
{
    if (kind == NoticeBox::Kind::Information)
    {
        updateLog.note(text);
    }
    notices.show(text, kind, details);
    Q_EMIT noticeShown(text);
}

void MainWindow::showPage(int index)
{
    ui->stackedWidget->setCurrentIndex(index);
}

void MainWindow::ParseLogs(QString msg)
{
    using logreading::Outcome;
    if (lstMsg == GetVersion)
    {
        versionReadTexts.append({ QDateTime::currentDateTime(), msg });
    }
    else
    {
        updateLog.record(msg);
    }
    switch (lstMsg)
    {
    case GetVersion:
        takeVersionReading(logreading::readVersionText(msg));
        break;
    case FlashErase:
        erased = logreading::readEraseText(msg).outcome == Outcome::Confirmed ? 1 : 0;
        break;
    case SendBinary:
        takeWriteReading(logreading::readWriteText(msg));
        break;
    case Reset:
        if (logreading::readResetText(msg).outcome == Outcome::Confirmed)
        {
            erased = 0;
            flashed = 0;
            showPage(kPageFinished);
        }
        break;
    case None:
        break;
    }
}

void MainWindow::takeVersionReading(const logreading::Reading &reading)
{
    using logreading::Outcome;
    if (reading.outcome == Outcome::OpenFailed || reading.outcome == Outcome::Failed)
    {
        if (reading.outcome == Outcome::OpenFailed)
        {
            accessHint->openFailed(foundIndex);
        }
        // The next poll tries the next variant.
        controllerFound = 0;
        foundIndex = static_cast<quint8>((foundIndex + 1) % vorn::kVariantCount);
        // The controller is gone: an erase still waiting for its turn must not
        // run against whatever is found next.
        deferredStep = None;
        showPage(kPageConnect);
        return;
    }
    if (reading.outcome == Outcome::Version || reading.outcome == Outcome::ReadAborted)
    {
        controllerVersion = reading.version;
        // Erased flash reads as no version at all, never as numbers.
        ui->lblCurrentVersion->setText(firmwareversion::shown(controllerVersion));
        ui->lblSameVersion->setText(firmwareversion::shown(controllerVersion));
        controllerFound = 1;
        accessHint->controllerAnswered();
    }
    else if (controllerFound == 0)
    {
        showPage(kPageConnect);
        return;
    }
    ReadConfig();
    // The version pages are only chosen from the connect page. A controller
    // with newer firmware is up to date: it is never offered an older one.
    if (ui->stackedWidget->currentIndex() == kPageConnect)
    {
        showPage(firmwareversion::offerUpdate(controllerVersion, updaterVersion) ? kPageLower : kPageSame);
    }
}

void MainWindow::takeWriteReading(const logreading::Reading &reading)
{
    using logreading::Outcome;
    // A refused write must never lead to the reset and the finished page. The
    // reset waits until this run is over, so this text always arrives in time.
    // A lost controller ends the run with that status too: the tick after it
    // abandons the update.
    if (reading.outcome == Outcome::Refused)
    {
        flashed = 0;
    }
    if (reading.outcome != Outcome::Progress || reading.percent == lastPercent)
    {
        return;
    }
    pb->setProgress(static_cast<unsigned char>(reading.percent));
    lastPercent = reading.percent;
    Q_EMIT progressShown(reading.percent);
    if (reading.percent == 100)
    {
        flashed = 1;
        ui->lblFinishedVersion->setText(updaterVersion);
    }
}

void MainWindow::on_pushButton_clicked()
{
    // The button lives on the update page; a stray click elsewhere, or a
    // second one before the first one's update has begun, must not start a
    // second erase. Nor is a controller erased whose last read showed
    // firmware as new as ours (one swapped in between two reads).
    if (updateStarting || ui->stackedWidget->currentIndex() != kPageLower ||
        !firmwareversion::offerUpdate(controllerVersion, updaterVersion))
    {
        return;
    }
    startUpdateLog();
    // Nothing is erased before the image that replaces it is ready.
    if (!updateImage.prepare(variantImage()))
    {
        const QString tried = updateImage.problems().join(QStringLiteral("; "));
        qWarning("Cannot prepare the firmware image: %s", qUtf8Printable(tried));
        showFailure(updatetexts::text(updatetexts::kImageNotReady).arg(tried));
        return;
    }
    // The updating page's first painting waits for the next turn of the event
    // loop: with the files written above in the same turn, input would wait
    // for both.
    updateStarting = true;
    QTimer::singleShot(0, this, &MainWindow::beginUpdate);
}

void MainWindow::beginUpdate()
{
    updateStarting = false;
    clearUpdateFlags();
    showPage(kPageUpdating);
    EraseFlash();
}

void MainWindow::on_close_clicked()
{
    closeWhenIdle(false);
}
