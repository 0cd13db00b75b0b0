#pragma once

#include "core/link/ProtocolTypes.h"

#include <initializer_list>

// A datagram written out byte by byte, as the golden examples are.
inline corvane::Datagram Hex(std::initializer_list<int> bytes)
{
    corvane::Datagram out;
    for (int b : bytes) {
        out.push_back(static_cast<std::uint8_t>(b));
    }
    return out;
}

// The device every codec example talks to: 00:11:22:33:44:55.
inline constexpr corvane::MacAddress kExampleMac{0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
