// The window's goals, measured on a whole update against the in-process
// virtual controller on Qt's offscreen platform: start-up to the first page,
// the largest stall of the GUI thread's event loop while the update runs,
// the GUI thread's CPU time, pictures decoded, peak memory, and how long the
// update takes next to the device's own time.
//
// Without arguments it runs itself once without device timing and once with
// VORN_SIM_TIMING=full-speed, each in a fresh process, and prints the figures
// on standard error (standard output carries the engine's log texts).

#include "mainwindow.h"
#include "bench/device_floor.h"
#include "vornbutton.h"

#include <QApplication>
#include <QDir>
#include <QMouseEvent>
#include <QProcess>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <dlfcn.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace {

std::atomic<int> g_pngDecodes{ 0 };
std::atomic<int> g_jpegDecodes{ 0 };

//! The codec library's own @a name. The library is loaded by then (it is
//! what calls us), possibly privately by an image plugin, so it is looked up
//! in the library itself rather than in the global scope.
template <typename Function>
Function real(const char *library, const char *name)
{
    void *handle = dlopen(library, RTLD_LAZY | RTLD_NOLOAD);
    void *symbol = handle ? dlsym(handle, name) : nullptr;
    if (!symbol)
    {
        std::fprintf(stderr, "bench_window: %s not found in %s\n", name, library);
        std::abort();
    }
    return reinterpret_cast<Function>(symbol);
}

} // namespace

// Every PNG and JPEG picture the process decodes, Qt's own loads included,
// passes through these codec library calls: the program's definitions come
// first in the dynamic linker's search, count, and hand on to the library.
extern "C" {
void png_read_end(void *png, void *info)
{
    static auto library = real<void (*)(void *, void *)>("libpng16.so.16", "png_read_end");
    ++g_pngDecodes;
    library(png, info);
}

int jpeg_start_decompress(void *cinfo)
{
    static auto library = real<int (*)(void *)>("libjpeg.so.62", "jpeg_start_decompress");
    ++g_jpegDecodes;
    return library(cinfo);
}
}

namespace {

using Clock = std::chrono::steady_clock;

double msBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

double threadCpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

//! Milliseconds since this process was started, from the kernel's record of
//! its start (10 ms resolution), so that loading the libraries counts too.
double msSinceProcessStart()
{
    std::ifstream stat("/proc/self/stat");
    std::string field;
    for (int i = 0; i < 22 && stat >> field; ++i)
    {
    }
    timespec boot{};
    clock_gettime(CLOCK_BOOTTIME, &boot);
    const double startMs = std::stod(field) * 1e3 / static_cast<double>(sysconf(_SC_CLK_TCK));
    return boot.tv_sec * 1e3 + boot.tv_nsec / 1e6 - startMs;
}

class Measurement : public QObject
{
public:
    explicit Measurement(MainWindow &window)
        : m_window(window)
    {
        m_gapTimer.setTimerType(Qt::PreciseTimer);
        m_gapTimer.setInterval(5);
        connect(&m_gapTimer, &QTimer::timeout, this, &Measurement::tick);
        m_pages = window.findChild<QStackedWidget *>(QStringLiteral("stackedWidget"));
        connect(m_pages, &QStackedWidget::currentChanged, this, &Measurement::pageChanged);
        connect(&window, &MainWindow::progressShown, this, [this](int percent) {
            (percent == 100 ? m_lastPercent : m_firstPercent) =
                m_firstPercent == Clock::time_point() || percent == 100 ? Clock::now() : m_firstPercent;
        });
        window.findChild<QWidget *>(QStringLiteral("pageConnectController"))->installEventFilter(this);
        window.installEventFilter(this);
    }

    void report() const
    {
        const double update = msBetween(m_click, m_finished);
        std::fprintf(stderr, "window: %d x %d device pixels (ratio %.2f)\n",
                     static_cast<int>(m_window.width() * m_window.devicePixelRatioF()),
                     static_cast<int>(m_window.height() * m_window.devicePixelRatioF()), m_window.devicePixelRatioF());
        std::fprintf(stderr, "start to first page:          %.0f ms\n", m_firstPageMs);
        std::fprintf(stderr, "update, click to finished:    %.0f ms\n", update);
        std::fprintf(stderr, "largest event-loop gap:       %.1f ms (5 ms timer, %d ticks), ending %.0f ms after the click on page %d\n",
                     m_largestGap, m_ticks, m_largestGapAt, m_largestGapPage);
        std::fprintf(stderr, "GUI thread CPU in the update: %.0f ms\n", m_cpuEnd - m_cpuStart);
        std::fprintf(stderr, "pictures decoded: %d before the first page, %d after it, %d during the update (PNG %d, JPEG %d)\n",
                    m_decodesAtFirstPage, decodes() - m_decodesAtFirstPage, decodes() - m_decodesAtClick,
                    g_pngDecodes.load(), g_jpegDecodes.load());
        if (m_fullSpeed)
        {
            // Where the device alone and the one-second ticks would have got
            // the update: the erase from the click, the write at the first
            // tick after it, the reset at the first tick after the write.
            const DeviceFloor floor = deviceFloor();
            const double writeStart = nextTick(floor.erase);
            const double resetStart = nextTick(writeStart + floor.write);
            const double ideal = resetStart + floor.reset;
            std::fprintf(stderr, "write, first to last percentage: %.0f ms\n", msBetween(m_firstPercent, m_lastPercent));
            std::fprintf(stderr,
                         "device floor (erase %.0f + write %.0f + reset %.0f ms): %.0f ms; with the mandated "
                         "ticks: %.0f ms; update: %.0f ms (%+.1f %%)\n",
                         floor.erase, floor.write, floor.reset, floor.erase + floor.write + floor.reset, ideal,
                         update, (update / ideal - 1) * 100);
        }
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        std::fprintf(stderr, "peak RSS:                     %.0f MB\n", usage.ru_maxrss / 1024.0);
    }

