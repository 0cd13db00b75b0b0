#include "net/link/ClientSocket.h"

void CClientSocket::OnReceive(int /*errorCode*/)
{
    if (m_pOwner && m_nKind == 0) {
        m_pOwner->OnReceiveReply();
    }
}
