#include "cli/ResultPrinter.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cstdio>

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

QJsonObject InfoObject(const corvane::SysInfoRecord& r)
{
    QJsonObject info;
    info[QStringLiteral("mac")] = Q(r.m_strMac);
    info[QStringLiteral("ip")] = Q(r.m_strIP);
    info[QStringLiteral("base_port")] = Q(r.m_strBasePort);
    info[QStringLiteral("router")] = Q(r.m_strRouter);
    info[QStringLiteral("ip_mode")] = Q(corvane::IpSetupModeText(r.m_nIpMode));
    info[QStringLiteral("tcp_mode")] = Q(corvane::TcpModeSetupText(r.m_nIpMode, r.m_nTcpMode));
    info[QStringLiteral("tcp_state")] = Q(corvane::CurrentTcpStateText(r.m_nTcpState));
    info[QStringLiteral("current_tcp_mode")] = Q(corvane::CurrentTcpModeText(r.m_nCurTcpMode));
    info[QStringLiteral("current_port")] = Q(r.m_strCurPort);
    info[QStringLiteral("client_port")] = Q(r.m_strClientPort);
    info[QStringLiteral("client_mac")] = Q(r.m_strClientMac);
    info[QStringLiteral("client_ip")] = Q(r.m_strClientIP);
    info[QStringLiteral("server_mac")] = Q(r.m_strServerMac);
    info[QStringLiteral("server_ip")] = Q(r.m_strServerIP);
    info[QStringLiteral("server_port")] = Q(r.m_strServerPort);
    info[QStringLiteral("state_timer")] = Q(r.m_strStateTimer);
    info[QStringLiteral("power_on_timer")] = Q(r.m_strPowerOnTimer);
    return info;
}

} // namespace

const char* OutcomeName(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Ok:
        return "ok";
    case Outcome::Refused:
        return "refused";
    case Outcome::NoAnswer:
        return "no-answer";
    case Outcome::Unexpected:
        return "unexpected";
    case Outcome::NotRecorded:
        return "not-recorded";
    case Outcome::Invalid:
        return "invalid";
    }
    return "?";
}

int CResultPrinter::ExitStatus(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Ok:
        return 0;
    case Outcome::Invalid:
        return 2;
    default:
        return 1;
    }
}

void CResultPrinter::Print(const ExchangeResult& result) const
{
    const bool ok = result.outcome == Outcome::Ok;
    if (m_bQuiet && ok) {
        return;
    }
    std::FILE* out = ok ? stdout : stderr;
    if (m_bJson) {
        QJsonObject object;
        if (result.line > 0) {
            object[QStringLiteral("line")] = result.line;
        }
        object[QStringLiteral("mac")] = Q(result.mac);
        object[QStringLiteral("command")] = Q(result.command);
        object[QStringLiteral("result")] = QString::fromLatin1(OutcomeName(result.outcome));
        object[QStringLiteral("ok")] = ok;
        object[QStringLiteral("message")] = Q(result.message);
        object[QStringLiteral("caption")] = Q(result.caption);
        object[QStringLiteral("seconds")] = result.seconds;
        if (result.found) {
            object[QStringLiteral("ip")] = Q(corvane::IpText(result.found->ip));
            object[QStringLiteral("info")] = InfoObject(result.found->record);
        }
        // Results go to stdout as one stream of objects, whatever their outcome.
        std::fprintf(stdout, "%s\n", QJsonDocument(object).toJson(QJsonDocument::Compact).constData());
        std::fflush(stdout);
        return;
    }
    std::string text;
    if (result.line > 0) {
        text += "line " + std::to_string(result.line) + ": ";
    }
    text += result.mac + " " + result.command + ": " + result.message;
    if (!result.caption.empty() && !ok) {
        text += " (" + result.caption + ")";
    }
    std::fprintf(out, "%s\n", text.c_str());
    if (ok && result.found) {
        const corvane::SysInfoRecord& r = result.found->record;
        std::fprintf(out, "  Base Port %s, Router %s, %s, %s, Server %s:%s, Power On %s\n", r.m_strBasePort.c_str(),
                     r.m_strRouter.c_str(), corvane::IpSetupModeText(r.m_nIpMode).c_str(),
                     corvane::TcpModeSetupText(r.m_nIpMode, r.m_nTcpMode).c_str(), r.m_strServerIP.c_str(),
                     r.m_strServerPort.c_str(), r.m_strPowerOnTimer.c_str());
    }
    std::fflush(out);
}

void CResultPrinter::Note(const std::string& text) const
{
    if (m_bQuiet) {
        return;
    }
    if (m_bJson) {
        QJsonObject object;
        object[QStringLiteral("message")] = Q(text);
        std::fprintf(stdout, "%s\n", QJsonDocument(object).toJson(QJsonDocument::Compact).constData());
    } else {
        std::fprintf(stdout, "%s\n", text.c_str());
    }
    std::fflush(stdout);
}

void CResultPrinter::Error(const std::string& text)
{
    std::fprintf(stderr, "corvane-cli: %s\n", text.c_str());
}
