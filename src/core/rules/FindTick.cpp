#include "core/rules/FindTick.h"

#include "core/link/CommandCodec.h"
#include "core/stores/PwdFDB.h"

std::optional<corvane::Datagram> CFindTick::Request(const corvane::MacAddress& mac, const std::string& key)
{
    const std::optional<CPwdFDB::Credentials> credentials = CPwdFDB::Lookup(key);
    if (!credentials) {
        return std::nullopt;
    }
    return corvane::BuildFindRequest(mac, credentials->id, credentials->password);
}

int CFindTick::NextDots()
{
    if (m_nDots == kMaxDots) {
        m_nDots = 0;
    }
    return m_nDots++;
}
