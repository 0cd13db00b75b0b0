#include "gui/discovery/SysInfoDlg.h"

#include "core/link/CommandCodec.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QShowEvent>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

constexpr int kColumnWidth = 150;
constexpr int kDeviceRows = 11;
constexpr int kPeerRows = 3;

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

} // namespace

CSysInfoDlg::CSysInfoDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("sysInfoDlg"));
    setWindowTitle(QStringLiteral("System Info."));

    auto* layout = new QVBoxLayout(this);
    m_listDevice = AddList(QStringLiteral("Corvane Info. "), QStringLiteral("deviceList"), kDeviceRows);
    m_listClient = AddList(QStringLiteral("TCP COM Client  Info. "), QStringLiteral("clientList"), kPeerRows);
    m_listServer = AddList(QStringLiteral("TCP COM Server  Info. "), QStringLiteral("serverList"), kPeerRows);
    for (QTableWidget* list : {m_listDevice, m_listClient, m_listServer}) {
        layout->addWidget(list->parentWidget());
    }
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QTableWidget* CSysInfoDlg::AddList(const QString& groupText, const QString& objectName, int rows)
{
    auto* group = new QGroupBox(groupText, this);
    group->setObjectName(objectName + QStringLiteral("Group"));
    auto* list = new QTableWidget(0, 2, group);
    list->setObjectName(objectName);
    list->setAccessibleName(groupText);
    list->setHorizontalHeaderLabels({QStringLiteral(" Item"), QStringLiteral(" Value")});
    list->horizontalHeader()->hide();
    list->verticalHeader()->hide();
    list->setShowGrid(true);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setColumnWidth(0, kColumnWidth);
    list->setColumnWidth(1, kColumnWidth);
    list->verticalHeader()->setMinimumSectionSize(0);
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 6);
    // Tall and wide enough for every row, so that no scroll bar is needed.
    const int frame = 2 * list->frameWidth();
    list->setFixedSize(2 * kColumnWidth + frame, rows * list->verticalHeader()->defaultSectionSize() + frame);

    auto* groupLayout = new QVBoxLayout(group);
    groupLayout->addWidget(list);
    return list;
}

void CSysInfoDlg::SetSysInfo(const corvane::SysInfoRecord& record)
{
    m_record = record;
}

CSysInfoDlg::Rows CSysInfoDlg::DeviceRows(const corvane::SysInfoRecord& r)
{
    // The mode byte is interpreted on copies; the record itself stays as it came.
    const int ipMode = r.m_nIpMode;
    const int tcpMode = r.m_nTcpMode;
    return {
        {QStringLiteral("MAC Address"), Q(r.m_strMac)},
        {QStringLiteral("IP Address"), Q(r.m_strIP)},
        {QStringLiteral("Base TCP Port #"), Q(r.m_strBasePort)},
        {QStringLiteral("Current TCP Port #"), Q(r.m_strCurPort)},
        {QStringLiteral("Current TCP State"), Q(corvane::CurrentTcpStateText(r.m_nTcpState))},
        {QStringLiteral("TCP State Timer"), Q(r.m_strStateTimer)},
        {QStringLiteral("Power-ON Timer"), Q(r.m_strPowerOnTimer)},
        {QStringLiteral("IP Setup Mode"), Q(corvane::IpSetupModeText(ipMode))},
        {QStringLiteral("TCP Mode Setup"), Q(corvane::TcpModeSetupText(ipMode, tcpMode))},
        {QStringLiteral("Current TCP Mode"), Q(corvane::CurrentTcpModeText(r.m_nCurTcpMode))},
        {QStringLiteral("Default Router"), Q(r.m_strRouter)},
    };
}

CSysInfoDlg::Rows CSysInfoDlg::ClientRows(const corvane::SysInfoRecord& r)
{
    return {
        {QStringLiteral("MAC Address"), Q(r.m_strClientMac)},
        {QStringLiteral("IP Address"), Q(r.m_strClientIP)},
        {QStringLiteral("TCP Port #"), Q(r.m_strClientPort)},
    };
}

CSysInfoDlg::Rows CSysInfoDlg::ServerRows(const corvane::SysInfoRecord& r)
{
    return {
        {QStringLiteral("MAC Address"), Q(r.m_strServerMac)},
        {QStringLiteral("IP Address"), Q(r.m_strServerIP)},
        {QStringLiteral("TCP Port #"), Q(r.m_strServerPort)},
    };
}

void CSysInfoDlg::FillList(QTableWidget* list, const Rows& rows)
{
    list->setRowCount(0);
    for (const auto& [name, value] : rows) {
        const int row = list->rowCount();
        list->insertRow(row);
        list->setItem(row, 0, new QTableWidgetItem(name));
        list->setItem(row, 1, new QTableWidgetItem(value));
    }
}

void CSysInfoDlg::OnInitDialog()
{
    FillList(m_listDevice, DeviceRows(m_record));
    FillList(m_listClient, ClientRows(m_record));
    FillList(m_listServer, ServerRows(m_record));
}

void CSysInfoDlg::showEvent(QShowEvent* event)
{
    // Every opening shows the record as it is now; a window restored by the system is not an
    // opening.
    if (!event->spontaneous()) {
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CSysInfoDlg::keyPressEvent(QKeyEvent* event)
{
    // The dialog has no buttons: Enter closes it as Esc does.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
