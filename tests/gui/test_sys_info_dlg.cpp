#include "gui/discovery/SysInfoDlg.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTableWidget>
#include <QTest>

using corvane::SysInfoRecord;

namespace {

using Rows = QList<QPair<QString, QString>>;

Rows ListRows(const CSysInfoDlg& dlg, const char* name)
{
    const auto* list = dlg.findChild<QTableWidget*>(QString::fromLatin1(name));
    Rows rows;
    if (!list) {
        return rows;
    }
    for (int r = 0; r < list->rowCount(); ++r) {
        rows.append({list->item(r, 0)->text(), list->item(r, 1)->text()});
    }
    return rows;
}

QString Value(const CSysInfoDlg& dlg, const QString& rowName)
{
    for (const auto& [name, value] : ListRows(dlg, "deviceList")) {
        if (name == rowName) {
            return value;
        }
    }
    return QStringLiteral("<no row>");
}

SysInfoRecord SampleRecord()
{
    SysInfoRecord r;
    r.m_strMac = "00:01:A2:B3:C4:D5";
    r.m_strBasePort = "6001";
    r.m_strIP = "192.168.1.10";
    r.m_nTcpState = 1;
    r.m_strCurPort = "5001";
    r.m_strClientPort = "7001";
    r.m_strClientMac = "00:0A:0B:0C:0D:0E";
    r.m_strClientIP = "10.0.0.2";
    r.m_strServerMac = "00:1A:1B:1C:1D:1E";
    r.m_strStateTimer = "5675";
    r.m_strPowerOnTimer = "94 (m) 35 (s)";
    r.m_nIpMode = 5;
    r.m_nTcpMode = 5;
    r.m_strServerIP = "10.0.0.3";
    r.m_strServerPort = "8001";
    r.m_nCurTcpMode = 2;
    r.m_strRouter = "192.168.1.1";
    return r;
}

// Shows the dialog the way an opening does, then closes it again.
void Open(CSysInfoDlg& dlg)
{
    dlg.show();
    dlg.hide();
}

} // namespace

class TestSysInfoDlg final : public QObject
{
    Q_OBJECT

private slots:
    void showsTheThreeListsWithTheirRowsAndTexts()
    {
        CSysInfoDlg dlg;
        dlg.SetSysInfo(SampleRecord());
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QStringLiteral("System Info."));

        QStringList groups;
        for (const QGroupBox* box : dlg.findChildren<QGroupBox*>()) {
            groups << box->title();
        }
        QCOMPARE(groups, (QStringList{"Corvane Info. ", "TCP COM Client  Info. ", "TCP COM Server  Info. "}));

        const Rows device{
            {"MAC Address", "00:01:A2:B3:C4:D5"}, {"IP Address", "192.168.1.10"},   {"Base TCP Port #", "6001"},
            {"Current TCP Port #", "5001"},       {"Current TCP State", "listen"},  {"TCP State Timer", "5675"},
            {"Power-ON Timer", "94 (m) 35 (s)"},  {"IP Setup Mode", "Static DHCP"}, {"TCP Mode Setup", "Server"},
            {"Current TCP Mode", "Client"},       {"Default Router", "192.168.1.1"}};
        QCOMPARE(ListRows(dlg, "deviceList"), device);
        QCOMPARE(ListRows(dlg, "clientList"),
                 (Rows{{"MAC Address", "00:0A:0B:0C:0D:0E"}, {"IP Address", "10.0.0.2"}, {"TCP Port #", "7001"}}));
        QCOMPARE(ListRows(dlg, "serverList"),
                 (Rows{{"MAC Address", "00:1A:1B:1C:1D:1E"}, {"IP Address", "10.0.0.3"}, {"TCP Port #", "8001"}}));

