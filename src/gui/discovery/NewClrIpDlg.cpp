#include "gui/discovery/NewClrIpDlg.h"

#include "core/link/CommandCodec.h"
#include "core/stores/MacHistoryFDB.h"
#include "core/stores/PwdFDB.h"
#include "gui/controls/MessageBox.h"
#include "gui/discovery/ConfirmDlg.h"
#include "gui/discovery/MacPartFields.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include <sys/socket.h>

#include <array>

CNewClrIpDlg::CNewClrIpDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("clearIPDlg"));
    setWindowTitle(QStringLiteral("Clear IP Dialog"));

    m_macFields = new CMacPartFields(CMacPartFields::kUnlimited, this);

    m_clearButton = new QPushButton(QStringLiteral("Clear"), this);
    m_clearButton->setObjectName(QStringLiteral("clearButton"));
    m_clearButton->setDefault(true);
    m_cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_cancelButton->setAutoDefault(false);
    connect(m_clearButton, &QPushButton::clicked, this, &CNewClrIpDlg::OnClear);
    connect(m_cancelButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_macFields);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_clearButton);
    buttons->addWidget(m_cancelButton);
    layout->addLayout(buttons);

    UpdateData(false);
}

CNewClrIpDlg::~CNewClrIpDlg() = default;

void CNewClrIpDlg::DoDataExchange(CDataExchange& dx)
{
    m_macFields->Exchange(dx, m_strMacPart);
}

void CNewClrIpDlg::OnClear()
{
    // An empty part would go out as 255 and spoil the MAC history; nothing is asked or sent then.
    UpdateData(true);
    if (!corvane::MacPartsAreHex(m_strMacPart)) {
        CMessageBox::Show(this, QStringLiteral("Inpute the Mac address !!"), QStringLiteral("Error"));
        return;
    }

    CConfirmDlg confirm(QString::fromLatin1(corvane::kClearCaption), QString::fromLatin1(corvane::kClearWarning), this);
    if (confirm.DoModal() != QDialog::Accepted || m_bEnded) {
        // "No", or an earlier request was answered while the question was open.
        return;
    }

    m_pSocket.reset();
    auto socket = std::make_unique<CClientSocket>();
    socket->Create(0);
    socket->SetSockOpt(SO_BROADCAST, 1);
    socket->SetOwner(this);
    m_pSocket = std::move(socket);

    UpdateData(true);
    CMacHistoryFDB::Remember(corvane::MacPartBytes(m_strMacPart));

    const std::optional<CPwdFDB::Credentials> credentials = CPwdFDB::Lookup(corvane::MacPartKey(m_strMacPart));
    if (!credentials) {
        CMessageBox::Show(this, QStringLiteral("You must set the ID and Password !!"), QStringLiteral("Warning"));
        return;
    }
    const corvane::Datagram request =
        corvane::BuildClearRequest(corvane::MacPartAddress(m_strMacPart), credentials->id, credentials->password);
    m_pSocket->SendTo(request.data(), static_cast<qint64>(request.size()), corvane::kDevicePort);
}

long CNewClrIpDlg::OnReceiveReply()
{
    std::array<std::uint8_t, corvane::kReplyBufferSize> buffer{};
    if (!m_pSocket || m_pSocket->Receive(buffer.data(), static_cast<qint64>(buffer.size())) < 0) {
        return 1;
    }
    switch (corvane::ParseClearReply(buffer)) {
    case corvane::ClearOutcome::NotClearReply:
        break;
    case corvane::ClearOutcome::Cleared:
        // Nothing more is read once the device has answered; the socket object stays until the
        // dialog goes.
        m_pSocket->Close();
        UpdateData(true);
        accept();
        break;
    case corvane::ClearOutcome::Refused:
        CMessageBox::Show(this, QStringLiteral("Wrong Password!!"), QStringLiteral("Error!!"));
        break;
    }
    return 1;
}

void CNewClrIpDlg::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        m_bEnded = false;
    }
    QDialog::showEvent(event);
}

void CNewClrIpDlg::done(int result)
{
    m_bEnded = true;
    if (m_pSocket) {
        m_pSocket->Close();
    }
    QDialog::done(result);
}
