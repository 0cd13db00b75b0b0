// Fuzzes the IP-find reply decoder: any datagram decodes without a crash or a sanitizer report, a
// datagram decodes as its first 210 bytes would, and only an "OK" from the MAC asked for is found.
#include "FuzzReply.h"

#include "core/link/CommandCodec.h"

#include <algorithm>
#include <span>

using namespace corvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> received(data, size);
    MacAddress own{};
    std::copy_n(data, std::min<std::size_t>(size, own.size()), own.begin());
    const FindReply asked = ParseFindReply(received, own);
    const FindReply other = ParseFindReply(received, MacAddress{0xFE, 0xED, 0xFA, 0xCE, 0x00, 0x01});

    FUZZ_CHECK((asked.outcome == FindOutcome::Refused) == !IsStatusOk(received));
    FUZZ_CHECK(asked.outcome != FindOutcome::OtherDevice);
    if (other.outcome == FindOutcome::Found) {
        FUZZ_CHECK(std::equal(own.begin(), own.end(), MacAddress{0xFE, 0xED, 0xFA, 0xCE, 0x00, 0x01}.begin()));
    }
    if (asked.outcome == FindOutcome::Found) {
        FUZZ_CHECK(asked.record.m_strIP == IpText(asked.ip));
        FUZZ_CHECK(asked.record.m_strMac.size() == 17);
    }
    const FindReply cut = ParseFindReply(received.first(std::min(size, kReplyBufferSize)), own);
    FUZZ_CHECK(cut.outcome == asked.outcome && cut.ip == asked.ip && cut.record == asked.record);
    return 0;
}
