#include "net/dhcp/HostAddress.h"

#include <QNetworkInterface>

#include <cstring>

#include <net/if.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

namespace {

CHostAddress::Provider& Installed()
{
    static CHostAddress::Provider provider;
    return provider;
}

// Four bytes, first octet first, of an address in host byte order.
corvane::dhcp::Ipv4 FromHostOrder(std::uint32_t v)
{
    return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v)};
}

std::optional<corvane::dhcp::Ipv4> FirstAddress(const QNetworkInterface& iface)
{
    const auto flags = iface.flags();
    if (!iface.isValid() || !flags.testFlag(QNetworkInterface::IsUp) || flags.testFlag(QNetworkInterface::IsLoopBack)) {
        return std::nullopt;
    }
    for (const QNetworkAddressEntry& entry : iface.addressEntries()) {
        const QHostAddress ip = entry.ip();
        if (ip.protocol() == QAbstractSocket::IPv4Protocol && !ip.isLoopback()) {
            return FromHostOrder(ip.toIPv4Address());
        }
    }
    return std::nullopt;
}

// The address of the interface `interfaceIndex` straight from the kernel: the server asks for it
// with every request, and a full interface listing costs far more than the request itself.
std::optional<corvane::dhcp::Ipv4> AddressOfIndex(int interfaceIndex)
{
    ifreq request = {};
    if (!::if_indextoname(static_cast<unsigned>(interfaceIndex), request.ifr_name)) {
        return std::nullopt;
    }
    // One socket for the questions, kept for the life of the process.
    static const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return std::nullopt;
    }
    std::optional<corvane::dhcp::Ipv4> address;
    if (::ioctl(fd, SIOCGIFFLAGS, &request) == 0 && (request.ifr_flags & IFF_UP) &&
        !(request.ifr_flags & IFF_LOOPBACK) && ::ioctl(fd, SIOCGIFADDR, &request) == 0 &&
        request.ifr_addr.sa_family == AF_INET) {
        sockaddr_in in = {};
        std::memcpy(&in, &request.ifr_addr, sizeof in);
        const std::uint32_t v = ntohl(in.sin_addr.s_addr);
        if ((v >> 24) != 127) {
            address = FromHostOrder(v);
        }
    }
    return address;
}

} // namespace

std::optional<corvane::dhcp::Ipv4> CHostAddress::Of(int interfaceIndex)
{
    if (const Provider& provider = Installed()) {
        return provider(interfaceIndex);
    }
    if (interfaceIndex > 0) {
        if (auto address = AddressOfIndex(interfaceIndex)) {
            return address;
        }
    }
    for (const QNetworkInterface& iface : QNetworkInterface::allInterfaces()) {
        if (auto address = FirstAddress(iface)) {
            return address;
        }
    }
    return std::nullopt;
}

CHostAddress::Provider CHostAddress::SetProvider(Provider provider)
{
    Provider previous = std::move(Installed());
    Installed() = std::move(provider);
    return previous;
}
