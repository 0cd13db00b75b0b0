#include "gui/dhcp/IPPage.h"

#include "core/dhcp/ClientChecks.h"
#include "core/dhcp/DhcpEngine.h"
#include "core/stores/AdvancedServerDB.h"
#include "core/stores/BootPFDB.h"
#include "gui/controls/MessageBox.h"
#include "gui/dhcp/AdvancedServerSetDlg.h"
#include "gui/dhcp/BootpEditDlg.h"
#include "gui/discovery/FindIPDlg.h"
#include "gui/discovery/NewClrIpDlg.h"
#include "net/dhcp/HostAddress.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include <sys/socket.h>

#include <array>
#include <cstdlib>

namespace dhcp = corvane::dhcp;

namespace {

struct Column
{
    const char* header;
    int width;
};
constexpr std::array<Column, CIPPage::kColumns> kListColumns{{
    {"Type", 40},
    {" Len", 40},
    {" CV IP", 90},
    {" CV MAC", 90},
    {" Gateway IP", 90},
    {" Subnet Mask", 90},
}};

const QString kNoRecord = QStringLiteral("There's no record!!");
const QString kNoRecordCaption = QStringLiteral("Alert");
const QString kNoSelection = QStringLiteral("There's no selected data!!");
const QString kNoSelectionCaption = QStringLiteral("Error");

bool BindPort(CServerSocket& socket, quint16 port)
{
    return socket.Create(port) && socket.Bind(port);
}

CIPPage::PortBinder& CurrentBinder()
{
    static CIPPage::PortBinder binder = BindPort;
    return binder;
}

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

std::string S(const QString& text)
{
    return text.toStdString();
}

int AtoI(const QString& text)
{
    return std::atoi(text.toLatin1().constData());
}

QStringList EntryTexts(int nHType, int nHlen, const QString& ip, const QString& mac, const QString& gateway,
                       const QString& subnet)
{
    return {QString::asprintf("%d", nHType), QString::asprintf("%d", nHlen), ip, mac, gateway, subnet};
}

QStringList DialogTexts(const CBootpEditDlg& dlg)
{
    return EntryTexts(dlg.m_nHType, dlg.m_nHlen, dlg.m_strIP, dlg.m_strMacText, dlg.m_strGateway, dlg.m_strSubnet);
}

CBootPFDB::Record DialogRecord(const CBootpEditDlg& dlg)
{
    return {dlg.m_nHType, dlg.m_nHlen, S(dlg.m_strIP), S(dlg.m_strMacText), S(dlg.m_strGateway), S(dlg.m_strSubnet)};
}

QString DefaultRouter()
{
    CAdvancedServerDB settings;
    settings.Load();
    return Q(settings.GetRouter(0));
}

QPushButton* MakeButton(const QString& text, const QString& name, const QString& accessibleName, QWidget* parent)
{
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAccessibleName(accessibleName);
    button->setAutoDefault(false);
    return button;
}

} // namespace

