#include "dhcp/IPPage.h"

#include "controls/MessageBox.h"
#include "discovery/FindIPDlg.h"
#include "discovery/NewClrIpDlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CIPPage::CIPPage(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ipPage"));

    m_ipFindButton = new QPushButton(QStringLiteral("IP Find"), this);
    m_ipFindButton->setObjectName(QStringLiteral("ipFindButton"));
    m_ipClearButton = new QPushButton(QStringLiteral("   IP\n Clear"), this);
    m_ipClearButton->setObjectName(QStringLiteral("ipClearButton"));
    m_ipClearButton->setAccessibleName(QStringLiteral("IP Clear"));
    connect(m_ipFindButton, &QPushButton::clicked, this, &CIPPage::OnIpFind);
    connect(m_ipClearButton, &QPushButton::clicked, this, &CIPPage::OnIpClear);

    auto* statusLabel = new QLabel(QStringLiteral("STATUS  "), this);
    statusLabel->setObjectName(QStringLiteral("statusLabel"));
    m_statusEdit = new QLineEdit(this);
    m_statusEdit->setObjectName(QStringLiteral("statusEdit"));
    statusLabel->setBuddy(m_statusEdit);
    m_statusEdit->setAccessibleName(QStringLiteral("STATUS"));

    // Left: the client table with its buttons; right: the column of server and device buttons;
    // below: the status line.
    auto* layout = new QGridLayout(this);
    auto* deviceButtons = new QVBoxLayout;
    deviceButtons->addStretch();
    deviceButtons->addWidget(m_ipFindButton);
    deviceButtons->addWidget(m_ipClearButton);
    layout->addLayout(deviceButtons, 0, 1);
    layout->setColumnStretch(0, 1);
    layout->setRowStretch(0, 1);
    auto* status = new QHBoxLayout;
    status->addWidget(statusLabel);
    status->addWidget(m_statusEdit);
    layout->addLayout(status, 1, 0, 1, 2);

    SetStatus(QStringLiteral("Monitoring ...."));
}

void CIPPage::SetStatus(const QString& status)
{
    m_strStatus = status;
    m_statusEdit->setText(m_strStatus);
}

void CIPPage::OnIpFind()
{
    m_ipFindButton->setEnabled(false);
    // The DHCP/BOOTP server is stopped here: it must not answer while a device is searched for.
    SetStatus(QStringLiteral("Monitoring ...."));

    CFindIPDlg find(this);
    find.DoModal();

    m_ipFindButton->setEnabled(true);
}

void CIPPage::OnIpClear()
{
    m_ipClearButton->setEnabled(false);
    CNewClrIpDlg clear(this);
    if (clear.DoModal() == QDialog::Accepted) {
        CMessageBox::Show(this, QStringLiteral("IP Cleared!"));
    }
    m_ipClearButton->setEnabled(true);
}
