#pragma once

#include "core/stores/MacHistoryFDB.h"

#include <QDialog>

class QListWidget;
class QListWidgetItem;

// "History": the MAC addresses of the history, the most recently added first. Double-clicking an
// address ends the dialog with Accepted and that address in m_anByte; double-clicking the empty
// area below the addresses, or closing the dialog, ends it with Rejected and six zeros.
class CMacDBDlg final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMacDBDlg)

public:
    explicit CMacDBDlg(QWidget* parent = nullptr);

    // The picked address; six zeros unless an address was double-clicked.
    MacBytes m_anByte{};

    // The history list (control 1079).
    QListWidget* List() const { return m_pList; }

    // "00:01:A2:B3:C4:D5" for the bytes 0, 1, 162, 179, 196, 213.
    static QString FormatMac(const MacBytes& mac);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnInitDialog();
    void OnDblclkList(QListWidgetItem* item);

    QListWidget* m_pList = nullptr;
};
