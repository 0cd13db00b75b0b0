#include "gui/pages/PasswordPage.h"

#include "core/stores/PwdFDB.h"
#include "gui/controls/ColorStaticST.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>

namespace {

constexpr int kMaxText = 8;

QLineEdit* TextEdit(QWidget* parent, const QString& name, bool hidden)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setMaxLength(kMaxText);
    edit->setMaximumWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("WWWWWWWWW")) + 12);
    if (hidden) {
        edit->setEchoMode(QLineEdit::Password);
    }
    return edit;
}

QTimer* PageTimer(QObject* parent, const QString& name)
{
    auto* timer = new QTimer(parent);
    timer->setObjectName(name);
    // A coarse timer may fire 5 % early: the waits are counted to the millisecond.
    timer->setTimerType(Qt::PreciseTimer);
    return timer;
}

} // namespace

void CPasswordPage::SetTimings(int answerWaitMs, int verifyPeriodMs)
{
    s_nAnswerWaitMs = answerWaitMs;
    s_nVerifyPeriodMs = verifyPeriodMs;
}

CPasswordPage::CPasswordPage(QWidget* parent) : CConfigPage(parent)
{
    setObjectName(QStringLiteral("passwordPage"));

    m_checkChange = new QCheckBox(QStringLiteral("Change "), this);
    m_checkChange->setObjectName(QStringLiteral("changeCheck"));
    m_checkChange->setAccessibleName(QStringLiteral("Change"));
    m_modeCaption = new CColorStaticST(this);
    m_modeCaption->setObjectName(QStringLiteral("modeCaption"));
    m_editId = TextEdit(this, QStringLiteral("currentId"), false);
    m_editPassword = TextEdit(this, QStringLiteral("currentPassword"), true);
    m_editNewId = TextEdit(this, QStringLiteral("newId"), false);
    m_editNewPassword = TextEdit(this, QStringLiteral("newPassword"), true);
    m_editConfirm = TextEdit(this, QStringLiteral("confirmPassword"), true);
    m_newIdLabel = AddLabel(QStringLiteral("New ID"), m_editNewId);
    m_newPasswordLabel = AddLabel(QStringLiteral("New Password"), m_editNewPassword);
    m_confirmLabel = AddLabel(QStringLiteral("Confirm Password"), m_editConfirm);

    QGridLayout* body = Body();
    body->addWidget(m_checkChange, 0, 0);
    body->addWidget(m_modeCaption, 0, 1, 1, 2);
    body->addWidget(AddLabel(QStringLiteral("Current ID"), m_editId), 1, 0);
    body->addWidget(m_editId, 1, 1);
    body->addWidget(AddLabel(QStringLiteral("Current Password"), m_editPassword), 2, 0);
    body->addWidget(m_editPassword, 2, 1);
    body->addWidget(m_newIdLabel, 3, 0);
    body->addWidget(m_editNewId, 3, 1);
    body->addWidget(m_newPasswordLabel, 4, 0);
    body->addWidget(m_editNewPassword, 4, 1);
    body->addWidget(m_confirmLabel, 5, 0);
    body->addWidget(m_editConfirm, 5, 1);
    body->setColumnStretch(3, 1);

    m_confirmTimer = PageTimer(this, QStringLiteral("confirmTimer"));
    m_changeTimer = PageTimer(this, QStringLiteral("changeTimer"));
    m_verifyTimer = PageTimer(this, QStringLiteral("verifyTimer"));
    connect(m_confirmTimer, &QTimer::timeout, this, &CPasswordPage::OnNoConfirmAnswer);
    connect(m_changeTimer, &QTimer::timeout, this, &CPasswordPage::OnNoChangeAnswer);
    connect(m_verifyTimer, &QTimer::timeout, this, &CPasswordPage::OnVerifyTick);
    connect(m_checkChange, &QCheckBox::clicked, this, &CPasswordPage::OnChangeClicked);

    // Enter on any control of the page sends.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>()) {
        child->installEventFilter(this);
    }

    // First showing: the mode caption in the tooltip colours, the stored mode.
    UpdateData(false);
    const QPalette tips = QToolTip::palette();
    m_modeCaption->SetTextColor(tips.color(QPalette::ToolTipText));
    m_modeCaption->SetBkColor(tips.color(QPalette::ToolTipBase));
    ApplyModeDisplay();
}

void CPasswordPage::DoDataExchange(CDataExchange& dx)
{
    dx.Text(m_editId, m_strId);
    dx.Text(m_editPassword, m_strPassword);
    dx.Text(m_editNewId, m_strNewId);
    dx.Text(m_editNewPassword, m_strNewPassword);
    dx.Text(m_editConfirm, m_strConfirm);
    dx.Check(m_checkChange, m_bChangeMode);
}

void CPasswordPage::ApplyModeDisplay()
{
    const QString caption = m_bChangeMode ? QStringLiteral("Change Password") : QStringLiteral("Confirm Password");
    m_modeCaption->setText(caption);
    // Named apart from the "Confirm Password" field it would otherwise share its name with.
    m_modeCaption->setAccessibleName(QStringLiteral("Mode: %1").arg(caption));
    // The contents are kept.
    for (QWidget* widget : std::initializer_list<QWidget*>{m_newIdLabel, m_editNewId, m_newPasswordLabel,
                                                           m_editNewPassword, m_confirmLabel, m_editConfirm}) {
        widget->setEnabled(m_bChangeMode);
    }
}

