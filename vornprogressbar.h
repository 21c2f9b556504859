#ifndef VORNPROGRESSBAR_H
#define VORNPROGRESSBAR_H

#include <QLabel>

// The progress bar of the updating page: one pre-drawn frame per whole percent.
class vornProgressBar : public QLabel
{
    Q_OBJECT

public:
    vornProgressBar();
    ~vornProgressBar() override;

    // Frames exist for 0 to 100; any other value shows an empty picture.
    void setProgress(unsigned char percent);
};

#endif // VORNPROGRESSBAR_H