    bool finished() const { return m_finished != Clock::time_point(); }
    void setFullSpeed(bool fullSpeed) { m_fullSpeed = fullSpeed; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched->objectName() == QLatin1String("pageConnectController") && event->type() == QEvent::Paint && m_firstPageMs < 0)
        {
            m_firstPageMs = msSinceProcessStart();
            m_decodesAtFirstPage = decodes();
        }
        if (watched == &m_window && event->type() == QEvent::Timer && m_click != Clock::time_point())
        {
            m_ticksAfterClick.push_back(msBetween(m_click, Clock::now()));
        }
        return false;
    }

private:
    static constexpr int kClickDelayMs = 300;

    static int decodes() { return g_pngDecodes + g_jpegDecodes; }

    //! The first polling tick of the window at or after @a ms from the click.
    double nextTick(double ms) const
    {
        for (double tick : m_ticksAfterClick)
        {
            if (tick >= ms)
            {
                return tick;
            }
        }
        return ms;
    }

    void pageChanged(int index)
    {
        if (index == 2 && m_click == Clock::time_point())
        {
            // A moment later, as a user (and the walkthrough) would click.
            QTimer::singleShot(kClickDelayMs, this, &Measurement::click);
        }
        else if (index == 4)
        {
            m_finished = Clock::now();
            m_cpuEnd = threadCpuMs();
            m_gapTimer.stop();
            QCoreApplication::exit(0);
        }
    }

    void click()
    {
        m_click = Clock::now();
        m_lastTick = m_click;
        m_cpuStart = threadCpuMs();
        m_decodesAtClick = decodes();
        m_gapTimer.start();
        auto *button = m_window.findChild<vornButton *>();
        const QPointF centre(button->width() / 2.0, button->height() / 2.0);
        QMouseEvent release(QEvent::MouseButtonRelease, centre, button->mapToGlobal(centre.toPoint()),
                            Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(button, &release);
    }

    void tick()
    {
        const Clock::time_point now = Clock::now();
        const double gap = msBetween(m_lastTick, now);
        if (gap > m_largestGap)
        {
            m_largestGap = gap;
            m_largestGapAt = msBetween(m_click, now);
            m_largestGapPage = m_pages->currentIndex();
        }
        m_lastTick = now;
        ++m_ticks;
    }

    MainWindow &m_window;
    QStackedWidget *m_pages = nullptr;
    QTimer m_gapTimer;
    bool m_fullSpeed = false;
    double m_firstPageMs = -1;
    int m_decodesAtFirstPage = 0;
    int m_decodesAtClick = 0;
    Clock::time_point m_click;
    Clock::time_point m_finished;
    Clock::time_point m_lastTick;
    Clock::time_point m_firstPercent;
    Clock::time_point m_lastPercent;
    double m_largestGap = 0;
    double m_largestGapAt = 0;
    int m_largestGapPage = -1;
    int m_ticks = 0;
    double m_cpuStart = 0;
    double m_cpuEnd = 0;
    std::vector<double> m_ticksAfterClick;
};

int measureOneUpdate(int argc, char **argv)
{
    QApplication application(argc, argv);
    // The window writes its image copy into the current directory.
    QTemporaryDir work;
    QDir::setCurrent(work.path());
    MainWindow window;
    Measurement measurement(window);
    measurement.setFullSpeed(qgetenv("VORN_SIM_TIMING") == "full-speed");
    window.show();
    QTimer::singleShot(120000, &application, [] { QCoreApplication::exit(1); });
    QApplication::exec();
    if (!measurement.finished())
    {
        std::fprintf(stderr, "bench_window: the finished page did not show\n");
        return 1;
    }
    measurement.report();
    return 0;
}

//! A screen of 1920 x 1080 times @a scale, at 96 dots per inch, on Qt's VNC
//! platform (no display needed; port 0 takes any free port).
std::string screenPlatform(int scale)
{
    const int width = 1920 * scale, height = 1080 * scale;
    return "vnc:size=" + std::to_string(width) + "x" + std::to_string(height) + ":mmsize=" +
           std::to_string(width * 254 / 960) + "x" + std::to_string(height * 254 / 960) + ":port=0";
}

} // namespace

int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (argc > 1 && std::string(argv[1]) == "--one")
    {
        return measureOneUpdate(argc, argv);
    }
    int result = 0;
    // A 1080-line screen, and a 2160-line one at scale 2: the same window in
    // device-independent pixels, drawn with four times the pixels.
    for (int scale : { 1, 2 })
    {
        for (const char *timing : { "none", "full-speed" })
        {
            std::printf("== scale %d, VORN_SIM_TIMING=%s\n", scale, timing);
            std::fflush(stdout);
            std::fprintf(stderr, "== scale %d, VORN_SIM_TIMING=%s\n", scale, timing);
            setenv("QT_QPA_PLATFORM", screenPlatform(scale).c_str(), 1);
            setenv("QT_SCALE_FACTOR", std::to_string(scale).c_str(), 1);
            setenv("VORN_SIM_TIMING", timing, 1);
            setenv("VORN_SIM_VARIANT", "black", 1);
            setenv("VORN_SIM_VERSION", "0.5.19", 1);
            unsetenv("VORN_SIM_FAULT");
            unsetenv("VORN_SIM_FLASH");
            // The engine's log texts go to standard output; the figures to standard error.
            std::string command = std::string(argv[0]) + " --one >/dev/null";
            result |= std::system(command.c_str());
        }
    }
    return result == 0 ? 0 : 1;
}
