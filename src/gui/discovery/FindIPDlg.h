#pragma once

#include "core/rules/FindTick.h"
#include "core/rules/MacParts.h"
#include "gui/controls/ExchangeSupport.h"
#include "net/link/ClientSocket.h"

#include <QDialog>
#include <QString>

#include <memory>

class CIPAddressField;
class CMacPartFields;
class CSysInfoDlg;
class QLineEdit;
class QPushButton;
class QTimer;

// Finds the IP address of the device whose MAC address the operator typed: broadcasts the IP-find
// request once a second, with the ID and password remembered for the MAC, until a reply arrives or
// the operator stops the search. The first reply decides: the device's address and system
// information, a refusal ("Wrong Password!!") or another device's answer ("Error").
class CFindIPDlg final : public QDialog, public CExchangeSupport, public IClientSocketOwner
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CFindIPDlg)

public:
    static constexpr int kFindPeriodMs = CFindTick::kFindPeriodMs;
    static constexpr int kSendPauseMs = CFindTick::kSendPauseMs;

    explicit CFindIPDlg(QWidget* parent = nullptr);
    ~CFindIPDlg() override;

    int DoModal() { return exec(); }

    // "Find" starts a search, "Stop" ends it.
    void OnFind();
    // One tick of a search: one request.
    void OnTimer();
    long OnReceiveReply() override;
    // "more..": the system information of the device found last.
    void OnMore();

    bool IsFinding() const { return m_bFinding != 0; }

    // The period between two requests and the blocking pause after each send; tests shorten them.
    static void SetTimings(int findPeriodMs, int sendPauseMs);

    corvane::MacPartTexts m_strMacPart;
    QString m_strStatus;

protected:
    void DoDataExchange(CDataExchange& dx) override;
    void done(int result) override;

private:
    void SetStatus(const QString& status);
    // Back to idle: no timer, no open socket, "Find" on the button.
    void EndSearch();

    static inline int s_nFindPeriodMs = kFindPeriodMs;
    static inline int s_nSendPauseMs = kSendPauseMs;

    int m_bFinding = 0;
    CFindTick m_tick;
    bool m_bInTick = false;
    corvane::MacAddress m_abyMac{};
    std::unique_ptr<CClientSocket> m_pSocket;
    CSysInfoDlg* m_pSysInfoDlg = nullptr;
    QTimer* m_findTimer = nullptr;

    CMacPartFields* m_macFields = nullptr;
    CIPAddressField* m_ctrlFoundIP = nullptr;
    QPushButton* m_moreButton = nullptr;
    QLineEdit* m_statusEdit = nullptr;
    QPushButton* m_findButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};
