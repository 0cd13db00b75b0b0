#include "gui/pages/NetworkModePage.h"

#include "gui/controls/IPAddressField.h"
#include "gui/controls/TimeEdit.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace {

constexpr int kTcpServer = 0;
constexpr int kTcpClient = 1;
constexpr int kTcpServerAndClient = 2;

corvane::TcpMode ToTcpMode(int index)
{
    switch (index) {
    case kTcpServer:
        return corvane::TcpMode::Server;
    case kTcpServerAndClient:
        return corvane::TcpMode::ServerAndClient;
    default:
        return corvane::TcpMode::Client;
    }
}

QLineEdit* NumberEdit(QWidget* parent, const QString& name)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("0000000000")) + 12);
    return edit;
}

} // namespace

CNetworkModePage::CNetworkModePage(QWidget* parent) : CConfigPage(parent)
{
    setObjectName(QStringLiteral("networkModePage"));

    m_ctrlIpMode = new QComboBox(this);
    m_ctrlIpMode->setObjectName(QStringLiteral("ipMode"));
    m_ctrlIpMode->addItems({QStringLiteral("Static IP"), QStringLiteral("Dynamic IP")});

    auto* deviceComm = new QGroupBox(QStringLiteral("Device Comm"), this);
    deviceComm->setObjectName(QStringLiteral("deviceCommGroup"));
    m_ctrlTcpMode = new QComboBox(deviceComm);
    m_ctrlTcpMode->setObjectName(QStringLiteral("tcpMode"));
    m_ctrlTcpMode->addItems({QStringLiteral("Server"), QStringLiteral("Client"), QStringLiteral("Server & Client")});
    m_editDevicePort = NumberEdit(deviceComm, QStringLiteral("devicePort"));
    m_ctrlServerIp = new CIPAddressField(deviceComm);
    m_ctrlServerIp->setObjectName(QStringLiteral("serverIP"));
    m_editServerPort = NumberEdit(deviceComm, QStringLiteral("serverPort"));
    m_devicePortLabel = AddLabel(QStringLiteral("CV PORT"), m_editDevicePort);
    m_serverIpLabel = AddLabel(QStringLiteral("Server IP"), m_ctrlServerIp);
    m_serverPortLabel = AddLabel(QStringLiteral("Server PORT"), m_editServerPort);
    auto* comm = new QGridLayout(deviceComm);
    comm->addWidget(AddLabel(QStringLiteral("TCP Mode"), m_ctrlTcpMode), 0, 0);
    comm->addWidget(m_ctrlTcpMode, 0, 1);
    comm->addWidget(m_devicePortLabel, 1, 0);
    comm->addWidget(m_editDevicePort, 1, 1);
    comm->addWidget(m_serverIpLabel, 2, 0);
    comm->addWidget(m_ctrlServerIp, 2, 1);
    comm->addWidget(m_serverPortLabel, 3, 0);
    comm->addWidget(m_editServerPort, 3, 1);
    comm->setColumnStretch(2, 1);

    auto* notifier = new QGroupBox(QStringLiteral("Notifier"), this);
    notifier->setObjectName(QStringLiteral("notifierGroup"));
    m_ctrlDataServerIp = new CIPAddressField(notifier);
    m_ctrlDataServerIp->setObjectName(QStringLiteral("dataServerIP"));
    m_ctrlNotifierTime = new CTimeEdit(notifier);
    m_ctrlNotifierTime->setObjectName(QStringLiteral("notifierTime"));
    m_ctrlNotifierTime->setFixedWidth(
        m_ctrlNotifierTime->fontMetrics().horizontalAdvance(QStringLiteral(" 0 (h) 00 (min) ")) + 16);
    auto* notify = new QGridLayout(notifier);
    notify->addWidget(AddLabel(QStringLiteral("IP"), m_ctrlDataServerIp), 0, 0);
    notify->addWidget(m_ctrlDataServerIp, 0, 1);
    notify->addWidget(AddLabel(QStringLiteral("Time Interval"), m_ctrlNotifierTime), 1, 0);
    notify->addWidget(m_ctrlNotifierTime, 1, 1);
    notify->setColumnStretch(2, 1);

    Body()->addWidget(AddLabel(QStringLiteral("IP Mode"), m_ctrlIpMode), 0, 0);
    Body()->addWidget(m_ctrlIpMode, 0, 1);
    Body()->addWidget(deviceComm, 1, 0, 1, 3);
    Body()->addWidget(notifier, 2, 0, 1, 3);
    Body()->setColumnStretch(2, 1);

    connect(m_ctrlTcpMode, &QComboBox::currentIndexChanged, this, &CNetworkModePage::OnSelchangeTcpMode);

    // First showing: the stored choices, black on white, a notifier of five minutes.
    UpdateData(false);
    m_ctrlIpMode->setCurrentIndex(m_nIpMode);
    m_ctrlTcpMode->setCurrentIndex(m_nTcpMode);
    m_ctrlNotifierTime->SetBkColor(Qt::white);
    m_ctrlNotifierTime->SetTextColor(Qt::black);
    m_ctrlNotifierTime->SetTime(0, corvane::kDefaultNotifierMinutes);
    EnableFields(kTcpServer);
}