CIPPage::CIPPage(QWidget* parent)
    : QWidget(parent),
      m_responder({[this](const std::string& status) { SetStatus(QString::fromStdString(status)); },
                   [this](const dhcp::Screening& screening) { m_strLastMac = dhcp::MacParts(screening.mac); },
                   [this](const dhcp::Screening&) { return OnUnknownClient(); }})
{
    setObjectName(QStringLiteral("ipPage"));

    auto* group = new QGroupBox(QStringLiteral("DHCP DB"), this);
    group->setObjectName(QStringLiteral("dhcpDbGroup"));
    m_list = new QTableWidget(0, kColumns, group);
    m_list->setObjectName(QStringLiteral("dhcpList"));
    m_list->setAccessibleName(QStringLiteral("DHCP DB"));
    QStringList headers;
    for (int c = 0; c < kColumns; ++c) {
        headers << QString::fromLatin1(kListColumns[static_cast<std::size_t>(c)].header);
    }
    m_list->setHorizontalHeaderLabels(headers);
    m_list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_list->horizontalHeader()->setHighlightSections(false);
    m_list->verticalHeader()->hide();
    for (int c = 0; c < kColumns; ++c) {
        m_list->setColumnWidth(c, kListColumns[static_cast<std::size_t>(c)].width);
    }
    m_list->setShowGrid(true);
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->viewport()->installEventFilter(this);
    m_list->installEventFilter(this);

    m_addButton = MakeButton(QStringLiteral("Add"), QStringLiteral("addButton"), QStringLiteral("Add"), this);
    m_editButton = MakeButton(QStringLiteral("Edit"), QStringLiteral("editButton"), QStringLiteral("Edit"), this);
    m_deleteButton =
        MakeButton(QStringLiteral("Delete"), QStringLiteral("deleteButton"), QStringLiteral("Delete"), this);
    m_serverSettingButton = MakeButton(QStringLiteral("Server \nSetting"), QStringLiteral("serverSettingButton"),
                                       QStringLiteral("Server Setting"), this);
    m_startButton = MakeButton(QStringLiteral("DHCP\n Start"), QStringLiteral("dhcpStartButton"),
                               QStringLiteral("DHCP Start"), this);
    m_stopButton =
        MakeButton(QStringLiteral("DHCP\n Stop"), QStringLiteral("dhcpStopButton"), QStringLiteral("DHCP Stop"), this);
    m_ipFindButton =
        MakeButton(QStringLiteral("IP Find"), QStringLiteral("ipFindButton"), QStringLiteral("IP Find"), this);
    m_ipClearButton =
        MakeButton(QStringLiteral("   IP\n Clear"), QStringLiteral("ipClearButton"), QStringLiteral("IP Clear"), this);

    connect(m_addButton, &QPushButton::clicked, this, [this] { OnAddEntry(); });
    connect(m_editButton, &QPushButton::clicked, this, &CIPPage::OnEditEntry);
    connect(m_deleteButton, &QPushButton::clicked, this, &CIPPage::OnDeleteEntry);
    connect(m_serverSettingButton, &QPushButton::clicked, this, &CIPPage::OnServerSetting);
    connect(m_startButton, &QPushButton::clicked, this, &CIPPage::OnDhcpStart);
    connect(m_stopButton, &QPushButton::clicked, this, &CIPPage::OnDhcpStop);
    connect(m_ipFindButton, &QPushButton::clicked, this, &CIPPage::OnIpFind);
    connect(m_ipClearButton, &QPushButton::clicked, this, &CIPPage::OnIpClear);

    auto* statusLabel = new QLabel(QStringLiteral("STATUS  "), this);
    statusLabel->setObjectName(QStringLiteral("statusLabel"));
    m_statusEdit = new QLineEdit(this);
    m_statusEdit->setObjectName(QStringLiteral("statusEdit"));
    m_statusEdit->setReadOnly(true);
    statusLabel->setBuddy(m_statusEdit);
    m_statusEdit->setAccessibleName(QStringLiteral("STATUS"));
    m_statusTimer = new QTimer(this);
    m_statusTimer->setObjectName(QStringLiteral("statusTimer"));
    m_statusTimer->setSingleShot(true);
    m_statusTimer->setTimerType(Qt::PreciseTimer);
    connect(m_statusTimer, &QTimer::timeout, this, &CIPPage::ShowStatus);

    // A save writes a temporary file and renames it: one change is a burst of events, read once.
    m_reloadTimer = new QTimer(this);
    m_reloadTimer->setObjectName(QStringLiteral("reloadTimer"));
    m_reloadTimer->setSingleShot(true);
    m_reloadTimer->setInterval(kReloadDelayMs);
    connect(m_reloadTimer, &QTimer::timeout, this, &CIPPage::ReloadList);
    m_watcher = new QFileSystemWatcher(this);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_reloadTimer, qOverload<>(&QTimer::start));
    connect(m_watcher, &QFileSystemWatcher::fileChanged, m_reloadTimer, qOverload<>(&QTimer::start));

    // The client table with its own buttons in the group; beside it the server's and the device
    // buttons; below, the status line.
    auto* tableButtons = new QHBoxLayout;
    tableButtons->addWidget(m_addButton);
    tableButtons->addWidget(m_editButton);
    tableButtons->addWidget(m_deleteButton);
    tableButtons->addStretch();
    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(m_list, 1);
    groupLayout->addLayout(tableButtons);

    auto* sideButtons = new QVBoxLayout;
    sideButtons->addWidget(m_serverSettingButton);
    sideButtons->addWidget(m_startButton);
    sideButtons->addWidget(m_stopButton);
    sideButtons->addStretch();
    sideButtons->addWidget(m_ipFindButton);
    sideButtons->addWidget(m_ipClearButton);

    auto* layout = new QGridLayout(this);
    layout->addWidget(group, 0, 0);
    layout->addLayout(sideButtons, 0, 1);
    layout->setColumnStretch(0, 1);
    layout->setRowStretch(0, 1);
    auto* status = new QHBoxLayout;
    status->addWidget(statusLabel);
    status->addWidget(m_statusEdit);
    layout->addLayout(status, 1, 0, 1, 2);

    // The stopped server; the list is filled by OnInitDialog, once the store directory is known.
    ShowStopped();
    SetStatus(dhcp::kStatusMonitoring);
}

