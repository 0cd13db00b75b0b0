#pragma once

#include "core/link/ProtocolTypes.h"
#include "core/link/SysInfoRecord.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace corvane {

// Writes the 23-byte command header (target MAC, ID, password, command code) at the start of
// `request`, which must already hold at least 23 bytes.
void BuildCommandHeader(Datagram& request, const MacAddress& mac, std::string_view id, std::string_view password,
                        std::uint8_t command);

// Writes a text field of a request: the text's bytes, zero-padded (or cut) to 8 bytes.
void PutTextField(Datagram& request, std::size_t offset, std::string_view text);

Datagram BuildFindRequest(const MacAddress& mac, std::string_view id, std::string_view password);
Datagram BuildClearRequest(const MacAddress& mac, std::string_view id, std::string_view password);

enum class FindOutcome
{
    Refused,
    OtherDevice,
    Found,
};

struct FindReply
{
    FindOutcome outcome = FindOutcome::Refused;
    Ipv4Address ip{};
    SysInfoRecord record;
};

// Decodes an IP-find reply against the MAC that was asked for. Only the first 210 bytes of
// `received` count; fields beyond its end read as zero.
FindReply ParseFindReply(std::span<const std::uint8_t> received, const MacAddress& target);

enum class ClearOutcome
{
    NotClearReply,
    Cleared,
    Refused,
};

ClearOutcome ParseClearReply(std::span<const std::uint8_t> received);

// True when the reply status at offset 23 starts with the two characters "OK" (case-sensitive).
bool IsStatusOk(std::span<const std::uint8_t> received);

// Text helpers shared by the decoders and the System Info dialog.
std::string MacText(const MacAddress& mac);
// The key of a MAC in the password store and the DHCP client table: twelve upper-case hexadecimal
// digits ("0001A2B3C4D5").
std::string MacKey(const MacAddress& mac);
std::string IpText(const Ipv4Address& ip);
std::string PortText(std::uint8_t high, std::uint8_t low);
// TCP state timer: ticks of 5675 ns to whole milliseconds.
std::uint64_t StateTimerMilliseconds(std::uint32_t ticks);
std::string StateTimerText(std::uint32_t ticks);
// Power-on timer: a 40-bit tick count to whole seconds, shown as "%d (m) %d (s)".
std::uint64_t PowerOnSeconds(std::uint64_t ticks);
std::string PowerOnTimerText(std::uint64_t ticks);

// Texts of the mode bytes as the System Info dialog shows them.
std::string IpSetupModeText(int ipMode);
std::string TcpModeSetupText(int ipMode, int tcpMode);
std::string CurrentTcpStateText(int tcpState);
std::string CurrentTcpModeText(int curTcpMode);

} // namespace corvane
