// The DHCP/BOOTP server started on the real IP Address page, answering the DHCP clients a PC
// has (busybox udhcpc, ISC dhclient, dhcpcd), each in a namespace of its own across a veth pair,
// while tshark watches the server's end of the wire.

#include "gui/GuiTestEnv.h"
#include "gui/MessageRecorder.h"
#include "gui/NetGuard.h"
#include "gui/VethBed.h"
#include "gui/dhcp/IPPage.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

#include <cstdio>
#include <memory>

Q_DECLARE_METATYPE(VethBed::Client)

namespace {

const QString kServer = QStringLiteral("10.77.0.1");
const QString kBroadcast = QStringLiteral("255.255.255.255");
constexpr int kLeaseTimeoutMs = 20000;

struct Entry
{
    QString mac; // twelve upper-case digits
    QString ip;
    QString subnet;
};

// The client table as the store writes it.
QByteArray DhcpIni(const QList<Entry>& entries)
{
    QByteArray text;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const Entry& e = entries[i];
        text += QStringLiteral("\n[%1]\nHType : 1 \nhlen : 6 \nIP : %2 \nMAC : %3 \nGateway : %4 \nSubnet : %5\n")
                    .arg(i + 1)
                    .arg(e.ip, e.mac, kServer, e.subnet)
                    .toLatin1();
    }
    return text;
}

// One router, one DNS server, the domain name the settings dialog stores, this server's address
// and an unlimited lease.
const QByteArray kAdsvrIni = "[Router]\nnumber = 1\n10.77.0.1\n\n[DNS]\nnumber = 1\n10.77.0.53\n\n[NetBios]\n"
                             "number = 0\n\n[Server IP]\n1 10.77.0.1\n\n[Domain Name]\n1 removed\n\n[Lease Time]\n-1\n";

const QList<Entry> kTable{
    {"025A7E000001", "10.77.0.21", "255.255.255.0"},
    {"025A7E000002", "10.77.0.22", "255.255.0.0"},
    {"025A7E000003", "10.77.0.23", "255.255.255.128"},
    {"025A7E000101", "10.77.1.21", "255.255.255.0"},
};

// The entry's IP as the status line shows it: the table's padded form.
QString Padded(const QString& ip)
{
    const QStringList parts = ip.split(QLatin1Char('.'));
    return QString::asprintf("%3d.%3d.%3d.%3d", parts[0].toInt(), parts[1].toInt(), parts[2].toInt(), parts[3].toInt());
}

QString AckSent(const QString& ip)
{
    return QStringLiteral("DHCP ACK sent... [ %1 ]").arg(Padded(ip));
}

// Replaces the file in one step, as an editor or a store's save does.
bool RewriteAtomically(const QString& path, const QByteArray& contents)
{
    const QString temporary = path + QStringLiteral(".new");
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(contents) != contents.size()) {
        return false;
    }
    file.close();
    return std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) == 0;
}

bool HasOfferAndAck(const VethBed::Decoded& capture)
{
    bool offer = false;
    bool ack = false;
    for (const VethBed::Packet& reply : capture.Replies()) {
        offer = offer || reply.type == 2;
        ack = ack || reply.type == 5;
    }
    return offer && ack;
}