CIPPage::~CIPPage() = default;

CIPPage::PortBinder CIPPage::SetPortBinder(PortBinder binder)
{
    PortBinder previous = CurrentBinder();
    CurrentBinder() = binder ? std::move(binder) : PortBinder(BindPort);
    return previous;
}

QString CIPPage::ListenFailureText(QAbstractSocket::SocketError error, const QString& errorString)
{
    QString text = QStringLiteral("Can not listen on UDP port 67: ") + errorString;
    if (error == QAbstractSocket::SocketAccessError) {
        text += QStringLiteral(" (run as root or grant CAP_NET_BIND_SERVICE)");
    } else if (error == QAbstractSocket::AddressInUseError) {
        text += QStringLiteral(" (another DHCP server is using it)");
    }
    return text;
}

void CIPPage::SetStatus(const QString& status)
{
    m_strStatus = status;
    emit statusChanged(m_strStatus);
    // Laying out and painting the line for every text would cost the server more than answering
    // the request: texts that follow each other within kStatusIntervalMs are shown as one, the last.
    if (m_statusTimer->isActive()) {
        return;
    }
    const qint64 since = m_statusShown.isValid() ? m_statusShown.elapsed() : kStatusIntervalMs;
    if (since >= kStatusIntervalMs) {
        ShowStatus();
    } else {
        m_statusTimer->start(static_cast<int>(kStatusIntervalMs - since));
    }
}

void CIPPage::ShowStatus()
{
    m_statusEdit->setText(m_strStatus);
    m_statusShown.start();
}

void CIPPage::SetStatus(const char* status)
{
    SetStatus(QString::fromLatin1(status));
}

void CIPPage::ShowStopped()
{
    m_stopButton->setEnabled(false);
    m_startButton->setEnabled(true);
}

void CIPPage::OnInitDialog()
{
    RefreshList();
    SetStatus(dhcp::kStatusMonitoring);
    ShowStopped();
}

QStringList CIPPage::RowTexts(int row) const
{
    QStringList texts;
    for (int c = 0; c < kColumns; ++c) {
        const QTableWidgetItem* item = row >= 0 ? m_list->item(row, c) : nullptr;
        texts << (item ? item->text() : QString());
    }
    return texts;
}

void CIPPage::SetRow(int row, const QStringList& texts)
{
    for (int c = 0; c < kColumns; ++c) {
        m_list->setItem(row, c, new QTableWidgetItem(texts.value(c)));
    }
}

void CIPPage::RefreshList()
{
    CBootPFDB table;
    const FileIdentity before = FileIdentity::Of(table.GetPath());
    if (!table.Rewrite() && table.WasBusy()) {
        // Shown as it is; the normal form waits for the next save.
        table.Load();
    }
    const FileIdentity& saved = table.SavedIdentity();
    ShowTable(table, saved.exists ? saved : before, RowTexts(m_nSelected));
}

void CIPPage::ReloadList()
{
    CBootPFDB table;
    // Taken before the read: a change made while reading shows as another identity next time.
    const FileIdentity now = FileIdentity::Of(table.GetPath());
    if (now == m_shown && QFileInfo(QString::fromStdString(table.GetPath())).absoluteFilePath() == m_strWatchedFile) {
        WatchStore();
        return;
    }
    const timespec start = FileIdentity::Now();
    table.Load();
    // A change within the clock's granularity of this read may leave the identity as it is: such a
    // read is not taken as what the file holds, so the change's own notice reads it again.
    ShowTable(table, now.RacyAgainst(start) ? FileIdentity{} : now, RowTexts(m_nSelected));
}

