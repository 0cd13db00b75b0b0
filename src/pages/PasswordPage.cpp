#include "pages/PasswordPage.h"

CPasswordPage::CPasswordPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("passwordPage"));
}
