#pragma once

#include "core/dhcp/DhcpEngine.h"

#include <functional>
#include <optional>

// The server's own IPv4 address: that of the interface a request came in on (`interfaceIndex`,
// 0 when unknown), else the first address of an interface that is up and not a loopback. Never a
// loopback address; none when the machine has no such interface.
class CHostAddress final
{
public:
    using Provider = std::function<std::optional<corvane::dhcp::Ipv4>(int interfaceIndex)>;

    static std::optional<corvane::dhcp::Ipv4> Of(int interfaceIndex = 0);
    // Test seam: replaces the look-up (an empty provider restores it); returns the previous one.
    static Provider SetProvider(Provider provider);

    CHostAddress() = delete;
};
