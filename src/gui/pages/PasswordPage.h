#pragma once

#include "core/rules/ChangeVerification.h"
#include "gui/pages/ConfigPage.h"

#include <string>

class CColorStaticST;
class QCheckBox;
class QLabel;
class QLineEdit;
class QTimer;

// "Password": confirms a device's ID and password and records them for the other exchanges, or
// changes them. A change the device does not answer within 3 s is verified by confirming the new
// ID and password once a second, ten times at most. Enter anywhere on the page sends.
class CPasswordPage final : public CConfigPage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CPasswordPage)

public:
    // How long an answer is awaited, and the period of the verification requests.
    static constexpr int kAnswerWaitMs = CChangeVerification::kAnswerWaitMs;
    static constexpr int kVerifyPeriodMs = CChangeVerification::kVerifyPeriodMs;
    static constexpr int kMaxVerifications = CChangeVerification::kMaxVerifications;
    // Tests shorten the waits.
    static void SetTimings(int answerWaitMs, int verifyPeriodMs);

    explicit CPasswordPage(QWidget* parent = nullptr);

    void OnSend() override;
    long OnReceiveReply() override;
    // "Change " clicked: the other mode.
    void OnChangeClicked();
    // No answer to a confirmation in time.
    void OnNoConfirmAnswer();
    // No direct answer to a change in time: verification begins.
    void OnNoChangeAnswer();
    // The next verification request, or the end of them.
    void OnVerifyTick();

    bool IsChangeMode() const { return m_bChangeMode; }
    bool IsConfirmOutstanding() const { return m_bConfirmOutstanding; }
    int Attempts() const { return m_verification.Attempts(); }

    std::string m_strId;
    std::string m_strPassword;
    std::string m_strNewId;
    std::string m_strNewPassword;
    std::string m_strConfirm;

protected:
    void DoDataExchange(CDataExchange& dx) override;
    void OnNewExchange() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool Validate();
    void ApplyModeDisplay();
    void SendConfirmation(const std::string& id, const std::string& password);
    void OnConfirmAnswer();
    void OnChangeAnswer();

    static inline int s_nAnswerWaitMs = kAnswerWaitMs;
    static inline int s_nVerifyPeriodMs = kVerifyPeriodMs;

    bool m_bChangeMode = false;
    bool m_bConfirmOutstanding = false;
    CChangeVerification m_verification;

    QLineEdit* m_editId = nullptr;
    QLineEdit* m_editPassword = nullptr;
    QLineEdit* m_editNewId = nullptr;
    QLineEdit* m_editNewPassword = nullptr;
    QLineEdit* m_editConfirm = nullptr;
    QLabel* m_newIdLabel = nullptr;
    QLabel* m_newPasswordLabel = nullptr;
    QLabel* m_confirmLabel = nullptr;
    QCheckBox* m_checkChange = nullptr;
    CColorStaticST* m_modeCaption = nullptr;
    // The page's three timers: no answer to a confirmation, no answer to a change, verification.
    QTimer* m_confirmTimer = nullptr;
    QTimer* m_changeTimer = nullptr;
    QTimer* m_verifyTimer = nullptr;
};
