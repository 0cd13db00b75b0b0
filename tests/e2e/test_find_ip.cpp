// The Find IP dialog against the device stand-in: the real dialog, its real socket and the
// stand-in as a separate process, inside a private network namespace.

#include "DiscoveryE2E.h"
#include "WireGolden.h"

#include "gui/DeviceSim.h"
#include "gui/FailingSaves.h"
#include "gui/GuiTestEnv.h"
#include "gui/MessageRecorder.h"
#include "gui/NetGuard.h"
#include "gui/controls/IPAddressField.h"
#include "gui/discovery/FindIPDlg.h"
#include "gui/discovery/SysInfoDlg.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

#include <functional>

using namespace discovery_e2e;

namespace {

// Fast ticks for most tests; one test keeps the real second.
constexpr int kFastPeriodMs = 50;
constexpr int kFastPauseMs = 5;

const QString kSending = QStringLiteral("Sending IP-Find broadcast msg ");

using wire::kFindRequest55;

const QString kDevice55 = QStringLiteral(
    "mac=00:11:22:33:44:55,id=abc,password=pw,ip=10.0.0.5,router=10.0.0.9,baseport=6001,mode=6,tcpstate=0,"
    "curport=5001,curmode=2,clientport=7001,clientmac=00:0A:0B:0C:0D:0E,clientip=10.0.0.20,"
    "servermac=00:1A:1B:1C:1D:1E,serverip=10.0.0.30,serverport=8001,statetimer=1000000,poweron=1000000000");

using Rows = QList<QPair<QString, QString>>;
using Messages = QList<MessageRecorder::Message>;

// One Find IP dialog on the screen with the MAC typed in, and what its status line showed.
class FindRun
{
public:
    FindRun()
    {
        dlg.show();
        QObject::connect(Status(), &QLineEdit::textChanged, [this](const QString& text) { statuses << text; });
    }

    QPushButton* Button(const char* name) const { return dlg.findChild<QPushButton*>(QString::fromLatin1(name)); }
    QLineEdit* Status() const { return dlg.findChild<QLineEdit*>(QStringLiteral("statusEdit")); }
    CIPAddressField* FoundIP() const { return dlg.findChild<CIPAddressField*>(QStringLiteral("foundIP")); }
    void Press(const char* name) const { QTest::mouseClick(Button(name), Qt::LeftButton); }

    // Runs "more.." and returns the three lists of the System Info dialog as it showed them.
    QList<Rows> More()
    {
        QList<Rows> lists;
        bool moreEnabledWhileOpen = true;
        QTimer::singleShot(0, &dlg, [&] {
            QPointer<CSysInfoDlg> info = WaitForModal<CSysInfoDlg>();
            QVERIFY(info);
            moreEnabledWhileOpen = Button("moreButton")->isEnabled();
            for (const char* name : {"deviceList", "clientList", "serverList"}) {
                const auto* list = info->findChild<QTableWidget*>(QString::fromLatin1(name));
                Rows rows;
                for (int r = 0; r < list->rowCount(); ++r) {
                    rows.append({list->item(r, 0)->text(), list->item(r, 1)->text()});
                }
                lists << rows;
            }
            info->reject();
        });
        Press("moreButton");
        [&] { QVERIFY(!moreEnabledWhileOpen); }();
        return lists;
    }

    CFindIPDlg dlg;
    QStringList statuses;
};

// Waits `periods` ticks, so that anything a running timer would still send has been sent.
void Settle(int periods = 6)
{
    QTest::qWait(periods * kFastPeriodMs + 100);
}

} // namespace

