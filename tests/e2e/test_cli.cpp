// corvane-cli against the device stand-in, both as separate processes in a private network
// namespace: the bytes each subcommand sends (the window's own golden requests), the stores it
// leaves, what it says, its JSON and its exit status.

#include "PagesE2E.h"
#include "WireGolden.h"

#include "core/stores/MacHistoryFDB.h"
#include "core/stores/PwdFDB.h"
#include "gui/DeviceSim.h"
#include "gui/GuiTestEnv.h"
#include "gui/NetGuard.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <memory>
#include <vector>

using namespace pages_e2e;

namespace {

struct Run
{
    int status = -1;
    QString out;
    QString err;
};

// Runs corvane-cli in `dir` with stdin closed (not a terminal).
Run Cli(const QString& dir, const QStringList& args, int timeoutMs = 30000)
{
    QProcess process;
    process.setWorkingDirectory(dir);
    process.setProgram(QStringLiteral(CORVANE_CLI));
    process.setArguments(args);
    process.start();
    process.closeWriteChannel();
    Run run;
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        run.err = QStringLiteral("<timed out>");
        return run;
    }
    run.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = QString::fromUtf8(process.readAllStandardOutput());
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}

QString Describe(const Run& run)
{
    return QStringLiteral("status %1\nstdout: %2\nstderr: %3").arg(run.status).arg(run.out, run.err);
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

const QByteArray kStoreAbc("\n[1]\nMAC : 001122334455 \nID : abc \nPassword : pw \n");
const QByteArray kStoreNew("\n[1]\nMAC : 001122334455 \nID : new \nPassword : secret \n");
const QString kMac = QStringLiteral("00:11:22:33:44:55");

} // namespace

