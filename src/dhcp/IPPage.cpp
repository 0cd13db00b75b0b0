#include "dhcp/IPPage.h"

CIPPage::CIPPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ipPage"));
}
