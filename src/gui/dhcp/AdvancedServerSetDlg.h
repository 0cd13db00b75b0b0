#pragma once

#include "core/stores/AdvancedServerDB.h"
#include "gui/controls/InitDialog.h"

#include <QString>

#include <string>
#include <vector>

class CIPAddressField;
class QPoint;
class QPushButton;
class QTableWidget;

// "Advanced Server Setting": the routers the DHCP/BOOTP server hands to its clients, and the
// server's own address. The router buttons change the dialog's copy of "adsvr.ini" only; OK makes
// the same router changes, in turn, to the file as it is then (so that a router another window added
// meanwhile stays) and writes it, with the domain name "removed", an unlimited lease and the host's
// address as server IP.
class CAdvancedServerSetDlg final : public CInitDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CAdvancedServerSetDlg)

public:
    static inline const QString kTitle = QStringLiteral("Advanced Server Setting");

    explicit CAdvancedServerSetDlg(QWidget* parent = nullptr);

    // The router list from the settings and the host's address.
    void OnInitDialog() override;
    void OnAddRouter();
    void OnEditRouter();
    void OnRemoveRouter();
    // A click at `pos` in the list's viewport selects the row there, or none.
    void OnClickRouterList(const QPoint& pos);
    void OnOK();

    QTableWidget* RouterList() const { return m_listRouter; }
    CIPAddressField* ServerIPField() const { return m_ipServer; }

    CAdvancedServerDB m_settings;
    QTableWidget* m_listRouter = nullptr;
    CIPAddressField* m_ipServer = nullptr;
    int m_nSelRouter = -1;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A router added to the list or removed from it; an edit is a removal and an addition.
    struct RouterChange
    {
        bool add;
        std::string router;
    };

    void AppendRow(const QString& router);
    void AddRouter(const std::string& router);
    void RemoveRouter(int index);

    std::vector<RouterChange> m_routerChanges;

    QPushButton* m_addButton = nullptr;
    QPushButton* m_editButton = nullptr;
    QPushButton* m_removeButton = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
};
