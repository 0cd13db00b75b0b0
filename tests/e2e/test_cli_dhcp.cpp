// "corvane-cli dhcp serve" serving busybox udhcpc across a veth pair inside the test's private
// namespace, logging a device the table does not hold, serving it once another command adds it,
// and stopping on SIGTERM.

#include "gui/GuiTestEnv.h"
#include "gui/NetGuard.h"
#include "gui/VethBed.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <signal.h>

namespace {

const QString kServer = QStringLiteral("10.77.0.1");
constexpr int kLeaseTimeoutMs = 20000;

const QByteArray kDhcpIni = "\n[1]\nHType : 1 \nhlen : 6 \nIP : 10.77.0.21 \nMAC : 025A7E000001 \nGateway : 10.77.0.1 "
                            "\nSubnet : 255.255.255.0\n";
const QByteArray kAdsvrIni = "[Router]\nnumber = 1\n10.77.0.1\n\n[DNS]\nnumber = 1\n10.77.0.53\n\n[NetBios]\n"
                             "number = 0\n\n[Server IP]\n1 10.77.0.1\n\n[Domain Name]\n1 removed\n\n[Lease Time]\n-1\n";

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Runs the event loop until the server's stdout holds `text`.
bool WaitForOutput(QProcess& process, QByteArray& output, const QByteArray& text, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!output.contains(text)) {
        if (clock.elapsed() > timeoutMs || process.state() == QProcess::NotRunning) {
            return false;
        }
        process.waitForReadyRead(50);
        output += process.readAllStandardOutput();
        QCoreApplication::processEvents();
    }
    return true;
}

} // namespace

class TestCliDhcp final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        RequirePrivateNetworkNamespace();
        for (const char* tool : {"ip", "unshare", "busybox"}) {
            QVERIFY2(
                !QStandardPaths::findExecutable(QString::fromLatin1(tool), {"/usr/local/sbin", "/usr/local/bin",
                                                                            "/usr/sbin", "/usr/bin", "/sbin", "/bin"})
                     .isEmpty(),
                qPrintable(QStringLiteral("%1 is missing: scripts/deps.sh installs it").arg(tool)));
        }
    }

    void servesUdhcpcAndStopsOnSigterm()
    {
        GuiTestEnv env;
        QVERIFY(WriteFile(env.StoreFile(QStringLiteral("dhcp.ini")), kDhcpIni));
        QVERIFY(WriteFile(env.StoreFile(QStringLiteral("adsvr.ini")), kAdsvrIni));
        VethBed bed;
        const std::optional<VethBed::Link> link = bed.AddLink(kServer);
        QVERIFY2(link, qPrintable(bed.Error()));

        QProcess server;
        server.setWorkingDirectory(env.StoreDir());
        server.setProgram(QStringLiteral(CORVANE_CLI));
        server.setArguments({"dhcp", "serve"});
        server.setProcessChannelMode(QProcess::SeparateChannels);
        server.start();
        QByteArray output;
        QVERIFY2(WaitForOutput(server, output, "Listening  DHCP request ....\n", 5000),
                 output.constData() + server.readAllStandardError());

        // A served device the table does not hold: logged, not added.
        VethBed::Child* stranger = bed.StartClient(VethBed::Client::Udhcpc, *link, QStringLiteral("02:5a:7e:00:00:09"));
        QVERIFY2(stranger, qPrintable(bed.Error()));
        QVERIFY2(WaitForOutput(server, output,
                               "H/W ADDRESS , 025A7E000009 , NOT FOUND .. (not in dhcp.ini; not added)\n", 10000),
                 output.constData());
        stranger->Stop();
        QCOMPARE(ReadFile(env.StoreFile(QStringLiteral("dhcp.ini"))), kDhcpIni);

        // The stranger's link went with its namespace.
        const std::optional<VethBed::Link> second = bed.AddLink(kServer);
        QVERIFY2(second, qPrintable(bed.Error()));
        VethBed::Child* child = bed.StartClient(VethBed::Client::Udhcpc, *second, QStringLiteral("02:5a:7e:00:00:01"));
        QVERIFY2(child, qPrintable(bed.Error()));
        const bool leased = child->WaitForOutput(QStringLiteral("bed-lease: "), kLeaseTimeoutMs);
        const VethBed::Lease lease = child->ReportedLease();
        const QString clientOutput = child->Output();
        child->Stop();
        QVERIFY2(leased, qPrintable(clientOutput + QString::fromLatin1(output)));
        QCOMPARE(lease.ip, QStringLiteral("10.77.0.21"));
        QCOMPARE(lease.mask, QStringLiteral("255.255.255.0"));
        QCOMPARE(lease.router, kServer);
        QCOMPARE(lease.server, kServer);
        QVERIFY2(WaitForOutput(server, output, "DHCP ACK sent... [  10. 77.  0. 21 ]\n", 5000), output.constData());
        QVERIFY(output.contains("Received..\nDHCP Socket Accepted..\nDHCP Offer sent... [  10. 77.  0. 21 ]\n"));

        // Another command adds the stranger while the server runs: its next request is served.
        QProcess add;
        add.setWorkingDirectory(env.StoreDir());
        add.start(QStringLiteral(CORVANE_CLI), {"dhcp", "add", "02:5A:7E:00:00:09", "10.77.0.29", "--gateway",
                                                "10.77.0.1", "--mask", "255.255.255.0"});
        QVERIFY(add.waitForFinished(10000));
        QVERIFY2(add.exitCode() == 0, add.readAllStandardError().constData());
        const std::optional<VethBed::Link> third = bed.AddLink(kServer);
        QVERIFY2(third, qPrintable(bed.Error()));
        VethBed::Child* added = bed.StartClient(VethBed::Client::Udhcpc, *third, QStringLiteral("02:5a:7e:00:00:09"));
        QVERIFY2(added, qPrintable(bed.Error()));
        const bool addedLeased = added->WaitForOutput(QStringLiteral("bed-lease: "), kLeaseTimeoutMs);
        const QString addedIp = added->ReportedLease().ip;
        const QString addedOutput = added->Output();
        added->Stop();
        QVERIFY2(addedLeased, qPrintable(addedOutput + QString::fromLatin1(output)));
        QCOMPARE(addedIp, QStringLiteral("10.77.0.29"));

        QCOMPARE(::kill(static_cast<pid_t>(server.processId()), SIGTERM), 0);
        QVERIFY(server.waitForFinished(5000));
        output += server.readAllStandardOutput();
        QCOMPARE(server.exitStatus(), QProcess::NormalExit);
        QCOMPARE(server.exitCode(), 0);
        QVERIFY2(output.endsWith("Stopped ..\n"), output.constData());
    }
};

QTEST_MAIN(TestCliDhcp)
#include "test_cli_dhcp.moc"
