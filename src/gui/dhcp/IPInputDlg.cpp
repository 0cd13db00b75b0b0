#include "gui/dhcp/IPInputDlg.h"

#include "core/dhcp/DhcpEngine.h"
#include "gui/controls/IPAddressField.h"
#include "gui/controls/MessageBox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CIPInputDlg::CIPInputDlg(QWidget* parent, int nMode, const QString& strTitle, const QString& strPrompt,
                         const QString& strIP)
    : CInitDialog(parent), m_nMode(nMode), m_strTitle(strTitle), m_strPrompt(strPrompt), m_strIP(strIP)
{
    setObjectName(QStringLiteral("ipInputDlg"));

    m_prompt = new QLabel(QStringLiteral("input message here"), this);
    m_prompt->setObjectName(QStringLiteral("promptText"));
    m_ctrlIP = new CIPAddressField(this);
    m_ctrlIP->setObjectName(QStringLiteral("address"));
    m_ctrlIP->SetFieldName(QStringLiteral("Address"));
    m_prompt->setBuddy(m_ctrlIP);

    m_okButton = new QPushButton(QStringLiteral("Add"), this);
    m_okButton->setObjectName(QStringLiteral("okButton"));
    m_okButton->setDefault(true);
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_cancelButton->setAutoDefault(false);
    // Part of the dialog's layout, but it has no function and is never shown.
    m_historyButton = new QPushButton(QStringLiteral("History"), this);
    m_historyButton->setObjectName(QStringLiteral("historyButton"));
    m_historyButton->setAutoDefault(false);
    m_historyButton->hide();
    connect(m_okButton, &QPushButton::clicked, this, &CIPInputDlg::OnOK);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_prompt);
    layout->addWidget(m_ctrlIP);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_historyButton);
    buttons->addStretch();
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void CIPInputDlg::OnInitDialog()
{
    setWindowTitle(m_strTitle);
    m_prompt->setText(m_strPrompt);
    switch (m_nMode) {
    case kEdit:
        m_okButton->setText(QStringLiteral("Edit"));
        m_ctrlIP->SetAddress(corvane::dhcp::IpTextToBytes(m_strIP.toStdString()));
        break;
    case kRemove:
        m_okButton->setText(QStringLiteral("Remove"));
        m_ctrlIP->ClearAddress();
        break;
    default:
        m_okButton->setText(QStringLiteral("Add"));
        // Blank octets read as 0.0.0.0 and take the first digit typed without a leading 0.
        m_ctrlIP->ClearAddress();
        break;
    }
    m_okButton->setAccessibleName(m_okButton->text());
    m_ctrlIP->setFocus();
}

void CIPInputDlg::OnOK()
{
    const auto address = m_ctrlIP->Address();
    if (address[0] == 0) {
        CMessageBox::Show(this, kNotValid, kNotValidCaption);
        return;
    }
    m_strIP = m_ctrlIP->Text();
    accept();
}
