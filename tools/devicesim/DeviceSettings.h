#pragma once

#include "Wire.h"

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace devicesim {

// How a device misbehaves when it answers. The request is still carried out (a cleared IP
// stays cleared); only the reply is spoiled, as if it were lost or corrupted on the way.
enum class Behaviour
{
    Normal,
    Refuse,    // every request is refused, whatever ID and password it carries
    WrongCode, // the reply's command code is the complement of the request's
    OtherMac,  // bytes 0-5 of the reply hold another device's MAC
    Silent,    // no reply at all
    Oversize,  // the reply padded with zeros to 300 bytes (or size=N)
    Garbage,   // 1 to 22 bytes of noise instead of the reply
    Empty,     // a zero-length datagram
};

// One device server as the stand-in plays it: identity, what a find reply reports, the settings
// the configuration requests change, and how it misbehaves.
struct DeviceSettings
{
    Mac mac{0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
    std::string id;       // at most 8 characters
    std::string password; // at most 8 characters
    Ip4 ip{10, 0, 0, 10};
    Ip4 router{10, 0, 0, 1};

    // System information of the find reply.
    std::uint16_t basePort = 6001;
    std::uint8_t tcpState = 1; // 1 listen, else connect
    std::uint16_t curPort = 6001;
    std::uint16_t clientPort = 0;
    Mac clientMac{};
    Ip4 clientIp{};
    Mac serverMac{};
    Ip4 serverIp{};
    std::uint16_t serverPort = 0;
    std::uint32_t stateTimer = 0;         // ticks of 5675 ns
    std::optional<std::uint64_t> powerOn; // 40-bit ticks; unset: counts from the stand-in's start
    std::uint8_t mode = 5;                // static IP, TCP server
    std::uint8_t curMode = 1;             // 1 server, 2 client

    // Kept from network-mode and serial requests; not part of the find reply.
    std::uint8_t notifier = 1;
    Ip4 dataServerIp{};
    std::uint16_t divisor = 12;     // 9600 baud
    std::uint8_t lineFormat = 0x03; // 8 data bits, no parity, 1 stop bit
    std::uint8_t flow = 1;          // none
    std::uint16_t serialTime = 10;

    Behaviour behaviour = Behaviour::Normal;
    unsigned delayMs = 0;
    bool answerAny = false;          // answers requests for any MAC, with its own MAC
    std::optional<Mac> otherMac;     // for other-mac; unset: own MAC with the last bit flipped
    std::optional<std::size_t> size; // the reply padded with zeros or cut to this many bytes
    std::bitset<256> mute;           // commands carried out but never answered
};

} // namespace devicesim
