#pragma once

#include <QLoggingCategory>

// Socket trace lines ("Errorcode = %d"); enable with QT_LOGGING_RULES="corvane.socket.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcSocket)
