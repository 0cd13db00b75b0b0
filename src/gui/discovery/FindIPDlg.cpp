#include "gui/discovery/FindIPDlg.h"

#include "core/link/CommandCodec.h"
#include "core/stores/MacHistoryFDB.h"
#include "gui/controls/IPAddressField.h"
#include "gui/controls/MessageBox.h"
#include "gui/discovery/MacPartFields.h"
#include "gui/discovery/SysInfoDlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QThread>
#include <QTimer>
#include <QVBoxLayout>

#include <sys/socket.h>

#include <array>

namespace {

const QString kSendingStatus = QStringLiteral("Sending IP-Find broadcast msg ");

} // namespace

CFindIPDlg::CFindIPDlg(QWidget* parent) : QDialog(parent), m_strStatus(QStringLiteral("Monitoring....."))
{
    setObjectName(QStringLiteral("findIPDlg"));
    setWindowTitle(QStringLiteral("Find IP Dialog"));

    m_macFields = new CMacPartFields(2, this);

    auto* foundLabel = new QLabel(QStringLiteral("Found IP"), this);
    foundLabel->setObjectName(QStringLiteral("foundIPLabel"));
    m_ctrlFoundIP = new CIPAddressField(this);
    m_ctrlFoundIP->setObjectName(QStringLiteral("foundIP"));
    m_ctrlFoundIP->SetFieldName(QStringLiteral("Found IP"));
    m_ctrlFoundIP->setEnabled(false);
    foundLabel->setBuddy(m_ctrlFoundIP);

    m_moreButton = new QPushButton(QStringLiteral("more.."), this);
    m_moreButton->setObjectName(QStringLiteral("moreButton"));
    m_moreButton->setAutoDefault(false);

    m_statusEdit = new QLineEdit(this);
    m_statusEdit->setObjectName(QStringLiteral("statusEdit"));
    m_statusEdit->setAccessibleName(QStringLiteral("Status"));
    m_statusEdit->setReadOnly(true);
    m_statusEdit->setFocusPolicy(Qt::NoFocus);

    m_findButton = new QPushButton(QStringLiteral("Find"), this);
    m_findButton->setObjectName(QStringLiteral("findButton"));
    m_findButton->setDefault(true);
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_cancelButton->setAutoDefault(false);

    connect(m_findButton, &QPushButton::clicked, this, &CFindIPDlg::OnFind);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_moreButton, &QPushButton::clicked, this, &CFindIPDlg::OnMore);

    m_findTimer = new QTimer(this);
    m_findTimer->setObjectName(QStringLiteral("findTimer"));
    connect(m_findTimer, &QTimer::timeout, this, &CFindIPDlg::OnTimer);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_macFields);
    auto* found = new QHBoxLayout;
    found->addWidget(foundLabel);
    found->addWidget(m_ctrlFoundIP);
    found->addWidget(m_moreButton);
    found->addStretch();
    layout->addLayout(found);
    layout->addWidget(m_statusEdit);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_findButton);
    buttons->addWidget(m_cancelButton);
    layout->addLayout(buttons);

    UpdateData(false);
    m_moreButton->setEnabled(false);
    m_pSysInfoDlg = new CSysInfoDlg(this);
}

CFindIPDlg::~CFindIPDlg() = default;

void CFindIPDlg::SetTimings(int findPeriodMs, int sendPauseMs)
{
    s_nFindPeriodMs = findPeriodMs;
    s_nSendPauseMs = sendPauseMs;
}

void CFindIPDlg::DoDataExchange(CDataExchange& dx)
{
    m_macFields->Exchange(dx, m_strMacPart);
    dx.Text(m_statusEdit, m_strStatus);
}

void CFindIPDlg::SetStatus(const QString& status)
{
    m_strStatus = status;
    m_statusEdit->setText(m_strStatus);
}

void CFindIPDlg::EndSearch()
{
    m_findTimer->stop();
    if (m_pSocket) {
        m_pSocket->Close();
    }
    m_tick.Reset();
    m_findButton->setText(QStringLiteral("Find"));
    m_bFinding = 0;
}

