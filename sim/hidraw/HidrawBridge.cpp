#include "sim/hidraw/HidrawBridge.h"

#include <hidapi.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <linux/hidraw.h>
#include <linux/input.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

namespace vornsim {

namespace {

constexpr int kPumpTimeoutMs = 50;
//! How long the node stays after the model lost the controller while
//! answers that it sent before are still unread.
constexpr auto kDrainGrace = std::chrono::seconds(1);
constexpr auto kProbeInterval = std::chrono::milliseconds(100);
//! While nobody has the node open, how often the model is asked whether
//! the controller is still there.
constexpr auto kIdleCheckInterval = std::chrono::milliseconds(500);
constexpr size_t kMaxInputReport = 16384;
//! hidraw's limit for one output report.
constexpr size_t kMaxOutputReport = 16384;

std::string narrow(const wchar_t *text)
{
    std::string result;
    for (; text && *text; ++text)
    {
        auto code = static_cast<uint32_t>(*text);
        if (code < 0x80)
        {
            result += static_cast<char>(code);
        }
        else if (code < 0x800)
        {
            result += static_cast<char>(0xC0 | code >> 6);
            result += static_cast<char>(0x80 | (code & 0x3F));
        }
        else if (code < 0x10000)
        {
            result += static_cast<char>(0xE0 | code >> 12);
            result += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            result += static_cast<char>(0x80 | (code & 0x3F));
        }
        else
        {
            result += static_cast<char>(0xF0 | code >> 18);
            result += static_cast<char>(0x80 | (code >> 12 & 0x3F));
            result += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            result += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    return result;
}

//! A resolved copy of the memory that an ioctl argument points at.
class ArgMemory
{
public:
    ArgMemory(UMockdevIoctlClient *client, size_t length)
        : m_data(umockdev_ioctl_data_resolve(umockdev_ioctl_client_get_arg(client), 0, length, nullptr))
    {
    }
    ~ArgMemory()
    {
        if (m_data)
        {
            g_object_unref(m_data);
        }
    }
    ArgMemory(const ArgMemory &) = delete;
    ArgMemory &operator=(const ArgMemory &) = delete;

    uint8_t *bytes() const { return m_data ? m_data->data : nullptr; }

private:
    UMockdevIoctlData *m_data;
};

} // namespace

struct HidrawBridge::Client
{
    UMockdevIoctlClient *ioctl = nullptr; //!< holds a reference
    hid_device *model = nullptr;
    std::deque<std::vector<uint8_t>> queue;
    //! Reports at the front of the queue that were there before the host's
    //! last write: a device that vanishes takes them with it.
    size_t staleReports = 0;
    bool readWaiting = false; //!< a read arrived with nothing queued
    bool gone = false;        //!< the model lost the controller
    bool closing = false;     //!< the program closed the node
    std::thread pump;
};

struct HidrawBridge::Plug
{
    enum class State
    {
        Live,
        Leaving, //!< the controller is gone; unread answers are still handed out
        Removed,
    };

    Plug(HidrawBridge &owner, const Found &found, unsigned number)
        : bridge(owner)
        , identity(found.identity)
        , modelPath(found.modelPath)
        , placement(found.identity, number, found.port)
    {
    }

    std::shared_ptr<Client> shared(const Client *wanted) const
    {
        for (const std::shared_ptr<Client> &client : clients)
        {
            if (client.get() == wanted)
            {
                return client;
            }
        }
        return nullptr;
    }

    //! Who gets an input report that @a reader's pump took from the model:
    //! the handle that wrote last while it is still open, else @a reader.
    std::shared_ptr<Client> receiverFor(const std::shared_ptr<Client> &reader) const
    {
        std::shared_ptr<Client> writer = lastWriter.lock();
        return writer && !writer->closing && !writer->gone && shared(writer.get()) ? writer : reader;
    }

    Client *find(UMockdevIoctlClient *ioctl)
    {
        for (const std::shared_ptr<Client> &client : clients)
        {
            if (client->ioctl == ioctl)
            {
                return client.get();
            }
        }
        return nullptr;
    }

    //! The node polls readable exactly while some handle has a report
    //! waiting: one byte sits in the pseudo-terminal behind it.
    void updateReadable()
    {
        const bool waiting = std::any_of(clients.begin(), clients.end(),
                                         [](const std::shared_ptr<Client> &client) { return !client->queue.empty(); });
        if (waiting && !signalled && master >= 0)
        {
            const char byte = 1;
            signalled = ::write(master, &byte, 1) == 1;
        }
        else if (!waiting && signalled && slave >= 0)
        {
            char byte = 0;
            signalled = ::read(slave, &byte, 1) != 1;
        }
    }

    //! The model lost the controller: what it answered to the host's last
    //! write (a reset's answer) can still be read, older reports are lost.
    void leave()
    {
        if (state == State::Live)
        {
            for (const std::shared_ptr<Client> &client : clients)
            {
                client->queue.erase(client->queue.begin(),
                                    client->queue.begin() + static_cast<std::ptrdiff_t>(client->staleReports));
                client->staleReports = 0;
            }
            updateReadable();
            state = State::Leaving;
            leavingSince = Clock::now();
            bridge.m_wake.notify_all();
        }
    }

    HidrawBridge &bridge;
    HidrawIdentity identity;
    std::string modelPath;
    HidrawPlacement placement;
    UMockdevIoctlBase *handler = nullptr;
    int master = -1;
    int slave = -1;
    bool signalled = false;
    State state = State::Live;
    Clock::time_point leavingSince;
    Clock::time_point lastCheck = Clock::now();
    std::vector<std::shared_ptr<Client>> clients;
    std::weak_ptr<Client> lastWriter;
};

//! The node's side: umockdev calls these on its worker thread, one request
//! of a handle at a time.
struct Callbacks
{
    using Plug = HidrawBridge::Plug;
    using Client = HidrawBridge::Client;

    static void deliver(Client &client, const std::vector<uint8_t> &report)
    {
        UMockdevIoctlData *buffer = umockdev_ioctl_client_get_arg(client.ioctl);
        const size_t count = std::min(report.size(), static_cast<size_t>(buffer->data_len));
        std::copy_n(report.data(), count, buffer->data);
        umockdev_ioctl_client_complete(client.ioctl, static_cast<glong>(count), 0);
    }

    //! Carries input reports from the model to the handle until the handle
    //! closes or the model loses the controller.
    static void pump(Plug *plug, std::shared_ptr<Client> client)
    {
        std::vector<uint8_t> buffer(kMaxInputReport);
        while (true)
        {
            {
                std::lock_guard<std::mutex> guard(plug->bridge.m_mutex);
                if (client->closing || client->gone)
                {
                    return;
                }
            }
            const int count = hid_read_timeout(client->model, buffer.data(), buffer.size(), kPumpTimeoutMs);
            std::lock_guard<std::mutex> guard(plug->bridge.m_mutex);
            if (count < 0)
            {
                client->gone = true;
                plug->leave();
                return;
            }
            if (count == 0)
            {
                continue;
            }
            std::vector<uint8_t> report(buffer.begin(), buffer.begin() + count);
            // The model's handles share its input, and umockdev may tell of a
            // closed handle only after its process is long gone: an answer
            // goes to the handle that wrote last, not to whichever pump read it.
            Client &target = *plug->receiverFor(client);
            if (target.readWaiting)
            {
                target.readWaiting = false;
                deliver(target, report);
            }
            else
            {
                target.queue.push_back(std::move(report));
                plug->updateReadable();
            }
        }
    }

    static void connected(UMockdevIoctlBase *, UMockdevIoctlClient *ioctl, gpointer data)
    {
        auto *plug = static_cast<Plug *>(data);
        // A handle that was closed must not go on taking the model's
        // answers, which the new one waits for.
        std::vector<UMockdevIoctlClient *> closed;
        {
            std::lock_guard<std::mutex> guard(plug->bridge.m_mutex);
            for (const std::shared_ptr<Client> &client : plug->clients)
            {
                if (!umockdev_ioctl_client_get_connected(client->ioctl))
                {
                    closed.push_back(client->ioctl);
                }
            }
        }
        for (UMockdevIoctlClient *old : closed)
        {
            vanished(nullptr, old, plug);
        }

        auto client = std::make_shared<Client>();
        client->ioctl = static_cast<UMockdevIoctlClient *>(g_object_ref(ioctl));
        std::string path;
        {
            std::lock_guard<std::mutex> guard(plug->bridge.m_mutex);
            plug->clients.push_back(client);
            if (plug->state != Plug::State::Live)
            {
                client->gone = true;
                return;
            }
            path = plug->modelPath;
        }
        // Opening may wait for an external model to answer: not under the lock.
        hid_device *model = hid_open_path(path.c_str());
        std::lock_guard<std::mutex> guard(plug->bridge.m_mutex);
        client->model = model;
        if (!model)
        {
            client->gone = true;
            plug->leave();
            return;
        }
        client->pump = std::thread(pump, plug, client);
    }

    static void vanished(UMockdevIoctlBase *, UMockdevIoctlClient *ioctl, gpointer data)
    {
        auto *plug = static_cast<Plug *>(data);
        std::shared_ptr<Client> client;
        {
            std::lock_guard<std::mutex> guard(plug->bridge.m_mutex);
            auto it = std::find_if(plug->clients.begin(), plug->clients.end(),
                                   [ioctl](const std::shared_ptr<Client> &c) { return c->ioctl == ioctl; });
            if (it == plug->clients.end())
            {
                return;
            }
            client = *it;
            client->closing = true;
            plug->clients.erase(it);
            plug->updateReadable();
        }
        if (client->pump.joinable())
        {
            client->pump.join();
        }
        if (client->model)
        {
            hid_close(client->model);
        }
        g_object_unref(client->ioctl);
        std::lock_guard<std::mutex> guard(plug->bridge.m_mutex);
        plug->bridge.m_wake.notify_all();
    }

    static gboolean read(UMockdevIoctlBase *, UMockdevIoctlClient *ioctl, gpointer data)
    {
        auto *plug = static_cast<Plug *>(data);
        std::lock_guard<std::mutex> guard(plug->bridge.m_mutex);
        Client *client = plug->find(ioctl);
        if (client && !client->queue.empty())
        {
            deliver(*client, client->queue.front());
            client->queue.pop_front();
            client->staleReports -= client->staleReports > 0 ? 1 : 0;
            plug->updateReadable();
            plug->bridge.m_wake.notify_all();
        }
        else if (!client || client->gone || plug->state != Plug::State::Live)
        {
            // What hidraw answers once its device is gone.
            umockdev_ioctl_client_complete(ioctl, -1, EIO);
        }
        else
        {
            // A blocking read: the next report completes it.
            client->readWaiting = true;
        }
        return TRUE;
    }

    static gboolean write(UMockdevIoctlBase *, UMockdevIoctlClient *ioctl, gpointer data)
    {
        auto *plug = static_cast<Plug *>(data);
        UMockdevIoctlData *buffer = umockdev_ioctl_client_get_arg(ioctl);
        const auto length = static_cast<size_t>(buffer->data_len);
        hid_device *model = nullptr;
        {
            std::lock_guard<std::mutex> guard(plug->bridge.m_mutex);
            Client *client = plug->find(ioctl);
            if (!client || client->gone || plug->state != Plug::State::Live)
            {
                umockdev_ioctl_client_complete(ioctl, -1, ENODEV);
                return TRUE;
            }
            if (length < 2 || length > kMaxOutputReport)
            {
                umockdev_ioctl_client_complete(ioctl, -1, EINVAL);
                return TRUE;
            }
            model = client->model;
            client->staleReports = client->queue.size();
            plug->lastWriter = plug->shared(client);
        }
        // The model may take its time (transfer, busy flash): not under the lock.
        const int written = hid_write(model, buffer->data, length);
        std::lock_guard<std::mutex> guard(plug->bridge.m_mutex);
        if (written < 0)
        {
            if (Client *client = plug->find(ioctl))
            {
                client->gone = true;
            }
            plug->leave();
            umockdev_ioctl_client_complete(ioctl, -1, ENODEV);
            return TRUE;
        }
        umockdev_ioctl_client_complete(ioctl, written, 0);
        return TRUE;
    }

    static gboolean control(UMockdevIoctlBase *, UMockdevIoctlClient *ioctl, gpointer data)
    {
        auto *plug = static_cast<Plug *>(data);
        {
            std::lock_guard<std::mutex> guard(plug->bridge.m_mutex);
            Client *client = plug->find(ioctl);
            if (!client || client->gone || plug->state != Plug::State::Live)
            {
                umockdev_ioctl_client_complete(ioctl, -1, ENODEV);
                return TRUE;
            }
        }
        const unsigned long request = umockdev_ioctl_client_get_request(ioctl);
        const std::vector<uint8_t> descriptor = bootloaderReportDescriptor();
        if (request == HIDIOCGRDESCSIZE)
        {
            ArgMemory size(ioctl, sizeof(int));
            return answer(ioctl, size.bytes(), [&](uint8_t *bytes) {
                const int value = static_cast<int>(descriptor.size());
                std::memcpy(bytes, &value, sizeof(value));
                return 0L;
            });
        }
        if (request == HIDIOCGRDESC)
        {
            ArgMemory out(ioctl, sizeof(hidraw_report_descriptor));
            return answer(ioctl, out.bytes(), [&](uint8_t *bytes) {
                auto *target = reinterpret_cast<hidraw_report_descriptor *>(bytes);
                const size_t count = std::min<size_t>(target->size, descriptor.size());
                std::copy_n(descriptor.data(), count, target->value);
                return 0L;
            });
        }
        if (request == HIDIOCGRAWINFO)
        {
            ArgMemory out(ioctl, sizeof(hidraw_devinfo));
            return answer(ioctl, out.bytes(), [&](uint8_t *bytes) {
                hidraw_devinfo info{};
                info.bustype = BUS_USB;
                info.vendor = static_cast<__s16>(plug->identity.vendorId);
                info.product = static_cast<__s16>(plug->identity.productId);
                std::memcpy(bytes, &info, sizeof(info));
                return 0L;
            });
        }
        const size_t length = _IOC_SIZE(request);
        const unsigned number = _IOC_NR(request);
        if (_IOC_TYPE(request) == 'H' && _IOC_DIR(request) == _IOC_READ && (number == 4 || number == 5 || number == 8))
        {
            // HIDIOCGRAWNAME, HIDIOCGRAWPHYS, HIDIOCGRAWUNIQ: the text with its
            // terminating zero, cut to the buffer; the result is the count.
            const std::string text = number == 4   ? hidName(plug->identity)
                                     : number == 5 ? std::string("usb-0000:00:14.0-1/input0")
                                                   : plug->identity.serialNumber;
            ArgMemory out(ioctl, length);
            return answer(ioctl, out.bytes(), [&](uint8_t *bytes) {
                const size_t count = std::min(text.size() + 1, length);
                std::copy_n(reinterpret_cast<const uint8_t *>(text.c_str()), count, bytes);
                return static_cast<long>(count);
            });
        }
        umockdev_ioctl_client_complete(ioctl, -1, _IOC_TYPE(request) == 'H' ? ENOTTY : EINVAL);
        return TRUE;
    }

    template <typename Fill>
    static gboolean answer(UMockdevIoctlClient *ioctl, uint8_t *bytes, Fill fill)
    {
        if (!bytes)
        {
            umockdev_ioctl_client_complete(ioctl, -1, EFAULT);
            return TRUE;
        }
        umockdev_ioctl_client_complete(ioctl, fill(bytes), 0);
        return TRUE;
    }
};

HidrawBridge::HidrawBridge(UMockdevTestbed *testbed)
    : m_testbed(testbed)
{
}

HidrawBridge::~HidrawBridge()
{
    std::unique_lock<std::mutex> lock(m_mutex);
    // The program has ended: its handles close as umockdev notices.
    m_wake.wait_for(lock, std::chrono::seconds(2), [this] {
        return std::all_of(m_plugs.begin(), m_plugs.end(),
                           [](const std::unique_ptr<Plug> &plug) { return plug->clients.empty(); });
    });
    m_stopping = true;
    m_wake.notify_all();
    lock.unlock();
    if (m_follower.joinable())
    {
        m_follower.join();
    }
    for (const std::unique_ptr<Plug> &plug : m_plugs)
    {
        g_signal_handlers_disconnect_by_data(plug->handler, plug.get());
        while (!plug->clients.empty())
        {
            Callbacks::vanished(nullptr, plug->clients.front()->ioctl, plug.get());
        }
        if (plug->state != Plug::State::Removed)
        {
            removeLocked(*plug);
        }
        g_object_unref(plug->handler);
    }
}

void HidrawBridge::start()
{
    const std::vector<Found> found = probe();
    {
        std::lock_guard<std::mutex> guard(m_mutex);
        m_expected = found.size();
        for (const Found &controller : found)
        {
            plugIn(controller);
        }
    }
    m_follower = std::thread(&HidrawBridge::follow, this);
}

std::vector<HidrawBridge::Found> HidrawBridge::probe()
{
    std::vector<Found> found;
    hid_device_info *devices = hid_enumerate(0, 0);
    for (const hid_device_info *device = devices; device; device = device->next)
    {
        Found controller;
        controller.identity.vendorId = device->vendor_id;
        controller.identity.productId = device->product_id;
        controller.identity.serialNumber = narrow(device->serial_number);
        controller.identity.manufacturer = narrow(device->manufacturer_string);
        controller.identity.product = narrow(device->product_string);
        controller.modelPath = device->path ? device->path : "";
        controller.port = static_cast<unsigned>(found.size()) + 1;
        found.push_back(controller);
    }
    hid_free_enumeration(devices);
    return found;
}

HidrawBridge::Plug *HidrawBridge::currentAt(const std::string &modelPath) const
{
    for (Plug *plug : m_current)
    {
        if (plug->modelPath == modelPath)
        {
            return plug;
        }
    }
    return nullptr;
}

void HidrawBridge::reapClosedHandles(std::unique_lock<std::mutex> &lock)
{
    // umockdev does not report every handle that closes; its connection
    // state does tell.
    std::vector<std::pair<Plug *, UMockdevIoctlClient *>> closed;
    for (const std::unique_ptr<Plug> &plug : m_plugs)
    {
        for (const std::shared_ptr<Client> &client : plug->clients)
        {
            if (!umockdev_ioctl_client_get_connected(client->ioctl))
            {
                closed.emplace_back(plug.get(), client->ioctl);
            }
        }
    }
    lock.unlock();
    for (const auto &[plug, ioctl] : closed)
    {
        Callbacks::vanished(nullptr, ioctl, plug);
    }
    lock.lock();
}

bool HidrawBridge::drained(const Plug &plug) const
{
    return std::all_of(plug.clients.begin(), plug.clients.end(),
                       [](const std::shared_ptr<Client> &client) { return client->queue.empty(); });
}

void HidrawBridge::follow()
{
    Clock::time_point nextProbe = Clock::now();
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_stopping)
    {
        reapClosedHandles(lock);
        const Clock::time_point now = Clock::now();
        for (auto it = m_current.begin(); it != m_current.end();)
        {
            Plug *plug = *it;
            if (plug->state == Plug::State::Leaving &&
                (drained(*plug) || now - plug->leavingSince >= kDrainGrace))
            {
                removeLocked(*plug);
                it = m_current.erase(it);
                nextProbe = now;
                continue;
            }
            ++it;
        }
        // Nobody has these nodes open: the model is asked whether their
        // controllers are still there.
        std::vector<Plug *> idle;
        for (Plug *plug : m_current)
        {
            if (plug->state == Plug::State::Live && plug->clients.empty() &&
                now - plug->lastCheck >= kIdleCheckInterval)
            {
                idle.push_back(plug);
            }
        }
        const bool missing = m_current.empty() || m_current.size() < m_expected;
        if ((missing && now >= nextProbe) || !idle.empty())
        {
            lock.unlock();
            const std::vector<Found> found = probe();
            lock.lock();
            if (m_stopping)
            {
                break;
            }
            m_expected = std::max(m_expected, found.size());
            for (Plug *plug : idle)
            {
                if (plug->state != Plug::State::Live || !plug->clients.empty())
                {
                    continue;
                }
                plug->lastCheck = Clock::now();
                const HidrawIdentity &was = plug->identity;
                const bool present = std::any_of(found.begin(), found.end(), [&](const Found &controller) {
                    return controller.modelPath == plug->modelPath &&
                           controller.identity.vendorId == was.vendorId &&
                           controller.identity.productId == was.productId &&
                           controller.identity.serialNumber == was.serialNumber;
                });
                if (!present)
                {
                    plug->leave();
                }
            }
            for (const Found &controller : found)
            {
                if (!currentAt(controller.modelPath))
                {
                    plugIn(controller);
                }
            }
            nextProbe = Clock::now() + kProbeInterval;
        }
        m_wake.wait_for(lock, std::chrono::milliseconds(20));
    }
}

void HidrawBridge::plugIn(const Found &found)
{
    auto plug = std::make_unique<Plug>(*this, found, ++m_plugCount);
    const HidrawPlacement &placement = plug->placement;
    const std::string root = umockdev_testbed_get_root_dir(m_testbed);
    const std::string node = "/dev/" + placement.nodeName;

    // The node is in place before the devices appear, so whoever finds them
    // can open it.
    char slaveName[128] = {};
    if (openpty(&plug->master, &plug->slave, slaveName, nullptr, nullptr) != 0)
    {
        std::fprintf(stderr, "vornsim-hidraw: cannot create a pseudo-terminal: %s\n", std::strerror(errno));
        return;
    }
    termios raw{};
    tcgetattr(plug->slave, &raw);
    cfmakeraw(&raw);
    tcsetattr(plug->slave, TCSANOW, &raw);
    fcntl(plug->slave, F_SETFL, fcntl(plug->slave, F_GETFL) | O_NONBLOCK);
    fcntl(plug->master, F_SETFD, FD_CLOEXEC);
    fcntl(plug->slave, F_SETFD, FD_CLOEXEC);
    ::mkdir((root + "/dev").c_str(), 0755);
    if (::symlink(slaveName, (root + node).c_str()) != 0)
    {
        std::fprintf(stderr, "vornsim-hidraw: cannot create %s: %s\n", node.c_str(), std::strerror(errno));
    }

    plug->handler = umockdev_ioctl_base_new();
    g_signal_connect(plug->handler, "client-connected", G_CALLBACK(Callbacks::connected), plug.get());
    g_signal_connect(plug->handler, "client-vanished", G_CALLBACK(Callbacks::vanished), plug.get());
    g_signal_connect(plug->handler, "handle-ioctl", G_CALLBACK(Callbacks::control), plug.get());
    g_signal_connect(plug->handler, "handle-read", G_CALLBACK(Callbacks::read), plug.get());
    g_signal_connect(plug->handler, "handle-write", G_CALLBACK(Callbacks::write), plug.get());
    GError *error = nullptr;
    if (!umockdev_testbed_attach_ioctl(m_testbed, node.c_str(), plug->handler, &error) ||
        !umockdev_testbed_add_from_string(m_testbed, umockdevDescription(plug->identity, placement).c_str(), &error))
    {
        std::fprintf(stderr, "vornsim-hidraw: cannot set up %s: %s\n", node.c_str(),
                     error ? error->message : "unknown error");
        g_clear_error(&error);
    }
    m_current.push_back(plug.get());
    m_plugs.push_back(std::move(plug));
}

void HidrawBridge::removeLocked(Plug &plug)
{
    plug.state = Plug::State::Removed;
    // Open handles now see what an unplugged hidraw device shows: poll
    // reports a hang-up, reads and writes fail.
    for (const std::shared_ptr<Client> &client : plug.clients)
    {
        client->queue.clear();
        if (client->readWaiting)
        {
            client->readWaiting = false;
            umockdev_ioctl_client_complete(client->ioctl, -1, EIO);
        }
    }
    if (plug.master >= 0)
    {
        ::close(plug.master);
        plug.master = -1;
    }
    if (plug.slave >= 0)
    {
        ::close(plug.slave);
        plug.slave = -1;
    }
    const HidrawPlacement &placement = plug.placement;
    for (const std::string &device :
         { placement.hidraw, placement.hidDevice, placement.usbInterface, placement.usbDevice })
    {
        umockdev_testbed_remove_device(m_testbed, ("/sys" + device).c_str());
    }
}

} // namespace vornsim
