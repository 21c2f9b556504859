#pragma once

#include <QDir>
#include <QObject>
#include <QStringList>
#include <QTimer>

class MainWindow;
class QStackedWidget;

//! Drives one whole update without a user, for demonstrations against the
//! virtual controller: clicks the update button when it is offered, saves a
//! picture of the window at every page change, one at half progress and one
//! whenever the connect page's access hint appears, and
//! ends the program with 0 once the finished page shows, or with 1 when it has
//! not shown within the time limit. A message is read and closed as a person
//! would, and UPDATE is clicked again when the update is offered once more.
class Walkthrough : public QObject
{
    Q_OBJECT

public:
    static constexpr int kDefaultLimitSeconds = 180;
    static constexpr int kClickDelayMs = 300;
    static constexpr int kMaxSeconds = 24 * 3600;

    explicit Walkthrough(MainWindow *window);

    //! Starts the walkthrough into @a dir, with @a limit seconds to reach the
    //! finished page (the default when empty) and @a hold seconds that the
    //! finished page stays before the program ends. Without @a dir nothing
    //! happens. False when a number of seconds is not one or DIR cannot be made.
    bool configure(const QString &dir, const QString &limit, const QString &hold);

    bool active() const { return m_active; }
    //! Picture file names saved so far, in order.
    QStringList saved() const { return m_saved; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void start();
    void onPageChanged(int index);
    void onProgress(int percent);
    void onNotice();
    void closeNotice();
    void save(const QString &what);
    void clickUpdate();
    void timedOut();

    MainWindow *m_window;
    QStackedWidget *m_pages;
    QDir m_dir;
    QTimer m_limit;
    QStringList m_saved;
    bool m_active;
    bool m_halfSaved;
    int m_holdMs;
};
