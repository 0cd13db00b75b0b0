#include "cli/DeviceExchange.h"

#include "cli/CliStores.h"
#include "core/link/CommandCodec.h"
#include "core/link/ConfigCodec.h"

#include <sys/socket.h>

#include <array>
#include <span>

CDeviceExchange::CDeviceExchange(DeviceJob job, ExchangeOptions options, QObject* parent)
    : QObject(parent), m_job(std::move(job)), m_options(std::move(options))
{
    m_result.mac = corvane::MacText(m_job.mac);
    m_result.line = m_job.line;
    m_tick.setTimerType(Qt::PreciseTimer);
    m_deadline.setTimerType(Qt::PreciseTimer);
    m_deadline.setSingleShot(true);
    connect(&m_tick, &QTimer::timeout, this, &CDeviceExchange::OnTick);
    connect(&m_deadline, &QTimer::timeout, this, &CDeviceExchange::OnDeadline);
}

CDeviceExchange::~CDeviceExchange() = default;

void CDeviceExchange::Start()
{
    m_clock.start();
    if (m_job.steps.empty()) {
        m_result.command = "none";
        Finish(Outcome::Ok, {"nothing to do", ""});
        return;
    }
    auto socket = std::make_unique<CClientSocket>();
    if (!socket->Create(0)) {
        m_result.command = StepName(Step());
        Finish(Outcome::Refused, corvane::kMsgSocketError);
        return;
    }
    socket->SetOwner(this);
    if (m_options.destination.isEmpty()) {
        socket->SetSockOpt(SO_BROADCAST, 1);
    } else {
        socket->Connect(m_options.destination, corvane::kDevicePort);
    }
    m_pSocket = std::move(socket);
    // The change of an ID and password is bounded by its own sequence of verifications.
    const bool bounded = m_job.steps.size() == 1 && Step() == StepKind::Passwd;
    if (!bounded) {
        m_deadline.start(m_options.timeoutMs);
    }
    BeginStep();
}

void CDeviceExchange::Send(const corvane::Datagram& request)
{
    const auto length = static_cast<qint64>(request.size());
    if (m_options.destination.isEmpty()) {
        m_pSocket->SendTo(request.data(), length, corvane::kDevicePort);
    } else {
        m_pSocket->Send(request.data(), length);
    }
}

bool CDeviceExchange::Credentials(std::string& id, std::string& password)
{
    const auto stored = CCliStores::Credentials(corvane::MacKey(m_job.mac));
    if (!stored) {
        Finish(Outcome::Refused, corvane::kMsgNoCredentials);
        return false;
    }
    id = stored->first;
    password = stored->second;
    return true;
}

void CDeviceExchange::BeginStep()
{
    m_result.command = StepName(Step());
    m_bVerifying = false;
    // As the dialogs and pages do once their checks have passed.
    CCliStores::QueueMac(m_job.mac);
    std::string id;
    std::string password;
    switch (Step()) {
    case StepKind::Find: {
        m_findTick.Reset();
        OnTick();
        if (!m_bFinished) {
            m_tick.start(CFindTick::kFindPeriodMs);
        }
        return;
    }
    case StepKind::Clear:
        if (Credentials(id, password)) {
            Send(corvane::BuildClearRequest(m_job.mac, id, password));
        }
        return;
    case StepKind::Login:
        Send(corvane::BuildConfirmRequest(m_job.mac, m_job.id, m_job.password));
        return;
    case StepKind::Passwd:
        if (Credentials(id, password)) {
            Send(corvane::BuildChangeRequest(m_job.mac, id, password, m_job.newId, m_job.newPassword));
            m_verification.Start();
            m_tick.start(CChangeVerification::kAnswerWaitMs);
        }
        return;
    case StepKind::NetMode:
        if (Credentials(id, password)) {
            Send(corvane::BuildNetworkModeRequest(m_job.mac, id, password, m_job.netMode));
        }
        return;
    case StepKind::Serial:
        if (Credentials(id, password)) {
            Send(corvane::BuildSerialRequest(m_job.mac, id, password, m_job.serial));
        }
        return;
    }
}

void CDeviceExchange::NextStep()
{
    m_tick.stop();
    if (++m_nStep >= m_job.steps.size()) {
        End();
        return;
    }
    BeginStep();
}

void CDeviceExchange::End()
{
    m_tick.stop();
    m_deadline.stop();
    m_bFinished = true;
    m_result.seconds = static_cast<double>(m_clock.nsecsElapsed()) / 1e9;
    if (m_pSocket) {
        m_pSocket->Close();
    }
    emit finished();
}

void CDeviceExchange::Finish(Outcome outcome, const corvane::PageMessage& message)
{
    m_result.outcome = outcome;
    m_result.message = message.text;
    m_result.caption = message.caption;
    if (outcome == Outcome::Ok) {
        NextStep();
        return;
    }
    End();
}

void CDeviceExchange::OnTick()
{
    if (m_bFinished) {
        return;
    }
    if (Step() == StepKind::Find) {
        // The store is read again at every tick, as the Find IP dialog reads it.
        const std::optional<corvane::Datagram> request = CFindTick::Request(m_job.mac, corvane::MacKey(m_job.mac));
        if (!request) {
            Finish(Outcome::Refused, corvane::kMsgNoCredentials);
            return;
        }
        Send(*request);
        m_findTick.NextDots();
        return;
    }
    if (Step() == StepKind::Passwd) {
        if (!m_verification.Next()) {
            Finish(Outcome::NoAnswer, corvane::kMsgVerifyNoResponse);
            return;
        }
        m_bVerifying = true;
        Send(corvane::BuildConfirmRequest(m_job.mac, m_job.newId, m_job.newPassword));
        m_tick.start(CChangeVerification::kVerifyPeriodMs);
    }
}

