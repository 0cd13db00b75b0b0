#pragma once

#include "net/link/UdpSocket.h"

// Implemented by the dialogs and pages that talk to devices.
class IClientSocketOwner
{
public:
    virtual ~IClientSocketOwner() = default;
    // A reply can be read from the owner's device socket. Returns 1.
    virtual long OnReceiveReply() = 0;
};

// The socket of one device exchange (IP find, IP clear, a configuration request). Every datagram
// that arrives is announced to the owner's OnReceiveReply, synchronously, before the
// notification returns.
class CClientSocket final : public CUdpSocket
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CClientSocket)

public:
    CClientSocket() = default;

    void SetOwner(IClientSocketOwner* owner) { m_pOwner = owner; }

protected:
    void OnReceive(int errorCode) override;

private:
    IClientSocketOwner* m_pOwner = nullptr;
    int m_nKind = 0;
};
