// The IP Address page without the network: the list and "dhcp.ini" in step through Add, Edit and
// Delete, the refusals, the server's Start, Stop and IP Find states, Server Setting, and the list
// read from the directory the utility was started in. DHCP Start takes its port through a binder
// that opens no socket.

#include "gui/GuiTestEnv.h"
#include "gui/MessageRecorder.h"

#include "gui/controls/IPAddressField.h"
#include "gui/dhcp/AdvancedServerSetDlg.h"
#include "gui/dhcp/BootpEditDlg.h"
#include "gui/dhcp/IPPage.h"
#include "gui/discovery/FindIPDlg.h"
#include "gui/discovery/MacPartFields.h"
#include "gui/shell/RuvelDlg.h"
#include "gui/stores/Profile.h"
#include "net/dhcp/HostAddress.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>
#include <optional>

namespace {

using Messages = QList<MessageRecorder::Message>;
using Rows = QList<QStringList>;
using DialogAction = std::function<void(CBootpEditDlg&)>;

const QByteArray kOneRouter = "[Router]\nnumber = 1\n10.0.0.1\n\n[DNS]\nnumber = 0\n\n[NetBios]\nnumber = 0\n\n"
                              "[Server IP]\n0 \n\n[Domain Name]\n0 \n\n[Lease Time]\n0\n";
const QByteArray kNoRouter = "[Router]\nnumber = 0\n\n[DNS]\nnumber = 0\n\n[NetBios]\nnumber = 0\n\n"
                             "[Server IP]\n0 \n\n[Domain Name]\n0 \n\n[Lease Time]\n0\n";

const MessageRecorder::Message kNoRecord{"There's no record!!", "Alert"};
const MessageRecorder::Message kNoSelection{"There's no selected data!!", "Error"};

struct Entry
{
    int nHType;
    int nHlen;
    const char* ip;
    const char* mac;
    const char* gateway;
    const char* subnet;
};

const Entry kA{1, 6, "192.168.  1. 10", "025A7E0A0B01", "192.168.  1.  1", "255.255.255.  0"};
const Entry kB{1, 6, "192.168.  1. 11", "025A7E0A0B02", "192.168.  1.  1", "255.255.255.  0"};
const Entry kC{1, 6, " 10.  0.  0.  3", "025A7E0A0B03", " 10.  0.  0.  1", "255.  0.  0.  0"};

// The table file as the store writes it, records numbered from `first`.
QByteArray Table(const QList<Entry>& entries, int first = 1)
{
    QByteArray text;
    int n = first - 1;
    for (const Entry& e : entries) {
        text += QString::asprintf("\n[%d]\nHType : %d \nhlen : %d \nIP : %s \nMAC : %s \nGateway : %s \nSubnet : %s\n",
                                  ++n, e.nHType, e.nHlen, e.ip, e.mac, e.gateway, e.subnet)
                    .toLatin1();
    }
    return text;
}

QStringList Row(const Entry& e)
{
    return {QString::number(e.nHType), QString::number(e.nHlen), e.ip, e.mac, e.gateway, e.subnet};
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

Rows ListRows(const CIPPage& page)
{
    Rows rows;
    const QTableWidget* list = page.List();
    for (int r = 0; r < list->rowCount(); ++r) {
        QStringList texts;
        for (int c = 0; c < list->columnCount(); ++c) {
            texts << list->item(r, c)->text();
        }
        rows << texts;
    }
    return rows;
}

QPushButton* Button(const QWidget& widget, const char* name)
{
    return widget.findChild<QPushButton*>(QString::fromLatin1(name));
}

// A click on row `row` of the list; -1 clicks the empty area below the rows.
void ClickRow(CIPPage& page, int row)
{
    ClickTableRow(page.List(), row, 2);
}

// Presses `button` of the page and lets `act` work on the entry dialog it opens. Returns whether
// one opened; a dialog left open is cancelled.
bool RunEntryDialog(CIPPage& page, const char* button, const DialogAction& act)
{
    bool seen = false;
    QObject context;
    QTimer::singleShot(0, &context, [&] {
        QPointer<CBootpEditDlg> dlg = WaitForModal<CBootpEditDlg>(1000);
        if (!dlg) {
            return;
        }
        seen = true;
        act(*dlg);
        if (dlg && dlg->isVisible()) {
            dlg->reject();
        }
    });
    QTest::mouseClick(Button(page, button), Qt::LeftButton);
    return seen;
}

void FillAndConfirm(CBootpEditDlg& dlg, const std::array<std::uint8_t, 4>& ip, const QString& mac)
{
    dlg.IPField()->SetAddress(ip);
    for (int k = 0; k < 6 && !mac.isEmpty(); ++k) {
        dlg.MacFields()->Part(k)->setText(mac.mid(2 * k, 2));
    }
    dlg.GatewayField()->SetAddress({192, 168, 1, 1});
    QTest::mouseClick(dlg.OkButton(), Qt::LeftButton);
}

// While it lives, DHCP Start takes no port: `result` says whether the port was taken.
class FakeBinder
{
public:
    explicit FakeBinder(bool result)
    {
        m_previous = CIPPage::SetPortBinder([this, result](CServerSocket&, quint16 port) {
            m_ports << port;
            return result;
        });
    }
    ~FakeBinder() { CIPPage::SetPortBinder(m_previous); }
    FakeBinder(const FakeBinder&) = delete;
    FakeBinder& operator=(const FakeBinder&) = delete;

    QList<quint16> m_ports;

private:
    CIPPage::PortBinder m_previous;
};

// The page as the sheet initialises it, on the screen.
struct PageFixture
{
    explicit PageFixture(const QByteArray& table, const QByteArray& settings = kOneRouter)
    {
        if (!table.isNull()) {
            WriteFile(env.StoreFile("dhcp.ini"), table);
        }
        if (!settings.isNull()) {
            WriteFile(env.StoreFile("adsvr.ini"), settings);
        }
        page.OnInitDialog();
        page.show();
    }

    QByteArray File() const { return ReadFile(env.StoreFile("dhcp.ini")); }
    bool StartEnabled() const { return Button(page, "dhcpStartButton")->isEnabled(); }
    bool StopEnabled() const { return Button(page, "dhcpStopButton")->isEnabled(); }

    GuiTestEnv env;
    CIPPage page;
};

} // namespace

class TestIpPage final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qApp->setQuitOnLastWindowClosed(false);
        QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
    }

    void pageShowsTheListAndTheButtons()
    {
        PageFixture f(QByteArray{});
        const QTableWidget* list = f.page.List();
        QStringList headers;
        QList<int> widths;
        for (int c = 0; c < list->columnCount(); ++c) {
            headers << list->horizontalHeaderItem(c)->text();
            widths << list->columnWidth(c);
        }
        QCOMPARE(headers, (QStringList{"Type", " Len", " CV IP", " CV MAC", " Gateway IP", " Subnet Mask"}));
        QCOMPARE(widths, (QList<int>{40, 40, 90, 90, 90, 90}));
        QVERIFY(list->showGrid());
        QCOMPARE(list->selectionBehavior(), QAbstractItemView::SelectRows);
        QCOMPARE(list->horizontalHeader()->defaultAlignment() & Qt::AlignHorizontal_Mask, Qt::AlignLeft);
        QCOMPARE(qobject_cast<QGroupBox*>(list->parentWidget())->title(), QStringLiteral("DHCP DB"));

        QStringList captions;
        QStringList names;
        for (const char* name : {"addButton", "editButton", "deleteButton", "serverSettingButton", "dhcpStartButton",
                                 "dhcpStopButton", "ipFindButton", "ipClearButton"}) {
            captions << Button(f.page, name)->text();
            names << Button(f.page, name)->accessibleName();
        }
        QCOMPARE(captions, (QStringList{"Add", "Edit", "Delete", "Server \nSetting", "DHCP\n Start", "DHCP\n Stop",
                                        "IP Find", "   IP\n Clear"}));
        QCOMPARE(names, (QStringList{"Add", "Edit", "Delete", "Server Setting", "DHCP Start", "DHCP Stop", "IP Find",
                                     "IP Clear"}));
        QCOMPARE(list->accessibleName(), QStringLiteral("DHCP DB"));
        QCOMPARE(f.page.Status(), QStringLiteral("Monitoring ...."));
        QVERIFY(f.StartEnabled());
        QVERIFY(!f.StopEnabled());
        QCOMPARE(f.page.m_nSelected, -1);
        QCOMPARE(f.page.m_bStarted, 0);
    }

    // The list shows the table in its order, and the table is written back in its normal form.
    void initFillsTheListAndRewritesTheTable()
    {
        // Written by hand: no padding, a lower-case MAC.
        const QByteArray hand = "\n[1]\nHType : 1 \nhlen : 6 \nIP : 192.168.1.10 \nMAC : 025a7e0a0b01 \n"
                                "Gateway : 192.168.1.1 \nSubnet : 255.255.255.0\n" +
                                Table({kB, kC}, 2);
        PageFixture f(hand);
        Entry a = kA;
        a.mac = "025a7e0a0b01";
        QCOMPARE(ListRows(f.page), (Rows{Row(a), Row(kB), Row(kC)}));
        QCOMPARE(f.page.m_nCount, 3);
        QCOMPARE(f.File(), Table({kA, kB, kC}));
    }

    void addAppendsTheEntryToTheListAndTheTable_data()
    {
        QTest::addColumn<QString>("lastMac");
        QTest::addColumn<QString>("typedMac");
        QTest::newRow("MAC typed") << ""
                                   << "025A7E0A0B09";
        // After the server accepted a request from 02-5A-7E-0A-0B-09 the dialog starts with it.
        QTest::newRow("MAC of the last request") << "025A7E0A0B09"
                                                 << "";
    }

    void addAppendsTheEntryToTheListAndTheTable()
    {
        QFETCH(QString, lastMac);
        QFETCH(QString, typedMac);
        PageFixture f(Table({kA}));
        for (int k = 0; k < 6 && !lastMac.isEmpty(); ++k) {
            f.page.m_strLastMac[static_cast<std::size_t>(k)] = lastMac.mid(2 * k, 2).toStdString();
        }
        MessageRecorder recorder;
        QStringList shown;
        QString router;
        QVERIFY(RunEntryDialog(f.page, "addButton", [&](CBootpEditDlg& dlg) {
            for (int k = 0; k < 6; ++k) {
                shown << dlg.MacFields()->Part(k)->text();
            }
            router = dlg.DefaultRouterField()->Text();
            FillAndConfirm(dlg, {192, 168, 1, 20}, typedMac);
        }));
        QCOMPARE(recorder.Count(), 0);
        const QStringList prefilled =
            lastMac.isEmpty() ? QStringList{"", "", "", "", "", ""} : QStringList{"02", "5A", "7E", "0A", "0B", "09"};
        QCOMPARE(shown, prefilled);
        QCOMPARE(router, QStringLiteral("10.0.0.1"));
        const Entry added{1, 6, "192.168.  1. 20", "025A7E0A0B09", "192.168.  1.  1", "255.255.255.  0"};
        QCOMPARE(ListRows(f.page), (Rows{Row(kA), Row(added)}));
        QCOMPARE(f.page.m_nCount, 2);
        QCOMPARE(f.File(), Table({kA, added}));
        QCOMPARE(ReadFile(f.env.StoreFile("mach.ini")), QByteArray("[1]\t 2:90:126:10:11:9\n"));
    }

    // A refused Add returns 0 and shows nothing; list and table stay as they were.
    void addOfADuplicateOrACancelAddsNothing_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QString>("mac");
        QTest::addColumn<quint8>("lastByte");
        QTest::newRow("IP already in the table") << true << "025A7E0A0B09" << quint8(11);
        QTest::newRow("MAC already in the table") << true << "025A7E0A0B02" << quint8(20);
        QTest::newRow("cancelled") << false << "025A7E0A0B09" << quint8(20);
    }

    void addOfADuplicateOrACancelAddsNothing()
    {
        QFETCH(bool, confirm);
        QFETCH(QString, mac);
        QFETCH(quint8, lastByte);
        PageFixture f(Table({kA, kB}));
        const QByteArray before = f.File();
        MessageRecorder recorder;
        int result = -1;
        QObject context;
        QTimer::singleShot(0, &context, [&] {
            QPointer<CBootpEditDlg> dlg = WaitForModal<CBootpEditDlg>();
            QVERIFY(dlg);
            if (confirm) {
                FillAndConfirm(*dlg, {192, 168, 1, lastByte}, mac);
            } else {
                QTest::mouseClick(dlg->findChild<QPushButton*>(QStringLiteral("cancelButton")), Qt::LeftButton);
            }
        });
        result = f.page.OnAddEntry();
        QCOMPARE(result, 0);
        QCOMPARE(recorder.Count(), 0);
        QCOMPARE(ListRows(f.page), (Rows{Row(kA), Row(kB)}));
        QCOMPARE(f.page.m_nCount, 2);
        QCOMPARE(f.File(), before);
    }

    void editKeepsTheRowsPlace()
    {
        PageFixture f(Table({kA, kB, kC}));
        ClickRow(f.page, 1);
        QCOMPARE(f.page.m_nSelected, 1);
        MessageRecorder recorder;
        QStringList shown;
        QVERIFY(RunEntryDialog(f.page, "editButton", [&](CBootpEditDlg& dlg) {
            shown << dlg.OkButton()->text() << dlg.IPField()->Text() << dlg.m_strMacText << dlg.GatewayField()->Text()
                  << dlg.SubnetField()->Text() << dlg.DefaultRouterField()->Text();
            dlg.GatewayField()->SetAddress({192, 168, 1, 254});
            dlg.MacFields()->Part(5)->setText(QStringLiteral("FF"));
            QTest::mouseClick(dlg.OkButton(), Qt::LeftButton);
        }));
        QCOMPARE(recorder.Count(), 0);
        QCOMPARE(shown,
                 (QStringList{"Edit", "192.168.1.11", "025A7E0A0B02", "192.168.1.1", "255.255.255.0", "10.0.0.1"}));
        const Entry edited{1, 6, "192.168.  1. 11", "025A7E0A0BFF", "192.168.  1.254", "255.255.255.  0"};
        QCOMPARE(ListRows(f.page), (Rows{Row(kA), Row(edited), Row(kC)}));
        QCOMPARE(f.page.m_nSelected, 1);
        QCOMPARE(f.page.m_nCount, 3);
        QCOMPARE(f.File(), Table({kA, edited, kC}));
    }

    void deleteRemovesTheRowAndTheRowsBelowMoveUp()
    {
        PageFixture f(Table({kA, kB, kC}));
        ClickRow(f.page, 0);
        MessageRecorder recorder;
        QTest::mouseClick(Button(f.page, "deleteButton"), Qt::LeftButton);
        QCOMPARE(recorder.Count(), 0);
        QCOMPARE(ListRows(f.page), (Rows{Row(kB), Row(kC)}));
        QCOMPARE(f.page.m_nCount, 2);
        QCOMPARE(f.page.m_nSelected, -1);
        QCOMPARE(f.File(), Table({kB, kC}));

        // A second Delete without a new click finds nothing selected.
        QTest::mouseClick(Button(f.page, "deleteButton"), Qt::LeftButton);
        QCOMPARE(recorder.Messages(), (Messages{kNoSelection}));
        QCOMPARE(ListRows(f.page), (Rows{Row(kB), Row(kC)}));

        // The rows moved up with the table: the new row 1 is the old row 2.
        ClickRow(f.page, 1);
        QTest::mouseClick(Button(f.page, "deleteButton"), Qt::LeftButton);
        QCOMPARE(ListRows(f.page), (Rows{Row(kB)}));
        QCOMPARE(f.File(), Table({kB}));
    }

    // `click`: the row clicked first (-1 the empty area, -2 no click). No entry dialog opens.
    void editAndDeleteRefusals_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("rows");
        QTest::addColumn<int>("click");
        QTest::addColumn<Messages>("messages");
        for (const char* button : {"editButton", "deleteButton"}) {
            const QString b = QString::fromLatin1(button);
            QTest::addRow("%s: empty list", button) << b << false << -2 << Messages{kNoRecord};
            QTest::addRow("%s: no click", button) << b << true << -2 << Messages{kNoSelection};
            QTest::addRow("%s: click beside the rows", button) << b << true << -1 << Messages{kNoSelection};
        }
    }

    void editAndDeleteRefusals()
    {
        QFETCH(QString, button);
        QFETCH(bool, rows);
        QFETCH(int, click);
        QFETCH(Messages, messages);
        PageFixture f(rows ? Table({kA, kB}) : QByteArray());
        const QByteArray before = f.File();
        if (click != -2) {
            ClickRow(f.page, 0);
            ClickRow(f.page, click);
        }
        MessageRecorder recorder;
        QVERIFY(!RunEntryDialog(f.page, qPrintable(button), [](CBootpEditDlg&) {}));
        QCOMPARE(recorder.Messages(), messages);
        QCOMPARE(ListRows(f.page).size(), rows ? 2 : 0);
        QCOMPARE(f.File(), before);
    }

    void startWithoutARouterWarnsAndStaysStopped_data()
    {
        QTest::addColumn<QByteArray>("settings");
        QTest::newRow("no adsvr.ini") << QByteArray();
        QTest::newRow("no router in adsvr.ini") << kNoRouter;
    }

    void startWithoutARouterWarnsAndStaysStopped()
    {
        QFETCH(QByteArray, settings);
        PageFixture f(Table({kA}), settings);
        FakeBinder binder(true);
        MessageRecorder recorder;
        QTest::mouseClick(Button(f.page, "dhcpStartButton"), Qt::LeftButton);
        QCOMPARE(recorder.Messages(),
                 (Messages{{"There's no default router!! You must do server setting.", "Warning"}}));
        QCOMPARE(binder.m_ports, QList<quint16>());
        QCOMPARE(f.page.m_bStarted, 0);
        QVERIFY(!f.page.ServerSocket());
        QCOMPARE(f.page.Status(), QStringLiteral("Monitoring ...."));
        QVERIFY(f.StartEnabled());
        QVERIFY(!f.StopEnabled());
    }

    void startListensAndStopStops()
    {
        PageFixture f(Table({kA}));
        FakeBinder binder(true);
        MessageRecorder recorder;
        QTest::mouseClick(Button(f.page, "dhcpStartButton"), Qt::LeftButton);
        QCOMPARE(binder.m_ports, QList<quint16>{67});
        QCOMPARE(f.page.Status(), QStringLiteral("Listening  DHCP request ...."));
        QCOMPARE(f.page.m_bStarted, 1);
        QVERIFY(!f.StartEnabled());
        QVERIFY(f.StopEnabled());
        QTest::mouseClick(Button(f.page, "dhcpStopButton"), Qt::LeftButton);
        QCOMPARE(f.page.Status(), QStringLiteral("Stopped .."));
        QCOMPARE(f.page.m_bStarted, 0);
        QVERIFY(f.StartEnabled());
        QVERIFY(!f.StopEnabled());
        QCOMPARE(recorder.Count(), 0);

        // A Start after a Stop makes a new socket; the old one goes once the event loop runs.
        QPointer<CServerSocket> first = f.page.ServerSocket();
        QTest::mouseClick(Button(f.page, "dhcpStartButton"), Qt::LeftButton);
        QVERIFY(f.page.ServerSocket() != first.data());
        QVERIFY(first);
        QTRY_VERIFY(!first);
        QCOMPARE(f.page.m_bStarted, 1);
    }

    void statusTextsInQuickSuccessionShowTheLast()
    {
        PageFixture f(Table({kA}));
        FakeBinder binder(true);
        auto* line = f.page.findChild<QLineEdit*>(QStringLiteral("statusEdit"));
        QStringList announced;
        connect(&f.page, &CIPPage::statusChanged, this, [&](const QString& text) { announced << text; });
        QTest::qWait(CIPPage::kStatusIntervalMs * 3); // the line has caught up with the fixture's texts
        // Start, Stop, Start within a moment: every text is announced; the line catches up with
        // the last one, and is never left behind.
        for (const char* button : {"dhcpStartButton", "dhcpStopButton", "dhcpStartButton"}) {
            QTest::mouseClick(Button(f.page, button), Qt::LeftButton);
        }
        QCOMPARE(announced, (QStringList{"DHCP Server Initiating..", "Listening  DHCP request ....", "Stopped ..",
                                         "DHCP Server Initiating..", "Listening  DHCP request ...."}));
        QCOMPARE(line->text(), QStringLiteral("DHCP Server Initiating..")); // the first, at once
        QTRY_COMPARE_WITH_TIMEOUT(line->text(), QStringLiteral("Listening  DHCP request ...."),
                                  CIPPage::kStatusIntervalMs * 5);
        QCOMPARE(line->accessibleName(), QStringLiteral("STATUS"));
    }

    void startThatCannotTakeThePortSaysSoAndStaysStopped()
    {
        PageFixture f(Table({kA}));
        FakeBinder binder(false);
        QTest::mouseClick(Button(f.page, "dhcpStartButton"), Qt::LeftButton);
        QVERIFY(f.page.Status().startsWith(QStringLiteral("Can not listen on UDP port 67: ")));
        QCOMPARE(f.page.m_bStarted, 0);
        QVERIFY(f.StartEnabled());
        QVERIFY(!f.StopEnabled());
    }

    void listenFailureTextNamesTheCause_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<QString>("text");
        QTest::newRow("no rights") << int(QAbstractSocket::SocketAccessError)
                                   << "Can not listen on UDP port 67: Permission denied (run as root or grant "
                                      "CAP_NET_BIND_SERVICE)";
        QTest::newRow("taken") << int(QAbstractSocket::AddressInUseError)
                               << "Can not listen on UDP port 67: Permission denied (another DHCP server is using it)";
        QTest::newRow("anything else") << int(QAbstractSocket::UnknownSocketError)
                                       << "Can not listen on UDP port 67: Permission denied";
    }

    void listenFailureTextNamesTheCause()
    {
        QFETCH(int, error);
        QFETCH(QString, text);
        QCOMPARE(CIPPage::ListenFailureText(QAbstractSocket::SocketError(error), QStringLiteral("Permission denied")),
                 text);
    }

    void ipFindStopsAListeningServer()
    {
        PageFixture f(Table({kA}));
        FakeBinder binder(true);
        QTest::mouseClick(Button(f.page, "dhcpStartButton"), Qt::LeftButton);
        QCOMPARE(f.page.m_bStarted, 1);

        struct Seen
        {
            bool start = false;
            bool stop = true;
            bool find = true;
            int started = -1;
            QString status;
        } seen;
        QObject context;
        QTimer::singleShot(0, &context, [&] {
            QPointer<CFindIPDlg> find = WaitForModal<CFindIPDlg>();
            QVERIFY(find);
            seen = {f.StartEnabled(), f.StopEnabled(), Button(f.page, "ipFindButton")->isEnabled(), f.page.m_bStarted,
                    f.page.Status()};
            find->reject();
        });
        QTest::mouseClick(Button(f.page, "ipFindButton"), Qt::LeftButton);
        QVERIFY(seen.start);
        QVERIFY(!seen.stop);
        QVERIFY(!seen.find);
        QCOMPARE(seen.started, 0);
        QCOMPARE(seen.status, QStringLiteral("Monitoring ...."));
        // The server stays stopped after the dialog.
        QCOMPARE(f.page.m_bStarted, 0);
        QVERIFY(f.StartEnabled());
        QVERIFY(!f.StopEnabled());
        QVERIFY(Button(f.page, "ipFindButton")->isEnabled());
        QCOMPARE(f.page.Status(), QStringLiteral("Monitoring ...."));
        // Stop has nothing left to stop.
        QTest::mouseClick(Button(f.page, "dhcpStopButton"), Qt::LeftButton);
        QCOMPARE(f.page.Status(), QStringLiteral("Monitoring ...."));
    }

    void serverSettingTellsOnlyAboutAConfirmedSetting_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<Messages>("messages");
        QTest::newRow("OK") << true << Messages{{"Server Setting Updated!", "Server Set"}};
        QTest::newRow("Cancel") << false << Messages{};
    }

    void serverSettingTellsOnlyAboutAConfirmedSetting()
    {
        QFETCH(bool, confirm);
        QFETCH(Messages, messages);
        PageFixture f(Table({kA}));
        const auto previous = CHostAddress::SetProvider([](int) { return corvane::dhcp::Ipv4{192, 168, 5, 9}; });
        MessageRecorder recorder;
        bool seen = false;
        QObject context;
        QTimer::singleShot(0, &context, [&] {
            QPointer<CAdvancedServerSetDlg> settings = WaitForModal<CAdvancedServerSetDlg>();
            QVERIFY(settings);
            seen = true;
            QTest::mouseClick(Button(*settings, confirm ? "okButton" : "cancelButton"), Qt::LeftButton);
        });
        QTest::mouseClick(Button(f.page, "serverSettingButton"), Qt::LeftButton);
        CHostAddress::SetProvider(previous);
        QVERIFY(seen);
        QCOMPARE(recorder.Messages(), messages);
        QCOMPARE(ReadFile(f.env.StoreFile("adsvr.ini")).contains("1 removed"), confirm);
    }

    // The utility started in one directory and then in another shows each time the table of the
    // directory it was started in, although its pages are built before that directory is recorded.
    void eachStartShowsTheTableOfItsStartDirectory()
    {
        GuiTestEnv env;
        QTemporaryDir first;
        QTemporaryDir second;
        WriteFile(QDir(first.path()).filePath("dhcp.ini"), Table({kA}));
        WriteFile(QDir(second.path()).filePath("dhcp.ini"), Table({kB, kC}));
        const QString previous = QDir::currentPath();

        QList<Rows> shown;
        for (const QTemporaryDir* dir : {&first, &second}) {
            QVERIFY(QDir::setCurrent(dir->path()));
            CRuvelDlg host;
            host.OnInitDialog();
            shown << ListRows(*host.PropSheet().IPPage());
            QCOMPARE(CProfile::GetString(CProfile::kSection, CProfile::kPathKey), dir->path());
            host.PropSheet().hide();
        }
        QVERIFY(QDir::setCurrent(previous));
        QCOMPARE(shown, (QList<Rows>{{Row(kA)}, {Row(kB), Row(kC)}}));
    }
};

QTEST_MAIN(TestIpPage)
#include "test_ip_page.moc"
