#include "core/rules/ConfigChecks.h"

namespace corvane {

namespace {

bool IsZero(const Ipv4Address& ip)
{
    return ip == Ipv4Address{};
}

} // namespace

std::optional<PageMessage> CheckNetworkMode(const NetworkModeSettings& settings)
{
    const bool usesRemoteServer = settings.tcpMode != TcpMode::Server;
    if (usesRemoteServer && IsZero(settings.serverIp)) {
        return kMsgNoRemoteServerIp;
    }
    if (IsZero(settings.dataServerIp)) {
        return kMsgNoDataServerIp;
    }
    if (settings.notifierHours > kMaxNotifierHours ||
        (settings.notifierHours == kMaxNotifierHours && settings.notifierMinutes != 0)) {
        return kMsgNotifierTooLong;
    }
    const bool usesDevicePort = settings.tcpMode != TcpMode::Client;
    if ((usesDevicePort && settings.devicePort < kMinDevicePort) ||
        (usesRemoteServer && settings.serverPort < kMinDevicePort)) {
        return kMsgPortTooLow;
    }
    if ((usesDevicePort && settings.devicePort > kMaxDevicePort) ||
        (usesRemoteServer && settings.serverPort > kMaxDevicePort)) {
        return kMsgPortTooHigh;
    }
    return std::nullopt;
}

std::optional<PageMessage> CheckSerialTime(int serialTime)
{
    if (serialTime != kUnlimitedSerialTime && (serialTime > kMaxSerialTime || serialTime < kMinSerialTime)) {
        return kMsgSerialTimeOutOfRange;
    }
    return std::nullopt;
}

CredentialAnswer ConfirmAnswer(const ConfigReply& reply, bool verifying)
{
    if (!reply.ok) {
        return {verifying ? kMsgNotVerified : kMsgConfirmRefused, std::nullopt};
    }
    return {verifying ? kMsgVerified : kMsgConfirmed, std::make_pair(reply.id, reply.password)};
}

CredentialAnswer ChangeAnswer(const ConfigReply& reply, const std::string& newId, const std::string& newPassword)
{
    if (!reply.ok) {
        return {kMsgWrongPassword, std::nullopt};
    }
    if (reply.newId != newId || reply.newPassword != newPassword) {
        return {kMsgChangeMismatch, std::nullopt};
    }
    return {kMsgChangeDone, std::make_pair(reply.newId, reply.newPassword)};
}

std::optional<PageMessage> CheckPasswordFields(const PasswordFields& fields)
{
    const bool currentEmpty = fields.id.empty() || fields.password.empty();
    const bool newEmpty = fields.newId.empty() || fields.newPassword.empty() || fields.confirmation.empty();
    if (currentEmpty || (fields.changeMode && newEmpty)) {
        return kMsgEmptyField;
    }
    // Compared in both modes: what was typed for a change still has to match after unchecking it.
    if (fields.newPassword != fields.confirmation) {
        return kMsgNotConfirmed;
    }
    return std::nullopt;
}

} // namespace corvane
