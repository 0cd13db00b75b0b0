#pragma once

#include <QString>

// True when this process runs in a network namespace with no default route and no interface up
// besides loopback; otherwise `why` says what was found. The machine's own namespace has both.
bool IsPrivateNetworkNamespace(QString* why = nullptr);

// Ends the process with a clear message unless IsPrivateNetworkNamespace(). Every test that opens
// a socket calls this before its first socket.
void RequirePrivateNetworkNamespace();