QString Describe(const QList<VethBed::Packet>& packets)
{
    QStringList lines;
    for (const VethBed::Packet& p : packets) {
        lines << QStringLiteral("op %1 type %2 %3 yiaddr %4 siaddr %5 %6 -> %7")
                     .arg(p.op)
                     .arg(p.type)
                     .arg(p.mac, p.yiaddr, p.siaddr, p.source, p.destination);
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

class TestDhcpClients final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        RequirePrivateNetworkNamespace();
        qApp->setQuitOnLastWindowClosed(false);
        for (const char* tool : {"ip", "unshare", "busybox", "dhclient", "dhcpcd", "tshark"}) {
            QVERIFY2(
                !QStandardPaths::findExecutable(QString::fromLatin1(tool), {"/usr/local/sbin", "/usr/local/bin",
                                                                            "/usr/sbin", "/usr/bin", "/sbin", "/bin"})
                     .isEmpty(),
                qPrintable(QStringLiteral("%1 is missing: scripts/deps.sh installs it").arg(tool)));
        }
    }

    void init()
    {
        m_env = std::make_unique<GuiTestEnv>();
        m_messages = std::make_unique<MessageRecorder>();
        QVERIFY(RewriteAtomically(m_env->StoreFile(QStringLiteral("dhcp.ini")), DhcpIni(kTable)));
        QVERIFY(RewriteAtomically(m_env->StoreFile(QStringLiteral("adsvr.ini")), kAdsvrIni));
        m_bed = std::make_unique<VethBed>();
        m_page = std::make_unique<CIPPage>();
        m_page->OnInitDialog();
        m_page->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
        // Every text in turn; the line itself shows the latest once requests come slower than it is read.
        connect(m_page.get(), &CIPPage::statusChanged, this, [this](const QString& text) { m_statuses << text; });
        QTest::mouseClick(Button("DHCP Start"), Qt::LeftButton);
        QTRY_COMPARE(Status()->text(), QStringLiteral("Listening  DHCP request ...."));
        m_statuses.clear();
    }

    void cleanup()
    {
        QVERIFY2(m_messages->Messages().isEmpty(), qPrintable(m_messages->Last().text));
        m_page.reset();
        m_bed.reset();
        m_messages.reset();
        m_env.reset();
    }

    void clientGetsItsTableEntry_data()
    {
        QTest::addColumn<VethBed::Client>("client");
        QTest::addColumn<QString>("mac");
        QTest::addColumn<QString>("ip");
        QTest::addColumn<QString>("mask");
        QTest::newRow("udhcpc") << VethBed::Client::Udhcpc << "02:5a:7e:00:00:01"
                                << "10.77.0.21"
                                << "255.255.255.0";
        QTest::newRow("dhclient") << VethBed::Client::Dhclient << "02:5a:7e:00:00:02"
                                  << "10.77.0.22"
                                  << "255.255.0.0";
        QTest::newRow("dhcpcd") << VethBed::Client::Dhcpcd << "02:5a:7e:00:00:03"
                                << "10.77.0.23"
                                << "255.255.255.128";
    }

    void clientGetsItsTableEntry()
    {
        QFETCH(VethBed::Client, client);
        QFETCH(QString, mac);
        QFETCH(QString, ip);
        QFETCH(QString, mask);

        const std::optional<VethBed::Link> link = m_bed->AddLink(kServer);
        QVERIFY2(link, qPrintable(m_bed->Error()));
        QVERIFY2(m_bed->StartCapture(link->serverName), qPrintable(m_bed->Error()));
        VethBed::Child* child = m_bed->StartClient(client, *link, mac);
        QVERIFY2(child, qPrintable(m_bed->Error()));
        const bool leased = child->WaitForOutput(QStringLiteral("bed-lease: "), kLeaseTimeoutMs);
        const VethBed::Decoded capture = m_bed->StopCapture(HasOfferAndAck);
        const VethBed::Lease lease = child->ReportedLease();
        const QString output = child->Output();
        child->Stop();

        QVERIFY2(leased, qPrintable(output));
        QCOMPARE(lease.ip, ip);
        QCOMPARE(lease.mask, mask);
        QCOMPARE(lease.router, kServer);
        QCOMPARE(lease.server, kServer);
        QTRY_COMPARE(Status()->text(), AckSent(ip));

        QVERIFY2(capture.error.isEmpty(), qPrintable(capture.error));
        const QList<VethBed::Packet> replies = capture.Replies();
        QVERIFY2(!replies.isEmpty(), qPrintable(Describe(capture.packets)));
        QList<int> types;
        for (const VethBed::Packet& reply : replies) {
            types << reply.type;
            QCOMPARE(reply.mac, mac);
            QCOMPARE(reply.yiaddr, ip);
            QCOMPARE(reply.siaddr, kServer);
            QCOMPARE(reply.source, kServer);
            QCOMPARE(reply.destination, kBroadcast);
        }
        QVERIFY2(types.contains(2) && types.contains(5), qPrintable(Describe(replies)));
        QVERIFY(capture.replyDissection.contains(QStringLiteral("Option: (53) DHCP Message Type (ACK)")));
        QVERIFY2(capture.replyProblems.isEmpty(), qPrintable(capture.replyProblems.join(QLatin1Char('\n')) +
                                                             QLatin1Char('\n') + capture.replyDissection));
    }

    void clientOfAnotherMakerGetsNothing()
    {
        const std::optional<VethBed::Link> link = m_bed->AddLink(kServer);
        QVERIFY2(link, qPrintable(m_bed->Error()));
        QVERIFY2(m_bed->StartCapture(link->serverName), qPrintable(m_bed->Error()));
        VethBed::Child* child = m_bed->StartClient(VethBed::Client::Udhcpc, *link, QStringLiteral("02:11:22:00:00:09"));
        QVERIFY2(child, qPrintable(m_bed->Error()));
        const bool ended = child->WaitForExit(kLeaseTimeoutMs);
        // udhcpc gave up after three discovers.
        const VethBed::Decoded capture =
            m_bed->StopCapture([](const VethBed::Decoded& sofar) { return sofar.Requests().size() >= 3; });
        const QString output = child->Output();
        child->Stop();

        QVERIFY2(ended, qPrintable(output));
        QVERIFY2(child->ExitCode() != 0 && !child->ReportedLease().obtained, qPrintable(output));
        QVERIFY2(capture.error.isEmpty(), qPrintable(capture.error));
        QVERIFY2(!capture.Requests().isEmpty(), qPrintable(Describe(capture.packets)));
        QVERIFY2(capture.Replies().isEmpty(), qPrintable(Describe(capture.packets)));
        QCOMPARE(m_statuses, QStringList());
        QTRY_COMPARE(Status()->text(), QStringLiteral("Listening  DHCP request ...."));
    }

    void tableEditedOnDiskServesTheNextExchange()
    {
        QCOMPARE(Lease(QStringLiteral("02:5a:7e:00:00:01")), QStringLiteral("10.77.0.21"));
        QList<Entry> edited = kTable;
        edited[0].ip = QStringLiteral("10.77.0.31");
        QVERIFY(RewriteAtomically(m_env->StoreFile(QStringLiteral("dhcp.ini")), DhcpIni(edited)));

        QCOMPARE(Lease(QStringLiteral("02:5a:7e:00:00:01")), QStringLiteral("10.77.0.31"));
        QTRY_COMPARE(Status()->text(), AckSent(QStringLiteral("10.77.0.31")));
    }

    void answerLeavesByTheInterfaceTheRequestCameIn()
    {
        // The first interface up is another one: the server must not take its address.
        const std::optional<VethBed::Link> other = m_bed->AddLink(kServer);
        QVERIFY2(other, qPrintable(m_bed->Error()));
        const std::optional<VethBed::Link> link = m_bed->AddLink(QStringLiteral("10.77.1.1"));
        QVERIFY2(link, qPrintable(m_bed->Error()));
        QVERIFY2(m_bed->StartCapture(link->serverName), qPrintable(m_bed->Error()));
        const QString mac = QStringLiteral("02:5a:7e:00:01:01");
        VethBed::Child* child = m_bed->Start(*link, mac,
                                             {QStringLiteral(CORVANE_DEVICESIM), "--dhcp-client", mac, "--interface",
                                              link->clientName, "--tries", "2", "--wait", "2000"});
        QVERIFY2(child, qPrintable(m_bed->Error()));
        const bool ended = child->WaitForExit(kLeaseTimeoutMs);
        const VethBed::Decoded capture = m_bed->StopCapture(HasOfferAndAck);
        const QString output = child->Output();
        child->Stop();

        QVERIFY2(ended && child->ExitCode() == 0, qPrintable(output));
        QVERIFY2(output.contains(QStringLiteral("got ACK from 10.77.1.1 length=")), qPrintable(output));
        QVERIFY2(output.contains(QStringLiteral(" yiaddr=10.77.1.21 siaddr=10.77.1.1 ")), qPrintable(output));
        QTRY_COMPARE(Status()->text(), AckSent(QStringLiteral("10.77.1.21")));
        const QList<VethBed::Packet> replies = capture.Replies();
        QVERIFY2(replies.size() == 2, qPrintable(Describe(capture.packets)));
        for (const VethBed::Packet& reply : replies) {
            QCOMPARE(reply.siaddr, QStringLiteral("10.77.1.1"));
            QCOMPARE(reply.source, QStringLiteral("10.77.1.1"));
            QCOMPARE(reply.destination, kBroadcast);
        }
        QVERIFY2(capture.replyProblems.isEmpty(), qPrintable(capture.replyProblems.join(QLatin1Char('\n'))));
    }

    void eachClientNamesTheInterfaceItAskedOnAsItsServer()
    {
        // The settings store the second interface's address as the server's: a client on the
        // first one must still be told the first one's address, in siaddr and in option 54, or
        // its DHCPREQUEST names the other address and is refused as meant for another server.
        QByteArray adsvr = kAdsvrIni;
        adsvr.replace("[Server IP]\n1 10.77.0.1\n", "[Server IP]\n1 10.77.1.1\n");
        QVERIFY(adsvr != kAdsvrIni);
        QVERIFY(RewriteAtomically(m_env->StoreFile(QStringLiteral("adsvr.ini")), adsvr));
        const std::optional<VethBed::Link> first = m_bed->AddLink(kServer);
        QVERIFY2(first, qPrintable(m_bed->Error()));
        const std::optional<VethBed::Link> second = m_bed->AddLink(QStringLiteral("10.77.1.1"));
        QVERIFY2(second, qPrintable(m_bed->Error()));

        struct Side
        {
            const VethBed::Link& link;
            QString mac;
            QString ip;
        };
        for (const Side& side : {Side{*first, QStringLiteral("02:5a:7e:00:00:01"), QStringLiteral("10.77.0.21")},
                                 Side{*second, QStringLiteral("02:5a:7e:00:01:01"), QStringLiteral("10.77.1.21")}}) {
            const QString& server = side.link.serverAddress;
            QVERIFY2(m_bed->StartCapture(side.link.serverName), qPrintable(m_bed->Error()));
            VethBed::Child* child = m_bed->StartClient(VethBed::Client::Udhcpc, side.link, side.mac);
            QVERIFY2(child, qPrintable(m_bed->Error()));
            const bool leased = child->WaitForOutput(QStringLiteral("bed-lease: "), kLeaseTimeoutMs);
            const VethBed::Decoded capture = m_bed->StopCapture(HasOfferAndAck);
            const VethBed::Lease lease = child->ReportedLease();
            const QString output = child->Output();
            child->Stop();

            QVERIFY2(leased, qPrintable(server + QLatin1Char('\n') + output + Describe(capture.packets)));
            QCOMPARE(lease.ip, side.ip);
            QCOMPARE(lease.server, server);
            QTRY_COMPARE(Status()->text(), AckSent(side.ip));
            const QList<VethBed::Packet> replies = capture.Replies();
            QVERIFY2(!replies.isEmpty(), qPrintable(Describe(capture.packets)));
            for (const VethBed::Packet& reply : replies) {
                QCOMPARE(reply.siaddr, server);
                QCOMPARE(reply.source, server);
            }
            QCOMPARE(capture.replyDissection.count(QStringLiteral("DHCP Server Identifier (%1)").arg(server)),
                     replies.size());
            QVERIFY2(capture.replyProblems.isEmpty(), qPrintable(capture.replyProblems.join(QLatin1Char('\n'))));
        }
    }

private:
    QLineEdit* Status() const { return FindByAccessibleName<QLineEdit>(m_page.get(), QStringLiteral("STATUS")); }
    QPushButton* Button(const char* name) const
    {
        return FindByAccessibleName<QPushButton>(m_page.get(), QString::fromLatin1(name));
    }

    // The address udhcpc gets for `mac` on a new link; empty without a lease.
    QString Lease(const QString& mac)
    {
        const std::optional<VethBed::Link> link = m_bed->AddLink(kServer);
        if (!link) {
            qWarning("%s", qPrintable(m_bed->Error()));
            return {};
        }
        VethBed::Child* child = m_bed->StartClient(VethBed::Client::Udhcpc, *link, mac);
        if (!child) {
            qWarning("%s", qPrintable(m_bed->Error()));
            return {};
        }
        child->WaitForOutput(QStringLiteral("bed-lease: "), kLeaseTimeoutMs);
        const VethBed::Lease lease = child->ReportedLease();
        if (!lease.obtained) {
            qWarning("%s", qPrintable(child->Output()));
        }
        child->Stop();
        return lease.ip;
    }

    std::unique_ptr<GuiTestEnv> m_env;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<VethBed> m_bed;
    std::unique_ptr<CIPPage> m_page;
    QStringList m_statuses;
};

QTEST_MAIN(TestDhcpClients)
#include "test_dhcp_clients.moc"
