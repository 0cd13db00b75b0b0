#include "dhcp/HostAddress.h"

#include <QNetworkInterface>

namespace {

CHostAddress::Provider& Installed()
{
    static CHostAddress::Provider provider;
    return provider;
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
            const quint32 v = ip.toIPv4Address();
            return corvane::dhcp::Ipv4{static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                                       static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<corvane::dhcp::Ipv4> CHostAddress::Of(int interfaceIndex)
{
    if (const Provider& provider = Installed()) {
        return provider(interfaceIndex);
    }
    if (interfaceIndex > 0) {
        if (auto address = FirstAddress(QNetworkInterface::interfaceFromIndex(interfaceIndex))) {
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
