#include "core/dhcp/ClientChecks.h"

namespace corvane::dhcp {

std::optional<std::string> CheckNewClient(const std::array<std::uint8_t, 4>& ip)
{
    if (ip == std::array<std::uint8_t, 4>{}) {
        return kMsgNoClientIp;
    }
    if (ip[3] == 0 || ip[3] == 255) {
        return kMsgWrongClientIp;
    }
    return std::nullopt;
}

} // namespace corvane::dhcp
