#include "net/link/SocketLog.h"

Q_LOGGING_CATEGORY(lcSocket, "corvane.socket", QtInfoMsg)
