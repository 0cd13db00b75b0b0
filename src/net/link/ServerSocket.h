#pragma once

#include "net/link/UdpSocket.h"

// Implemented by the page that runs the DHCP/BOOTP server.
class IServerSocketOwner
{
public:
    virtual ~IServerSocketOwner() = default;
    // A request can be read from the server socket.
    virtual void OnServerReceive() = 0;
};

// The DHCP/BOOTP server's socket on UDP port 67. Binding that port needs root or
// CAP_NET_BIND_SERVICE: Create and Bind return false when the port could not be taken, and
// ErrorString() says why, so the owner can tell the operator instead of claiming to listen.
class CServerSocket final : public CUdpSocket
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CServerSocket)

public:
    CServerSocket() = default;

    void SetOwner(IServerSocketOwner* owner) { m_pOwner = owner; }

protected:
    void OnReceive(int errorCode) override;

private:
    IServerSocketOwner* m_pOwner = nullptr;
};
