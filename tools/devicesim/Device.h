#pragma once

#include "DeviceSettings.h"
#include "Request.h"
#include "Wire.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace devicesim {

// One simulated device server: checks a request's credentials, carries it out on its own state
// and builds the reply, spoiled as its behaviour says.
class Device final
{
public:
    using Clock = std::chrono::steady_clock;

    // `poweredOn` is when the device's power-on timer started counting.
    Device(DeviceSettings settings, Clock::time_point poweredOn);

    // True when the device acts on a request addressed to `target`.
    bool Takes(const Mac& target) const;

    struct Answer
    {
        std::optional<Bytes> datagram; // unset: the device stays silent
        std::chrono::milliseconds delay{0};
        std::vector<std::string> notes; // what the device did, for the operator
    };

    // Carries out a request this device takes and returns its answer.
    Answer Handle(const Request& request, Clock::time_point now);

    const DeviceSettings& Settings() const { return m_settings; }
    // "00:11:22:33:44:55 IP 10.0.0.10, ID "abc", password """ and its misbehaviour, for the operator.
    std::string Summary() const;

    // The length of the reply to a command before any misbehaviour.
    static std::size_t ReplyLength(std::uint8_t command);

private:
    std::string Carry(const Request& request);
    Bytes BuildReply(const Request& request, bool accepted, Clock::time_point now) const;
    void PutSystemInfo(Bytes& reply, Clock::time_point now) const;
    void Spoil(std::optional<Bytes>& reply);

    DeviceSettings m_settings;
    Clock::time_point m_poweredOn;
    std::uint32_t m_noise;
};

} // namespace devicesim
