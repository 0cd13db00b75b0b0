// Fuzzes the DHCP/BOOTP server's handling of a request: any datagram the server socket could read
// is screened and answered without a crash or a sanitizer report, and every reply is well formed:
// a BOOTP reply of 300 bytes, or a DHCP reply whose options, walked from offset 240, are whole
// and end with the end option at the reply's last byte.
#include "FuzzReply.h"

#include "core/dhcp/DhcpEngine.h"

#include <string>

using namespace corvane::dhcp;

namespace {

bool OptionsWellFormed(const std::vector<std::uint8_t>& reply)
{
    std::size_t i = 240;
    while (i < reply.size()) {
        if (reply[i] == 255) {
            return i + 1 == reply.size();
        }
        if (i + 1 >= reply.size() || i + 2 + reply[i + 1] > reply.size()) {
            return false;
        }
        i += 2 + reply[i + 1];
    }
    return false;
}

ServerSettings Settings()
{
    ServerSettings settings;
    for (int i = 0; i < 70; ++i) {
        settings.routers.push_back("10.0.0." + std::to_string(i));
    }
    settings.dns = {"8.8.8.8"};
    settings.netBios = {"10.0.0.9"};
    settings.domainName = std::string(300, 'd');
    settings.serverIP = "10.0.0.2";
    settings.leaseTime = -1;
    return settings;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > kRequestCapacity) {
        return 0; // the socket refuses longer datagrams
    }
    static const ServerSettings settings = Settings();
    const ClientEntry entry{1, 6, " 10.  0.  0. 10", "025A7E000001", " 10.  0.  0.  1", "255.255.255.  0"};
    const Screening screening = ScreenRequest(data, size);
    if (screening.verdict != Verdict::Accepted) {
        FUZZ_CHECK(screening.verdict == Verdict::Ignore || (size > 30 && data[0] != 1));
        return 0;
    }
    FUZZ_CHECK(screening.macText.size() == 12);
    static_cast<void>(ServerIdentifier(data, size));
    const Answer answer = BuildAnswer(data, size, entry, settings, Ipv4{10, 0, 0, 2});
    if (!answer.reply) {
        FUZZ_CHECK(!answer.status.empty());
        return 0;
    }
    const std::vector<std::uint8_t>& reply = answer.reply->bytes;
    FUZZ_CHECK(reply[0] == 2);
    if (answer.reply->kind == ReplyKind::Bootp) {
        FUZZ_CHECK(reply.size() == kBootpLength);
    } else {
        FUZZ_CHECK(reply[240] == 53 && reply[241] == 1 &&
                   reply[242] == (answer.reply->kind == ReplyKind::Offer ? 2 : 5));
        FUZZ_CHECK(OptionsWellFormed(reply));
    }
    return 0;
}
