#include "gui/pages/ConfigPage.h"

#include "core/stores/MacHistoryFDB.h"
#include "core/stores/PwdFDB.h"
#include "gui/controls/IPAddressField.h"
#include "gui/controls/MacAddrEdit.h"
#include "gui/controls/MessageBox.h"
#include "gui/stores/MacDBDlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include <sys/socket.h>

#include <array>

namespace {

constexpr corvane::Ipv4Address kBroadcast{255, 255, 255, 255};

} // namespace

CConfigPage::CConfigPage(QWidget* parent) : QWidget(parent)
{
    m_ctrlMac = new CMacAddrEdit(this);
    m_ctrlMac->setObjectName(QStringLiteral("macEdit"));
    m_ctrlMac->SetBkColor(Qt::white);
    m_ctrlMac->SetTextColor(Qt::black);
    m_ctrlMac->setFixedWidth(m_ctrlMac->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00:00:00:00")) + 16);
    m_ctrlDestination = new CIPAddressField(this);
    m_ctrlDestination->setObjectName(QStringLiteral("destinationIP"));
    m_ctrlDestination->SetFieldName(QStringLiteral("Destination IP"));

    m_historyButton = new QPushButton(QStringLiteral("History"), this);
    m_historyButton->setObjectName(QStringLiteral("historyButton"));
    m_deleteHistoryButton = new QPushButton(QStringLiteral("Delete History"), this);
    m_deleteHistoryButton->setObjectName(QStringLiteral("deleteHistoryButton"));
    m_sendButton = new QPushButton(QStringLiteral("Send"), this);
    m_sendButton->setObjectName(QStringLiteral("sendButton"));
    m_sendButton->setDefault(true);
    for (QPushButton* button : {m_historyButton, m_deleteHistoryButton, m_sendButton}) {
        button->setAccessibleName(button->text());
    }

    connect(m_historyButton, &QPushButton::clicked, this, &CConfigPage::OnHistory);
    connect(m_deleteHistoryButton, &QPushButton::clicked, this, &CConfigPage::OnDeleteHistory);
    connect(m_sendButton, &QPushButton::clicked, this, [this] { OnSend(); });
    connect(m_ctrlDestination, &CIPAddressField::fieldChanged, this, &CConfigPage::OnDestinationChanged);

    auto* band = new QGridLayout;
    band->addWidget(AddLabel(QStringLiteral("MAC"), m_ctrlMac), 0, 0);
    band->addWidget(m_ctrlMac, 0, 1);
    band->addWidget(m_historyButton, 0, 2);
    band->addWidget(m_deleteHistoryButton, 0, 3);
    band->addWidget(AddLabel(QStringLiteral("Destination IP"), m_ctrlDestination), 1, 0);
    band->addWidget(m_ctrlDestination, 1, 1, 1, 3);
    band->setColumnStretch(4, 1);

    m_body = new QGridLayout;
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_sendButton);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(band);
    layout->addSpacing(8);
    layout->addLayout(m_body);
    layout->addStretch();
    layout->addLayout(buttons);

    // A new page always starts by broadcasting.
    if (!m_bUnicast) {
        m_ctrlDestination->SetAddress(kBroadcast);
    }
}

CConfigPage::~CConfigPage() = default;

QLabel* CConfigPage::AddLabel(const QString& text, QWidget* field)
{
    auto* label = new QLabel(text, this);
    label->setBuddy(field);
    if (auto* ip = qobject_cast<CIPAddressField*>(field)) {
        ip->SetFieldName(text.trimmed());
    } else {
        field->setAccessibleName(text.trimmed());
    }
    return label;
}

void CConfigPage::OnDestinationChanged()
{
    m_bUnicast = m_ctrlDestination->Address() != kBroadcast;
}

void CConfigPage::OnHistory()
{
    CMacDBDlg history(this);
    history.exec();
    // Six zeros unless an address was picked.
    m_ctrlMac->SetAddress(history.m_anByte);
    UpdateData(false);
}

void CConfigPage::OnDeleteHistory()
{
    CMacHistoryFDB history;
    history.Clear();
}

