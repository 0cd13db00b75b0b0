#pragma once

#include "Options.h"
#include "Wire.h"

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace devicesim {

// A device's own DHCP/BOOTP client, as a CV 48x asks for its address at boot: from UDP port 68
// to port 67, 300-byte requests with the message type first and the chosen server at bytes
// 258-263 (other layouts on request). Requests and answers are built and read here, with nothing of the utility's
// server, so that the two check each other on the wire.
class DhcpClient final
{
public:
    // DHCP message types (option 53).
    enum Type : std::uint8_t
    {
        kBootp = 0, // no magic cookie
        kDiscover = 1,
        kOffer = 2,
        kRequest = 3,
        kDecline = 4,
        kAck = 5,
        kNak = 6,
    };

    // What an answer carries.
    struct Answer
    {
        std::size_t length = 0;
        std::uint8_t type = kBootp;
        Ip4 yiaddr{};
        Ip4 siaddr{};
        Ip4 giaddr{};
        std::optional<Ip4> mask;
        std::vector<Ip4> routers;
        std::optional<std::uint32_t> lease;
        std::optional<Ip4> serverId;
    };
    // An answer, or why a datagram is none for this client.
    struct Reading
    {
        std::optional<Answer> answer;
        std::string problem;
    };

    DhcpClient(ClientOptions options, std::string logPath, bool verbose);
    ~DhcpClient();
    DhcpClient(const DhcpClient&) = delete;
    DhcpClient& operator=(const DhcpClient&) = delete;

    // Opens the log and the socket, says "devicesim: listening on 0.0.0.0:68", then asks and
    // waits as the options say. Returns the process exit status: 0 answered, 1 not.
    int Run();

    // How the requests are laid out.
    struct Layout
    {
        bool typeLast = false;    // the message type after the other options
        std::size_t length = 300; // zeros after the options
    };
    // The requests. A DHCPREQUEST asks for `offered` from `server` (none: it names no server).
    static Bytes BuildDiscover(const Mac& mac, std::uint32_t xid, const Layout& layout);
    static Bytes BuildRequest(const Mac& mac, std::uint32_t xid, const Ip4& offered, const std::optional<Ip4>& server,
                              const Layout& layout);
    static Bytes BuildBootp(const Mac& mac, std::uint32_t xid, const Layout& layout);
    // Reads a datagram as an answer to this client's request `xid`.
    static Reading ReadAnswer(std::span<const std::uint8_t> datagram, const Mac& mac, std::uint32_t xid);
    // "length=300 yiaddr=10.77.0.20 siaddr=... giaddr=... mask=... router=... lease=... server=...".
    static std::string Describe(const Answer& answer);
    static const char* TypeName(std::uint8_t type);

private:
    bool Open();
    // Sends `request` up to `tries` times until an answer of type `expected` comes.
    std::optional<Answer> Exchange(const Bytes& request, std::uint8_t sent, std::uint8_t expected);
    std::optional<Answer> Await(int waitMs, std::uint8_t expected);
    void Note(const std::string& line) const;

    ClientOptions m_options;
    std::string m_logPath;
    bool m_verbose = false;
    std::uint32_t m_xid = 0;
    int m_socket = -1;
    std::FILE* m_log = nullptr;
    Bytes m_buffer = Bytes(65508);
};

} // namespace devicesim
