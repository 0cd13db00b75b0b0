// Fuzzes the IP-clear reply decoder: any datagram decodes without a crash or a sanitizer report,
// only a reply with the IP-clear command code counts, and only with "OK" as cleared.
#include "FuzzReply.h"

#include "core/link/CommandCodec.h"

#include <span>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> received(data, size);
    const ClearOutcome outcome = ParseClearReply(received);
    const bool clearReply = size > 22 && data[22] == kCmdClearIp;
    FUZZ_CHECK((outcome == ClearOutcome::NotClearReply) == !clearReply);
    if (clearReply) {
        FUZZ_CHECK((outcome == ClearOutcome::Cleared) == IsStatusOk(received));
    }
    return 0;
}
