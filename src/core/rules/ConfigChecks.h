#pragma once

#include "core/link/CommandCodec.h"
#include "core/link/ConfigCodec.h"
#include "core/link/ProtocolTypes.h"

#include <optional>
#include <string>
#include <utility>

namespace corvane {

// A message the configuration pages show: its text and its caption (empty: the application name).
struct PageMessage
{
    std::string text;
    std::string caption;

    bool operator==(const PageMessage&) const = default;
};

// What the three configuration pages say, word for word.
inline const PageMessage kMsgMacAllZero{"Input the MAC address.  Now is 00:00:00:00:00:00 !!", "Alert"};
inline const PageMessage kMsgNoCredentials{"You must set the ID and Password !!", "Warning"};
inline const PageMessage kMsgWrongPassword{"Wrong Password!!", "Error!!"};

inline const PageMessage kMsgNoRemoteServerIp{"Input the Remote Server IP address.  Now is 0.0.0.0!!", "Alert"};
inline const PageMessage kMsgNoDataServerIp{"Input the Data Server IP address.  Now is 0.0.0.0!!", "Alert"};
inline const PageMessage kMsgNotifierTooLong{"Out of Range - The maximum notifier time is 6 hours !!", "Alert"};
inline const PageMessage kMsgPortTooLow{"The Port must be bigger than 2000!!", "Alert"};
// A port number past 65535 would reach the device as another port.
inline const PageMessage kMsgPortTooHigh{"The Port must be smaller than 65536!!", "Alert"};
inline const PageMessage kMsgNetworkModeDone{"System Configuration Setting Completed !!", "Done!!"};

inline const PageMessage kMsgSerialTimeOutOfRange{"The time is out of range(2-100).", "Check!!"};
inline const PageMessage kMsgSerialDone{"Serial Setting Completed !!", "Done!!"};

inline const PageMessage kMsgEmptyField{"There is an EMPTY field !!", "Warnning!"};
inline const PageMessage kMsgNotConfirmed{"The password was not correctly confirmed. Please ensure that the password "
                                          "and confirmation match exactly.",
                                          "Check!!"};
inline const PageMessage kMsgConfirmed{"Id & Password confirmed.", "Confirm"};
inline const PageMessage kMsgConfirmRefused{"Wrong Password.", "Warning"};
inline const PageMessage kMsgNoResponse{"There's No Response !!", "Failure!"};
inline const PageMessage kMsgChangeDone{"Password Setting Completed!!", "Done!!"};
inline const PageMessage kMsgChangeMismatch{"Password Setting failed.!!", "Fatal!!"};
inline const PageMessage kMsgSocketError{"socket error", ""};
inline const PageMessage kMsgVerified{"Password has Changed !!", "CHECK!!"};
inline const PageMessage kMsgNotVerified{"Password has NOT Changed!!", "CHECK!!"};
inline const PageMessage kMsgVerifyNoResponse{"Password Setting Failed! \nThere's No Response !!", "Failure!"};

// Ports the device uses must be at least this.
inline constexpr int kMinDevicePort = 2000;
inline constexpr int kMaxDevicePort = 65535;
// The serial time the operator may enter, and the value that stands for "unlimited".
inline constexpr int kMinSerialTime = 2;
inline constexpr int kMaxSerialTime = 100;
inline constexpr int kUnlimitedSerialTime = -1;
// The longest notifier interval, in hours (and no minutes more).
inline constexpr int kMaxNotifierHours = 6;

// The Network Mode page's own checks, in their order, after the MAC: the first that fails, or
// nothing when the settings may be sent.
std::optional<PageMessage> CheckNetworkMode(const NetworkModeSettings& settings);

// The Serial page's check of its time (kUnlimitedSerialTime passes).
std::optional<PageMessage> CheckSerialTime(int serialTime);

// What the Password page holds when Send is pressed.
struct PasswordFields
{
    bool changeMode = false;
    std::string id;
    std::string password;
    std::string newId;
    std::string newPassword;
    std::string confirmation;
};

// The Password page's own checks, in their order, after the MAC.
std::optional<PageMessage> CheckPasswordFields(const PasswordFields& fields);

// What an answer about an ID and password means: what the operator is told, and the ID and
// password to record under the MAC the device answered with, if any.
struct CredentialAnswer
{
    PageMessage message;
    std::optional<std::pair<std::string, std::string>> record;
};
// A confirmation answer (a confirmation of its own, or the verification of a change): what the
// device echoed is what it takes.
CredentialAnswer ConfirmAnswer(const ConfigReply& reply, bool verifying);
// The change's own answer: taken only when the device reports the new ID and password asked for.
CredentialAnswer ChangeAnswer(const ConfigReply& reply, const std::string& newId, const std::string& newPassword);

} // namespace corvane