void CNetworkModePage::DoDataExchange(CDataExchange& dx)
{
    dx.Int(m_editDevicePort, m_nDevicePort);
    dx.Int(m_editServerPort, m_nServerPort);
}

void CNetworkModePage::EnableFields(int tcpMode)
{
    const bool selected = tcpMode >= 0;
    const bool remote = tcpMode == kTcpClient || tcpMode == kTcpServerAndClient;
    // Disabled fields keep their values, and those are still sent.
    for (QWidget* widget : {static_cast<QWidget*>(m_devicePortLabel), static_cast<QWidget*>(m_editDevicePort)}) {
        widget->setEnabled(selected);
    }
    for (QWidget* widget : {static_cast<QWidget*>(m_serverIpLabel), static_cast<QWidget*>(m_ctrlServerIp),
                            static_cast<QWidget*>(m_serverPortLabel), static_cast<QWidget*>(m_editServerPort)}) {
        widget->setEnabled(remote);
    }
}

void CNetworkModePage::OnSelchangeTcpMode()
{
    EnableFields(m_ctrlTcpMode->currentIndex());
}

bool CNetworkModePage::Validate()
{
    if (!ValidatePrefix()) {
        return false;
    }
    corvane::NetworkModeSettings settings;
    settings.tcpMode = ToTcpMode(m_ctrlTcpMode->currentIndex());
    // Blank octets read as 0 and are shown so.
    settings.serverIp = m_ctrlServerIp->Address();
    m_ctrlServerIp->SetAddress(settings.serverIp);
    settings.dataServerIp = m_ctrlDataServerIp->Address();
    m_ctrlDataServerIp->SetAddress(settings.dataServerIp);
    settings.notifierHours = m_ctrlNotifierTime->GetHours();
    settings.notifierMinutes = m_ctrlNotifierTime->GetMinutes();
    settings.devicePort = m_nDevicePort;
    settings.serverPort = m_nServerPort;
    if (const auto refusal = corvane::CheckNetworkMode(settings)) {
        Refuse(*refusal);
        return false;
    }
    return PrepareLink();
}

void CNetworkModePage::OnSend()
{
    if (!Validate()) {
        return;
    }
    UpdateData(true);
    m_nIpMode = m_ctrlIpMode->currentIndex();
    m_nTcpMode = m_ctrlTcpMode->currentIndex();

    std::string id;
    std::string password;
    if (!LookupCredentials(id, password)) {
        return;
    }
    corvane::NetworkModeSettings settings;
    settings.notifierHours = m_ctrlNotifierTime->GetHours();
    settings.notifierMinutes = m_ctrlNotifierTime->GetMinutes();
    settings.ipMode = m_nIpMode == 0 ? corvane::IpMode::Static : corvane::IpMode::Dynamic;
    settings.tcpMode = ToTcpMode(m_nTcpMode);
    settings.devicePort = m_nDevicePort;
    settings.serverIp = m_ctrlServerIp->Address();
    settings.serverPort = m_nServerPort;
    settings.dataServerIp = m_ctrlDataServerIp->Address();
    SendRequest(corvane::BuildNetworkModeRequest(Mac(), id, password, settings));
}

long CNetworkModePage::OnReceiveReply()
{
    HandleReply(corvane::kCmdNetworkMode, corvane::kMsgNetworkModeDone);
    return 1;
}
