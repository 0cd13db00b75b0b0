#pragma once

#include "core/rules/MacParts.h"
#include "gui/controls/ExchangeSupport.h"
#include "gui/controls/InitDialog.h"

#include <QString>

#include <array>

class CIPAddressField;
class CMacPartFields;
class QLineEdit;
class QPushButton;

// "DB Setting for DHCP": one entry of the DHCP/BOOTP client table, added (m_nMode 0) or edited
// (m_nMode 1). The caller fills the members before DoModal and reads them after OK: the addresses
// then stand in the table's padded form "%3d.%3d.%3d.%3d", the default router as "%d.%d.%d.%d",
// and m_strMacText holds the MAC as twelve characters, two per part. Every MAC confirmed here is
// remembered in the MAC history.
class CBootpEditDlg final : public CInitDialog, public CExchangeSupport
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CBootpEditDlg)

public:
    static constexpr int kAddMode = 0;
    static constexpr int kEditMode = 1;
    static inline const QString kTitle = QStringLiteral("DB Setting for DHCP");

    explicit CBootpEditDlg(QWidget* parent = nullptr);

    void SetDefaultRouter(const QString& router) { m_strDefaultRouter = router; }

    void OnInitDialog() override;
    // MAC part `k` changed: the MAC text follows it.
    void OnChangeMacField(int k);
    // The operator typed into full MAC part `k`: on to the next part, from the last to Gateway IP.
    void OnMaxTextMacField(int k);
    // "Advanced..": the server settings; after OK the new default router is shown.
    void OnAdvanced();
    // The checks, the results in their stored forms, the MAC history; then OK.
    void OnOK();

    CIPAddressField* IPField() const { return m_ctrlIP; }
    CIPAddressField* GatewayField() const { return m_ctrlGateway; }
    CIPAddressField* SubnetField() const { return m_ctrlSubnet; }
    CIPAddressField* DefaultRouterField() const { return m_ctrlDefaultRouter; }
    CMacPartFields* MacFields() const { return m_macFields; }
    QPushButton* OkButton() const { return m_okButton; }

    int m_nMode = kEditMode;
    int m_nHType = 1;
    int m_nHlen = 6;
    QString m_strIP;
    QString m_strGateway;
    QString m_strSubnet;
    QString m_strDefaultRouter;
    QString m_strMacText = QStringLiteral("000000000000");
    corvane::MacPartTexts m_strMacField;
    std::array<int, 6> m_nTyped{};

protected:
    void DoDataExchange(CDataExchange& dx) override;

private:
    // The six parts joined, each in its two-character form.
    void RebuildMacText();

    // Set while OnInitDialog fills the MAC parts: that is not the operator changing them.
    bool m_bFilling = false;

    QLineEdit* m_editHType = nullptr;
    QLineEdit* m_editHlen = nullptr;
    CIPAddressField* m_ctrlIP = nullptr;
    CMacPartFields* m_macFields = nullptr;
    CIPAddressField* m_ctrlGateway = nullptr;
    CIPAddressField* m_ctrlSubnet = nullptr;
    CIPAddressField* m_ctrlDefaultRouter = nullptr;
    QPushButton* m_advancedButton = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};
