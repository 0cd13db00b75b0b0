#pragma once

#include "core/dhcp/DhcpEngine.h"
#include "core/dhcp/ServerTables.h"

#include <QPointer>

#include <array>
#include <cstddef>
#include <functional>
#include <string>

class CServerSocket;

// How the DHCP/BOOTP server handles one request, whoever runs it (the IP Address page or the
// command line): the datagram is read, screened, looked up in the tables as they stand on disk at
// that moment, answered from the entry and sent back out of the interface it came in on, with the
// status texts in their order. What to do with a served device the table does not hold is the
// front end's to decide.
class CDhcpResponder final
{
public:
    // One request as read from the server socket.
    struct Request
    {
        std::array<std::uint8_t, corvane::dhcp::kRequestCapacity> bytes{};
        std::size_t length = 0;
        int interfaceIndex = 0;
    };

    struct Hooks
    {
        // Every status text, in turn.
        std::function<void(const std::string& status)> status;
        // An accepted request, before its client is looked up.
        std::function<void(const corvane::dhcp::Screening& screening)> accepted;
        // A served device the table does not hold: true when the front end has added it meanwhile
        // (it is looked up again), false to drop the request without a further word.
        std::function<bool(const corvane::dhcp::Screening& screening)> unknown;
    };

    explicit CDhcpResponder(Hooks hooks) : m_hooks(std::move(hooks)) {}

    // Reads one datagram from `socket`; false when the read failed.
    static bool Read(CServerSocket& socket, Request& request);
    // Screens `request`, answers it from the tables and sends the reply on `socket` (unless that
    // socket has gone or was closed meanwhile).
    void Answer(const Request& request, const QPointer<CServerSocket>& socket);

    CServerTables& Tables() { return m_tables; }

private:
    void Status(const std::string& status) const;

    Hooks m_hooks;
    CServerTables m_tables;
};
