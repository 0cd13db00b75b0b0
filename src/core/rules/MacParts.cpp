#include "core/rules/MacParts.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace corvane {

namespace {

bool IsUpperHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

} // namespace

bool AnyMacPartEmpty(const MacPartTexts& parts)
{
    return std::any_of(parts.begin(), parts.end(), [](const std::string& part) { return part.empty(); });
}

bool MacPartsAreHex(const MacPartTexts& parts)
{
    return std::all_of(parts.begin(), parts.end(), [](const std::string& part) {
        return !part.empty() && part.size() <= 2 && std::all_of(part.begin(), part.end(), IsUpperHexDigit);
    });
}

MacBytes MacPartBytes(const MacPartTexts& parts)
{
    MacBytes bytes{};
    std::transform(parts.begin(), parts.end(), bytes.begin(), HexPairToInt);
    return bytes;
}

MacAddress MacPartAddress(const MacPartTexts& parts)
{
    const MacBytes bytes = MacPartBytes(parts);
    MacAddress mac{};
    std::transform(bytes.begin(), bytes.end(), mac.begin(), [](int b) { return static_cast<std::uint8_t>(b); });
    return mac;
}

std::string MacPartKey(const MacPartTexts& parts)
{
    std::string key;
    for (const std::string& part : parts) {
        key += part;
    }
    return key;
}

std::string HistoryPartText(int value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%2x", static_cast<unsigned>(value));
    std::string shown(text);
    std::replace(shown.begin(), shown.end(), ' ', '0');
    std::transform(shown.begin(), shown.end(), shown.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return shown;
}

} // namespace corvane
