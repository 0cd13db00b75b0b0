#include "gui/dhcp/BootpEditDlg.h"

#include "core/dhcp/ClientChecks.h"
#include "core/dhcp/DhcpEngine.h"
#include "core/stores/AdvancedServerDB.h"
#include "core/stores/BootPFDB.h"
#include "core/stores/MacHistoryFDB.h"
#include "gui/controls/IPAddressField.h"
#include "gui/controls/MessageBox.h"
#include "gui/dhcp/AdvancedServerSetDlg.h"
#include "gui/discovery/MacPartFields.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString kInputErrorCaption = QStringLiteral("Input Error");

// A MAC part as it goes into the MAC text: blanks made "0", one character preceded by "0", an
// empty part "00".
QString TwoCharacterForm(const std::string& part)
{
    QString text = QString::fromStdString(part);
    text.replace(QLatin1Char(' '), QLatin1Char('0'));
    if (text.isEmpty()) {
        return QStringLiteral("00");
    }
    if (text.size() == 1) {
        return QLatin1Char('0') + text;
    }
    return text;
}

// The form the client table keeps: "%3d.%3d.%3d.%3d".
QString Padded(const std::array<std::uint8_t, 4>& a)
{
    return QString::fromStdString(CBootPFDB::PaddedAddress(a[0], a[1], a[2], a[3]));
}

bool IsZero(const std::array<std::uint8_t, 4>& a)
{
    return a == std::array<std::uint8_t, 4>{0, 0, 0, 0};
}

} // namespace

CBootpEditDlg::CBootpEditDlg(QWidget* parent) : CInitDialog(parent)
{
    setObjectName(QStringLiteral("bootpEditDlg"));
    setWindowTitle(kTitle);

    auto* layout = new QGridLayout;
    int row = 0;
    auto addRow = [&](const QString& text, QWidget* field, const char* labelName) {
        auto* label = new QLabel(text, this);
        label->setObjectName(QString::fromLatin1(labelName));
        label->setBuddy(field);
        if (auto* ip = qobject_cast<CIPAddressField*>(field)) {
            ip->SetFieldName(text);
        } else {
            field->setAccessibleName(text);
        }
        layout->addWidget(label, row, 0);
        layout->addWidget(field, row, 1);
        ++row;
    };

    m_editHType = new QLineEdit(this);
    m_editHType->setObjectName(QStringLiteral("macType"));
    m_editHType->setEnabled(false);
    addRow(QStringLiteral("MAC Type"), m_editHType, "macTypeLabel");
    m_editHlen = new QLineEdit(this);
    m_editHlen->setObjectName(QStringLiteral("macLength"));
    m_editHlen->setEnabled(false);
    addRow(QStringLiteral("MAC Length"), m_editHlen, "macLengthLabel");
    for (QLineEdit* edit : {m_editHType, m_editHlen}) {
        edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("00000")) + 8);
    }

    m_ctrlIP = new CIPAddressField(this);
    m_ctrlIP->setObjectName(QStringLiteral("ip"));
    addRow(QStringLiteral("IP"), m_ctrlIP, "ipLabel");

    // The MAC parts carry their own "MAC" label.
    m_macFields = new CMacPartFields(2, this, CMacPartFields::Buttons::None);
    layout->addWidget(m_macFields, row++, 0, 1, 2);

    m_ctrlGateway = new CIPAddressField(this);
    m_ctrlGateway->setObjectName(QStringLiteral("gatewayIP"));
    addRow(QStringLiteral("Gateway IP"), m_ctrlGateway, "gatewayIPLabel");
    m_ctrlSubnet = new CIPAddressField(this);
    m_ctrlSubnet->setObjectName(QStringLiteral("subnetMask"));
    addRow(QStringLiteral("Subnet Mask"), m_ctrlSubnet, "subnetMaskLabel");
    m_ctrlDefaultRouter = new CIPAddressField(this);
    m_ctrlDefaultRouter->setObjectName(QStringLiteral("defaultRouter"));
    m_ctrlDefaultRouter->setEnabled(false);
    addRow(QStringLiteral("Default Router"), m_ctrlDefaultRouter, "defaultRouterLabel");
    layout->setColumnStretch(2, 1);

    m_advancedButton = new QPushButton(QStringLiteral("Advanced.."), this);
    m_advancedButton->setObjectName(QStringLiteral("advancedButton"));
    m_advancedButton->setAutoDefault(false);
    m_okButton = new QPushButton(QStringLiteral("Add"), this);
    m_okButton->setObjectName(QStringLiteral("okButton"));
    m_okButton->setDefault(true);
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_cancelButton->setAutoDefault(false);
    for (QPushButton* button : {m_advancedButton, m_okButton, m_cancelButton}) {
        button->setAccessibleName(button->text());
    }

    connect(m_macFields, &CMacPartFields::partChanged, this, &CBootpEditDlg::OnChangeMacField);
    connect(m_macFields, &CMacPartFields::partFull, this, &CBootpEditDlg::OnMaxTextMacField);
    connect(m_advancedButton, &QPushButton::clicked, this, &CBootpEditDlg::OnAdvanced);
    connect(m_okButton, &QPushButton::clicked, this, &CBootpEditDlg::OnOK);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_advancedButton);
    buttons->addStretch();
    buttons->addWidget(m_okButton);
    buttons->addWidget(m_cancelButton);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(layout);
    outer->addLayout(buttons);
    outer->setSizeConstraint(QLayout::SetFixedSize);
}

