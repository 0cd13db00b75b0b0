#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace corvane::dhcp {

inline constexpr const char* kMsgNoClientIp = "Input the client IP Addess !!";
inline constexpr const char* kMsgWrongClientIp = "Wrong IP Addess !!";
// The server answers with a default router, so it does not start without one.
inline constexpr const char* kMsgNoDefaultRouter = "There's no default router!! You must do server setting.";

// The check of a new client's address, as the Add dialog makes it: not 0.0.0.0, and neither a
// network nor a broadcast address in its last octet. The refusal's text, or nothing.
std::optional<std::string> CheckNewClient(const std::array<std::uint8_t, 4>& ip);

} // namespace corvane::dhcp
