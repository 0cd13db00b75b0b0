#pragma once

#include "core/link/ProtocolTypes.h"
#include "core/stores/MacHistoryFDB.h"

#include <array>
#include <string>

namespace corvane {

// The question asked before a device's IP is cleared: its caption and its text.
inline constexpr const char* kClearCaption = "IP Clear";
inline constexpr const char* kClearWarning = "You are to clear the IP from Device !!";

// The texts of the six MAC fields of the Find IP and Clear IP dialogs, first part first.
using MacPartTexts = std::array<std::string, 6>;

// True when any of the six texts is empty.
bool AnyMacPartEmpty(const MacPartTexts& parts);
// True when every text is one or two upper-case hexadecimal digits, so that it names one byte.
bool MacPartsAreHex(const MacPartTexts& parts);
// Each text converted with HexPairToInt (-1 for a text that is not hexadecimal).
MacBytes MacPartBytes(const MacPartTexts& parts);
// The bytes as a request carries them (a -1 goes out as 255).
MacAddress MacPartAddress(const MacPartTexts& parts);
// The password-store key: the six texts joined without separators ("0001A2B3C4D5").
std::string MacPartKey(const MacPartTexts& parts);
// A history byte as a MAC field shows it: "%2x" with the blank made "0", upper case (10 gives "0A").
std::string HistoryPartText(int value);

} // namespace corvane
