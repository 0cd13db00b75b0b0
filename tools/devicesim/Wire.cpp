#include "Wire.h"

#include <cstdio>

namespace devicesim {

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

std::string HexLine(std::span<const std::uint8_t> bytes)
{
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string line;
    line.reserve(bytes.size() * 3);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i > 0) {
            line += ' ';
        }
        line += kDigits[bytes[i] >> 4];
        line += kDigits[bytes[i] & 0x0F];
    }
    return line;
}

std::string MacToText(const Mac& mac)
{
    char text[18];
    std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
    return text;
}

std::string IpToText(const Ip4& ip)
{
    char text[16];
    std::snprintf(text, sizeof text, "%u.%u.%u.%u", ip[0], ip[1], ip[2], ip[3]);
    return text;
}

std::string Quoted(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte >= 0x7F || c == '"' || c == '\\') {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
    return out;
}

bool ParseMac(std::string_view text, Mac& mac)
{
    std::string digits;
    if (text.size() == 17) {
        const char sep = text[2];
        if (sep != ':' && sep != '-') {
            return false;
        }
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (i % 3 == 2) {
                if (text[i] != sep) {
                    return false;
                }
            } else {
                digits += text[i];
            }
        }
    } else if (text.size() == 12) {
        digits = text;
    } else {
        return false;
    }
    for (std::size_t i = 0; i < mac.size(); ++i) {
        const int high = HexDigit(digits[2 * i]);
        const int low = HexDigit(digits[2 * i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        mac[i] = static_cast<std::uint8_t>(high * 16 + low);
    }
    return true;
}

bool ParseIp(std::string_view text, Ip4& ip)
{
    std::size_t pos = 0;
    for (std::size_t octet = 0; octet < ip.size(); ++octet) {
        if (octet > 0) {
            if (pos >= text.size() || text[pos] != '.') {
                return false;
            }
            ++pos;
        }
        unsigned value = 0;
        std::size_t digits = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 3) {
            value = value * 10 + static_cast<unsigned>(text[pos] - '0');
            ++pos;
            ++digits;
        }
        if (digits == 0 || value > 255) {
            return false;
        }
        ip[octet] = static_cast<std::uint8_t>(value);
    }
    return pos == text.size();
}

bool ParseNumber(std::string_view text, std::uint64_t max, std::uint64_t& value)
{
    unsigned base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) {
        return false;
    }
    std::uint64_t result = 0;
    for (const char c : text) {
        const int digit = HexDigit(c);
        if (digit < 0 || static_cast<unsigned>(digit) >= base) {
            return false;
        }
        if (static_cast<std::uint64_t>(digit) > max || result > (max - static_cast<unsigned>(digit)) / base) {
            return false;
        }
        result = result * base + static_cast<unsigned>(digit);
    }
    value = result;
    return true;
}

void PutBigEndian16(Bytes& out, std::size_t offset, std::uint16_t value)
{
    out[offset] = static_cast<std::uint8_t>(value >> 8);
    out[offset + 1] = static_cast<std::uint8_t>(value & 0xFF);
}

void PutLittleEndian(Bytes& out, std::size_t offset, std::uint64_t value, std::size_t width)
{
    for (std::size_t i = 0; i < width; ++i) {
        out[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

std::uint16_t GetBigEndian16(std::span<const std::uint8_t> in, std::size_t offset)
{
    return static_cast<std::uint16_t>(in[offset] << 8 | in[offset + 1]);
}

void SayOut(const std::string& line)
{
    std::fprintf(stdout, "devicesim: %s\n", line.c_str());
    std::fflush(stdout);
}

void SayErr(const std::string& line)
{
    std::fprintf(stderr, "devicesim: %s\n", line.c_str());
    std::fflush(stderr);
}

} // namespace devicesim