void CIPPage::ShowTable(CBootPFDB& table, const FileIdentity& shown, const QStringList& selected)
{
    const bool highlighted = m_nSelected >= 0 && m_nSelected < m_list->rowCount() && m_list->item(m_nSelected, 0) &&
                             m_list->item(m_nSelected, 0)->isSelected();
    m_list->setRowCount(0);
    int byMac = -1;
    int byIp = -1;
    table.MoveFirst();
    while (!table.IsEnd()) {
        const int row = m_list->rowCount();
        const QStringList texts = EntryTexts(table.GetHType(), table.GetHlen(), Q(table.GetIP()), Q(table.GetMAC()),
                                             Q(table.GetGateway()), Q(table.GetSubnet()));
        m_list->insertRow(row);
        SetRow(row, texts);
        if (selected.size() == kColumns) {
            if (byMac == -1 && texts[3] == selected[3]) {
                byMac = row;
            }
            if (byIp == -1 && texts[2] == selected[2]) {
                byIp = row;
            }
        }
        table.MoveNext();
    }
    m_nCount = m_list->rowCount();
    m_nSelected = byMac != -1 ? byMac : byIp;
    if (highlighted && m_nSelected != -1) {
        m_list->selectRow(m_nSelected);
    }
    m_shown = shown;
    WatchStore();
}

void CIPPage::WatchStore()
{
    const QFileInfo file(QString::fromStdString(CBootPFDB().GetPath()));
    const QString path = file.absoluteFilePath();
    const QString directory = file.absolutePath();
    if (path != m_strWatchedFile) {
        if (!m_watcher->files().isEmpty()) {
            m_watcher->removePaths(m_watcher->files());
        }
        if (!m_watcher->directories().isEmpty()) {
            m_watcher->removePaths(m_watcher->directories());
        }
        m_strWatchedFile = path;
    }
    if (!m_watcher->directories().contains(directory) && QFileInfo::exists(directory)) {
        m_watcher->addPath(directory);
    }
    if (!m_watcher->files().contains(path) && file.exists()) {
        m_watcher->addPath(path);
    }
}

bool CIPPage::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_list->viewport() && event->type() == QEvent::MouseButtonPress) {
        OnClickList(static_cast<QMouseEvent*>(event)->position().toPoint());
    } else if (watched == m_list && event->type() == QEvent::KeyPress &&
               static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        // The keyboard's click: the row with the focus.
        const int row = m_list->currentRow();
        const QTableWidgetItem* item = row >= 0 ? m_list->item(row, 0) : nullptr;
        OnClickList(item ? m_list->visualItemRect(item).center() : QPoint(-1, -1));
    }
    return QWidget::eventFilter(watched, event);
}

void CIPPage::OnClickList(const QPoint& pos)
{
    const QModelIndex index = m_list->indexAt(pos);
    m_nSelected = index.isValid() ? index.row() : -1;
}

int CIPPage::OnAddEntry()
{
    CBootpEditDlg dlg(this);
    dlg.m_nMode = CBootpEditDlg::kAddMode;
    dlg.m_strMacField = m_strLastMac;
    dlg.SetDefaultRouter(DefaultRouter());
    if (dlg.DoModal() != QDialog::Accepted) {
        return 0;
    }

    // Made on the table as it is now: the server or another window may have added an entry while
    // the dialog was open. A table that could not be written has been reported by the store; the
    // list shows the file.
    CBootPFDB table;
    if (table.AddEntry(DialogRecord(dlg)) != CBootPFDB::ChangeResult::Done) {
        return 0;
    }
    ShowTable(table, table.SavedIdentity(), RowTexts(m_nSelected));
    return 1;
}

void CIPPage::OnEditEntry()
{
    const int row = m_nSelected;
    const QStringList texts = RowTexts(row);
    const QString ip = texts[2];
    const QString mac = texts[3];

    CBootpEditDlg dlg(this);
    dlg.m_nMode = CBootpEditDlg::kEditMode;
    dlg.m_nHType = AtoI(texts[0]);
    dlg.m_nHlen = AtoI(texts[1]);
    dlg.m_strIP = ip;
    dlg.m_strMacText = mac;
    dlg.m_strGateway = texts[4];
    dlg.m_strSubnet = texts[5];

    {
        CBootPFDB table;
        table.Load();
        if (m_nCount == 0) {
            CMessageBox::Show(this, kNoRecord, kNoRecordCaption);
            return;
        }
        if (table.Find(S(ip), S(mac)) == -1) {
            CMessageBox::Show(this, kNoSelection, kNoSelectionCaption);
            return;
        }
    }
    dlg.SetDefaultRouter(DefaultRouter());
    if (dlg.DoModal() != QDialog::Accepted) {
        return;
    }

    // The server or another window may have changed the table while the dialog was open: the entry
    // is replaced in the table as it is now, so that this save keeps their changes.
    CBootPFDB table;
    const CBootPFDB::ChangeResult result = table.ReplaceEntry(S(ip), S(mac), DialogRecord(dlg));
    if (result == CBootPFDB::ChangeResult::Missing) {
        CMessageBox::Show(this, kNoSelection, kNoSelectionCaption);
        return;
    }
    if (result != CBootPFDB::ChangeResult::Done) {
        return;
    }
    ShowTable(table, table.SavedIdentity(), DialogTexts(dlg));
}

