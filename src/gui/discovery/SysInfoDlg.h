#pragma once

#include "core/link/SysInfoRecord.h"

#include <QDialog>
#include <QString>

#include <utility>
#include <vector>

class QTableWidget;

// Shows, read-only, the system information of the device found by the latest successful search
// of the Find IP dialog: its own addresses, ports, TCP state, timers and modes, and the peers of
// its TCP connection in client and in server role. The lists are filled afresh on every opening.
class CSysInfoDlg final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CSysInfoDlg)

public:
    using Rows = std::vector<std::pair<QString, QString>>;

    explicit CSysInfoDlg(QWidget* parent = nullptr);

    // Replaces the data shown by the next opening.
    void SetSysInfo(const corvane::SysInfoRecord& record);
    const corvane::SysInfoRecord& SysInfo() const { return m_record; }
    int DoModal() { return exec(); }

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // The rows of the three lists as they are shown for `record`.
    static Rows DeviceRows(const corvane::SysInfoRecord& record);
    static Rows ClientRows(const corvane::SysInfoRecord& record);
    static Rows ServerRows(const corvane::SysInfoRecord& record);

    void OnInitDialog();
    QTableWidget* AddList(const QString& groupText, const QString& objectName, int rows);
    static void FillList(QTableWidget* list, const Rows& rows);

    corvane::SysInfoRecord m_record;
    QTableWidget* m_listDevice = nullptr;
    QTableWidget* m_listClient = nullptr;
    QTableWidget* m_listServer = nullptr;
};
