#pragma once

#include "core/rules/MacParts.h"
#include "core/stores/FileIdentity.h"
#include "net/dhcp/DhcpResponder.h"
#include "net/link/ServerSocket.h"

#include <QAbstractSocket>
#include <QElapsedTimer>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

class CBootPFDB;
class QFileSystemWatcher;
class QLineEdit;
class QTimer;
class QPoint;
class QPushButton;
class QTableWidget;

// The "IP Address" page: the DHCP/BOOTP client table ("dhcp.ini") with Add, Edit and Delete, the
// server settings, the built-in DHCP/BOOTP server on UDP port 67 with its status line, and the
// doors to the Find IP and Clear IP dialogs.
//
// Every dialog opened here keeps the event loop running, so the server's requests are handled
// meanwhile; a request from a device the table does not hold opens the Add dialog itself, and the
// requests that come while that dialog is open are read and dropped.
//
// The list follows "dhcp.ini" as other windows, command lines or hand edits change it: the store
// directory and the file are watched, and the list is read again shortly after they change, the
// selection staying on its entry while the table holds it.
class CIPPage final : public QWidget, public IServerSocketOwner
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CIPPage)

public:
    static constexpr int kColumns = 6;

    // Takes UDP port 67 for a server socket; false when it could not (the socket says why).
    // Tests replace it so that DHCP Start opens no socket.
    using PortBinder = std::function<bool(CServerSocket& socket, quint16 port)>;

    explicit CIPPage(QWidget* parent = nullptr);
    ~CIPPage() override;

    // Fills the list from the table and shows the stopped server. Runs once the store directory is
    // known (the profile value "path" is written at start before the pages are initialised).
    void OnInitDialog();
    // The list shows the table, row n entry n; the table is saved back in its normal form.
    void RefreshList();
    // The list shows the table as the file holds it now, unless it shows that already; nothing is
    // written. Runs shortly after the store directory or the file changed.
    void ReloadList();
    // How long changes of the store directory are gathered before the list is read again.
    static constexpr int kReloadDelayMs = 100;

    // A click at `pos` in the list's viewport selects the row there, or none.
    void OnClickList(const QPoint& pos);
    // "Add": 1 when an entry was added, 0 when the dialog was cancelled or the IP or the MAC is
    // already in the table (then nothing is said).
    int OnAddEntry();
    void OnEditEntry();
    void OnDeleteEntry();
    // "Server \nSetting": the Advanced Server Setting dialog.
    void OnServerSetting();
    // "DHCP\n Start": listens on UDP port 67, given a default router.
    void OnDhcpStart();
    // "DHCP\n Stop".
    void OnDhcpStop();
    // One request on the server socket: screened, looked up in the table, answered.
    void OnServerReceive() override;
    // "IP Find": the server stops, then the Find IP dialog.
    void OnIpFind();
    // "   IP\n Clear": the Clear IP dialog; "IP Cleared!" when it ends with OK.
    void OnIpClear();

    // The status text when UDP port 67 could not be taken.
    static QString ListenFailureText(QAbstractSocket::SocketError error, const QString& errorString);
    // Installs `binder` (an empty one restores the real one); returns the previous one.
    static PortBinder SetPortBinder(PortBinder binder);

    QTableWidget* List() const { return m_list; }
    // The latest status text. The status line shows it at once, or, while requests come faster
    // than anyone can read, at most every kStatusIntervalMs.
    QString Status() const { return m_strStatus; }
    static constexpr int kStatusIntervalMs = 40;
    CServerSocket* ServerSocket() const { return m_pServerSocket.get(); }

    QTableWidget* m_list = nullptr;
    int m_nCount = 0;
    int m_nSelected = -1;
    int m_bStarted = 0;
    std::unique_ptr<CServerSocket> m_pServerSocket;
    corvane::MacPartTexts m_strLastMac;
    int m_bBusy = 0;

signals:
    // Every status text, in turn, as it is set.
    void statusChanged(const QString& status);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetStatus(const QString& status);
    void SetStatus(const char* status);
    // A request from a served device the table does not hold: the Add dialog with its MAC. False
    // when nothing was added (the server has stopped then).
    bool OnUnknownClient();
    void ShowStatus();
    void ShowStopped();
    // The six column texts of a row.
    QStringList RowTexts(int row) const;
    void SetRow(int row, const QStringList& texts);
    // Fills the list from `table`, which the file held as `shown`. The row selected before follows
    // `selected` (the row texts of an entry, matched by MAC, then by IP; empty: none).
    void ShowTable(CBootPFDB& table, const FileIdentity& shown, const QStringList& selected);
    // Watches the store directory and "dhcp.ini" (again: a save replaces the file).
    void WatchStore();

    CDhcpResponder m_responder;
    QString m_strStatus;
    QPushButton* m_addButton = nullptr;
    QPushButton* m_editButton = nullptr;
    QPushButton* m_deleteButton = nullptr;
    QPushButton* m_serverSettingButton = nullptr;
    QPushButton* m_startButton = nullptr;
    QPushButton* m_stopButton = nullptr;
    QPushButton* m_ipFindButton = nullptr;
    QPushButton* m_ipClearButton = nullptr;
    QLineEdit* m_statusEdit = nullptr;
    QTimer* m_statusTimer = nullptr;
    QElapsedTimer m_statusShown;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_reloadTimer = nullptr;
    QString m_strWatchedFile;
    // The file as the list shows it.
    FileIdentity m_shown;
};
