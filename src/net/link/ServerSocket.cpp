#include "net/link/ServerSocket.h"

void CServerSocket::OnReceive(int /*errorCode*/)
{
    if (m_pOwner) {
        m_pOwner->OnServerReceive();
    }
}
