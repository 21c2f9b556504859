#pragma once

#include <QByteArray>
#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <QDateTime>
#include <QPair>
#include <QVector>

#include "product/controller_variants.h"
#include "window/noticebox.h"
#include "support/updatelog.h"
#include "window/privateimage.h"

#include <initializer_list>
#include <memory>

class AccessHint;
class DeviceReservation;
class QCloseEvent;
class QMessageBox;
class QMovie;
class QTimerEvent;
class WorkerThread;
class vornButton;
class vornCloseButton;
class vornProgressBar;

namespace Ui {
class MainWindow;
}

namespace logreading {
struct Reading;
}

//! The updater window: five stacked pages and the update sequence that drives
//! the controller through version read, erase, write and reset. Each device
//! step is one engine command line run on a WorkerThread; its outcome is
//! learnt only from the log texts that arrive in ParseLogs.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    //! The step started last; it selects how log texts are read.
    enum LastMessage
    {
        None = 0,
        GetVersion = 1,
        Reset = 2,
        FlashErase = 3,
        SendBinary = 4
    };

    //! Engine "-u" arguments of the colour variants, in the order they are tried:
    //! smoked, light gray, steel gray, black.
    static const char *const VidPid[vorn::kVariantCount];
    static constexpr int kPollPeriodMs = 1000;

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    //! Six byte fields ("14 00 05 00 00 00") to a version text ("0.5.20").
    static QString hex2version(const QString &hex);

    //! Polling period and the engine's packet time-out ("-t"; 0 keeps the
    //! engine's default), for tests and demonstrations that cannot wait for a
    //! real device's timing. Call while no step is running.
    void setDeviceTiming(int pollPeriodMs, int packetTimeoutMs);
    //! The message shown last (a failed update, an image that could not be
    //! prepared, a controller to restart by hand); null until one was shown.
    QMessageBox *notice() const;
    //! Path of the private image copy that the engine writes.
    QString updateFilePath() const { return updateImage.path(); }

Q_SIGNALS:
    //! A new percentage was put on the progress bar.
    void progressShown(int percent);
    //! A message was shown to the user.
    void noticeShown(const QString &text);

public Q_SLOTS:
    //! Closes now, or, during the erase, the write or the reset, once the
    //! update has ended (the window says so and stays). @a fromSignal: asked
    //! by a quit signal, which ends the program even after a failed update.
    void closeWhenIdle(bool fromSignal = false);
    //! Brings the window to the front (a second start asked for it).
    void bringToFront();
    void ParseLogs(QString msg);
    void on_pushButton_clicked();
    void on_close_clicked();

protected:
    void timerEvent(QTimerEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void GenerateUI();
    void ReadConfig();
    void CheckController();
    int EraseFlash();
    int ProgramNewBinary();
    void ResetDevice();

    bool engineIdle() const;
    void startStep(LastMessage step, std::initializer_list<const char *> args);
    QByteArray variantImage() const;
    void clearUpdateFlags();
    void abandonUpdate(const char *what);
    void startUpdateLog();
    //! Shows the updating page and starts the erase of an update whose image is ready.
    void beginUpdate();
    void showFailure(const QString &text);
    void showNotice(const QString &text, NoticeBox::Kind kind, const QString &details = QString());
    void takeVersionReading(const logreading::Reading &reading);
    void takeWriteReading(const logreading::Reading &reading);
    void showPage(int index);
    //! The erase, the write or the reset is running or next (or the click that starts them was taken).
    bool updateUnderway() const;
    //! The update has ended (finished or failed): a close asked for meanwhile happens now.
    void closeIfAsked(bool finished);

    LastMessage lstMsg = None;
    Ui::MainWindow *ui;
    int timerId = 0;
    QString controllerVersion;
    QString updaterVersion;
    quint8 controllerFound = 0;
    quint8 erased = 0;
    quint8 flashed = 0;
    //! The VidPid entry every step uses.
    quint8 foundIndex = 0;
    vornProgressBar *pb = nullptr;
    //! Last percentage shown on the progress bar.
    int lastPercent = 0;
    vornButton *updateButton = nullptr;
    vornCloseButton *closeButton = nullptr;
    QMovie *loader = nullptr;

    //! The worker of the last step; null once it has been deleted, which
    //! happens only after every text of its run has been handled. No step
    //! starts before then, so engine runs never overlap.
    QPointer<WorkerThread> currentWorker;
    //! A step that could not start because a run was still going; started on the next tick.
    LastMessage deferredStep = None;
    //! A click was taken and its image prepared; the updating page and the erase follow.
    bool updateStarting = false;
    PrivateImage updateImage;
    //! The engine's copy of the image path; stays unchanged while a run may use it.
    QByteArray updateFileArg;
    //! The "-t" value given to every step; empty for the engine's default.
    QByteArray timeoutArg;
    NoticeBox notices{ this };
    //! The embedded image could not be read and the user was told once.
    bool versionErrorShown = false;
    std::unique_ptr<AccessHint> accessHint;
    std::unique_ptr<DeviceReservation> reservation;
    enum class CloseAsked { No, ByUser, BySignal };
    CloseAsked closeAsked = CloseAsked::No;
    //! Texts of the version read that ran last: an update's log begins with them.
    QVector<QPair<QDateTime, QString>> versionReadTexts;
    UpdateLog updateLog;
};
