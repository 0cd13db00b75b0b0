#include "pages/SerialPage.h"

CSerialPage::CSerialPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("serialPage"));
}