void CDeviceExchange::OnDeadline()
{
    // An answer that is being recorded has come in time.
    if (m_bFinished || m_bRecording) {
        return;
    }
    const double seconds = m_options.timeoutMs / 1000.0;
    char text[96];
    std::snprintf(text, sizeof text, "No answer within %g s; gave up", seconds);
    Finish(Outcome::NoAnswer, {text, ""});
}

long CDeviceExchange::OnReceiveReply()
{
    std::array<std::uint8_t, corvane::kReplyBufferSize> buffer{};
    const qint64 received = m_pSocket ? m_pSocket->Receive(buffer.data(), static_cast<qint64>(buffer.size())) : -1;
    if (received < 0 || m_bFinished || m_bRecording) {
        // A failed read leaves the exchange waiting, as in the window.
        return 1;
    }
    switch (Step()) {
    case StepKind::Find:
        HandleFind(buffer.data());
        break;
    case StepKind::Clear:
        HandleClear(buffer.data());
        break;
    default:
        HandleConfig(corvane::ParseConfigReply(std::span(buffer.data(), static_cast<std::size_t>(received))));
        break;
    }
    return 1;
}

void CDeviceExchange::HandleFind(const std::uint8_t* buffer)
{
    const corvane::FindReply reply = corvane::ParseFindReply(std::span(buffer, corvane::kReplyBufferSize), m_job.mac);
    switch (reply.outcome) {
    case corvane::FindOutcome::Refused:
        Finish(Outcome::Refused, corvane::kMsgWrongPassword);
        return;
    case corvane::FindOutcome::OtherDevice:
        Finish(Outcome::Unexpected, {"Error", ""});
        return;
    case corvane::FindOutcome::Found:
        m_result.found = reply;
        Finish(Outcome::Ok, {"Found IP " + corvane::IpText(reply.ip), ""});
        return;
    }
}

void CDeviceExchange::HandleClear(const std::uint8_t* buffer)
{
    switch (corvane::ParseClearReply(std::span(buffer, corvane::kReplyBufferSize))) {
    case corvane::ClearOutcome::NotClearReply:
        // The dialog reads on.
        return;
    case corvane::ClearOutcome::Cleared:
        Finish(Outcome::Ok, {"IP Cleared!", ""});
        return;
    case corvane::ClearOutcome::Refused:
        Finish(Outcome::Refused, corvane::kMsgWrongPassword);
        return;
    }
}

void CDeviceExchange::Record(const std::string& key, const std::string& id, const std::string& password,
                             const corvane::PageMessage& done)
{
    // The step is over once the credentials are in the store: the next one reads them there.
    m_bRecording = true;
    m_tick.stop();
    CCliStores::QueueCredentials(key, id, password, [this, done](bool written) {
        m_bRecording = false;
        if (m_bFinished) {
            return;
        }
        if (written) {
            Finish(Outcome::Ok, done);
        } else {
            // The device takes them, but the next run would not find them: the store has said why.
            Finish(Outcome::NotRecorded, {done.text + " (not recorded in pwd.ini)", done.caption});
        }
    });
}

void CDeviceExchange::Unexpected(std::uint8_t command)
{
    char text[64];
    std::snprintf(text, sizeof text, "Unexpected reply (command 0x%02x)", command);
    Finish(Outcome::Unexpected, {text, ""});
}

void CDeviceExchange::HandleConfig(const corvane::ConfigReply& reply)
{
    // The first datagram read ends the exchange, whatever it is.
    switch (Step()) {
    case StepKind::Login:
    case StepKind::Passwd: {
        // The change's own answer may come late, while its verifications go out: it still decides.
        const bool confirmation =
            Step() == StepKind::Login || (m_bVerifying && reply.command != corvane::kCmdChangePassword);
        const std::uint8_t expected = confirmation ? corvane::kCmdConfirmPassword : corvane::kCmdChangePassword;
        if (reply.command != expected) {
            Unexpected(reply.command);
            return;
        }
        const corvane::CredentialAnswer answer = confirmation
                                                     ? corvane::ConfirmAnswer(reply, m_bVerifying)
                                                     : corvane::ChangeAnswer(reply, m_job.newId, m_job.newPassword);
        if (answer.record) {
            Record(corvane::MacKey(reply.mac), answer.record->first, answer.record->second, answer.message);
        } else {
            Finish(Outcome::Refused, answer.message);
        }
        return;
    }
    case StepKind::NetMode:
    case StepKind::Serial: {
        const bool netMode = Step() == StepKind::NetMode;
        const std::uint8_t expected = netMode ? corvane::kCmdNetworkMode : corvane::kCmdSerial;
        if (reply.command != expected) {
            Unexpected(reply.command);
        } else if (reply.ok) {
            Finish(Outcome::Ok, netMode ? corvane::kMsgNetworkModeDone : corvane::kMsgSerialDone);
        } else {
            Finish(Outcome::Refused, corvane::kMsgWrongPassword);
        }
        return;
    }
    case StepKind::Find:
    case StepKind::Clear:
        return;
    }
}
