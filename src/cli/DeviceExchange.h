#pragma once

#include "cli/DeviceJob.h"
#include "cli/ExchangeResult.h"
#include "core/rules/ChangeVerification.h"
#include "core/rules/ConfigChecks.h"
#include "core/rules/FindTick.h"
#include "net/link/ClientSocket.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <string>

// Where and how long the exchanges go on.
struct ExchangeOptions
{
    QString destination; // empty: broadcast to 255.255.255.255
    int timeoutMs = 5000;
};

// Carries out the steps of one device job on a socket of its own, one after the other, each as the
// window's dialog or page does it: the same requests, the same stores, the same reading of the
// reply. Where the window would wait for ever, the job gives up after the time-out. Ends with
// finished(); Result() then says how.
class CDeviceExchange final : public QObject, public IClientSocketOwner
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDeviceExchange)

public:
    CDeviceExchange(DeviceJob job, ExchangeOptions options, QObject* parent = nullptr);
    ~CDeviceExchange() override;

    void Start();
    long OnReceiveReply() override;
    const ExchangeResult& Result() const { return m_result; }
    bool IsFinished() const { return m_bFinished; }

signals:
    void finished();

private:
    void BeginStep();
    void NextStep();
    // The exchange is over: timers stopped, socket closed, the time taken, finished() emitted.
    void End();
    void Finish(Outcome outcome, const corvane::PageMessage& message);
    void Send(const corvane::Datagram& request);
    // The ID and password for the device; false (and the job ends) when there are none.
    bool Credentials(std::string& id, std::string& password);
    void OnTick();
    void OnDeadline();
    void HandleFind(const std::uint8_t* buffer);
    void HandleClear(const std::uint8_t* buffer);
    void HandleConfig(const corvane::ConfigReply& reply);
    void Unexpected(std::uint8_t command);
    // Records confirmed credentials, then ends the step with `done`.
    void Record(const std::string& key, const std::string& id, const std::string& password,
                const corvane::PageMessage& done);

    StepKind Step() const { return m_job.steps[m_nStep]; }

    DeviceJob m_job;
    ExchangeOptions m_options;
    ExchangeResult m_result;
    std::size_t m_nStep = 0;
    bool m_bFinished = false;
    bool m_bVerifying = false;
    bool m_bRecording = false;
    std::unique_ptr<CClientSocket> m_pSocket;
    CFindTick m_findTick;
    CChangeVerification m_verification;
    QTimer m_tick;
    QTimer m_deadline;
    QElapsedTimer m_clock;
};