bool CConfigPage::ValidatePrefix()
{
    UpdateData(true);
    if (m_ctrlMac->GetAddressText() == QLatin1String("00:00:00:00:00:00")) {
        m_ctrlMac->SetAddress({0, 0, 0, 0, 0, 0});
        UpdateData(false);
        Refuse(corvane::kMsgMacAllZero);
        return false;
    }
    return true;
}

void CConfigPage::Refuse(const corvane::PageMessage& message)
{
    m_bValidated = false;
    Show(message);
}

void CConfigPage::DropSocket()
{
    if (m_pSocket) {
        // A handler of this socket may still be on the stack, showing its result.
        m_pSocket->Close();
        m_pSocket.release()->deleteLater();
    }
}

bool CConfigPage::PrepareLink()
{
    m_bValidated = true;
    const corvane::Ipv4Address destination = m_ctrlDestination->Address();
    QString host;
    if (destination != kBroadcast) {
        m_bUnicast = true;
        host = QString::asprintf("%d.%d.%d.%d", destination[0], destination[1], destination[2], destination[3]);
    }

    OnNewExchange();
    const unsigned exchange = ++m_nExchange;
    DropSocket();
    auto socket = std::make_unique<CClientSocket>();
    socket->Create(0);
    socket->SetOwner(this);
    m_bSocketConnected = m_bUnicast;
    if (m_bSocketConnected) {
        socket->Connect(host, corvane::kDevicePort);
    } else {
        socket->SetSockOpt(SO_BROADCAST, 1);
    }
    m_pSocket = std::move(socket);

    MacBytes mac{};
    for (int k = 0; k < 6; ++k) {
        mac[static_cast<std::size_t>(k)] = m_ctrlMac->GetByte(k);
    }
    CMacHistoryFDB::Remember(mac);
    return exchange == m_nExchange;
}

bool CConfigPage::LookupCredentials(std::string& id, std::string& password)
{
    const unsigned exchange = m_nExchange;
    const std::optional<CPwdFDB::Credentials> credentials = CPwdFDB::Lookup(corvane::MacKey(Mac()));
    // A box of the load keeps the event loop running: a Send meanwhile supersedes this one.
    if (exchange != m_nExchange) {
        return false;
    }
    if (!credentials) {
        Show(corvane::kMsgNoCredentials);
        return false;
    }
    id = credentials->id;
    password = credentials->password;
    return true;
}

void CConfigPage::SendRequest(const corvane::Datagram& request)
{
    if (!m_pSocket) {
        return;
    }
    const auto length = static_cast<qint64>(request.size());
    if (m_bSocketConnected) {
        m_pSocket->Send(request.data(), length);
    } else {
        m_pSocket->SendTo(request.data(), length, corvane::kDevicePort);
    }
}

std::optional<corvane::ConfigReply> CConfigPage::ReceiveReply(CClientSocket* socket)
{
    std::array<std::uint8_t, corvane::kReplyBufferSize> buffer{};
    const qint64 received = socket ? socket->Receive(buffer.data(), static_cast<qint64>(buffer.size())) : -1;
    if (received < 0) {
        return std::nullopt;
    }
    return corvane::ParseConfigReply(std::span(buffer.data(), static_cast<std::size_t>(received)));
}

void CConfigPage::HandleReply(std::uint8_t command, const corvane::PageMessage& done)
{
    const QPointer<CClientSocket> socket = m_pSocket.get();
    const std::optional<corvane::ConfigReply> reply = ReceiveReply(socket);
    if (!reply) {
        return;
    }
    if (reply->command == command) {
        // While the box is open, a second datagram on the same socket is read and reported too.
        Show(reply->ok ? done : corvane::kMsgWrongPassword);
    }
    if (socket) {
        socket->Close();
    }
}

void CConfigPage::Show(const corvane::PageMessage& message)
{
    CMessageBox::Show(this, QString::fromStdString(message.text), QString::fromStdString(message.caption));
}

corvane::MacAddress CConfigPage::Mac() const
{
    return m_ctrlMac->GetAddress();
}

void CConfigPage::keyPressEvent(QKeyEvent* event)
{
    // Send is the page's default button: Enter in any field that leaves the key alone presses it.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        (focused && focused->isEnabled() ? focused : m_sendButton)->click();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}
