#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The packet logic of the built-in DHCP/BOOTP server, free of any platform: what a request says,
// and the reply that the client table and the server settings give it. The IP Address page (and
// any other front end) reads the datagram, shows the status texts, looks the client up and sends
// what this builds.
namespace corvane::dhcp {

using Ipv4 = std::array<std::uint8_t, 4>;
using MacBytes = std::array<std::uint8_t, 6>;

inline constexpr std::uint16_t kServerPort = 67;
inline constexpr std::uint16_t kClientPort = 68;
// The largest request read; a longer datagram is a failed read. RFC 2131 lets clients send 576.
inline constexpr std::size_t kRequestCapacity = 576;
// A request is handled as if it were at least this long, the bytes past its end being zero.
inline constexpr std::size_t kBootpLength = 300;
// Only clients whose hardware address starts with these bytes are served.
inline constexpr std::array<std::uint8_t, 3> kServedPrefix{0x02, 0x5A, 0x7E};
// An option carries at most 255 bytes: 63 addresses, or a text of 255 characters.
inline constexpr int kMaxOptionAddresses = 63;
inline constexpr std::size_t kMaxOptionText = 255;

// Status texts, word for word.
inline constexpr const char* kStatusMonitoring = "Monitoring ....";
inline constexpr const char* kStatusInitiating = "DHCP Server Initiating..";
inline constexpr const char* kStatusListening = "Listening  DHCP request ....";
inline constexpr const char* kStatusStopped = "Stopped ..";
inline constexpr const char* kStatusReceiveError = "Socket error when receiving packets.. restart monitoring.";
inline constexpr const char* kStatusReceived = "Received..";
inline constexpr const char* kStatusNotRequest = "It's not a DHCP Socket.. Passing..";
inline constexpr const char* kStatusAccepted = "DHCP Socket Accepted..";
inline constexpr const char* kStatusNoHostName = "Can not get the host name!";
inline constexpr const char* kStatusNoHostIp = "Can not get the host ip!";
inline constexpr const char* kStatusWrongPacket = "Wrong DHCP Packet !!";
inline constexpr const char* kStatusOtherServer = "It was Request to other DHCP server! Packet Discarded...";

// "H/W ADDRESS , <MAC> , NOT FOUND .." (the whole text upper case).
std::string NotFoundText(const std::string& macText);
// "BootP reply sent... [ <ip> ]" and its send-error text.
std::string BootpSentText(const std::string& ip);
std::string BootpSendErrorText(const std::string& ip);
// "DHCP Offer sent... [ <ip> ]", "DHCP ACK sent... [ <ip> ]" and the DHCP send-error text.
std::string OfferSentText(const std::string& ip);
std::string AckSentText(const std::string& ip);
std::string DhcpSendErrorText(const std::string& ip);

// The server settings as the engine uses them ("adsvr.ini").
struct ServerSettings
{
    std::vector<std::string> routers;
    std::vector<std::string> dns;
    std::vector<std::string> netBios;
    std::string domainName;
    std::string serverIP;
    int leaseTime = 0; // seconds; -1 is unlimited
};

// One entry of the client table ("dhcp.ini").
struct ClientEntry
{
    int nHType = 0;
    int nHlen = 0;
    std::string ip;
    std::string mac;
    std::string gateway;
    std::string subnet;
};

// The table's key of a hardware address, twelve upper-case hexadecimal digits, two per byte:
// 02 5A 7E 0A 0B FF give 025A7E0A0BFF.
std::string MacToHex(const MacBytes& mac);
// The six bytes as two upper-case digits each, first byte first.
std::array<std::string, 6> MacParts(const MacBytes& mac);
// Dotted text to four bytes: cut at the first three dots, each part read as atoi does, low eight
// bits kept ("192.168.  1. 10" gives C0 A8 01 0A).
Ipv4 IpTextToBytes(const std::string& text);

// What the first look at a request decides.
enum class Verdict
{
    Ignore,     // not one of the served devices: dropped without a word
    NotRequest, // a served device, but op is not BOOTREQUEST
    Accepted,   // to be answered from the table
};
struct Screening
{
    Verdict verdict = Verdict::Ignore;
    MacBytes mac{};      // bytes 28-33
    std::string macText; // MacToHex(mac)
};
Screening ScreenRequest(const std::uint8_t* data, std::size_t length);

// The DHCP message type of a request: the value of option 53 found by walking the options, or
// the byte at offset 242 when the request has no option 53. 0 for a BOOTP request (no cookie).
int MessageType(const std::uint8_t* data, std::size_t length);
// The address of option 54 (server identifier), if the request carries a well-formed one.
std::optional<Ipv4> ServerIdentifier(const std::uint8_t* data, std::size_t length);

enum class ReplyKind
{
    Bootp,
    Offer,
    Ack,
};
struct Reply
{
    ReplyKind kind = ReplyKind::Bootp;
    std::vector<std::uint8_t> bytes; // to 255.255.255.255, port 68
    std::string sentText;            // shown once the reply is sent
    std::string sendErrorText;       // shown instead when it could not be sent
};
// Either a reply to send, or the status text that says why there is none.
struct Answer
{
    std::optional<Reply> reply;
    std::string status;
};

// The answer to an accepted request from the client's entry. `hostAddress` is the server's own
// address on the interface the request came in on: siaddr, and the server identifier (option 54,
// sent where a server address is stored) of an OFFER or ACK. Without one the answer is "Can not
// get the host ip!".
Answer BuildAnswer(const std::uint8_t* data, std::size_t length, const ClientEntry& entry,
                   const ServerSettings& settings, const std::optional<Ipv4>& hostAddress);

} // namespace corvane::dhcp
