#include "core/rules/ConfigChecks.h"

#include <gtest/gtest.h>

#include <optional>

namespace corvane {

void PrintTo(const PageMessage& message, std::ostream* out)
{
    *out << '"' << message.text << "\" / \"" << message.caption << '"';
}

} // namespace corvane

using namespace corvane;

namespace {

// Settings that pass in every TCP mode; each case spoils what it is about.
NetworkModeSettings Passing(TcpMode tcpMode)
{
    NetworkModeSettings s;
    s.notifierMinutes = 5;
    s.tcpMode = tcpMode;
    s.devicePort = 6001;
    s.serverIp = {10, 0, 0, 2};
    s.serverPort = 6001;
    s.dataServerIp = {10, 0, 0, 3};
    return s;
}

struct NetworkCase
{
    const char* name;
    NetworkModeSettings settings;
    std::optional<PageMessage> expected;
};

NetworkModeSettings With(TcpMode mode, void (*change)(NetworkModeSettings&))
{
    NetworkModeSettings s = Passing(mode);
    change(s);
    return s;
}

const NetworkCase kNetworkCases[] = {
    {"server_ignores_remote_server", With(TcpMode::Server, [](auto& s) { s.serverIp = {}, s.serverPort = 0; }),
     std::nullopt},
    {"server_needs_device_port", With(TcpMode::Server, [](auto& s) { s.devicePort = 1999; }), kMsgPortTooLow},
    {"client_ignores_device_port", With(TcpMode::Client, [](auto& s) { s.devicePort = 0; }), std::nullopt},
    {"client_needs_remote_ip", With(TcpMode::Client, [](auto& s) { s.serverIp = {}; }), kMsgNoRemoteServerIp},
    {"client_needs_remote_port", With(TcpMode::Client, [](auto& s) { s.serverPort = 1999; }), kMsgPortTooLow},
    {"both_need_remote_ip", With(TcpMode::ServerAndClient, [](auto& s) { s.serverIp = {}; }), kMsgNoRemoteServerIp},
    {"both_need_device_port", With(TcpMode::ServerAndClient, [](auto& s) { s.devicePort = 80; }), kMsgPortTooLow},
    {"both_need_remote_port", With(TcpMode::ServerAndClient, [](auto& s) { s.serverPort = 80; }), kMsgPortTooLow},
    {"ports_of_2000_pass", With(TcpMode::ServerAndClient, [](auto& s) { s.devicePort = s.serverPort = 2000; }),
     std::nullopt},
    {"ports_of_65535_pass", With(TcpMode::ServerAndClient, [](auto& s) { s.devicePort = s.serverPort = 65535; }),
     std::nullopt},
    {"device_port_past_65535", With(TcpMode::Server, [](auto& s) { s.devicePort = 65536; }), kMsgPortTooHigh},
    {"remote_port_past_65535", With(TcpMode::Client, [](auto& s) { s.serverPort = 70000; }), kMsgPortTooHigh},
    {"unused_port_is_not_checked", With(TcpMode::Server, [](auto& s) { s.serverPort = 70000; }), std::nullopt},
    {"data_server_needed_in_server_mode", With(TcpMode::Server, [](auto& s) { s.dataServerIp = {}; }),
     kMsgNoDataServerIp},
    {"notifier_0h00_passes", With(TcpMode::Server, [](auto& s) { s.notifierMinutes = 0; }), std::nullopt},
    {"notifier_6h00_passes", With(TcpMode::Server, [](auto& s) { s.notifierHours = 6, s.notifierMinutes = 0; }),
     std::nullopt},
    {"notifier_6h01_refused", With(TcpMode::Server, [](auto& s) { s.notifierHours = 6, s.notifierMinutes = 1; }),
     kMsgNotifierTooLong},
    {"notifier_7h00_refused", With(TcpMode::Server, [](auto& s) { s.notifierHours = 7, s.notifierMinutes = 0; }),
     kMsgNotifierTooLong},
    // Only the first failing check speaks, in this order.
    {"remote_ip_before_data_ip", With(TcpMode::Client, [](auto& s) { s.serverIp = s.dataServerIp = {}; }),
     kMsgNoRemoteServerIp},
    {"data_ip_before_notifier", With(TcpMode::Server, [](auto& s) { s.dataServerIp = {}, s.notifierHours = 7; }),
     kMsgNoDataServerIp},
    {"notifier_before_ports", With(TcpMode::Server, [](auto& s) { s.notifierHours = 9, s.devicePort = 0; }),
     kMsgNotifierTooLong},
};

class NetworkModeCheck : public ::testing::TestWithParam<NetworkCase>
{};

TEST_P(NetworkModeCheck, FirstFailingCheckSpeaks)
{
    EXPECT_EQ(CheckNetworkMode(GetParam().settings), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, NetworkModeCheck, ::testing::ValuesIn(kNetworkCases),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(SerialTimeCheck, TwoToOneHundredOrUnlimited)
{
    for (const int time : {2, 3, 50, 100, kUnlimitedSerialTime}) {
        EXPECT_EQ(CheckSerialTime(time), std::nullopt) << time;
    }
    for (const int time : {1, 0, 101, -2, 1000}) {
        EXPECT_EQ(CheckSerialTime(time), kMsgSerialTimeOutOfRange) << time;
    }
}

struct PasswordCase
{
    const char* name;
    PasswordFields fields;
    std::optional<PageMessage> expected;
};

const PasswordCase kPasswordCases[] = {
    {"confirm", {false, "abc", "pw", "", "", ""}, std::nullopt},
    {"confirm_without_id", {false, "", "pw", "", "", ""}, kMsgEmptyField},
    {"confirm_without_password", {false, "abc", "", "", "", ""}, kMsgEmptyField},
    // What was typed for a change is compared even after the box was unchecked.
    {"confirm_with_unmatched_new_password", {false, "abc", "pw", "", "new", "other"}, kMsgNotConfirmed},
    {"change", {true, "abc", "pw", "new", "secret", "secret"}, std::nullopt},
    {"change_without_new_id", {true, "abc", "pw", "", "secret", "secret"}, kMsgEmptyField},
    {"change_without_confirmation", {true, "abc", "pw", "new", "secret", ""}, kMsgEmptyField},
    {"change_without_current_password", {true, "abc", "", "new", "secret", "secret"}, kMsgEmptyField},
    {"change_confirmation_differs_in_case", {true, "abc", "pw", "new", "secret", "Secret"}, kMsgNotConfirmed},
};

class PasswordCheck : public ::testing::TestWithParam<PasswordCase>
{};

TEST_P(PasswordCheck, FirstFailingCheckSpeaks)
{
    EXPECT_EQ(CheckPasswordFields(GetParam().fields), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, PasswordCheck, ::testing::ValuesIn(kPasswordCases),
                         [](const auto& row) { return std::string(row.param.name); });

// What an answer about credentials says, and what it records.
TEST(CredentialAnswers, OnlyWhatTheDeviceTakesIsRecorded)
{
    using Record = std::optional<std::pair<std::string, std::string>>;
    ConfigReply reply;
    reply.id = "abc";
    reply.password = "pw";
    reply.newId = "new";
    reply.newPassword = "secret";
    struct Case
    {
        const char* name;
        bool ok;
        CredentialAnswer (*answer)(const ConfigReply&);
        PageMessage message;
        Record record;
    };
    const Case cases[] = {
        {"confirmed", true, [](const ConfigReply& r) { return ConfirmAnswer(r, false); }, kMsgConfirmed,
         Record{{"abc", "pw"}}},
        {"confirmation refused", false, [](const ConfigReply& r) { return ConfirmAnswer(r, false); },
         kMsgConfirmRefused, std::nullopt},
        {"verified", true, [](const ConfigReply& r) { return ConfirmAnswer(r, true); }, kMsgVerified,
         Record{{"abc", "pw"}}},
        {"not verified", false, [](const ConfigReply& r) { return ConfirmAnswer(r, true); }, kMsgNotVerified,
         std::nullopt},
        {"changed", true, [](const ConfigReply& r) { return ChangeAnswer(r, "new", "secret"); }, kMsgChangeDone,
         Record{{"new", "secret"}}},
        {"change refused", false, [](const ConfigReply& r) { return ChangeAnswer(r, "new", "secret"); },
         kMsgWrongPassword, std::nullopt},
        {"another ID reported", true, [](const ConfigReply& r) { return ChangeAnswer(r, "newer", "secret"); },
         kMsgChangeMismatch, std::nullopt},
        {"another password reported", true, [](const ConfigReply& r) { return ChangeAnswer(r, "new", "Secret"); },
         kMsgChangeMismatch, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        reply.ok = c.ok;
        const CredentialAnswer answer = c.answer(reply);
        EXPECT_EQ(answer.message, c.message);
        EXPECT_EQ(answer.record, c.record);
    }
}

} // namespace
