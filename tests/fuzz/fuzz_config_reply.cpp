// Fuzzes the configuration reply decoder: any datagram decodes without a crash or a sanitizer
// report, no text field runs past the datagram or past 8 characters or holds a zero byte, and
// the status is "OK" exactly when bytes 23 and 24 say so.
#include "FuzzReply.h"

#include "core/link/ConfigCodec.h"

#include <algorithm>
#include <span>
#include <string>

using namespace corvane;

namespace {

bool FitsAt(const std::string& text, std::span<const std::uint8_t> received, std::size_t offset)
{
    if (text.size() > 8 || text.find('\0') != std::string::npos) {
        return false;
    }
    if (text.empty()) {
        return true;
    }
    return offset + text.size() <= received.size() &&
           std::equal(text.begin(), text.end(), received.begin() + static_cast<std::ptrdiff_t>(offset),
                      [](char c, std::uint8_t byte) { return static_cast<std::uint8_t>(c) == byte; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> received(data, size);
    const ConfigReply reply = ParseConfigReply(received);
    const auto read = received.first(std::min(size, kReplyBufferSize));
    FUZZ_CHECK(reply.command == (size > 22 ? data[22] : 0));
    FUZZ_CHECK(reply.ok == (size > 24 && data[23] == 'O' && data[24] == 'K'));
    FUZZ_CHECK(FitsAt(reply.id, read, 6));
    FUZZ_CHECK(FitsAt(reply.password, read, 14));
    FUZZ_CHECK(FitsAt(reply.newId, read, 25));
    FUZZ_CHECK(FitsAt(reply.newPassword, read, 33));
    return 0;
}
