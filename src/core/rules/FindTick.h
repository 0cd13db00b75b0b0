#pragma once

#include "core/link/ProtocolTypes.h"

#include <optional>
#include <string>

// One tick of an IP find, as the Find IP dialog and the command line run it: the ID and password
// remembered for the MAC are read from "pwd.ini" again, and the request is built with them; the
// dots of the status line count the requests sent, five at most.
class CFindTick final
{
public:
    // The period between two requests and the pause after each send.
    static constexpr int kFindPeriodMs = 1000;
    static constexpr int kSendPauseMs = 100;
    static constexpr int kMaxDots = 5;

    // The request of this tick for `mac`, whose key in the password store is `key`; nothing when
    // the store holds no ID and password for it ("You must set the ID and Password !!").
    static std::optional<corvane::Datagram> Request(const corvane::MacAddress& mac, const std::string& key);

    // The dots shown after this tick's request; counts the request.
    int NextDots();
    // A new search starts with no dots.
    void Reset() { m_nDots = 0; }

private:
    int m_nDots = 0;
};