class TestCli final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        RequirePrivateNetworkNamespace();
        QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
    }

    // Each subcommand sends what the window sends for the same input, broadcast or to --dest.
    void requestIsTheWindows_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("said");
        const QStringList network{"netmode", kMac, "--server-ip", "10.0.0.2", "--data-server-ip", "10.0.0.3"};
        for (const bool directed : {false, true}) {
            const QStringList dest = directed ? QStringList{"--dest", "127.0.0.1"} : QStringList{};
            const char* how = directed ? "to 127.0.0.1" : "broadcast";
            QTest::addRow("find, %s", how) << (QStringList{"find", kMac} + dest) << wire::kFindRequest55
                                           << "00:11:22:33:44:55 find: Found IP 10.0.0.5\n";
            QTest::addRow("clear, %s", how) << (QStringList{"clear", kMac, "--yes"} + dest) << wire::kClearRequest55
                                            << "00:11:22:33:44:55 clear: IP Cleared!\n";
            QTest::addRow("login, %s", how)
                << (QStringList{"login", kMac, "--id", "abc", "--password", "pw"} + dest) << wire::kConfirm55
                << "00:11:22:33:44:55 login: Id & Password confirmed.\n";
            QTest::addRow("netmode, %s", how)
                << (network + dest) << wire::kNetworkModeRequest
                << "00:11:22:33:44:55 netmode: System Configuration Setting Completed !!\n";
            QTest::addRow("serial, %s", how) << (QStringList{"serial", kMac} + dest) << wire::kSerialRequest
                                             << "00:11:22:33:44:55 serial: Serial Setting Completed !!\n";
            QTest::addRow("passwd, %s", how)
                << (QStringList{"passwd", kMac, "--new-id", "new", "--new-password", "secret"} + dest)
                << wire::kChange55 << "00:11:22:33:44:55 passwd: Password Setting Completed!!\n";
        }
        // The options that choose other settings, against the bytes the pages send for them.
        const QString netmodeDone =
            QStringLiteral("00:11:22:33:44:55 netmode: System Configuration Setting Completed !!\n");
        const QString serialDone = QStringLiteral("00:11:22:33:44:55 serial: Serial Setting Completed !!\n");
        QTest::newRow("netmode, notifier 6:00")
            << (network + QStringList{"--notifier", "6:00"}) << wire::kNetworkModeNotifier6h << netmodeDone;
        QTest::newRow("netmode, both, ports 2000")
            << (network + QStringList{"--tcp-mode", "both", "--port", "2000", "--server-port", "2000"})
            << wire::kNetworkModeBothPorts2000 << netmodeDone;
        QTest::newRow("netmode, dynamic client, port 0")
            << (network + QStringList{"--ip-mode", "dynamic", "--tcp-mode", "client", "--port", "0"})
            << wire::kNetworkModeDynamicClientPort0 << netmodeDone;
        QTest::newRow("serial, even, 7 bits, 2, xon-xoff, unlimited")
            << QStringList{"serial",      kMac, "--parity", "even",     "--data-bits", "7",
                           "--stop-bits", "2",  "--flow",   "xon-xoff", "--time",      "unlimited"}
            << wire::kSerialEven7Bits2XonXoffUnlimited << serialDone;
        QTest::newRow("serial, 150, odd, 5 bits, 1.5, hardware")
            << QStringList{"serial",      kMac, "--baud",      "150", "--parity", "odd",
                           "--data-bits", "5",  "--stop-bits", "1.5", "--flow",   "hardware"}
            << wire::kSerial150Odd5Bits15Hardware << serialDone;
    }

    void requestIsTheWindows()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, request);
        QFETCH(QString, said);
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        DeviceSim sim;
        QStringList simArgs = Devices({kDevice55});
        if (args.contains(QStringLiteral("--dest"))) {
            // A stand-in bound to 127.0.0.1 hears no broadcast.
            simArgs << QStringLiteral("--bind") << QStringLiteral("127.0.0.1");
        }
        QVERIFY2(sim.Start(simArgs), qPrintable(sim.Error()));
        const Run run = Cli(env.StoreDir(), args);
        QVERIFY2(run.status == 0, qPrintable(Describe(run)));
        QCOMPARE(sim.LoggedRequests(), QStringList{request});
        QVERIFY2(run.out.startsWith(said), qPrintable(run.out));
        QCOMPARE(ReadStoreFile(env.StoreFile(QStringLiteral("mach.ini"))), kHistory55);
        const QByteArray store = args.front() == QLatin1String("passwd") ? kStoreNew : kStoreAbc;
        QCOMPARE(ReadStoreFile(env.StoreFile(QStringLiteral("pwd.ini"))), store);
    }

    // From an empty directory: login records the credentials, and the other exchanges use them.
    void loginFindNetmodeSerialOnAFreshDirectory()
    {
        GuiTestEnv env;
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55})), qPrintable(sim.Error()));
        const QString dir = env.StoreDir();
        const QString pwd = env.StoreFile(QStringLiteral("pwd.ini"));

        // A wrong password is not recorded.
        Run run = Cli(dir, {"login", kMac, "--id", "abc", "--password", "nope"});
        QCOMPARE(run.status, 1);
        QCOMPARE(run.err, QStringLiteral("00:11:22:33:44:55 login: Wrong Password. (Warning)\n"));
        QVERIFY(!QFile::exists(pwd));

        run = Cli(dir, {"login", "001122334455", "--id", "abc", "--password", "pw"});
        QVERIFY2(run.status == 0, qPrintable(Describe(run)));
        QCOMPARE(ReadStoreFile(pwd), kStoreAbc);
        QCOMPARE(QFile(pwd).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther),
                 QFileDevice::Permissions());

        run = Cli(dir, {"find", "00-11-22-33-44-55"});
        QVERIFY2(run.status == 0, qPrintable(Describe(run)));
        QVERIFY2(run.out.startsWith(QStringLiteral("00:11:22:33:44:55 find: Found IP 10.0.0.5\n")),
                 qPrintable(run.out));

        run = Cli(dir, {"netmode", kMac, "--tcp-mode", "client", "--server-ip", "10.0.0.2", "--server-port", "7001",
                        "--data-server-ip", "10.0.0.3", "--notifier", "1:30", "--ip-mode", "dynamic"});
        QVERIFY2(run.status == 0, qPrintable(Describe(run)));
        run = Cli(dir, {"serial", kMac, "--baud", "19200", "--parity", "even", "--data-bits", "7", "--stop-bits", "2",
                        "--flow", "hardware", "--time", "unlimited", "--quiet"});
        QVERIFY2(run.status == 0, qPrintable(Describe(run)));
        QCOMPARE(run.out + run.err, QString());

        const QStringList requests = sim.LoggedRequests();
        QCOMPARE(requests.size(), 5);
        QCOMPARE(requests[2], wire::kFindRequest55);
        // Notifier 1:30 is 59 units of 91 s; dynamic client (mode 0); ports 6001 and 7001.
        QCOMPARE(requests[3],
                 kHeader55 + QStringLiteral(" 72 3b 00 17 71 0a 00 00 02 1b 59 0a 00 00 03 00 00 00 00 00 00 00 00"));
        // 19200 (divisor 6), 7 bits, 2 stop bits, even parity, hardware flow, unlimited.
        QCOMPARE(requests[4], kHeader55 + QStringLiteral(" 71 00 06 1e 02 00 ff 00"));
        QCOMPARE(ReadStoreFile(env.StoreFile(QStringLiteral("mach.ini"))), kHistory55);

        run = Cli(dir, {"history"});
        QCOMPARE(run.out, QStringLiteral("00:11:22:33:44:55\n"));
    }

    // Refusals, silence and an answer of another kind: what is said, and exit status 1.
    void deviceDoesNotSayOk_data()
    {
        QTest::addColumn<QString>("behaviour");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("said");
        const QStringList netmode{"netmode", kMac, "--data-server-ip", "10.0.0.3"};
        QTest::newRow("netmode refused") << "behave=refuse" << netmode << "netmode: Wrong Password!! (Error!!)";
        QTest::newRow("serial refused") << "behave=refuse" << QStringList{"serial", kMac}
                                        << "serial: Wrong Password!! (Error!!)";
        QTest::newRow("find refused") << "behave=refuse" << QStringList{"find", kMac}
                                      << "find: Wrong Password!! (Error!!)";
        QTest::newRow("clear refused") << "behave=refuse" << QStringList{"clear", kMac, "--yes"}
                                       << "clear: Wrong Password!! (Error!!)";
        QTest::newRow("passwd refused") << "behave=refuse"
                                        << QStringList{"passwd", kMac, "--new-id", "new", "--new-password", "secret"}
                                        << "passwd: Wrong Password!! (Error!!)";
        QTest::newRow("netmode silent") << "behave=silent" << netmode << "netmode: No answer within 0.4 s; gave up";
        QTest::newRow("find silent") << "behave=silent" << QStringList{"find", kMac}
                                     << "find: No answer within 0.4 s; gave up";
        QTest::newRow("login silent") << "behave=silent"
                                      << QStringList{"login", kMac, "--id", "abc", "--password", "pw"}
                                      << "login: No answer within 0.4 s; gave up";
        QTest::newRow("netmode wrong code")
            << "behave=wrong-code" << netmode << "netmode: Unexpected reply (command 0x8d)";
        QTest::newRow("login wrong code")
            << "behave=wrong-code" << QStringList{"login", kMac, "--id", "abc", "--password", "pw"}
            << "login: Unexpected reply (command 0x67)";
        QTest::newRow("find from another device") << "behave=other-mac" << QStringList{"find", kMac} << "find: Error";
    }

    void deviceDoesNotSayOk()
    {
        QFETCH(QString, behaviour);
        QFETCH(QStringList, args);
        QFETCH(QString, said);
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55 + QLatin1Char(',') + behaviour})), qPrintable(sim.Error()));
        const Run run = Cli(env.StoreDir(), args + QStringList{"--timeout", "0.4"});
        QVERIFY2(run.status == 1, qPrintable(Describe(run)));
        QCOMPARE(run.err, QStringLiteral("00:11:22:33:44:55 ") + said + QLatin1Char('\n'));
        QVERIFY(!sim.LoggedRequests().isEmpty());
        // Nothing unconfirmed is recorded.
        QCOMPARE(ReadStoreFile(env.StoreFile(QStringLiteral("pwd.ini"))), kStoreAbc);
    }

    // Without credentials nothing is sent; the MAC history still grows, as on the pages.
    void noCredentialsSendsNothing()
    {
        GuiTestEnv env;
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55})), qPrintable(sim.Error()));
        for (const QStringList& args :
             {QStringList{"find", kMac}, QStringList{"clear", kMac, "--yes"}, QStringList{"serial", kMac}}) {
            const Run run = Cli(env.StoreDir(), args);
            QVERIFY2(run.status == 1, qPrintable(Describe(run)));
            QCOMPARE(run.err, QStringLiteral("00:11:22:33:44:55 %1: You must set the ID and Password !! (Warning)\n")
                                  .arg(args.front()));
        }
        QTest::qWait(200);
        QCOMPARE(sim.LoggedRequests(), QStringList());
        QCOMPARE(ReadStoreFile(env.StoreFile(QStringLiteral("mach.ini"))), kHistory55);
    }

    // The pages' checks, with their messages, before anything is sent: exit status 2.
    void badInputIsRefused_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("said");
        QTest::newRow("all-zero MAC") << QStringList{"serial", "00:00:00:00:00:00"}
                                      << "00:00:00:00:00:00 serial: Input the MAC address.  Now is 00:00:00:00:00:00 "
                                         "!! (Alert)\n";
        QTest::newRow("bad MAC") << QStringList{"find", "00:11:22:33:44"}
                                 << "00:11:22:33:44 find: invalid MAC address \"00:11:22:33:44\" (six bytes, such as "
                                    "00:11:22:33:44:55)\n";
        QTest::newRow("no data server") << QStringList{"netmode", kMac}
                                        << "00:11:22:33:44:55 netmode: Input the Data Server IP address.  Now is "
                                           "0.0.0.0!! (Alert)\n";
        QTest::newRow("client without server")
            << QStringList{"netmode", kMac, "--tcp-mode", "client", "--data-server-ip", "10.0.0.3"}
            << "00:11:22:33:44:55 netmode: Input the Remote Server IP address.  Now is 0.0.0.0!! (Alert)\n";
        QTest::newRow("port too low") << QStringList{"netmode", kMac, "--data-server-ip", "10.0.0.3", "--port", "1999"}
                                      << "00:11:22:33:44:55 netmode: The Port must be bigger than 2000!! (Alert)\n";
        QTest::newRow("port too high") << QStringList{"netmode",  kMac,     "--data-server-ip",
                                                      "10.0.0.3", "--port", "65536"}
                                       << "00:11:22:33:44:55 netmode: The Port must be smaller than 65536!! (Alert)\n";
        QTest::newRow("notifier too long")
            << QStringList{"netmode", kMac, "--data-server-ip", "10.0.0.3", "--notifier", "6:01"}
            << "00:11:22:33:44:55 netmode: Out of Range - The maximum notifier time is 6 hours !! (Alert)\n";
        QTest::newRow("bad address") << QStringList{"netmode", kMac, "--data-server-ip", "10.0.0.256"}
                                     << "00:11:22:33:44:55 netmode: invalid --data-server-ip \"10.0.0.256\" (an IPv4 "
                                        "address such as 10.0.0.2)\n";
        QTest::newRow("serial time") << QStringList{"serial", kMac, "--time", "101"}
                                     << "00:11:22:33:44:55 serial: The time is out of range(2-100). (Check!!)\n";
        QTest::newRow("empty password") << QStringList{"login", kMac, "--id", "abc"}
                                        << "00:11:22:33:44:55 login: There is an EMPTY field !! (Warnning!)\n";
        QTest::newRow("clear unconfirmed")
            << QStringList{"clear", kMac}
            << "00:11:22:33:44:55 clear: not cleared: not confirmed (answer y on a terminal, or give --yes)\n";
        QTest::newRow("unknown option") << QStringList{"serial", kMac, "--speed", "9600"}
                                        << "corvane-cli: serial: unknown option --speed\nTry 'corvane-cli serial "
                                           "--help'.\n";
        QTest::newRow("bad timeout") << QStringList{"find", kMac, "--timeout", "soon"}
                                     << "corvane-cli: invalid --timeout \"soon\" (seconds, more than 0)\n";
        QTest::newRow("timeout nan") << QStringList{"find", kMac, "--timeout", "nan"}
                                     << "corvane-cli: invalid --timeout \"nan\" (seconds, more than 0)\n";
        // The request's field holds 8 bytes: a longer text would be cut, and the device would take
        // another ID than the one given.
        QTest::newRow("ID too long") << QStringList{"login", kMac, "--id", "abcdefghi", "--password", "pw"}
                                     << "00:11:22:33:44:55 login: invalid --id \"abcdefghi\" (at most 8 characters)\n";
        QTest::newRow("new password too long")
            << QStringList{"passwd", kMac, "--new-id", "new", "--new-password", "123456789"}
            << "00:11:22:33:44:55 passwd: invalid --new-password \"123456789\" (at most 8 characters)\n";
    }

    void badInputIsRefused()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, said);
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55})), qPrintable(sim.Error()));
        const Run run = Cli(env.StoreDir(), args);
        QVERIFY2(run.status == 2, qPrintable(Describe(run)));
        QCOMPARE(run.err, said);
        QTest::qWait(100);
        QCOMPARE(sim.LoggedRequests(), QStringList());
        QVERIFY(!QFile::exists(env.StoreFile(QStringLiteral("mach.ini"))));
    }

    // --json: one object per result with its stable fields.
    void jsonResults()
    {
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55 + QStringLiteral(",router=10.0.0.9,baseport=6001")})),
                 qPrintable(sim.Error()));
        Run run = Cli(env.StoreDir(), {"find", kMac, "--json"});
        QVERIFY2(run.status == 0, qPrintable(Describe(run)));
        QJsonParseError error;
        const QJsonObject found = QJsonDocument::fromJson(run.out.toUtf8(), &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        QCOMPARE(found.value("mac").toString(), kMac);
        QCOMPARE(found.value("command").toString(), QStringLiteral("find"));
        QCOMPARE(found.value("result").toString(), QStringLiteral("ok"));
        QCOMPARE(found.value("ok").toBool(), true);
        QCOMPARE(found.value("ip").toString(), QStringLiteral("10.0.0.5"));
        QCOMPARE(found.value("info").toObject().value("router").toString(), QStringLiteral("10.0.0.9"));
        QCOMPARE(found.value("info").toObject().value("base_port").toString(), QStringLiteral("6001"));
        QVERIFY(found.value("seconds").toDouble() >= 0);

        run = Cli(env.StoreDir(), {"serial", "00:11:22:33:44:66", "--json", "--timeout", "0.3"});
        QCOMPARE(run.status, 1);
        const QJsonObject refused = QJsonDocument::fromJson(run.out.toUtf8()).object();
        QCOMPARE(refused.value("result").toString(), QStringLiteral("refused"));
        QCOMPARE(refused.value("message").toString(), QStringLiteral("You must set the ID and Password !!"));
        QCOMPARE(refused.value("caption").toString(), QStringLiteral("Warning"));
    }

    // The change's answer does not come within its 3 s wait: the new ID and password are verified.
    void passwdAnswerNotInTime_data()
    {
        QTest::addColumn<QString>("behaviour");
        QTest::addColumn<QString>("said");
        // The device restarts without answering: the verification decides.
        QTest::newRow("never answered") << ",mute=99"
                                        << "Password has Changed !!";
        // The answer comes while the verifications go out: it still decides.
        QTest::newRow("answered late") << ",delay=3500"
                                       << "Password Setting Completed!!";
    }

    void passwdAnswerNotInTime()
    {
        QFETCH(QString, behaviour);
        QFETCH(QString, said);
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55 + behaviour})), qPrintable(sim.Error()));
        const Run run = Cli(env.StoreDir(), {"passwd", kMac, "--new-id", "new", "--new-password", "secret"});
        QVERIFY2(run.status == 0, qPrintable(Describe(run)));
        QCOMPARE(run.out, QStringLiteral("00:11:22:33:44:55 passwd: ") + said + QLatin1Char('\n'));
        QCOMPARE(sim.LoggedRequests(), (QStringList{wire::kChange55, wire::kVerify55}));
        QCOMPARE(ReadStoreFile(env.StoreFile(QStringLiteral("pwd.ini"))), kStoreNew);
    }

    // Credentials the device confirms but "pwd.ini" cannot take are no success: the next run
    // would find none.
    void loginThatCannotBeRecordedFails()
    {
        GuiTestEnv env;
        QVERIFY(QDir(env.StoreDir()).mkdir(QStringLiteral("pwd.ini")));
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55})), qPrintable(sim.Error()));
        const Run run = Cli(env.StoreDir(), {"login", kMac, "--id", "abc", "--password", "pw", "--json"});
        QVERIFY2(run.status == 1, qPrintable(Describe(run)));
        QVERIFY2(run.err.contains(QStringLiteral("pwd.ini !!")), qPrintable(run.err));
        const QJsonObject result = QJsonDocument::fromJson(run.out.toUtf8()).object();
        QCOMPARE(result.value("result").toString(), QStringLiteral("not-recorded"));
        QCOMPARE(result.value("ok").toBool(), false);
        QCOMPARE(result.value("message").toString(),
                 QStringLiteral("Id & Password confirmed. (not recorded in pwd.ini)"));
    }

    // The client table and the MAC history through dhcp add, list, remove and history.
    void tablesAndHistory()
    {
        GuiTestEnv env;
        const QString dir = env.StoreDir();
        const QString table = env.StoreFile(QStringLiteral("dhcp.ini"));
        Run run = Cli(dir, {"dhcp", "add", "02:5a:7e:00:00:01", "10.77.0.21"});
        QCOMPARE(run.status, 1);
        QCOMPARE(run.err, QStringLiteral("corvane-cli: There's no default router!! You must do server setting.\n"));
        WriteFile(env.StoreFile(QStringLiteral("adsvr.ini")),
                  "[Router]\nnumber = 1\n10.77.0.1\n\n[DNS]\nnumber = 0\n\n[NetBios]\nnumber = 0\n\n[Server IP]\n"
                  "1 10.77.0.1\n\n[Domain Name]\n1 removed\n\n[Lease Time]\n-1\n");

        run = Cli(dir, {"dhcp", "add", "02:5a:7e:00:00:01", "10.77.0.21", "--gateway", "10.77.0.1", "--mask",
                        "255.255.255.0"});
        QVERIFY2(run.status == 0, qPrintable(Describe(run)));
        QVERIFY(Cli(dir, {"dhcp", "add", "02:5A:7E:00:00:02", "10.77.0.22"}).status == 0);
        const QByteArray two = "\n[1]\nHType : 1 \nhlen : 6 \nIP :  10. 77.  0. 21 \nMAC : 025A7E000001 \n"
                               "Gateway :  10. 77.  0.  1 \nSubnet : 255.255.255.  0\n"
                               "\n[2]\nHType : 1 \nhlen : 6 \nIP :  10. 77.  0. 22 \nMAC : 025A7E000002 \n"
                               "Gateway :   0.  0.  0.  0 \nSubnet :   0.  0.  0.  0\n";
        QCOMPARE(ReadStoreFile(table), two);

        // Refused as the Add dialog refuses, or already there: the table stays as it is.
        const QList<QPair<QStringList, QString>> refusals{
            {{"dhcp", "add", "02:5a:7e:00:00:03", "10.77.0.21"},
             "corvane-cli: the IP or the MAC is in dhcp.ini already; nothing added\n"},
            {{"dhcp", "add", "02:5a:7e:00:00:03", "10.77.0.255"}, "corvane-cli: Wrong IP Addess !!\n"},
            {{"dhcp", "add", "02:5a:7e:00:00:03", "0.0.0.0"}, "corvane-cli: Input the client IP Addess !!\n"},
            {{"dhcp", "remove", "10.77.0.99"}, "corvane-cli: 10.77.0.99 is not in dhcp.ini\n"},
        };
        for (const auto& [args, said] : refusals) {
            run = Cli(dir, args);
            QVERIFY2(run.status != 0, qPrintable(Describe(run)));
            QCOMPARE(run.err, said);
        }
        QCOMPARE(ReadStoreFile(table), two);

        run = Cli(dir, {"dhcp", "list"});
        QCOMPARE(run.out, QStringLiteral("1\t6\t 10. 77.  0. 21\t025A7E000001\t 10. 77.  0.  1\t255.255.255.  0\n"
                                         "1\t6\t 10. 77.  0. 22\t025A7E000002\t  0.  0.  0.  0\t  0.  0.  0.  0\n"));
        QVERIFY(Cli(dir, {"dhcp", "remove", "10.77.0.21"}).status == 0);
        QVERIFY(Cli(dir, {"dhcp", "remove", "02:5a:7e:00:00:02"}).status == 0);
        QCOMPARE(ReadStoreFile(table), QByteArray());

        // The Add dialog's OK remembers the MAC; the history lists the newest first.
        run = Cli(dir, {"history", "--json"});
        QCOMPARE(run.out, QStringLiteral("{\"mac\":\"02:5A:7E:00:00:02\"}\n{\"mac\":\"02:5A:7E:00:00:01\"}\n"));
        QVERIFY(Cli(dir, {"history", "--clear"}).status == 0);
        QCOMPARE(ReadStoreFile(env.StoreFile(QStringLiteral("mach.ini"))), QByteArray());
        QCOMPARE(Cli(dir, {"history"}).out, QString());
    }

    // Every subcommand has its help; a usage error is exit status 2.
    void helpAndUsage()
    {
        GuiTestEnv env;
        for (const char* command :
             {"find", "clear", "login", "passwd", "netmode", "serial", "dhcp", "history", "apply"}) {
            const Run run = Cli(env.StoreDir(), {QString::fromLatin1(command), "--help"});
            QCOMPARE(run.status, 0);
            QVERIFY2(run.out.startsWith(QStringLiteral("Usage: corvane-cli %1").arg(QLatin1String(command))),
                     qPrintable(run.out));
        }
        QCOMPARE(Cli(env.StoreDir(), {"frobnicate"}).status, 2);
        QCOMPARE(Cli(env.StoreDir(), {}).status, 2);
        QCOMPARE(Cli(env.StoreDir(), {"find"}).status, 2);
    }

    // Ten verifications a second apart after the 3 s wait, then the page's failure message.
    void passwdGivesUpAfterTenVerifications()
    {
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55 + QStringLiteral(",mute=99+98")})), qPrintable(sim.Error()));
        QElapsedTimer clock;
        clock.start();
        const Run run = Cli(env.StoreDir(), {"passwd", kMac, "--new-id", "new", "--new-password", "secret"});
        const qint64 took = clock.elapsed();
        QVERIFY2(run.status == 1, qPrintable(Describe(run)));
        QCOMPARE(run.err, QStringLiteral("00:11:22:33:44:55 passwd: Password Setting Failed! \nThere's No Response !! "
                                         "(Failure!)\n"));
        QStringList expected{wire::kChange55};
        for (int i = 0; i < 10; ++i) {
            expected << wire::kVerify55;
        }
        QCOMPARE(sim.LoggedRequests(), expected);
        // 3 s, nine periods between the ten verifications, and the tenth's own period.
        QVERIFY2(took >= 13000, qPrintable(QString::number(took)));
        QCOMPARE(ReadStoreFile(env.StoreFile(QStringLiteral("pwd.ini"))), kStoreAbc);
    }

    // Without --yes, clear asks on a terminal and goes on only for "y".
    void clearAsksOnATerminal()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("script")).isEmpty()) {
            QSKIP("script (util-linux) is missing");
        }
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55})), qPrintable(sim.Error()));
        for (const QByteArray& answer : {QByteArray("n\n"), QByteArray("y\n")}) {
            QProcess process;
            process.setWorkingDirectory(env.StoreDir());
            process.start(QStringLiteral("script"),
                          {"-qec", QStringLiteral("%1 clear %2").arg(QStringLiteral(CORVANE_CLI), kMac), "/dev/null"});
            process.write(answer);
            process.closeWriteChannel();
            QVERIFY(process.waitForFinished(10000));
            const QString output = QString::fromUtf8(process.readAll());
            QVERIFY2(
                output.contains(QStringLiteral("IP Clear: You are to clear the IP from Device !! Continue? (y/N)")),
                qPrintable(output));
            QCOMPARE(process.exitCode(), answer == "y\n" ? 0 : 2);
        }
        QCOMPARE(sim.LoggedRequests(), QStringList{wire::kClearRequest55});
    }

    // A plan: good rows carried out side by side, bad rows named by line and column and skipped.
    void applyPlan()
    {
        GuiTestEnv env;
        GiveCredentials("001122334466", "abc", "pw");
        const QByteArray store = ReadStoreFile(env.StoreFile(QStringLiteral("pwd.ini")));
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55, kDevice66, QStringLiteral("mac=00:11:22:33:44:77,id=abc,password=pw")})),
                 qPrintable(sim.Error()));
        const QString plan = env.StoreFile(QStringLiteral("plan.csv"));
        // Saved by a spreadsheet program: a byte order mark before the header.
        WriteFile(plan, "\xEF\xBB\xBFmac,id,password,tcp-mode,server-ip,data-server-ip,baud,time\n"
                        "00:11:22:33:44:55,abc,pw,,,10.0.0.3,,\n"
                        "# a comment\n"
                        "00:11:22:33:44:66,,,client,10.0.0.2,10.0.0.3,19200,\n"
                        "00:11:22:33:44:77,abc,pw,,,,9601,\n"
                        "00:11:22:33:44:55,abc,pw,,,,,\n"
                        "00:11:22:33:44:88,abc,pw,\n"
                        "00:11:22:33:44:99,abc,pw,,,,,101\n"
                        "\"00:11:22:33:44:77\",\"abc\",pw,,,,,8\n"
                        "00:11:22:33:44:aa,\"abc,pw,,,,,8\n");
        const Run run = Cli(env.StoreDir(), {"apply", plan});
        QVERIFY2(run.status == 2, qPrintable(Describe(run)));
        QCOMPARE(run.out,
                 QStringLiteral("line 2: 00:11:22:33:44:55 netmode: System Configuration Setting Completed !!\n"
                                "line 4: 00:11:22:33:44:66 serial: Serial Setting Completed !!\n"
                                "line 9: 00:11:22:33:44:77 serial: Serial Setting Completed !!\n"));
        QCOMPARE(run.err, QStringLiteral(
                              "line 5: 00:11:22:33:44:77 apply: %1:5: column 7 (baud): invalid baud \"9601\" (one of "
                              "150 to 115200 as the Serial page offers them)\n"
                              "line 6: 00:11:22:33:44:55 apply: %1:6: column 1 (mac): 00:11:22:33:44:55 is already on "
                              "line 2\n"
                              "line 7: 00:11:22:33:44:88 apply: %1:7: 4 fields, the header has 8\n"
                              "line 8: 00:11:22:33:44:99 apply: %1:8: The time is out of range(2-100).\n"
                              "line 10: 00:11:22:33:44:AA apply: %1:10: unterminated quoted field\n")
                              .arg(plan));
        // Lines 2 (login, netmode), 4 (netmode, serial) and 9 (login, serial); nothing for the others.
        QCOMPARE(sim.LoggedRequests().size(), 6);
        // What was in the store is kept; the confirmed logins are added.
        const QByteArray after = ReadStoreFile(env.StoreFile(QStringLiteral("pwd.ini")));
        QVERIFY2(after.startsWith(store), after.constData());
        QVERIFY(after.contains("MAC : 001122334455 \nID : abc \nPassword : pw \n"));
        QVERIFY(after.contains("MAC : 001122334477 \nID : abc \nPassword : pw \n"));
    }

    // A plan whose header names an unknown column sends nothing at all.
    void applyRefusesAnUnknownColumn()
    {
        GuiTestEnv env;
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55})), qPrintable(sim.Error()));
        const QString plan = env.StoreFile(QStringLiteral("plan.csv"));
        WriteFile(plan, "mac,id,password,speed\n00:11:22:33:44:55,abc,pw,9600\n");
        const Run run = Cli(env.StoreDir(), {"apply", plan});
        QCOMPARE(run.status, 2);
        QCOMPARE(run.err, QStringLiteral("corvane-cli: %1:1: column 4: unknown column \"speed\"\n").arg(plan));
        QTest::qWait(100);
        QCOMPARE(sim.LoggedRequests(), QStringList());
    }

    // 200 devices played by one stand-in, one plan row each: every one configured, 200 results.
    void applyTwoHundredDevices()
    {
        GuiTestEnv env;
        QByteArray config;
        QByteArray plan("mac,id,password,data-server-ip,baud\n");
        for (int n = 0; n < 200; ++n) {
            const QByteArray mac = QStringLiteral("02:00:00:00:%1:%2")
                                       .arg(n / 256, 2, 16, QLatin1Char('0'))
                                       .arg(n % 256, 2, 16, QLatin1Char('0'))
                                       .toLatin1();
            config += "mac=" + mac + ",id=abc,password=pw\n";
            plan += mac + ",abc,pw,10.0.0.3,38400\n";
        }
        WriteFile(env.StoreFile(QStringLiteral("devices.conf")), config);
        WriteFile(env.StoreFile(QStringLiteral("plan.csv")), plan);
        DeviceSim sim;
        QVERIFY2(sim.Start({"--config", env.StoreFile(QStringLiteral("devices.conf"))}), qPrintable(sim.Error()));
        const Run run = Cli(env.StoreDir(), {"apply", "plan.csv", "--json", "--timeout", "20"}, 60000);
        QVERIFY2(run.status == 0, qPrintable(Describe(run)));
        const QStringList lines = run.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 200);
        for (int n = 0; n < 200; ++n) {
            const QJsonObject result = QJsonDocument::fromJson(lines[n].toUtf8()).object();
            QCOMPARE(result.value("line").toInt(), n + 2);
            QCOMPARE(result.value("result").toString(), QStringLiteral("ok"));
            QCOMPARE(result.value("command").toString(), QStringLiteral("serial"));
        }
        QCOMPARE(sim.LoggedRequests().size(), 600);
    }

    // Eight command lines confirming 120 devices at the same time in one directory: every
    // confirmation and every MAC is in the files once, and no save left a temporary behind.
    void eightLoginsAtOnceLoseNothing()
    {
        constexpr int kDevices = 120;
        constexpr int kProcesses = 8;
        GuiTestEnv env;
        QByteArray config;
        QStringList macs;
        for (int n = 0; n < kDevices; ++n) {
            macs << QStringLiteral("02:00:00:01:00:%1").arg(n, 2, 16, QLatin1Char('0'));
            config += "mac=" + macs.back().toLatin1() + ",id=id" + QByteArray::number(n) + ",password=pw" +
                      QByteArray::number(n) + "\n";
        }
        WriteFile(env.StoreFile(QStringLiteral("devices.conf")), config);
        DeviceSim sim;
        QVERIFY2(sim.Start({"--config", env.StoreFile(QStringLiteral("devices.conf"))}), qPrintable(sim.Error()));

        // Each process runs its share of the logins one after the other.
        std::vector<std::unique_ptr<QProcess>> processes;
        QStringList failures;
        int next = 0;
        int finished = 0;
        std::function<void(QProcess*)> startNext = [&](QProcess* process) {
            if (next == kDevices) {
                return;
            }
            const int n = next++;
            process->setArguments({"login", macs[n], "--id", QStringLiteral("id%1").arg(n), "--password",
                                   QStringLiteral("pw%1").arg(n), "--timeout", "20"});
            process->start();
        };
        for (int p = 0; p < kProcesses; ++p) {
            auto process = std::make_unique<QProcess>();
            process->setWorkingDirectory(env.StoreDir());
            process->setProgram(QStringLiteral(CORVANE_CLI));
            QProcess* raw = process.get();
            connect(raw, &QProcess::finished, this, [&, raw](int code, QProcess::ExitStatus status) {
                ++finished;
                if (status != QProcess::NormalExit || code != 0) {
                    failures << raw->arguments().value(1) + QLatin1Char(' ') +
                                    QString::fromUtf8(raw->readAllStandardError());
                }
                startNext(raw);
            });
            processes.push_back(std::move(process));
        }
        for (const auto& process : processes) {
            startNext(process.get());
        }
        QTRY_VERIFY_WITH_TIMEOUT(finished == kDevices, 120000);
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));

        CPwdFDB passwords;
        passwords.Load();
        QCOMPARE(passwords.GetCount(), kDevices);
        CMacHistoryFDB history;
        history.Load();
        QCOMPARE(history.GetCount(), kDevices);
        for (int n = 0; n < kDevices; ++n) {
            const int index = passwords.FindMAC(QString(macs[n]).remove(QLatin1Char(':')).toUpper().toStdString());
            QVERIFY2(index != -1, qPrintable(macs[n]));
            passwords.SetCurrent(index);
            QCOMPARE(QString::fromStdString(passwords.GetID()), QStringLiteral("id%1").arg(n));
            QCOMPARE(QString::fromStdString(passwords.GetPassword()), QStringLiteral("pw%1").arg(n));
            MacBytes bytes{};
            const QStringList parts = macs[n].split(QLatin1Char(':'));
            for (int k = 0; k < 6; ++k) {
                bytes[k] = parts[k].toInt(nullptr, 16);
            }
            QVERIFY2(history.Find(bytes) != -1, qPrintable(macs[n]));
        }
        const QStringList left = QDir(env.StoreDir()).entryList({QStringLiteral("*.new-*")}, QDir::Files);
        QVERIFY2(left.isEmpty(), qPrintable(left.join(QLatin1Char(' '))));
    }
};

QTEST_MAIN(TestCli)
#include "test_cli.moc"