void CBootpEditDlg::DoDataExchange(CDataExchange& dx)
{
    dx.Int(m_editHType, m_nHType);
    dx.Int(m_editHlen, m_nHlen);
    m_macFields->Exchange(dx, m_strMacField);
}

void CBootpEditDlg::OnInitDialog()
{
    m_bFilling = true;
    if (m_nMode == kAddMode) {
        m_okButton->setText(QStringLiteral("Add"));
        m_ctrlSubnet->SetAddress({255, 255, 255, 0});
        m_strMacText.clear();
        for (const std::string& part : m_strMacField) {
            m_strMacText += QString::fromStdString(part);
        }
    } else {
        m_okButton->setText(QStringLiteral("Edit"));
        m_ctrlIP->SetAddress(corvane::dhcp::IpTextToBytes(m_strIP.toStdString()));
        m_ctrlGateway->SetAddress(corvane::dhcp::IpTextToBytes(m_strGateway.toStdString()));
        m_ctrlSubnet->SetAddress(corvane::dhcp::IpTextToBytes(m_strSubnet.toStdString()));
        for (int k = 0; k < 6; ++k) {
            m_strMacField[static_cast<std::size_t>(k)] = m_strMacText.mid(2 * k, 2).toStdString();
        }
    }
    m_okButton->setAccessibleName(m_okButton->text());
    UpdateData(false);
    m_ctrlDefaultRouter->SetAddress(corvane::dhcp::IpTextToBytes(m_strDefaultRouter.toStdString()));
    m_bFilling = false;
    m_nTyped = m_macFields->TypedCounts();
    // The first field the operator can change.
    m_ctrlIP->setFocus();
}

void CBootpEditDlg::RebuildMacText()
{
    m_strMacText.clear();
    for (const std::string& part : m_strMacField) {
        m_strMacText += TwoCharacterForm(part);
    }
}

void CBootpEditDlg::OnChangeMacField(int /*k*/)
{
    m_nTyped = m_macFields->TypedCounts();
    if (m_bFilling) {
        return;
    }
    UpdateData(true);
    // Each pair shows its own part, so the whole text is rebuilt from the six parts.
    RebuildMacText();
}

void CBootpEditDlg::OnMaxTextMacField(int k)
{
    if (k + 1 < 6) {
        m_macFields->FocusPart(k + 1);
        return;
    }
    m_ctrlGateway->setFocus(Qt::TabFocusReason);
    UpdateData(true);
    RebuildMacText();
}

void CBootpEditDlg::OnAdvanced()
{
    CAdvancedServerSetDlg advanced(this);
    if (advanced.DoModal() != QDialog::Accepted) {
        return;
    }
    CAdvancedServerDB settings;
    settings.Load();
    m_strDefaultRouter = QString::fromStdString(settings.GetRouter(0));
    m_ctrlDefaultRouter->SetAddress(corvane::dhcp::IpTextToBytes(m_strDefaultRouter.toStdString()));
}

void CBootpEditDlg::OnOK()
{
    const auto ip = m_ctrlIP->Address();
    m_strIP = m_ctrlIP->Text();
    if (!UpdateData(true)) {
        return;
    }

    if (m_nMode == kAddMode) {
        if (const auto refusal = corvane::dhcp::CheckNewClient(ip)) {
            CMessageBox::Show(this, QString::fromLatin1(refusal->c_str()), kInputErrorCaption);
            return;
        }
        if (m_strMacText.isEmpty()) {
            CMessageBox::Show(this, QStringLiteral("Input the client MAC Addess !!"), kInputErrorCaption);
            return;
        }
    }

    const auto router = m_ctrlDefaultRouter->Address();
    if (IsZero(router)) {
        CMessageBox::Show(this, QStringLiteral("Press the advanced button and set the router address!!"),
                          QStringLiteral("Need Router"));
        return;
    }
    m_strDefaultRouter = m_ctrlDefaultRouter->Text();
    m_strGateway = Padded(m_ctrlGateway->Address());
    m_strSubnet = Padded(m_ctrlSubnet->Address());
    m_strIP = Padded(ip);

    // The history gets the address the table gets: the six pairs of the MAC text (a part typed as
    // "1" is the byte 01, an empty one 00). A text that names no address is not remembered.
    MacBytes mac{};
    bool named = m_strMacText.size() == 12;
    for (int k = 0; k < 6 && named; ++k) {
        mac[static_cast<std::size_t>(k)] = HexPairToInt(m_strMacText.mid(2 * k, 2).toStdString());
        named = mac[static_cast<std::size_t>(k)] >= 0;
    }
    if (named) {
        CMacHistoryFDB::Remember(mac);
    }
    accept();
}