void CFindIPDlg::OnFind()
{
    UpdateData(true);
    // Checked on every press, "Stop" included.
    if (corvane::AnyMacPartEmpty(m_strMacPart)) {
        CMessageBox::Show(this, QStringLiteral("Inpute the Mac address !!"), QStringLiteral("Error"));
        return;
    }

    if (m_bFinding) {
        SetStatus(QStringLiteral("Finding IP stopped ..."));
        EndSearch();
        return;
    }

    // A part that names no byte would go out as 255 and would spoil the MAC history.
    if (!corvane::MacPartsAreHex(m_strMacPart)) {
        CMessageBox::Show(this, QStringLiteral("Inpute the Mac address !!"), QStringLiteral("Error"));
        return;
    }

    m_pSocket.reset();
    auto socket = std::make_unique<CClientSocket>();
    if (socket->Create(0)) {
        socket->SetOwner(this);
        socket->SetSockOpt(SO_BROADCAST, 1);
        m_pSocket = std::move(socket);
    }
    // Without a socket the first tick reports "Can not initiate the socket!!".

    m_findTimer->start(s_nFindPeriodMs);
    m_findButton->setText(QStringLiteral("Stop"));
    SetStatus(kSendingStatus);
    m_bFinding = 1;
    // The first request goes out at the first tick.

    // The search is fully under way before the MAC is remembered: a store error box keeps the
    // event loop running, and the ticks and the reply that come meanwhile may end the search.
    UpdateData(true);
    CMacHistoryFDB::Remember(corvane::MacPartBytes(m_strMacPart));
}

void CFindIPDlg::OnTimer()
{
    // A store error box opened by this tick keeps the event loop running; the ticks that fall
    // due meanwhile are skipped rather than piled up.
    if (m_bInTick) {
        return;
    }
    m_bInTick = true;
    const auto leave = qScopeGuard([this] { m_bInTick = false; });

    UpdateData(true);
    if (!m_pSocket || !m_pSocket->IsOpen()) {
        EndSearch();
        CMessageBox::Show(this, QStringLiteral("Can not initiate the socket!!"), QStringLiteral("Fatal"));
        return;
    }

    const corvane::MacAddress mac = corvane::MacPartAddress(m_strMacPart);
    const std::optional<corvane::Datagram> request = CFindTick::Request(mac, corvane::MacPartKey(m_strMacPart));
    if (!request) {
        EndSearch();
        CMessageBox::Show(this, QStringLiteral("You must set the ID and Password !!"), QStringLiteral("Warning"));
        return;
    }
    m_abyMac = mac;
    m_pSocket->SendTo(request->data(), static_cast<qint64>(request->size()), corvane::kDevicePort);

    SetStatus(kSendingStatus + QString(m_tick.NextDots(), QLatin1Char('.')));

    QThread::msleep(static_cast<unsigned long>(s_nSendPauseMs));
}

long CFindIPDlg::OnReceiveReply()
{
    SetStatus(QStringLiteral("Received"));

    std::array<std::uint8_t, corvane::kReplyBufferSize> buffer{};
    if (!m_pSocket || m_pSocket->Receive(buffer.data(), static_cast<qint64>(buffer.size())) < 0) {
        SetStatus(QStringLiteral("Socket error"));
        return 1;
    }

    const corvane::FindReply reply = corvane::ParseFindReply(buffer, m_abyMac);
    // The search is over before anything is shown; the socket is closed but not touched again here.
    EndSearch();
    switch (reply.outcome) {
    case corvane::FindOutcome::Refused:
        CMessageBox::Show(this, QStringLiteral("Wrong Password!!"), QStringLiteral("Error!!"));
        break;
    case corvane::FindOutcome::OtherDevice:
        SetStatus(QStringLiteral("Error"));
        break;
    case corvane::FindOutcome::Found:
        m_ctrlFoundIP->SetAddress(reply.ip);
        m_moreButton->setEnabled(true);
        m_pSysInfoDlg->SetSysInfo(reply.record);
        break;
    }
    return 1;
}

void CFindIPDlg::OnMore()
{
    m_moreButton->setEnabled(false);
    m_pSysInfoDlg->DoModal();
    m_moreButton->setEnabled(true);
}

void CFindIPDlg::done(int result)
{
    // The search ends with the window.
    if (m_bFinding) {
        EndSearch();
    }
    QDialog::done(result);
}
