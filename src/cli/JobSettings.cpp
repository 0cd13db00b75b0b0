#include "cli/JobSettings.h"

#include <array>
#include <charconv>
#include <cstdlib>

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

constexpr std::array<std::string_view, 6> kNetModeSettings{"ip-mode",   "tcp-mode",    "port",
                                                           "server-ip", "server-port", "data-server-ip"};
constexpr std::array<std::string_view, 6> kSerialSettings{"baud", "parity", "data-bits", "stop-bits", "flow", "time"};

} // namespace

const char* StepName(StepKind kind)
{
    switch (kind) {
    case StepKind::Find:
        return "find";
    case StepKind::Clear:
        return "clear";
    case StepKind::Login:
        return "login";
    case StepKind::Passwd:
        return "passwd";
    case StepKind::NetMode:
        return "netmode";
    case StepKind::Serial:
        return "serial";
    }
    return "?";
}

std::optional<corvane::MacAddress> CJobSettings::ParseMac(std::string_view text)
{
    std::string digits;
    if (text.size() == 17) {
        const char separator = text[2];
        if (separator != ':' && separator != '-') {
            return std::nullopt;
        }
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (i % 3 == 2) {
                if (text[i] != separator) {
                    return std::nullopt;
                }
            } else {
                digits += text[i];
            }
        }
    } else if (text.size() == 12) {
        digits = std::string(text);
    } else {
        return std::nullopt;
    }
    corvane::MacAddress mac{};
    for (std::size_t k = 0; k < 6; ++k) {
        const int high = HexValue(digits[2 * k]);
        const int low = HexValue(digits[2 * k + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        mac[k] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return mac;
}

std::optional<long> CJobSettings::ParseInt(std::string_view text)
{
    long value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end) {
        return std::nullopt;
    }
    return value;
}

std::optional<corvane::Ipv4Address> CJobSettings::ParseAddress(std::string_view text)
{
    corvane::Ipv4Address address{};
    std::size_t start = 0;
    for (std::size_t k = 0; k < 4; ++k) {
        const std::size_t dot = k < 3 ? text.find('.', start) : text.size();
        if (dot == std::string_view::npos) {
            return std::nullopt;
        }
        const std::string_view part = text.substr(start, dot - start);
        const std::optional<long> value = part.size() <= 3 ? ParseInt(part) : std::nullopt;
        if (!value || *value < 0 || *value > 255) {
            return std::nullopt;
        }
        address[k] = static_cast<std::uint8_t>(*value);
        start = dot + 1;
    }
    return address;
}

bool CJobSettings::IsNetModeSetting(std::string_view name)
{
    for (const std::string_view known : kNetModeSettings) {
        if (name == known) {
            return true;
        }
    }
    return name == "notifier";
}

bool CJobSettings::IsSerialSetting(std::string_view name)
{
    for (const std::string_view known : kSerialSettings) {
        if (name == known) {
            return true;
        }
    }
    return false;
}

bool CJobSettings::Apply(std::string_view name, std::string_view value, DeviceJob& job, std::string& error)
{
    auto fail = [&](const std::string& expected) {
        error = "invalid " + std::string(name) + " \"" + std::string(value) + "\" (" + expected + ")";
        return false;
    };
    auto address = [&](corvane::Ipv4Address& target) {
        const auto parsed = ParseAddress(value);
        if (!parsed) {
            return fail("an IPv4 address such as 10.0.0.2");
        }
        target = *parsed;
        return true;
    };
    auto port = [&](int& target) {
        const auto parsed = ParseInt(value);
        if (!parsed || *parsed < 0 || *parsed > 999999) {
            return fail("a port number");
        }
        target = static_cast<int>(*parsed);
        return true;
    };

    corvane::NetworkModeSettings& net = job.netMode;
    corvane::SerialSettings& serial = job.serial;
    job.hasNetMode = job.hasNetMode || IsNetModeSetting(name);
    job.hasSerial = job.hasSerial || IsSerialSetting(name);

    if (name == "id" || name == "password" || name == "new-id" || name == "new-password") {
        // The request's field holds no more (nor do the page's fields); a longer text would be cut,
        // and the device would take another one than the operator gave.
        if (value.size() > corvane::kTextFieldSize) {
            return fail("at most 8 characters");
        }
        std::string& target = name == "id"         ? job.id
                              : name == "password" ? job.password
                              : name == "new-id"   ? job.newId
                                                   : job.newPassword;
        target = std::string(value);
    } else if (name == "ip-mode") {
        if (value == "static") {
            net.ipMode = corvane::IpMode::Static;
        } else if (value == "dynamic") {
            net.ipMode = corvane::IpMode::Dynamic;
        } else {
            return fail("static or dynamic");
        }
    } else if (name == "tcp-mode") {
        if (value == "server") {
            net.tcpMode = corvane::TcpMode::Server;
        } else if (value == "client") {
            net.tcpMode = corvane::TcpMode::Client;
        } else if (value == "both") {
            net.tcpMode = corvane::TcpMode::ServerAndClient;
        } else {
            return fail("server, client or both");
        }
    } else if (name == "port") {
        return port(net.devicePort);
    } else if (name == "server-port") {
        return port(net.serverPort);
    } else if (name == "server-ip") {
        return address(net.serverIp);
    } else if (name == "data-server-ip") {
        return address(net.dataServerIp);
    } else if (name == "notifier") {
        const std::size_t colon = value.find(':');
        const auto hours = colon == std::string_view::npos ? std::nullopt : ParseInt(value.substr(0, colon));
        const auto minutes = colon == std::string_view::npos ? std::nullopt : ParseInt(value.substr(colon + 1));
        if (!hours || !minutes || *hours < 0 || *hours > 9 || *minutes < 0 || *minutes > 59 ||
            value.size() - colon != 3) {
            return fail("H:MM, hours and minutes, such as 0:05");
        }
        net.notifierHours = static_cast<int>(*hours);
        net.notifierMinutes = static_cast<int>(*minutes);
    } else if (name == "baud") {
        for (int i = 0; i < corvane::kBaudChoiceCount; ++i) {
            if (value == corvane::BaudLabel(i)) {
                serial.baudIndex = i;
                return true;
            }
        }
        return fail("one of 150 to 115200 as the Serial page offers them");
    } else if (name == "parity") {
        if (value == "none") {
            serial.parity = corvane::Parity::None;
        } else if (value == "odd") {
            serial.parity = corvane::Parity::Odd;
        } else if (value == "even") {
            serial.parity = corvane::Parity::Even;
        } else {
            return fail("none, odd or even");
        }
    } else if (name == "data-bits") {
        const auto bits = ParseInt(value);
        if (!bits || *bits < 5 || *bits > 8) {
            return fail("5 to 8");
        }
        serial.dataBits = static_cast<int>(*bits);
    } else if (name == "stop-bits") {
        if (value == "1") {
            serial.stopBits = corvane::StopBits::One;
        } else if (value == "1.5") {
            serial.stopBits = corvane::StopBits::OneAndHalf;
        } else if (value == "2") {
            serial.stopBits = corvane::StopBits::Two;
        } else {
            return fail("1, 1.5 or 2");
        }
    } else if (name == "flow") {
        if (value == "none") {
            serial.flow = corvane::FlowControl::None;
        } else if (value == "hardware") {
            serial.flow = corvane::FlowControl::Hardware;
        } else if (value == "xon-xoff") {
            serial.flow = corvane::FlowControl::XonXoff;
        } else {
            return fail("none, hardware or xon-xoff");
        }
    } else if (name == "time") {
        if (value == "unlimited") {
            job.serialTime = corvane::kUnlimitedSerialTime;
        } else {
            const auto time = ParseInt(value);
            if (!time || *time < -1000000 || *time > 1000000) {
                return fail("a number of seconds or unlimited");
            }
            job.serialTime = static_cast<int>(*time);
        }
        serial.unlimitedTime = job.serialTime == corvane::kUnlimitedSerialTime;
        serial.serialTime = job.serialTime;
    } else {
        error = "unknown setting " + std::string(name);
        return false;
    }
    return true;
}

std::optional<corvane::PageMessage> CJobSettings::Check(const DeviceJob& job)
{
    for (const StepKind step : job.steps) {
        // Every configuration page refuses an all-zero MAC first; the find and clear dialogs do not.
        if (step != StepKind::Find && step != StepKind::Clear && job.mac == corvane::MacAddress{}) {
            return corvane::kMsgMacAllZero;
        }
        std::optional<corvane::PageMessage> refusal;
        switch (step) {
        case StepKind::Login:
            refusal = corvane::CheckPasswordFields({false, job.id, job.password, {}, {}, {}});
            break;
        case StepKind::Passwd:
            // The current ID and password come from the store; the new password is its own
            // confirmation.
            refusal =
                corvane::CheckPasswordFields({true, "stored", "stored", job.newId, job.newPassword, job.newPassword});
            break;
        case StepKind::NetMode:
            refusal = corvane::CheckNetworkMode(job.netMode);
            break;
        case StepKind::Serial:
            refusal = corvane::CheckSerialTime(job.serialTime);
            break;
        case StepKind::Find:
        case StepKind::Clear:
            break;
        }
        if (refusal) {
            return refusal;
        }
    }
    return std::nullopt;
}
