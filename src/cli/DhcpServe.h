#pragma once

#include "cli/ResultPrinter.h"
#include "net/dhcp/DhcpResponder.h"
#include "net/link/ServerSocket.h"

#include <QObject>

#include <memory>

class QSocketNotifier;

// "dhcp serve": the IP Address page's DHCP/BOOTP server without the page. It answers from
// "dhcp.ini" and "adsvr.ini" as they stand at each request, writes every status text as a line,
// logs a served device the table does not hold (it is not added), and stops on SIGINT or SIGTERM.
class CDhcpServe final : public QObject, public IServerSocketOwner
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CDhcpServe)

public:
    explicit CDhcpServe(const CResultPrinter& printer, QObject* parent = nullptr);
    ~CDhcpServe() override;

    // Takes UDP port 67 and installs the signal handlers; the exit status to end with when it
    // could not (the reason has been said), or -1 when serving has begun.
    int Start();
    void OnServerReceive() override;

signals:
    // SIGINT or SIGTERM: the server has stopped.
    void stopped();

private:
    void OnSignal();
    void Status(const std::string& status) const;

    const CResultPrinter& m_printer;
    CDhcpResponder m_responder;
    std::unique_ptr<CServerSocket> m_pSocket;
    QSocketNotifier* m_pNotifier = nullptr;
};
