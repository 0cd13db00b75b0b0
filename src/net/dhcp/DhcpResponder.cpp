#include "net/dhcp/DhcpResponder.h"

#include "net/dhcp/HostAddress.h"
#include "net/link/ServerSocket.h"

#include <QHostAddress>

#include <sys/socket.h>

namespace dhcp = corvane::dhcp;

bool CDhcpResponder::Read(CServerSocket& socket, Request& request)
{
    request.bytes.fill(0);
    const qint64 read = socket.Receive(request.bytes.data(), static_cast<qint64>(request.bytes.size()));
    request.interfaceIndex = socket.LastInterfaceIndex();
    if (read < 0) {
        request.length = 0;
        return false;
    }
    request.length = static_cast<std::size_t>(read);
    return true;
}

void CDhcpResponder::Status(const std::string& status) const
{
    if (m_hooks.status) {
        m_hooks.status(status);
    }
}

void CDhcpResponder::Answer(const Request& request, const QPointer<CServerSocket>& socket)
{
    const std::uint8_t* data = request.bytes.data();
    const std::size_t length = request.length;
    const dhcp::Screening screening = dhcp::ScreenRequest(data, length);
    switch (screening.verdict) {
    case dhcp::Verdict::Ignore:
        return;
    case dhcp::Verdict::NotRequest:
        Status(dhcp::kStatusReceived);
        Status(dhcp::kStatusNotRequest);
        return;
    case dhcp::Verdict::Accepted:
        Status(dhcp::kStatusReceived);
        Status(dhcp::kStatusAccepted);
        break;
    }

    m_tables.Refresh();
    if (m_hooks.accepted) {
        m_hooks.accepted(screening);
    }
    std::optional<dhcp::ClientEntry> entry = m_tables.FindMAC(screening.macText);
    if (!entry) {
        if (!m_hooks.unknown || !m_hooks.unknown(screening)) {
            return;
        }
        m_tables.Refresh();
        entry = m_tables.FindMAC(screening.macText);
        if (!entry) {
            Status(dhcp::NotFoundText(screening.macText));
            return;
        }
    }

    const std::optional<dhcp::Ipv4> host = CHostAddress::Of(request.interfaceIndex);
    const dhcp::Answer answer = dhcp::BuildAnswer(data, length, *entry, m_tables.Settings(), host);
    if (!answer.reply) {
        Status(answer.status);
        return;
    }
    const dhcp::Reply& reply = *answer.reply;
    QHostAddress source;
    if (host) {
        const dhcp::Ipv4& a = *host;
        source = QHostAddress((quint32(a[0]) << 24) | (quint32(a[1]) << 16) | (quint32(a[2]) << 8) | quint32(a[3]));
    }
    const auto size = static_cast<qint64>(reply.bytes.size());
    bool sent = false;
    if (socket && socket->IsOpen()) {
        socket->SetSockOpt(SO_BROADCAST, 1);
        sent = socket->SendToInterface(reply.bytes.data(), size, dhcp::kClientPort, QString(), request.interfaceIndex,
                                       source) == size;
    }
    Status(sent ? reply.sentText : reply.sendErrorText);
}
