#pragma once

#include <string>

namespace corvane {

// The decoded IP-find reply, handed from the Find IP dialog to the System Info dialog.
// The three numbers hold one reply byte each.
struct SysInfoRecord
{
    std::string m_strMac;
    std::string m_strBasePort;
    std::string m_strIP;
    int m_nTcpState = 0;
    std::string m_strCurPort;
    std::string m_strClientPort;
    std::string m_strClientMac;
    std::string m_strClientIP;
    std::string m_strServerMac;
    std::string m_strStateTimer;
    std::string m_strPowerOnTimer;
    int m_nIpMode = 0;
    int m_nTcpMode = 0;
    std::string m_strServerIP;
    std::string m_strServerPort;
    int m_nCurTcpMode = 0;
    std::string m_strRouter;

    bool operator==(const SysInfoRecord&) const = default;
};

} // namespace corvane