        // Each list is named after its group box, has two 150-pixel columns " Item" and
        // " Value", no header, no scroll bars, grid lines and whole-row selection.
        const QList<QPair<const char*, QString>> lists{{"deviceList", "Corvane Info. "},
                                                       {"clientList", "TCP COM Client  Info. "},
                                                       {"serverList", "TCP COM Server  Info. "}};
        for (const auto& [name, group] : lists) {
            const auto* list = dlg.findChild<QTableWidget*>(QString::fromLatin1(name));
            QVERIFY(list);
            QCOMPARE(list->accessibleName(), group);
            QCOMPARE(list->horizontalHeaderItem(0)->text(), QStringLiteral(" Item"));
            QCOMPARE(list->horizontalHeaderItem(1)->text(), QStringLiteral(" Value"));
            QCOMPARE(list->columnWidth(0), 150);
            QCOMPARE(list->columnWidth(1), 150);
            QVERIFY(list->horizontalHeader()->isHidden());
            QVERIFY(list->verticalHeader()->isHidden());
            QCOMPARE(list->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
            QCOMPARE(list->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
            QVERIFY(list->showGrid());
            QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
            QCOMPARE(list->editTriggers(), QAbstractItemView::NoEditTriggers);
        }
    }

    void modeByteTexts_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("ipSetup");
        QTest::addColumn<QString>("tcpSetup");
        QTest::newRow("0") << 0 << "Dynamic DHCP"
                           << "Client";
        QTest::newRow("1") << 1 << "Dynamic DHCP"
                           << "Server";
        QTest::newRow("2") << 2 << "Dynamic DHCP"
                           << "Client and Server";
        QTest::newRow("3") << 3 << "Dynamic DHCP"
                           << "Client";
        QTest::newRow("4") << 4 << "Static DHCP"
                           << "Client";
        QTest::newRow("5") << 5 << "Static DHCP"
                           << "Server";
        QTest::newRow("6") << 6 << "Static DHCP"
                           << "Client and Server";
        QTest::newRow("7") << 7 << "Static DHCP"
                           << "Client";
        QTest::newRow("255") << 255 << "Static DHCP"
                             << "Client";
    }

    void modeByteTexts()
    {
        QFETCH(int, mode);
        QFETCH(QString, ipSetup);
        QFETCH(QString, tcpSetup);
        SysInfoRecord record;
        record.m_nIpMode = mode;
        record.m_nTcpMode = mode;
        CSysInfoDlg dlg;
        dlg.SetSysInfo(record);
        // The same texts on every opening: showing the dialog does not change the record.
        for (int opening = 0; opening < 2; ++opening) {
            Open(dlg);
            QCOMPARE(Value(dlg, "IP Setup Mode"), ipSetup);
            QCOMPARE(Value(dlg, "TCP Mode Setup"), tcpSetup);
        }
        QCOMPARE(dlg.SysInfo().m_nIpMode, mode);
        QCOMPARE(dlg.SysInfo().m_nTcpMode, mode);
    }

    void tcpStateAndCurrentModeTexts_data()
    {
        QTest::addColumn<int>("byte");
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("currentMode");
        QTest::newRow("0") << 0 << "connect"
                           << "Invalid State";
        QTest::newRow("1") << 1 << "listen"
                           << "Server";
        QTest::newRow("2") << 2 << "connect"
                           << "Client";
        QTest::newRow("3") << 3 << "connect"
                           << "Invalid State";
        QTest::newRow("255") << 255 << "connect"
                             << "Invalid State";
    }

    void tcpStateAndCurrentModeTexts()
    {
        QFETCH(int, byte);
        QFETCH(QString, state);
        QFETCH(QString, currentMode);
        SysInfoRecord record;
        record.m_nTcpState = byte;
        record.m_nCurTcpMode = byte;
        CSysInfoDlg dlg;
        dlg.SetSysInfo(record);
        Open(dlg);
        QCOMPARE(Value(dlg, "Current TCP State"), state);
        QCOMPARE(Value(dlg, "Current TCP Mode"), currentMode);
    }

    void everyOpeningShowsTheLatestRecordOnly()
    {
        CSysInfoDlg dlg;
        Open(dlg);
        QCOMPARE(Value(dlg, "MAC Address"), QString());
        QCOMPARE(ListRows(dlg, "deviceList").size(), 11);

        dlg.SetSysInfo(SampleRecord());
        Open(dlg);
        QCOMPARE(Value(dlg, "MAC Address"), QStringLiteral("00:01:A2:B3:C4:D5"));

        SysInfoRecord second;
        second.m_strMac = "00:11:22:33:44:55";
        second.m_strClientIP = "10.9.9.9";
        dlg.SetSysInfo(second);
        Open(dlg);
        QCOMPARE(ListRows(dlg, "deviceList").size(), 11);
        QCOMPARE(Value(dlg, "MAC Address"), QStringLiteral("00:11:22:33:44:55"));
        QCOMPARE(Value(dlg, "IP Address"), QString());
        QCOMPARE(ListRows(dlg, "clientList"),
                 (Rows{{"MAC Address", ""}, {"IP Address", "10.9.9.9"}, {"TCP Port #", ""}}));
    }

    void enterAndEscCloseTheDialog_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("result");
        QTest::newRow("Enter") << int(Qt::Key_Return) << int(QDialog::Accepted);
        QTest::newRow("Esc") << int(Qt::Key_Escape) << int(QDialog::Rejected);
    }

    void enterAndEscCloseTheDialog()
    {
        QFETCH(int, key);
        QFETCH(int, result);
        CSysInfoDlg dlg;
        dlg.show();
        QTest::keyClick(&dlg, Qt::Key(key));
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), result);
    }
};

QTEST_MAIN(TestSysInfoDlg)
#include "test_sys_info_dlg.moc"
