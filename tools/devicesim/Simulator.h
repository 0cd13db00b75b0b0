#pragma once

#include "Device.h"
#include "Options.h"
#include "Wire.h"

#include <netinet/in.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <span>
#include <string>
#include <vector>

namespace devicesim {

// The stand-in's one UDP socket and the devices behind it: receives requests, hands each to the
// devices that take it, and sends their answers back to the requester, late ones when due.
class Simulator final
{
public:
    explicit Simulator(Options options);
    ~Simulator();
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Opens the log and the socket, says "devicesim: listening on ADDR:PORT" and serves until
    // SIGTERM, SIGINT or the time bound. Returns the process exit status.
    int Run();

private:
    using Clock = Device::Clock;

    struct Pending
    {
        sockaddr_in to{};
        Bytes datagram;
        std::string device;
    };

    bool Open();
    void ReceiveAll();
    void Serve(std::span<const std::uint8_t> datagram, const sockaddr_in& from);
    void SendDue(Clock::time_point now);
    void Note(const std::string& line) const;

    Options m_options;
    Clock::time_point m_start;
    std::vector<Device> m_devices;
    int m_socket = -1;
    std::FILE* m_log = nullptr;
    // Room for the largest UDP payload over IPv4 (65507 bytes) and one byte more.
    Bytes m_buffer = Bytes(65508);
    // Answers waiting to be sent, by due time; answers due at the same time keep their order.
    std::multimap<Clock::time_point, Pending> m_pending;
};

} // namespace devicesim
