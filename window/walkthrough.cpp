#include "window/walkthrough.h"

#include "mainwindow.h"
#include "vornbutton.h"

#include <QCoreApplication>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPixmap>
#include <QStackedWidget>

#include <cstdio>

Walkthrough::Walkthrough(MainWindow *window)
    : QObject(window)
    , m_window(window)
    , m_pages(window->findChild<QStackedWidget *>(QStringLiteral("stackedWidget")))
    , m_active(false)
    , m_halfSaved(false)
    , m_holdMs(0)
{
    m_limit.setSingleShot(true);
    connect(&m_limit, &QTimer::timeout, this, &Walkthrough::timedOut);
}

namespace {

//! @a value as seconds from @a least up to the most a walkthrough takes;
//! @a seconds keeps its default when @a value is empty.
bool readSeconds(const char *option, const QString &value, int least, int &seconds)
{
    if (value.isEmpty())
    {
        return true;
    }
    bool ok = false;
    const int read = value.toInt(&ok);
    if (!ok || read < least || read > Walkthrough::kMaxSeconds)
    {
        std::fprintf(stderr, "%s needs a number of seconds, not %s\n", option, qUtf8Printable(value));
        return false;
    }
    seconds = read;
    return true;
}

} // namespace

bool Walkthrough::configure(const QString &dir, const QString &limit, const QString &hold)
{
    int limitSeconds = kDefaultLimitSeconds;
    int holdSeconds = 0;
    if (!readSeconds("--walkthrough-limit", limit, 1, limitSeconds) ||
        !readSeconds("--walkthrough-hold", hold, 0, holdSeconds))
    {
        return false;
    }
    if (dir.isEmpty())
    {
        return true;
    }
    if (!QDir().mkpath(dir))
    {
        std::fprintf(stderr, "walkthrough: cannot create %s\n", qUtf8Printable(dir));
        return false;
    }
    m_dir = QDir(dir);
    m_active = true;
    m_holdMs = holdSeconds * 1000;
    m_limit.start(limitSeconds * 1000);
    connect(m_pages, &QStackedWidget::currentChanged, this, &Walkthrough::onPageChanged);
    connect(m_window, &MainWindow::progressShown, this, &Walkthrough::onProgress);
    if (QLabel *hint = m_window->findChild<QLabel *>(QStringLiteral("lblAccessHint")))
    {
        hint->installEventFilter(this);
    }
    connect(m_window, &MainWindow::noticeShown, this, &Walkthrough::onNotice);
    // The first picture once the window is on screen and has painted.
    QMetaObject::invokeMethod(this, &Walkthrough::start, Qt::QueuedConnection);
    return true;
}

void Walkthrough::start()
{
    onPageChanged(m_pages->currentIndex());
}

void Walkthrough::onPageChanged(int index)
{
    QWidget *page = m_pages->widget(index);
    save(page ? page->objectName() : QStringLiteral("page"));
    if (index == 2)
    {
        // A moment later, as a user would; a click after the page has changed
        // again lands on a hidden button and does nothing.
        QTimer::singleShot(kClickDelayMs, this, &Walkthrough::clickUpdate);
    }
    else if (index == 4)
    {
        std::printf("walkthrough: finished page reached, pictures in %s\n", qUtf8Printable(m_dir.absolutePath()));
        std::fflush(stdout);
        m_limit.stop();
        // Left on screen for a moment when someone is watching.
        QTimer::singleShot(m_holdMs, qApp, [] { QCoreApplication::exit(0); });
    }
}

bool Walkthrough::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show)
    {
        // Taken once the hint has been laid out and painted with the page.
        QTimer::singleShot(0, this, [this] { save(QStringLiteral("accessHint")); });
    }
    return QObject::eventFilter(watched, event);
}

void Walkthrough::onProgress(int percent)
{
    if (!m_halfSaved && percent >= 50)
    {
        m_halfSaved = true;
        save(QStringLiteral("pageUpdating-%1").arg(percent));
    }
}

void Walkthrough::onNotice()
{
    save(QStringLiteral("notice"));
    std::printf("walkthrough: message: %s\n", qUtf8Printable(m_window->notice()->text()));
    std::fflush(stdout);
    QTimer::singleShot(kClickDelayMs, this, &Walkthrough::closeNotice);
}

void Walkthrough::closeNotice()
{
    if (QMessageBox *notice = m_window->notice())
    {
        notice->accept();
    }
    // A message that keeps the update page (the image was not ready) asks for
    // another click; on other pages the page change brings the next one.
    if (m_pages->currentIndex() == 2)
    {
        QTimer::singleShot(kClickDelayMs, this, &Walkthrough::clickUpdate);
    }
}

void Walkthrough::save(const QString &what)
{
    const QString name = QStringLiteral("%1-%2.png").arg(m_saved.size() + 1, 2, 10, QLatin1Char('0')).arg(what);
    if (!m_window->grab().save(m_dir.filePath(name)))
    {
        std::fprintf(stderr, "walkthrough: cannot write %s\n", qUtf8Printable(m_dir.filePath(name)));
        return;
    }
    m_saved << name;
}

void Walkthrough::clickUpdate()
{
    // As a user would: a button release on the update button.
    auto *button = m_window->findChild<vornButton *>();
    const QPointF centre(button->width() / 2.0, button->height() / 2.0);
    QMouseEvent release(QEvent::MouseButtonRelease, centre, button->mapToGlobal(centre.toPoint()), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(button, &release);
}

void Walkthrough::timedOut()
{
    std::fprintf(stderr, "walkthrough: the finished page did not show within the time limit\n");
    QCoreApplication::exit(1);
}