class TestFindIp final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        RequirePrivateNetworkNamespace();
        qApp->setQuitOnLastWindowClosed(false);
    }

    void init() { CFindIPDlg::SetTimings(kFastPeriodMs, kFastPauseMs); }
    void cleanup() { CFindIPDlg::SetTimings(CFindIPDlg::kFindPeriodMs, CFindIPDlg::kSendPauseMs); }

    void findShowsTheDeviceAndMoreShowsItsSystemInformation()
    {
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55})), qPrintable(sim.Error()));
        MessageRecorder messages;
        FindRun run;
        TypeMac(run.dlg, kParts55);

        run.Press("findButton");
        QCOMPARE(run.Button("findButton")->text(), QStringLiteral("Stop"));
        QCOMPARE(run.Status()->text(), kSending);
        QVERIFY(run.dlg.IsFinding());

        QTRY_VERIFY(!run.dlg.IsFinding());
        QCOMPARE(run.Status()->text(), QStringLiteral("Received"));
        QCOMPARE(run.FoundIP()->Text(), QStringLiteral("10.0.0.5"));
        QVERIFY(run.Button("moreButton")->isEnabled());
        QCOMPARE(run.Button("findButton")->text(), QStringLiteral("Find"));
        QCOMPARE(messages.Count(), 0);

        // One request, exactly as the device expects it; none after the answer.
        Settle();
        QCOMPARE(sim.LoggedRequests(), QStringList{kFindRequest55});
        // The MAC is in the history.
        QCOMPARE(ReadStoreFile(env.StoreFile(QStringLiteral("mach.ini"))), QByteArray("[1]\t 0:17:34:51:68:85\n"));

        const QList<Rows> lists = run.More();
        QCOMPARE(lists.size(), 3);
        QCOMPARE(lists[0], (Rows{{"MAC Address", "00:11:22:33:44:55"},
                                 {"IP Address", "10.0.0.5"},
                                 {"Base TCP Port #", "6001"},
                                 {"Current TCP Port #", "5001"},
                                 {"Current TCP State", "connect"},
                                 {"TCP State Timer", "5675"},
                                 {"Power-ON Timer", "94 (m) 35 (s)"},
                                 {"IP Setup Mode", "Static DHCP"},
                                 {"TCP Mode Setup", "Client and Server"},
                                 {"Current TCP Mode", "Client"},
                                 {"Default Router", "10.0.0.9"}}));
        QCOMPARE(lists[1],
                 (Rows{{"MAC Address", "00:0A:0B:0C:0D:0E"}, {"IP Address", "10.0.0.20"}, {"TCP Port #", "7001"}}));
        QCOMPARE(lists[2],
                 (Rows{{"MAC Address", "00:1A:1B:1C:1D:1E"}, {"IP Address", "10.0.0.30"}, {"TCP Port #", "8001"}}));
        QVERIFY(run.Button("moreButton")->isEnabled());
    }

    void aSecondSearchReplacesTheFirstDevicesInformation()
    {
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        GiveCredentials("001122334466", "def", "qr");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55, "mac=00:11:22:33:44:66,id=def,password=qr,ip=10.0.0.6,mode=2"})),
                 qPrintable(sim.Error()));
        MessageRecorder messages;
        FindRun run;
        TypeMac(run.dlg, kParts55);
        run.Press("findButton");
        QTRY_VERIFY(!run.dlg.IsFinding());
        QCOMPARE(run.FoundIP()->Text(), QStringLiteral("10.0.0.5"));

        TypeMac(run.dlg, {"00", "11", "22", "33", "44", "66"});
        run.Press("findButton");
        QTRY_VERIFY(!run.dlg.IsFinding());
        QCOMPARE(run.FoundIP()->Text(), QStringLiteral("10.0.0.6"));
        QCOMPARE(messages.Count(), 0);

        const QList<Rows> lists = run.More();
        QCOMPARE(lists[0][0].second, QStringLiteral("00:11:22:33:44:66"));
        QCOMPARE(lists[0][1].second, QStringLiteral("10.0.0.6"));
        QCOMPARE(lists[0][7].second, QStringLiteral("Dynamic DHCP"));
        QCOMPARE(lists[0][8].second, QStringLiteral("Client and Server"));
        QCOMPARE(lists[1],
                 (Rows{{"MAC Address", "00:00:00:00:00:00"}, {"IP Address", "0.0.0.0"}, {"TCP Port #", "0"}}));

        Settle();
        QCOMPARE(sim.LoggedRequests().size(), 2);
        QVERIFY(sim.LoggedRequests()[1].startsWith(QLatin1String("00 11 22 33 44 66 64 65 66")));
        QCOMPARE(ReadStoreFile(env.StoreFile(QStringLiteral("mach.ini"))),
                 QByteArray("[1]\t 0:17:34:51:68:85\n[2]\t 0:17:34:51:68:102\n"));
    }

    // The real timer: the first request one second after Find, then one a second.
    void requestsLeaveOnceASecondStartingASecondAfterFind()
    {
        CFindIPDlg::SetTimings(CFindIPDlg::kFindPeriodMs, CFindIPDlg::kSendPauseMs);
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({"mac=00:11:22:33:44:55,id=abc,password=pw,behave=silent"})),
                 qPrintable(sim.Error()));
        FindRun run;
        TypeMac(run.dlg, kParts55);

        QElapsedTimer clock;
        run.Press("findButton");
        clock.start();
        QList<qint64> arrivals;
        while (arrivals.size() < 4 && clock.elapsed() < 8000) {
            QTest::qWait(10);
            const auto logged = sim.LoggedRequests().size();
            while (arrivals.size() < logged) {
                arrivals << clock.elapsed();
            }
        }
        run.Press("findButton"); // Stop
        QStringList times;
        for (const qint64 at : arrivals) {
            times << QString::number(at);
        }
        qInfo("requests logged at %s ms after Find", qPrintable(times.join(QLatin1String(", "))));
        QCOMPARE(arrivals.size(), 4);
        QVERIFY2(arrivals[0] >= 900 && arrivals[0] <= 1600, "first request about one second after Find");
        for (int i = 1; i < arrivals.size(); ++i) {
            const qint64 gap = arrivals[i] - arrivals[i - 1];
            QVERIFY2(gap >= 700 && gap <= 1400, qPrintable(QStringLiteral("gap %1 ms").arg(gap)));
        }
        QCOMPARE(sim.LoggedRequests(), QStringList(4, kFindRequest55));

        QCOMPARE(run.Status()->text(), QStringLiteral("Finding IP stopped ..."));
        QCOMPARE(run.Button("findButton")->text(), QStringLiteral("Find"));
        QTest::qWait(1500);
        QCOMPARE(sim.LoggedRequests().size(), 4);
    }

    void statusShowsZeroToFourDotsInTurn()
    {
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({"mac=00:11:22:33:44:55,id=abc,password=pw,behave=silent"})),
                 qPrintable(sim.Error()));
        FindRun run;
        TypeMac(run.dlg, kParts55);
        run.Press("findButton");
        // Find shows no dots; the ticks then show 0, 1, 2, 3, 4, 0, 1, ... (the first tick's text
        // equals Find's, so the line changes at the second tick).
        QTRY_VERIFY(run.statuses.size() >= 8);
        run.Press("findButton");
        const QStringList expected{kSending,          kSending + ".", kSending + "..", kSending + "...",
                                   kSending + "....", kSending,       kSending + ".",  kSending + ".."};
        QCOMPARE(run.statuses.mid(0, 8), expected);
        QCOMPARE(run.Status()->text(), QStringLiteral("Finding IP stopped ..."));
        QVERIFY(sim.LoggedRequests().size() >= 8);
    }

    void theFirstReplyDecides_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<QString>("status");
        QTest::addColumn<Messages>("messages");
        QTest::addColumn<QString>("foundIp");

        const QString base = QStringLiteral("mac=00:11:22:33:44:55,id=abc,password=pw,ip=10.0.0.5");
        const Messages wrongPassword{{"Wrong Password!!", "Error!!"}};
        QTest::newRow("refusing device") << base + ",behave=refuse"
                                         << "Received" << wrongPassword << "";
        QTest::newRow("other credentials") << "mac=00:11:22:33:44:55,id=abc,password=other"
                                           << "Received" << wrongPassword << "";
        QTest::newRow("another device's reply") << base + ",behave=other-mac"
                                                << "Error" << Messages{} << "";
        QTest::newRow("command code not checked") << base + ",behave=wrong-code"
                                                  << "Received" << Messages{} << "10.0.0.5";
        QTest::newRow("empty datagram") << base + ",behave=empty"
                                        << "Received" << wrongPassword << "";
        QTest::newRow("garbage") << base + ",behave=garbage"
                                 << "Received" << wrongPassword << "";
        QTest::newRow("short OK reply") << base + ",size=40"
                                        << "Received" << Messages{} << "10.0.0.5";
    }

    void theFirstReplyDecides()
    {
        QFETCH(QString, device);
        QFETCH(QString, status);
        QFETCH(Messages, messages);
        QFETCH(QString, foundIp);
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({device})), qPrintable(sim.Error()));
        MessageRecorder recorder;
        FindRun run;
        TypeMac(run.dlg, kParts55);
        run.Press("findButton");
        QTRY_VERIFY(!run.dlg.IsFinding());
        QCOMPARE(run.Status()->text(), status);
        QCOMPARE(recorder.Messages(), messages);
        QCOMPARE(run.FoundIP()->IsBlank(), foundIp.isEmpty());
        if (!foundIp.isEmpty()) {
            QCOMPARE(run.FoundIP()->Text(), foundIp);
        }
        QCOMPARE(run.Button("moreButton")->isEnabled(), !foundIp.isEmpty());
        QCOMPARE(run.Button("findButton")->text(), QStringLiteral("Find"));
        Settle();
        QCOMPARE(sim.LoggedRequests(), QStringList{kFindRequest55});
    }

    // A datagram too long to read is a read error: the search goes on.
    void anOversizedReplyIsASocketErrorAndTheSearchGoesOn()
    {
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({"mac=00:11:22:33:44:55,id=abc,password=pw,behave=oversize"})),
                 qPrintable(sim.Error()));
        MessageRecorder recorder;
        FindRun run;
        TypeMac(run.dlg, kParts55);
        run.Press("findButton");
        QTRY_VERIFY(sim.LoggedRequests().size() >= 3);
        QTRY_VERIFY(run.statuses.count(QStringLiteral("Socket error")) >= 2);
        QVERIFY(run.dlg.IsFinding());
        QCOMPARE(run.Button("findButton")->text(), QStringLiteral("Stop"));
        QCOMPARE(recorder.Count(), 0);
        QVERIFY(run.FoundIP()->IsBlank());
        run.Press("findButton");
        QCOMPARE(run.Status()->text(), QStringLiteral("Finding IP stopped ..."));
        QVERIFY(!run.dlg.IsFinding());
    }

    void aMacWithoutCredentialsStopsAtTheFirstTickBeforeSending()
    {
        GuiTestEnv env;
        GiveCredentials("001122334466", "abc", "pw");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({"mac=00:11:22:33:44:55,id=abc,password=pw"})), qPrintable(sim.Error()));
        MessageRecorder recorder;
        FindRun run;
        TypeMac(run.dlg, kParts55);
        run.Press("findButton");
        QVERIFY(run.dlg.IsFinding());
        QTRY_VERIFY(!run.dlg.IsFinding());
        QCOMPARE(recorder.Messages(), (Messages{{"You must set the ID and Password !!", "Warning"}}));
        QCOMPARE(run.Button("findButton")->text(), QStringLiteral("Find"));
        QCOMPARE(run.Status()->text(), kSending);
        Settle();
        QCOMPARE(sim.LoggedRequests(), QStringList{});
        QCOMPARE(recorder.Count(), 1);
        // The search was started, so the MAC is in the history.
        QCOMPARE(ReadStoreFile(env.StoreFile(QStringLiteral("mach.ini"))), QByteArray("[1]\t 0:17:34:51:68:85\n"));
    }

    // The MAC history cannot be saved and its box stays open over several ticks: the device
    // answers meanwhile. Once the box is closed the search is over, and Find starts a new one.
    void aSearchAnsweredWhileTheHistoryBoxIsOpenStaysEnded()
    {
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55})), qPrintable(sim.Error()));
        const FailingSaves failing("mach.ini");
        MessageRecorder recorder;
        FindRun run;
        TypeMac(run.dlg, kParts55);
        bool answeredWhileOpen = false;
        recorder.WhileOpen([&](const MessageRecorder::Message& message) {
            if (message.text.startsWith(QLatin1String("Can't write ")) && !answeredWhileOpen) {
                QTRY_VERIFY(!run.dlg.IsFinding());
                answeredWhileOpen = true;
            }
        });
        run.Press("findButton");

        QVERIFY(answeredWhileOpen);
        QVERIFY(!run.dlg.IsFinding());
        QCOMPARE(run.Button("findButton")->text(), QStringLiteral("Find"));
        QCOMPARE(run.FoundIP()->Text(), QStringLiteral("10.0.0.5"));
        QVERIFY(!run.dlg.findChild<QTimer*>(QStringLiteral("findTimer"))->isActive());
        const auto sent = sim.LoggedRequests().size();
        Settle();
        QCOMPARE(sim.LoggedRequests().size(), sent);

        recorder.WhileOpen({});
        run.Press("findButton");
        QVERIFY(run.dlg.IsFinding());
        QCOMPARE(run.Button("findButton")->text(), QStringLiteral("Stop"));
        QTRY_VERIFY(!run.dlg.IsFinding());
        QCOMPARE(run.Status()->text(), QStringLiteral("Received"));
    }

    void stopWithAnEmptyFieldIsRefusedAndTheSearchGoesOn()
    {
        // Long ticks: the press is made between two ticks.
        CFindIPDlg::SetTimings(60000, 0);
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        MessageRecorder recorder;
        FindRun run;
        TypeMac(run.dlg, kParts55);
        run.Press("findButton");
        QVERIFY(run.dlg.IsFinding());

        TypeMac(run.dlg, {"00", "11", "22", "", "44", "55"});
        run.Press("findButton");
        QCOMPARE(recorder.Messages(), (Messages{{"Inpute the Mac address !!", "Error"}}));
        QVERIFY(run.dlg.IsFinding());
        QCOMPARE(run.Button("findButton")->text(), QStringLiteral("Stop"));
        QCOMPARE(run.Status()->text(), kSending);

        TypeMac(run.dlg, kParts55);
        run.Press("findButton");
        QVERIFY(!run.dlg.IsFinding());
        QCOMPARE(run.Status()->text(), QStringLiteral("Finding IP stopped ..."));
        QCOMPARE(run.Button("findButton")->text(), QStringLiteral("Find"));
        QCOMPARE(recorder.Count(), 1);
    }

    void cancelEndsTheSearch()
    {
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({"mac=00:11:22:33:44:55,id=abc,password=pw,behave=silent"})),
                 qPrintable(sim.Error()));
        FindRun run;
        TypeMac(run.dlg, kParts55);
        run.Press("findButton");
        QVERIFY(sim.WaitForRequests(2));
        run.Press("cancelButton");
        QVERIFY(!run.dlg.isVisible());
        QCOMPARE(run.dlg.result(), int(QDialog::Rejected));
        QVERIFY(!run.dlg.IsFinding());
        const auto sent = sim.LoggedRequests().size();
        Settle();
        QCOMPARE(sim.LoggedRequests().size(), sent);
    }

    // A socket that cannot be opened is reported at the first tick, once, and ends the search.
    // Nowhere to send a broadcast (no adapter, no route for 255.255.255.255): the search goes on
    // without a word, and reaches the device once there is a way again.
    void aBroadcastWithNowhereToGoIsNoError()
    {
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55})), qPrintable(sim.Error()));
        const auto ip = [](const QStringList& args) { return QProcess::execute(QStringLiteral("ip"), args) == 0; };
        const QStringList route{"255.255.255.255/32", "dev", "lo", "src", "127.0.0.1"};
        QVERIFY(ip(QStringList{"route", "del"} + route));
        struct Restore
        {
            std::function<void()> undo;
            ~Restore() { undo(); }
        } restore{[&] { ip(QStringList{"route", "replace"} + route); }};

        MessageRecorder messages;
        FindRun run;
        TypeMac(run.dlg, kParts55);
        run.Press("findButton");
        Settle();
        QVERIFY(run.dlg.IsFinding());
        QCOMPARE(messages.Count(), 0);
        QCOMPARE(sim.LoggedRequests(), QStringList{});

        QVERIFY(ip(QStringList{"route", "add"} + route));
        QTRY_VERIFY(!run.dlg.IsFinding());
        QCOMPARE(run.Status()->text(), QStringLiteral("Received"));
        QCOMPARE(messages.Count(), 0);
        QCOMPARE(sim.LoggedRequests().value(0), kFindRequest55);
    }

    void aSocketThatCannotBeOpenedIsReportedOnce()
    {
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({"mac=00:11:22:33:44:55,id=abc,password=pw,ip=10.0.0.5"})), qPrintable(sim.Error()));
        MessageRecorder recorder;
        FindRun run;
        TypeMac(run.dlg, kParts55);
        // A first search, so that everything the process needs besides the socket is in place.
        run.Press("findButton");
        QTRY_VERIFY(!run.dlg.IsFinding());
        QCOMPARE(sim.LoggedRequests().size(), 1);

        // No descriptor left while Find runs: the socket cannot be opened.
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_NOFILE, &saved), 0);
        const int lowestFree = dup(0);
        QVERIFY(lowestFree >= 0);
        close(lowestFree);
        rlimit tight = saved;
        tight.rlim_cur = static_cast<rlim_t>(lowestFree);
        QCOMPARE(setrlimit(RLIMIT_NOFILE, &tight), 0);
        run.Press("findButton");
        QCOMPARE(setrlimit(RLIMIT_NOFILE, &saved), 0);

        QTRY_VERIFY(!run.dlg.IsFinding());
        // The history cannot be written either, and says so; the socket is reported once.
        const MessageRecorder::Message fatal{"Can not initiate the socket!!", "Fatal"};
        QCOMPARE(recorder.Last(), fatal);
        QCOMPARE(recorder.Messages().count(fatal), 1);
        QCOMPARE(run.Button("findButton")->text(), QStringLiteral("Find"));
        const int shown = recorder.Count();
        Settle();
        QCOMPARE(recorder.Count(), shown);
        QCOMPARE(sim.LoggedRequests().size(), 1);

        // With descriptors back, the next search works.
        run.Press("findButton");
        QTRY_VERIFY(!run.dlg.IsFinding());
        QCOMPARE(run.Status()->text(), QStringLiteral("Received"));
        QCOMPARE(sim.LoggedRequests(), QStringList(2, kFindRequest55));
    }
};

QTEST_MAIN(TestFindIp)
#include "test_find_ip.moc"
