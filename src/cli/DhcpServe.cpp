#include "cli/DhcpServe.h"

#include "cli/CliStores.h"
#include "core/dhcp/ClientChecks.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

namespace dhcp = corvane::dhcp;

namespace {

// The write end of the self-pipe: the signal handler only writes one byte there.
int s_signalPipe[2] = {-1, -1};

void OnStopSignal(int signal)
{
    const int saved = errno;
    const auto byte = static_cast<char>(signal);
    static_cast<void>(::write(s_signalPipe[1], &byte, 1));
    errno = saved;
}

} // namespace

CDhcpServe::CDhcpServe(const CResultPrinter& printer, QObject* parent)
    : QObject(parent), m_printer(printer),
      m_responder({[this](const std::string& status) { Status(status); }, nullptr,
                   [this](const dhcp::Screening& screening) {
                       // The window would open the Add dialog; here the request is only logged.
                       Status(dhcp::NotFoundText(screening.macText) + " (not in dhcp.ini; not added)");
                       return false;
                   }})
{}

CDhcpServe::~CDhcpServe() = default;

void CDhcpServe::Status(const std::string& status) const
{
    m_printer.Note(status);
}

int CDhcpServe::Start()
{
    if (CCliStores::DefaultRouter().empty()) {
        CResultPrinter::Error(corvane::dhcp::kMsgNoDefaultRouter);
        return 1;
    }
    if (::pipe2(s_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        CResultPrinter::Error("cannot make the signal pipe");
        return 1;
    }
    m_pNotifier = new QSocketNotifier(s_signalPipe[0], QSocketNotifier::Read, this);
    connect(m_pNotifier, &QSocketNotifier::activated, this, &CDhcpServe::OnSignal);
    struct sigaction action
    {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    m_pSocket = std::make_unique<CServerSocket>();
    m_pSocket->SetOwner(this);
    Status(dhcp::kStatusInitiating);
    if (!m_pSocket->Create(dhcp::kServerPort) || !m_pSocket->Bind(dhcp::kServerPort)) {
        CResultPrinter::Error("cannot take UDP port 67: " + m_pSocket->ErrorString().toStdString());
        m_pSocket->Close();
        return 1;
    }
    Status(dhcp::kStatusListening);
    return -1;
}

void CDhcpServe::OnServerReceive()
{
    const QPointer<CServerSocket> socket = m_pSocket.get();
    if (!socket) {
        return;
    }
    CDhcpResponder::Request request;
    if (!CDhcpResponder::Read(*socket, request)) {
        Status(dhcp::kStatusReceiveError);
        return;
    }
    m_responder.Answer(request, socket);
}

void CDhcpServe::OnSignal()
{
    char bytes[16];
    while (::read(s_signalPipe[0], bytes, sizeof bytes) > 0) {
    }
    m_pNotifier->setEnabled(false);
    if (m_pSocket) {
        m_pSocket->Close();
    }
    Status(dhcp::kStatusStopped);
    emit stopped();
}
