// The server's own address: that of the interface a request came in on, else the first
// interface that is up and not a loopback, never a loopback address. Made on veth pairs that the
// test creates inside its private namespace.
#include "gui/NetGuard.h"
#include "net/dhcp/HostAddress.h"

#include <QProcess>
#include <QTest>

#include <net/if.h>

namespace {

bool Ip(const QStringList& args)
{
    QProcess ip;
    ip.start(QStringLiteral("ip"), args);
    return ip.waitForFinished(5000) && ip.exitStatus() == QProcess::NormalExit && ip.exitCode() == 0;
}

int Index(const char* name)
{
    return static_cast<int>(::if_nametoindex(name));
}

} // namespace

class TestHostAddress final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { RequirePrivateNetworkNamespace(); }

    void onlyLoopbackGivesNone()
    {
        QVERIFY(!CHostAddress::Of(0));
        QVERIFY(!CHostAddress::Of(Index("lo")));
    }

    void receivingInterfaceFirstThenTheFirstUpOne()
    {
        for (const char* pair : {"ha0", "hb0"}) {
            const QString name = QString::fromLatin1(pair);
            QVERIFY(Ip({"link", "add", name, "type", "veth", "peer", "name", name + "p"}));
        }
        QVERIFY(Ip({"addr", "add", "10.61.0.1/24", "dev", "ha0"}));
        QVERIFY(Ip({"addr", "add", "10.62.0.1/24", "dev", "hb0"}));
        // Down interfaces do not count.
        QVERIFY(!CHostAddress::Of(Index("ha0")));
        QVERIFY(!CHostAddress::Of(0));

        for (const char* name : {"ha0", "ha0p", "hb0", "hb0p"}) {
            QString link = QString::fromLatin1(name);
            QVERIFY2(Ip({"link", "set", link, "up"}), qPrintable(link));
        }
        using corvane::dhcp::Ipv4;
        QCOMPARE(CHostAddress::Of(Index("hb0")), std::optional<Ipv4>(Ipv4{10, 62, 0, 1}));
        QCOMPARE(CHostAddress::Of(Index("ha0")), std::optional<Ipv4>(Ipv4{10, 61, 0, 1}));
        // From loopback, or an interface without an address: the first up interface's address.
        const auto fallback = CHostAddress::Of(Index("lo"));
        QVERIFY(fallback == Ipv4({10, 61, 0, 1}) || fallback == Ipv4({10, 62, 0, 1}));
        QCOMPARE(CHostAddress::Of(Index("ha0p")), fallback);
        QCOMPARE(CHostAddress::Of(0), fallback);

        // The test seam.
        const auto previous = CHostAddress::SetProvider([](int) { return std::optional<Ipv4>(Ipv4{1, 2, 3, 4}); });
        QCOMPARE(CHostAddress::Of(Index("hb0")), std::optional<Ipv4>(Ipv4{1, 2, 3, 4}));
        CHostAddress::SetProvider(previous);
        QCOMPARE(CHostAddress::Of(Index("hb0")), std::optional<Ipv4>(Ipv4{10, 62, 0, 1}));
    }
};

QTEST_GUILESS_MAIN(TestHostAddress)
#include "test_host_address.moc"