void CIPPage::OnDeleteEntry()
{
    const QStringList texts = RowTexts(m_nSelected);
    if (m_nCount == 0) {
        CMessageBox::Show(this, kNoRecord, kNoRecordCaption);
        return;
    }
    CBootPFDB table;
    // No row selected names no entry: nothing to take the table's lock for.
    const CBootPFDB::ChangeResult result =
        m_nSelected < 0 ? CBootPFDB::ChangeResult::Missing : table.RemoveEntry(S(texts[2]), S(texts[3]));
    if (result == CBootPFDB::ChangeResult::Missing) {
        CMessageBox::Show(this, kNoSelection, kNoSelectionCaption);
        return;
    }
    if (result != CBootPFDB::ChangeResult::Done) {
        return;
    }
    ShowTable(table, table.SavedIdentity(), {});
}

void CIPPage::OnServerSetting()
{
    CAdvancedServerSetDlg settings(this);
    if (settings.DoModal() == QDialog::Accepted) {
        CMessageBox::Show(this, QStringLiteral("Server Setting Updated!"), QStringLiteral("Server Set"));
    }
}

void CIPPage::OnDhcpStart()
{
    if (DefaultRouter().isEmpty()) {
        CMessageBox::Show(this, QString::fromLatin1(corvane::dhcp::kMsgNoDefaultRouter), QStringLiteral("Warning"));
        return;
    }
    // Already listening: the socket in use stays.
    if (m_bStarted) {
        return;
    }
    if (m_pServerSocket) {
        // Its handler may be further up the stack (Start pressed while that handler waits for the
        // Add dialog): the object goes once control is back in the event loop.
        m_pServerSocket->Close();
        m_pServerSocket.release()->deleteLater();
    }
    m_pServerSocket = std::make_unique<CServerSocket>();
    m_pServerSocket->SetOwner(this);

    SetStatus(dhcp::kStatusInitiating);
    if (!CurrentBinder()(*m_pServerSocket, dhcp::kServerPort)) {
        SetStatus(ListenFailureText(m_pServerSocket->LastError(), m_pServerSocket->ErrorString()));
        m_pServerSocket->Close();
        m_bStarted = 0;
        ShowStopped();
        return;
    }
    SetStatus(dhcp::kStatusListening);
    m_bStarted = 1;
    m_stopButton->setEnabled(true);
    m_startButton->setEnabled(false);
}

void CIPPage::OnDhcpStop()
{
    if (m_bStarted != 1) {
        return;
    }
    if (m_pServerSocket) {
        m_pServerSocket->Close();
    }
    SetStatus(dhcp::kStatusStopped);
    m_bStarted = 0;
    ShowStopped();
}

void CIPPage::OnServerReceive()
{
    // The socket that received this request. The operator may stop the server, or stop and start
    // it again, while the Add dialog is open: the reply then goes nowhere.
    const QPointer<CServerSocket> socket = m_pServerSocket.get();
    if (!socket) {
        return;
    }
    CDhcpResponder::Request request;
    if (!CDhcpResponder::Read(*socket, request)) {
        SetStatus(dhcp::kStatusReceiveError);
        return;
    }
    if (m_bBusy) {
        return;
    }
    m_responder.Answer(request, socket);
}

bool CIPPage::OnUnknownClient()
{
    // Set before the dialog opens: the requests that arrive meanwhile are dropped.
    m_bBusy = 1;
    if (OnAddEntry() == 0) {
        OnDhcpStop();
        m_bBusy = 0;
        return false;
    }
    m_bBusy = 0;
    return true;
}

void CIPPage::OnIpFind()
{
    // The server must not answer while a device is searched for.
    m_bStarted = 0;
    ShowStopped();
    m_ipFindButton->setEnabled(false);
    if (m_pServerSocket) {
        m_pServerSocket->Close();
    }
    SetStatus(dhcp::kStatusMonitoring);

    CFindIPDlg find(this);
    find.DoModal();

    m_ipFindButton->setEnabled(true);
}

void CIPPage::OnIpClear()
{
    m_ipClearButton->setEnabled(false);
    CNewClrIpDlg clear(this);
    if (clear.DoModal() == QDialog::Accepted) {
        CMessageBox::Show(this, QStringLiteral("IP Cleared!"));
    }
    m_ipClearButton->setEnabled(true);
}
