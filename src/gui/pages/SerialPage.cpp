#include "gui/pages/SerialPage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QThread>

namespace {

QComboBox* List(QWidget* parent, const QString& name, const QStringList& entries)
{
    auto* list = new QComboBox(parent);
    list->setObjectName(name);
    list->addItems(entries);
    return list;
}

} // namespace

CSerialPage::CSerialPage(QWidget* parent) : CConfigPage(parent)
{
    setObjectName(QStringLiteral("serialPage"));

    QStringList bauds;
    for (int i = 0; i < corvane::kBaudChoiceCount; ++i) {
        bauds << QString::fromLatin1(corvane::BaudLabel(i));
    }
    m_ctrlBaud = List(this, QStringLiteral("baud"), bauds);
    m_ctrlParity = List(this, QStringLiteral("parity"), {"NONE", "ODD", "EVEN"});
    m_ctrlDataBits = List(this, QStringLiteral("dataBits"), {"5 bits", "6 bits", "7 bits", "8 bits"});
    m_ctrlStopBits = List(this, QStringLiteral("stopBits"), {"1", "1 1/2", "2"});
    m_ctrlFlow = List(this, QStringLiteral("handshake"), {"NONE", "Hardware", "XON/XOFF"});
    m_editTime = new QLineEdit(this);
    m_editTime->setObjectName(QStringLiteral("serialTime"));
    m_editTime->setMaximumWidth(m_editTime->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 12);
    m_checkUnlimited = new QCheckBox(QStringLiteral("Serial Time Unlimited"), this);
    m_checkUnlimited->setObjectName(QStringLiteral("serialTimeUnlimited"));
    m_checkUnlimited->setAccessibleName(m_checkUnlimited->text());
    connect(m_checkUnlimited, &QCheckBox::clicked, this, &CSerialPage::OnUnlimited);

    int row = 0;
    for (const auto& [label, field] : std::initializer_list<std::pair<QString, QWidget*>>{
             {QStringLiteral("Baud"), m_ctrlBaud},
             {QStringLiteral("Parity"), m_ctrlParity},
             {QStringLiteral("Data Bits"), m_ctrlDataBits},
             {QStringLiteral("Stopbit"), m_ctrlStopBits},
             {QStringLiteral("Handshake"), m_ctrlFlow},
             {QStringLiteral("Time"), m_editTime},
         }) {
        Body()->addWidget(AddLabel(label, field), row, 0);
        Body()->addWidget(field, row, 1);
        ++row;
    }
    Body()->addWidget(m_checkUnlimited, row - 1, 2);
    Body()->setColumnStretch(3, 1);

    // First showing: the stored choices.
    UpdateData(false);
    m_ctrlBaud->setCurrentIndex(m_nBaud);
    m_ctrlParity->setCurrentIndex(m_nParity);
    m_ctrlDataBits->setCurrentIndex(m_nDataBits);
    m_ctrlStopBits->setCurrentIndex(m_nStopBits);
    m_ctrlFlow->setCurrentIndex(m_nFlow);
}

void CSerialPage::DoDataExchange(CDataExchange& dx)
{
    dx.Int(m_editTime, m_nSerialTime);
    dx.Check(m_checkUnlimited, m_bUnlimited);
}

void CSerialPage::OnUnlimited()
{
    UpdateData(true);
    // The time typed before checking the box is not brought back.
    m_nSerialTime = m_checkUnlimited->isChecked() ? corvane::kUnlimitedSerialTime : corvane::kDefaultSerialTime;
    m_bUnlimited = m_checkUnlimited->isChecked();
    UpdateData(false);
    m_editTime->setEnabled(!m_bUnlimited);
}

bool CSerialPage::Validate()
{
    if (!ValidatePrefix()) {
        return false;
    }
    if (const auto refusal = corvane::CheckSerialTime(m_nSerialTime)) {
        Refuse(*refusal);
        return false;
    }
    return PrepareLink();
}

void CSerialPage::OnSend()
{
    if (!Validate()) {
        return;
    }
    m_nBaud = m_ctrlBaud->currentIndex();
    m_nParity = m_ctrlParity->currentIndex();
    m_nDataBits = m_ctrlDataBits->currentIndex();
    m_nStopBits = m_ctrlStopBits->currentIndex();
    m_nFlow = m_ctrlFlow->currentIndex();

    std::string id;
    std::string password;
    if (!LookupCredentials(id, password)) {
        return;
    }
    corvane::SerialSettings settings;
    settings.baudIndex = m_nBaud;
    settings.parity = static_cast<corvane::Parity>(m_nParity);
    settings.dataBits = m_nDataBits + 5;
    settings.stopBits = static_cast<corvane::StopBits>(m_nStopBits);
    settings.flow = static_cast<corvane::FlowControl>(m_nFlow + 1);
    // -1 typed with the box unchecked is unlimited all the same.
    settings.unlimitedTime = m_nSerialTime == corvane::kUnlimitedSerialTime;
    settings.serialTime = m_nSerialTime;
    SendRequest(corvane::BuildSerialRequest(Mac(), id, password, settings));
    QThread::msleep(static_cast<unsigned long>(s_nSendPauseMs));
}

long CSerialPage::OnReceiveReply()
{
    HandleReply(corvane::kCmdSerial, corvane::kMsgSerialDone);
    return 1;
}
