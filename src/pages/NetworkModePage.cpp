#include "pages/NetworkModePage.h"

CNetworkModePage::CNetworkModePage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("networkModePage"));
}
