#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The stand-in's own byte and text helpers. They deliberately share nothing with the utility's
// codec, so that the two sides check each other.
namespace devicesim {

using Bytes = std::vector<std::uint8_t>;
using Mac = std::array<std::uint8_t, 6>;
using Ip4 = std::array<std::uint8_t, 4>;

// "00 11 22 ab": lower-case hex pairs separated by single blanks; empty for no bytes.
std::string HexLine(std::span<const std::uint8_t> bytes);
// "00:11:22:AB:CD:EF"
std::string MacToText(const Mac& mac);
// "10.0.0.5"
std::string IpToText(const Ip4& ip);
// A text shown in double quotes, with bytes outside printable ASCII as \xHH.
std::string Quoted(std::string_view text);
// "devicesim: <line>" on standard output or standard error, flushed at once.
void SayOut(const std::string& line);
void SayErr(const std::string& line);

// "00:11:22:33:44:55", "00-11-22-33-44-55" or "001122334455", either case.
bool ParseMac(std::string_view text, Mac& mac);
// Exactly four decimal octets 0 to 255 separated by dots.
bool ParseIp(std::string_view text, Ip4& ip);
// Decimal, or hexadecimal with a 0x prefix; fails above `max`.
bool ParseNumber(std::string_view text, std::uint64_t max, std::uint64_t& value);

// Big- and little-endian stores into a byte buffer that is already long enough.
void PutBigEndian16(Bytes& out, std::size_t offset, std::uint16_t value);
void PutLittleEndian(Bytes& out, std::size_t offset, std::uint64_t value, std::size_t width);
std::uint16_t GetBigEndian16(std::span<const std::uint8_t> in, std::size_t offset);

} // namespace devicesim
