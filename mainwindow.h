#pragma once

#include <QByteArray>
#include <QMainWindow>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>

#include "privateimage.h"

#include <initializer_list>

class QLabel;
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
    static const char *const VidPid[4];
    static constexpr int kVariantCount = 4;
    static constexpr int kPollPeriodMs = 1000;

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    //! Window size for a screen: half the screen height, width 1.163 times that.
    static QSize windowSizeForScreen(const QSize &screen);
    //! Rectangle given as fractions of the window, each value truncated on its own.
    static QRect scaledRect(const QSize &window, double x, double y, double width, double height);
    //! Six byte fields ("14 00 05 00 00 00") to a version text ("0.5.20").
    static QString hex2version(const QString &hex);
    //! Embedded firmware image for a "-u" argument of VidPid.
    static QString firmwareResource(const QString &vidPid);

    void GenerateUI();
    void ReadConfig();
    void CheckController();
    int EraseFlash();
    int ProgramNewBinary();
    void ResetDevice();

    //! Polling period and the engine's packet time-out ("-t"; 0 keeps the
    //! engine's default), for tests and demonstrations that cannot wait for a
    //! real device's timing. Call while no step is running.
    void setDeviceTiming(int pollPeriodMs, int packetTimeoutMs);
    //! The message shown last (a failed update, an image that could not be
    //! prepared, a controller to restart by hand); null until one was shown.
    QMessageBox *notice() const;
    //! Path of the private image copy that the engine writes.
    QString updateFilePath() const { return updateImage.path(); }

    LastMessage lstMsg;
    Ui::MainWindow *ui;
    int timerId;
    QString controllerVersion;
    QString updaterVersion;
    quint8 controllerFound;
    quint8 erased;
    quint8 flashed;

    // State of the sequence that belongs to this window.
    quint8 foundIndex;
    //! Start flag of the last step, cleared by its first log text.
    quint8 running;
    vornProgressBar *pb;
    //! Last percentage shown on the progress bar.
    int lastPercent;
    vornButton *updateButton;
    vornCloseButton *closeButton;
    QLabel *loaderLabel;
    QMovie *loader;

Q_SIGNALS:
    //! A new percentage was put on the progress bar.
    void progressShown(int percent);
    //! A message was shown to the user.
    void noticeShown(const QString &text);

public Q_SLOTS:
    void ParseLogs(QString msg);
    void on_pushButton_clicked();
    void on_close_clicked();

protected:
    void timerEvent(QTimerEvent *event) override;

private:
    bool engineIdle() const;
    bool startStep(LastMessage step, std::initializer_list<const char *> args);
    bool prepareUpdateFile();
    QByteArray variantImage() const;
    void clearUpdateFlags();
    void abandonUpdate(const char *what);
    void showNotice(const QString &text, bool failure);
    void parseVersionLog(const QString &msg);
    void parseWriteLog(const QString &msg);
    void showProgress(int percent);
    void showPage(int index);
    void createAccessHint();
    void checkAccess();

    //! The worker of the last step; null once it has been deleted, which
    //! happens only after every text of its run has been handled.
    QPointer<WorkerThread> currentWorker;
    //! A step that was refused because a run was still going; retried on the next tick.
    LastMessage retryStep;
    PrivateImage updateImage;
    //! The engine's copy of the image path; stays unchanged while a run may use it.
    QByteArray updateFileArg;
    //! The "-t" value given to every step; empty for the engine's default.
    QByteArray timeoutArg;
    QPointer<QMessageBox> noticeBox;
    bool configErrorShown;
    //! Shown on the connect page while a controller is plugged in that this
    //! user may not open.
    QLabel *accessHint = nullptr;
    //! Variants (bit = VidPid index) whose open failed while they were plugged in.
    quint8 refusedVariants = 0;
    //! Variant whose open failed and is still to be looked up; -1 for none.
    int pendingAccessCheck = -1;
};
