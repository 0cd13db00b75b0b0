#pragma once

#include <QString>
#include <QWidget>

class QLineEdit;
class QPushButton;

// The "IP Address" page: the DHCP/BOOTP client table and server, and the doors to the Find IP and
// Clear IP dialogs.
class CIPPage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CIPPage)

public:
    explicit CIPPage(QWidget* parent = nullptr);

    // "IP Find": the Find IP dialog, with the server stopped.
    void OnIpFind();
    // "   IP\n Clear": the Clear IP dialog; "IP Cleared!" when it ends with OK.
    void OnIpClear();

private:
    void SetStatus(const QString& status);

    QString m_strStatus;
    QPushButton* m_ipFindButton = nullptr;
    QPushButton* m_ipClearButton = nullptr;
    QLineEdit* m_statusEdit = nullptr;
};
