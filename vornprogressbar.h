#ifndef VORNPROGRESSBAR_H
#define VORNPROGRESSBAR_H

#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QSize>
#include <QVector>

// The progress bar of the updating page: one pre-drawn frame per whole percent.
class vornProgressBar : public QLabel
{
    Q_OBJECT

public:
    vornProgressBar();
    ~vornProgressBar() override;

    // Frames exist for 0 to 100; any other value shows an empty picture.
    void setProgress(unsigned char percent);

    //! The percentage shown.
    int progress() const { return shownPercent; }

    //! Every frame decoded and scaled to @a size logical pixels at the device
    //! pixel ratio @a ratio, as the label would scale it itself; safe on any
    //! thread.
    static QVector<QImage> scaledFrames(const QSize &size, qreal ratio = 1.0);
    //! Frames from scaledFrames, swapped in by setProgress from now on, so
    //! that a new percentage decodes nothing.
    void setFrames(const QVector<QImage> &frames);

private:
    QVector<QPixmap> frames;
    int shownPercent;
};

#endif // VORNPROGRESSBAR_H