void CPasswordPage::OnChangeClicked()
{
    m_bChangeMode = !m_bChangeMode;
    ApplyModeDisplay();
}

bool CPasswordPage::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            SendButton()->setFocus(Qt::OtherFocusReason);
            OnSend();
            return true;
        }
    }
    return CConfigPage::eventFilter(watched, event);
}

bool CPasswordPage::Validate()
{
    if (!ValidatePrefix()) {
        return false;
    }
    const corvane::PasswordFields fields{m_bChangeMode, m_strId,          m_strPassword,
                                         m_strNewId,    m_strNewPassword, m_strConfirm};
    if (const auto refusal = corvane::CheckPasswordFields(fields)) {
        Refuse(*refusal);
        return false;
    }
    return PrepareLink();
}

void CPasswordPage::OnNewExchange()
{
    // The previous exchange can no longer be answered: its socket goes. Its timers would only
    // report a missing answer or send on the new socket.
    m_confirmTimer->stop();
    m_changeTimer->stop();
    m_verifyTimer->stop();
    m_bConfirmOutstanding = false;
}

void CPasswordPage::SendConfirmation(const std::string& id, const std::string& password)
{
    SendRequest(corvane::BuildConfirmRequest(Mac(), id, password));
    m_bConfirmOutstanding = true;
}

void CPasswordPage::OnSend()
{
    if (!Validate()) {
        return;
    }
    UpdateData(true);
    if (!m_bChangeMode) {
        if (m_strId.empty() || m_strPassword.empty()) {
            Show(corvane::kMsgEmptyField);
            return;
        }
        SendConfirmation(m_strId, m_strPassword);
        m_confirmTimer->start(s_nAnswerWaitMs);
        return;
    }
    if (m_strId.empty() || m_strPassword.empty() || m_strNewId.empty() || m_strNewPassword.empty()) {
        Show(corvane::kMsgEmptyField);
        return;
    }
    SendRequest(corvane::BuildChangeRequest(Mac(), m_strId, m_strPassword, m_strNewId, m_strNewPassword));
    m_verification.Start();
    m_changeTimer->start(s_nAnswerWaitMs);
}

void CPasswordPage::OnNoConfirmAnswer()
{
    m_confirmTimer->stop();
    // The confirmation stays outstanding: a late answer is still taken as one.
    Show(corvane::kMsgNoResponse);
}

void CPasswordPage::OnNoChangeAnswer()
{
    UpdateData(true);
    m_changeTimer->stop();
    // The first verification is always due.
    m_verification.Next();
    SendConfirmation(m_strNewId, m_strNewPassword);
    m_verifyTimer->start(s_nVerifyPeriodMs);
}

void CPasswordPage::OnVerifyTick()
{
    if (!m_verification.Next()) {
        m_verifyTimer->stop();
        Show(corvane::kMsgVerifyNoResponse);
        return;
    }
    SendConfirmation(m_strNewId, m_strNewPassword);
}

long CPasswordPage::OnReceiveReply()
{
    if (m_bConfirmOutstanding || !m_bChangeMode) {
        OnConfirmAnswer();
    } else {
        OnChangeAnswer();
    }
    return 1;
}

void CPasswordPage::OnConfirmAnswer()
{
    const unsigned exchange = CurrentExchange();
    const bool changeMode = m_bChangeMode;
    const QPointer<CClientSocket> socket = m_pSocket.get();
    if (const std::optional<corvane::ConfigReply> reply = ReceiveReply(socket)) {
        if (reply->command == corvane::kCmdConfirmPassword) {
            (changeMode ? m_verifyTimer : m_confirmTimer)->stop();
            const corvane::CredentialAnswer answer = corvane::ConfirmAnswer(*reply, changeMode);
            if (answer.record) {
                // Under the MAC the device answered with.
                CPwdFDB::Remember(corvane::MacKey(reply->mac), answer.record->first, answer.record->second);
            }
            Show(answer.message);
        }
        if (socket) {
            socket->Close();
        }
    }
    // A Send made while a box was open has a confirmation of its own.
    if (exchange == CurrentExchange()) {
        m_bConfirmOutstanding = false;
    }
}

void CPasswordPage::OnChangeAnswer()
{
    const QPointer<CClientSocket> socket = m_pSocket.get();
    const std::optional<corvane::ConfigReply> reply = ReceiveReply(socket);
    if (!reply) {
        // The wait for an answer goes on.
        Show(corvane::kMsgSocketError);
        return;
    }
    if (reply->command == corvane::kCmdChangePassword) {
        m_changeTimer->stop();
        const corvane::CredentialAnswer answer = corvane::ChangeAnswer(*reply, m_strNewId, m_strNewPassword);
        if (answer.record) {
            // Recorded before the box opens: the device already takes nothing else.
            CPwdFDB::Remember(corvane::MacKey(reply->mac), answer.record->first, answer.record->second);
        }
        Show(answer.message);
    }
    if (socket) {
        socket->Close();
    }
}
