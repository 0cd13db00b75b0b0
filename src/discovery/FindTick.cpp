#include "discovery/FindTick.h"

#include "link/CommandCodec.h"
#include "stores/PwdFDB.h"

std::optional<corvane::Datagram> CFindTick::Request(const corvane::MacAddress& mac, const std::string& key)
{
    CPwdFDB passwords;
    passwords.Load();
    const int index = passwords.FindMAC(key);
    if (index == -1) {
        return std::nullopt;
    }
    passwords.SetCurrent(index);
    const std::string id = passwords.GetID();
    const std::string password = passwords.GetPassword();
    return corvane::BuildFindRequest(mac, id, password);
}

int CFindTick::NextDots()
{
    if (m_nDots == kMaxDots) {
        m_nDots = 0;
    }
    return m_nDots++;
}
