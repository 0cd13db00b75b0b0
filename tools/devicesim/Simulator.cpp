#include "Simulator.h"

#include <arpa/inet.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>

namespace devicesim {

namespace {

volatile std::sig_atomic_t g_stopSignal = 0;

extern "C" void OnStopSignal(int signal)
{
    g_stopSignal = signal;
}

std::string AddressText(const sockaddr_in& address)
{
    char text[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
    return std::string(text) + ":" + std::to_string(ntohs(address.sin_port));
}

} // namespace

Simulator::Simulator(Options options) : m_options(std::move(options)), m_start(Clock::now())
{
    for (const DeviceSettings& settings : m_options.devices) {
        m_devices.emplace_back(settings, m_start);
    }
}

Simulator::~Simulator()
{
    if (m_socket >= 0) {
        ::close(m_socket);
    }
    if (m_log) {
        std::fclose(m_log);
    }
}

bool Simulator::Open()
{
    if (!m_options.logPath.empty()) {
        m_log = std::fopen(m_options.logPath.c_str(), "w");
        if (!m_log) {
            SayErr("cannot write the log " + m_options.logPath + ": " + std::strerror(errno));
            return false;
        }
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(m_options.port);
    if (inet_pton(AF_INET, m_options.bindAddress.c_str(), &address.sin_addr) != 1) {
        SayErr("not an IPv4 address: " + m_options.bindAddress);
        return false;
    }
    m_socket = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (m_socket < 0) {
        SayErr(std::string("cannot create a UDP socket: ") + std::strerror(errno));
        return false;
    }
    // No SO_REUSEADDR: with it a second stand-in on the same port would bind as well and share
    // the requests with the first one, which is far harder to notice than a refused bind.
    if (::bind(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        SayErr("cannot listen on " + AddressText(address) + ": " + std::strerror(errno));
        return false;
    }
    socklen_t length = sizeof address;
    ::getsockname(m_socket, reinterpret_cast<sockaddr*>(&address), &length);
    for (const Device& device : m_devices) {
        SayOut("device " + device.Summary());
    }
    SayOut("listening on " + AddressText(address));
    return true;
}

int Simulator::Run()
{
    // The stop signals stay blocked except while waiting in ppoll, so none slips in between the
    // check of the flag and the wait.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    sigset_t waitMask;
    sigprocmask(SIG_BLOCK, &stopSignals, &waitMask);
    sigdelset(&waitMask, SIGTERM);
    sigdelset(&waitMask, SIGINT);
    struct sigaction action
    {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    if (!Open()) {
        return 1;
    }
    std::optional<Clock::time_point> deadline;
    if (m_options.maxSeconds) {
        deadline = m_start + std::chrono::seconds(*m_options.maxSeconds);
    }
    while (g_stopSignal == 0) {
        const Clock::time_point now = Clock::now();
        if (deadline && now >= *deadline) {
            SayOut("stopping after " + std::to_string(*m_options.maxSeconds) + " s");
            break;
        }
        SendDue(now);
        std::optional<Clock::time_point> wakeUp = deadline;
        if (!m_pending.empty() && (!wakeUp || m_pending.begin()->first < *wakeUp)) {
            wakeUp = m_pending.begin()->first;
        }
        timespec timeout{};
        timespec* timeoutPtr = nullptr;
        if (wakeUp) {
            const auto wait = std::max(Clock::duration::zero(), *wakeUp - now);
            const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(wait).count();
            timeout.tv_sec = static_cast<std::time_t>(ns / 1000000000);
            timeout.tv_nsec = static_cast<long>(ns % 1000000000);
            timeoutPtr = &timeout;
        }
        pollfd fd{m_socket, POLLIN, 0};
        const int ready = ::ppoll(&fd, 1, timeoutPtr, &waitMask);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            SayErr(std::string("poll failed: ") + std::strerror(errno));
            return 1;
        }
        if (ready > 0) {
            ReceiveAll();
        }
    }
    if (g_stopSignal != 0) {
        SayOut(std::string("stopping on ") + (g_stopSignal == SIGINT ? "SIGINT" : "SIGTERM"));
    }
    return 0;
}

void Simulator::ReceiveAll()
{
    for (;;) {
        sockaddr_in from{};
        socklen_t fromLength = sizeof from;
        const ssize_t got = ::recvfrom(m_socket, m_buffer.data(), m_buffer.size(), MSG_DONTWAIT,
                                       reinterpret_cast<sockaddr*>(&from), &fromLength);
        if (got < 0) {
            if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) {
                SayErr(std::string("receive failed: ") + std::strerror(errno));
            }
            return;
        }
        Serve(std::span<const std::uint8_t>(m_buffer.data(), static_cast<std::size_t>(got)), from);
    }
}

void Simulator::Serve(std::span<const std::uint8_t> datagram, const sockaddr_in& from)
{
    if (m_log) {
        std::fprintf(m_log, "%s\n", HexLine(datagram).c_str());
        std::fflush(m_log);
    }
    const std::string source = AddressText(from);
    const ParsedRequest parsed = ParseRequest(datagram);
    if (!parsed.request) {
        SayErr("ignored " + std::to_string(datagram.size()) + " bytes from " + source + ": " + parsed.problem);
        return;
    }
    const Request& request = *parsed.request;
    Note("from " + source + ": " + DescribeRequest(request));
    const Clock::time_point now = Clock::now();
    bool taken = false;
    for (Device& device : m_devices) {
        if (!device.Takes(request.target)) {
            continue;
        }
        taken = true;
        const std::string name = MacToText(device.Settings().mac);
        Device::Answer answer = device.Handle(request, now);
        for (const std::string& note : answer.notes) {
            Note(name + ": " + note);
        }
        if (!answer.datagram) {
            Note(name + ": no reply");
            continue;
        }
        if (answer.delay.count() > 0) {
            Note(name + ": replying in " + std::to_string(answer.delay.count()) + " ms");
        }
        m_pending.emplace(now + answer.delay, Pending{from, std::move(*answer.datagram), name});
    }
    if (!taken) {
        Note("no device has MAC " + MacToText(request.target));
    }
    SendDue(now);
}

void Simulator::SendDue(Clock::time_point now)
{
    while (!m_pending.empty() && m_pending.begin()->first <= now) {
        const Pending& pending = m_pending.begin()->second;
        const ssize_t sent = ::sendto(m_socket, pending.datagram.data(), pending.datagram.size(), 0,
                                      reinterpret_cast<const sockaddr*>(&pending.to), sizeof pending.to);
        if (sent < 0) {
            SayErr(pending.device + ": cannot send to " + AddressText(pending.to) + ": " + std::strerror(errno));
        } else {
            Note(pending.device + ": sent " + std::to_string(pending.datagram.size()) + " bytes to " +
                 AddressText(pending.to) + ": " + HexLine(pending.datagram));
        }
        m_pending.erase(m_pending.begin());
    }
}

void Simulator::Note(const std::string& line) const
{
    if (m_options.verbose) {
        SayErr(line);
    }
}

} // namespace devicesim
