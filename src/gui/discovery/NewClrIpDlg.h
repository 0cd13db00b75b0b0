#pragma once

#include "core/rules/MacParts.h"
#include "gui/controls/ExchangeSupport.h"
#include "net/link/ClientSocket.h"

#include <QDialog>

#include <memory>

class CMacPartFields;
class QPushButton;

// Makes a device forget its IP address: after the operator confirms the warning, "Clear"
// broadcasts one IP-clear request with the ID and password remembered for the MAC. The dialog
// ends with Accepted at the first IP-clear reply that says "OK".
class CNewClrIpDlg final : public QDialog, public CExchangeSupport, public IClientSocketOwner
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CNewClrIpDlg)

public:
    explicit CNewClrIpDlg(QWidget* parent = nullptr);
    ~CNewClrIpDlg() override;

    int DoModal() { return exec(); }

    void OnClear();
    long OnReceiveReply() override;

    corvane::MacPartTexts m_strMacPart;

protected:
    void DoDataExchange(CDataExchange& dx) override;
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    std::unique_ptr<CClientSocket> m_pSocket;
    // Set when the dialog has ended, possibly while the confirmation was still open.
    bool m_bEnded = false;

    CMacPartFields* m_macFields = nullptr;
    QPushButton* m_clearButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};
