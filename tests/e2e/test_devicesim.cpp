// The device stand-in against the utility's own codec: requests are built with the utility's
// builders and replies read with its parsers, while the stand-in parses and builds with code of
// its own, so each side checks the other on the wire.

#include "core/link/CommandCodec.h"
#include "core/link/ConfigCodec.h"
#include "gui/DeviceSim.h"
#include "gui/NetGuard.h"

#include <QElapsedTimer>
#include <QFile>
#include <QNetworkDatagram>
#include <QTemporaryDir>
#include <QTest>
#include <QUdpSocket>

#include <span>

using namespace corvane;

Q_DECLARE_METATYPE(corvane::FindOutcome)
Q_DECLARE_METATYPE(corvane::ClearOutcome)
Q_DECLARE_METATYPE(corvane::Datagram)
Q_DECLARE_METATYPE(corvane::SerialSettings)

namespace {

constexpr MacAddress kMac55 = {0x00, 0x11, 0x22, 0x33, 0x44, 0x55};
constexpr MacAddress kMac66 = {0x00, 0x11, 0x22, 0x33, 0x44, 0x66};
constexpr MacAddress kMac77 = {0x00, 0x11, 0x22, 0x33, 0x44, 0x77};
constexpr MacAddress kMac88 = {0x00, 0x11, 0x22, 0x33, 0x44, 0x88};

const QString kDevice55 = QStringLiteral("mac=00:11:22:33:44:55,id=abc,password=pw,ip=10.0.0.5");

QStringList Devices(const QStringList& specs)
{
    QStringList args;
    for (const QString& spec : specs) {
        args << QStringLiteral("--device") << spec;
    }
    return args;
}

QByteArray ToBytes(const Datagram& datagram)
{
    return QByteArray(reinterpret_cast<const char*>(datagram.data()), static_cast<qsizetype>(datagram.size()));
}

std::span<const std::uint8_t> Span(const QByteArray& bytes)
{
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())};
}

MacAddress SenderMac(const QByteArray& reply)
{
    MacAddress mac{};
    for (std::size_t i = 0; i < mac.size() && i < static_cast<std::size_t>(reply.size()); ++i) {
        mac[i] = static_cast<std::uint8_t>(reply[static_cast<qsizetype>(i)]);
    }
    return mac;
}

// The utility's side of the wire: one UDP socket on a port of the system's choosing.
class Requester final
{
public:
    struct Reply
    {
        QByteArray data;
        QHostAddress from;
        quint16 port = 0;
        qint64 atMs = 0; // since the last Send
    };

    Requester() { m_socket.bind(QHostAddress::AnyIPv4, 0); }

    void Send(const Datagram& request, const QHostAddress& to = QHostAddress::LocalHost) { Send(ToBytes(request), to); }
    void Send(const QByteArray& request, const QHostAddress& to = QHostAddress::LocalHost)
    {
        m_clock.start();
        QCOMPARE(m_socket.writeDatagram(request, to, kDevicePort), request.size());
    }

    // Waits until `count` replies have come in or `timeoutMs` has passed; returns them all.
    QList<Reply> Receive(int count, int timeoutMs = 3000)
    {
        QList<Reply> replies;
        QElapsedTimer waited;
        waited.start();
        while (replies.size() < count && waited.elapsed() < timeoutMs) {
            if (!m_socket.hasPendingDatagrams() && !m_socket.waitForReadyRead(10)) {
                continue;
            }
            while (m_socket.hasPendingDatagrams()) {
                const QNetworkDatagram datagram = m_socket.receiveDatagram(70000);
                replies.append({datagram.data(), datagram.senderAddress(), static_cast<quint16>(datagram.senderPort()),
                                m_clock.elapsed()});
            }
        }
        return replies;
    }

    // The one reply to `request`, or an empty array (and a failed check) if it did not come.
    QByteArray Exchange(const Datagram& request)
    {
        Send(request);
        const QList<Reply> replies = Receive(1);
        if (replies.size() != 1) {
            QTest::qFail("expected exactly one reply", __FILE__, __LINE__);
            return {};
        }
        return replies.first().data;
    }

    // Sends `request`, then a find for a normal device as a barrier: the stand-in answers in
    // order, so if the first reply is the barrier's, `request` got none.
    bool GetsNoReply(const QByteArray& request, const MacAddress& barrier, const char* id, const char* password)
    {
        Send(request);
        Send(BuildFindRequest(barrier, id, password));
        const QList<Reply> replies = Receive(1);
        return replies.size() == 1 && ParseFindReply(Span(replies.first().data), barrier).outcome == FindOutcome::Found;
    }

private:
    QUdpSocket m_socket;
    QElapsedTimer m_clock;
};

} // namespace

class TestDeviceSim final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void findReply_data();
    void findReply();
    void findReportsSystemInformation();
    void clearThenFind_data();
    void clearThenFind();
    void configReply_data();
    void configReply();
    void changedPasswordReplacesTheOld();
    void mutedChangeIsCarriedOutUnanswered();
    void networkModeIsKept();
    void serialIsKept_data();
    void serialIsKept();
    void refusesSettingsNoDeviceTakes_data();
    void refusesSettingsNoDeviceTakes();
    void severalDevicesAnswerOneBroadcast();
    void spoiledReplies_data();
    void spoiledReplies();
    void lateAnswerDoesNotHoldOthers();
    void ignoresMalformedRequests_data();
    void ignoresMalformedRequests();
    void logsEveryRequestAsHex();
    void readsDevicesFromConfigFile();
    void stopsOnSignalAndTimeBound();
    void rejectsBadOptions_data();
    void rejectsBadOptions();
    void refusesPortInUse();
    void dhcpClientAsksAsTheDeviceDoes();
    void bootpClientAsksWithoutTheCookie();
};

void TestDeviceSim::initTestCase()
{
    RequirePrivateNetworkNamespace();
}

void TestDeviceSim::findReply_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<QString>("id");
    QTest::addColumn<QString>("password");
    QTest::addColumn<FindOutcome>("outcome");
    QTest::addColumn<int>("code");

    QTest::newRow("right credentials") << kDevice55 << "abc"
                                       << "pw" << FindOutcome::Found << 0x35;
    QTest::newRow("wrong password") << kDevice55 << "abc"
                                    << "px" << FindOutcome::Refused << 0x35;
    QTest::newRow("wrong ID") << kDevice55 << "abcd"
                              << "pw" << FindOutcome::Refused << 0x35;
    QTest::newRow("8-character ID and password") << "mac=00:11:22:33:44:55,id=abcdefgh,password=12345678,ip=10.0.0.5"
                                                 << "abcdefgh"
                                                 << "12345678" << FindOutcome::Found << 0x35;
    QTest::newRow("9-character ID sends its first 8") << "mac=00:11:22:33:44:55,id=abcdefgh,ip=10.0.0.5"
                                                      << "abcdefghi"
                                                      << "" << FindOutcome::Found << 0x35;
    QTest::newRow("behave=refuse") << kDevice55 + ",behave=refuse"
                                   << "abc"
                                   << "pw" << FindOutcome::Refused << 0x35;
    QTest::newRow("behave=other-mac") << kDevice55 + ",behave=other-mac"
                                      << "abc"
                                      << "pw" << FindOutcome::OtherDevice << 0x35;
    // The find exchange does not look at the command code.
    QTest::newRow("behave=wrong-code") << kDevice55 + ",behave=wrong-code"
                                       << "abc"
                                       << "pw" << FindOutcome::Found << 0xCA;
    QTest::newRow("answer=any from another device") << "mac=00:11:22:33:44:66,id=abc,password=pw,answer=any"
                                                    << "abc"
                                                    << "pw" << FindOutcome::OtherDevice << 0x35;
}

void TestDeviceSim::findReply()
{
    QFETCH(QString, device);
    QFETCH(QString, id);
    QFETCH(QString, password);
    QFETCH(FindOutcome, outcome);
    QFETCH(int, code);

    DeviceSim sim;
    QVERIFY2(sim.Start(Devices({device})), qPrintable(sim.Error()));
    Requester requester;
    const QByteArray reply = requester.Exchange(BuildFindRequest(kMac55, id.toStdString(), password.toStdString()));
    QCOMPARE(reply.size(), 208);
    QCOMPARE(int{static_cast<quint8>(reply[22])}, code);
    const FindReply parsed = ParseFindReply(Span(reply), kMac55);
    QCOMPARE(parsed.outcome, outcome);
    if (outcome == FindOutcome::Found) {
        QCOMPARE(parsed.record.m_strIP, "10.0.0.5");
    }
    if (outcome == FindOutcome::OtherDevice) {
        // The reply names another device in bytes 0 to 5, whatever bytes 25 to 30 hold.
        QVERIFY(SenderMac(reply) != kMac55);
    }
    if (outcome == FindOutcome::Refused) {
        // A refusal gives nothing of the device's credentials away.
        QCOMPARE(reply.mid(6, 16), QByteArray(16, '\0'));
        QCOMPARE(reply.mid(23, 2), QByteArray("NO"));
    }
}

void TestDeviceSim::findReportsSystemInformation()
{
    DeviceSim sim;
    QVERIFY2(sim.Start(Devices({QStringLiteral("mac=00:11:22:33:44:55,id=abc,password=pw,ip=10.0.0.5,router=10.0.0.1,"
                                               "baseport=6002,tcpstate=2,curport=6003,clientport=6004,"
                                               "clientmac=00:aa:bb:cc:dd:01,clientip=10.0.0.7,"
                                               "servermac=00:AA:BB:CC:DD:02,serverip=10.0.0.8,serverport=6005,"
                                               "statetimer=1000000,poweron=1000000000,mode=6,curmode=2"),
                                QStringLiteral("mac=00:11:22:33:44:66,poweron=0xFFFFFFFFFF,statetimer=0xFFFFFFFF")})),
             qPrintable(sim.Error()));
    Requester requester;
    const QByteArray reply = requester.Exchange(BuildFindRequest(kMac55, "abc", "pw"));
    const FindReply parsed = ParseFindReply(Span(reply), kMac55);
    QCOMPARE(parsed.outcome, FindOutcome::Found);
    QCOMPARE(parsed.ip, (Ipv4Address{10, 0, 0, 5}));

    SysInfoRecord expected;
    expected.m_strMac = "00:11:22:33:44:55";
    expected.m_strBasePort = "6002";
    expected.m_strIP = "10.0.0.5";
    expected.m_nTcpState = 2;
    expected.m_strCurPort = "6003";
    expected.m_strClientPort = "6004";
    expected.m_strClientMac = "00:AA:BB:CC:DD:01";
    expected.m_strClientIP = "10.0.0.7";
    expected.m_strServerMac = "00:AA:BB:CC:DD:02";
    expected.m_strStateTimer = "5675";
    expected.m_strPowerOnTimer = "94 (m) 35 (s)";
    expected.m_nIpMode = 6;
    expected.m_nTcpMode = 6;
    expected.m_strServerIP = "10.0.0.8";
    expected.m_strServerPort = "6005";
    expected.m_nCurTcpMode = 2;
    expected.m_strRouter = "10.0.0.1";
    QCOMPARE(parsed.record, expected);
    // The accepted reply carries the device's ID and password, zero-padded.
    QCOMPARE(reply.mid(6, 16), QByteArray("abc\0\0\0\0\0pw\0\0\0\0\0\0", 16));

    // All 40 bits of the power-on counter and all 32 of the state timer reach the utility.
    const QByteArray full = requester.Exchange(BuildFindRequest(kMac66, "", ""));
    const FindReply fullParsed = ParseFindReply(Span(full), kMac66);
    QCOMPARE(fullParsed.record.m_strPowerOnTimer, PowerOnTimerText(0xFFFFFFFFFFull));
    QCOMPARE(fullParsed.record.m_strPowerOnTimer, "103995 (m) 28 (s)");
    QCOMPARE(fullParsed.record.m_strStateTimer, "24373939");
}

void TestDeviceSim::clearThenFind_data()
{
    QTest::addColumn<QString>("behave");
    QTest::addColumn<QString>("password");
    QTest::addColumn<ClearOutcome>("outcome");
    QTest::addColumn<QString>("ipAfter");

    QTest::newRow("cleared") << ""
                             << "pw" << ClearOutcome::Cleared << "0.0.0.0";
    QTest::newRow("wrong password keeps the IP") << ""
                                                 << "xx" << ClearOutcome::Refused << "10.0.0.5";
    QTest::newRow("behave=refuse keeps the IP") << ",behave=refuse"
                                                << "pw" << ClearOutcome::Refused << "10.0.0.5";
    // The reply is spoiled, but the device did clear its IP.
    QTest::newRow("behave=wrong-code still clears") << ",behave=wrong-code"
                                                    << "pw" << ClearOutcome::NotClearReply << "0.0.0.0";
}

void TestDeviceSim::clearThenFind()
{
    QFETCH(QString, behave);
    QFETCH(QString, password);
    QFETCH(ClearOutcome, outcome);
    QFETCH(QString, ipAfter);

    DeviceSim sim;
    QVERIFY2(sim.Start(Devices({kDevice55 + behave})), qPrintable(sim.Error()));
    Requester requester;
    const QByteArray reply = requester.Exchange(BuildClearRequest(kMac55, "abc", password.toStdString()));
    QCOMPARE(reply.size(), 32);
    QCOMPARE(ParseClearReply(Span(reply)), outcome);

    // A refuse device refuses the find as well; its answer still tells nothing of the IP.
    if (behave == QLatin1String(",behave=refuse")) {
        return;
    }
    const FindReply found = ParseFindReply(Span(requester.Exchange(BuildFindRequest(kMac55, "abc", "pw"))), kMac55);
    QCOMPARE(found.outcome, FindOutcome::Found);
    QCOMPARE(QString::fromStdString(found.record.m_strIP), ipAfter);
    QCOMPARE(QString::fromStdString(IpText(found.ip)), ipAfter);
}

void TestDeviceSim::configReply_data()
{
    QTest::addColumn<Datagram>("request");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("length");

    NetworkModeSettings network;
    network.notifierMinutes = 5;
    network.ipMode = IpMode::Static;
    network.tcpMode = TcpMode::Server;
    network.devicePort = 6001;
    const SerialSettings serial;

    QTest::newRow("network mode") << BuildNetworkModeRequest(kMac55, "abc", "pw", network) << true << 45;
    QTest::newRow("network mode, wrong password") << BuildNetworkModeRequest(kMac55, "abc", "", network) << false << 45;
    QTest::newRow("serial") << BuildSerialRequest(kMac55, "abc", "pw", serial) << true << 30;
    QTest::newRow("serial, wrong ID") << BuildSerialRequest(kMac55, "", "pw", serial) << false << 30;
    QTest::newRow("confirm") << BuildConfirmRequest(kMac55, "abc", "pw") << true << 30;
    QTest::newRow("confirm, wrong password") << BuildConfirmRequest(kMac55, "abc", "PW") << false << 30;
    QTest::newRow("change") << BuildChangeRequest(kMac55, "abc", "pw", "abc", "pw") << true << 45;
    QTest::newRow("change, wrong password") << BuildChangeRequest(kMac55, "abc", "p", "x", "y") << false << 45;
}

void TestDeviceSim::configReply()
{
    QFETCH(Datagram, request);
    QFETCH(bool, ok);
    QFETCH(int, length);

    DeviceSim sim;
    QVERIFY2(sim.Start(Devices({kDevice55})), qPrintable(sim.Error()));
    Requester requester;
    const QByteArray reply = requester.Exchange(request);
    QCOMPARE(reply.size(), length);
    const ConfigReply parsed = ParseConfigReply(Span(reply));
    QCOMPARE(parsed.command, request[22]);
    QCOMPARE(parsed.ok, ok);
    QCOMPARE(parsed.mac, kMac55);
    QCOMPARE(parsed.id, ok ? "abc" : "");
    QCOMPARE(parsed.password, ok ? "pw" : "");
}

void TestDeviceSim::changedPasswordReplacesTheOld()
{
    DeviceSim sim;
    QVERIFY2(sim.Start(Devices({kDevice55})), qPrintable(sim.Error()));
    Requester requester;

    const ConfigReply confirmed = ParseConfigReply(Span(requester.Exchange(BuildConfirmRequest(kMac55, "abc", "pw"))));
    QVERIFY(confirmed.ok);
    QCOMPARE(confirmed.command, kCmdConfirmPassword);

    // An 8-character new ID runs straight into the new password in the reply.
    const ConfigReply changed =
        ParseConfigReply(Span(requester.Exchange(BuildChangeRequest(kMac55, "abc", "pw", "newid123", "secret"))));
    QVERIFY(changed.ok);
    QCOMPARE(changed.command, kCmdChangePassword);
    QCOMPARE(changed.newId, "newid123");
    QCOMPARE(changed.newPassword, "secret");

    QCOMPARE(ParseFindReply(Span(requester.Exchange(BuildFindRequest(kMac55, "abc", "pw"))), kMac55).outcome,
             FindOutcome::Refused);
    QCOMPARE(ParseFindReply(Span(requester.Exchange(BuildFindRequest(kMac55, "newid123", "secret"))), kMac55).outcome,
             FindOutcome::Found);
    QVERIFY(!ParseConfigReply(Span(requester.Exchange(BuildConfirmRequest(kMac55, "abc", "pw")))).ok);
    const ConfigReply reconfirmed =
        ParseConfigReply(Span(requester.Exchange(BuildConfirmRequest(kMac55, "newid123", "secret"))));
    QVERIFY(reconfirmed.ok);
    QCOMPARE(reconfirmed.id, "newid123");
    QCOMPARE(reconfirmed.password, "secret");
}

// A device that restarts after a change: it takes the new ID and password without a word, and
// only the confirmation with them tells the change happened.
void TestDeviceSim::mutedChangeIsCarriedOutUnanswered()
{
    DeviceSim sim;
    QVERIFY2(sim.Start(Devices({kDevice55 + ",mute=99"})), qPrintable(sim.Error()));
    Requester requester;

    QVERIFY(requester.GetsNoReply(ToBytes(BuildChangeRequest(kMac55, "abc", "pw", "new", "secret")), kMac55, "new",
                                  "secret"));
    const ConfigReply confirmed =
        ParseConfigReply(Span(requester.Exchange(BuildConfirmRequest(kMac55, "new", "secret"))));
    QVERIFY(confirmed.ok);
    QCOMPARE(confirmed.id, "new");
}

void TestDeviceSim::networkModeIsKept()
{
    DeviceSim sim;
    QVERIFY2(sim.Start(Devices({kDevice55}) << QStringLiteral("--verbose")), qPrintable(sim.Error()));
    Requester requester;

    NetworkModeSettings network;
    network.notifierMinutes = 5;
    network.ipMode = IpMode::Static;
    network.tcpMode = TcpMode::ServerAndClient;
    network.devicePort = 6100;
    network.serverIp = {10, 0, 0, 2};
    network.serverPort = 6200;
    network.dataServerIp = {10, 0, 0, 3};
    QVERIFY(ParseConfigReply(Span(requester.Exchange(BuildNetworkModeRequest(kMac55, "abc", "pw", network)))).ok);
    QVERIFY(sim.StandardError().contains(
        "devicesim: 00:11:22:33:44:55: network mode now notifier 3 (273 s), mode 6 (static IP, TCP server and "
        "client), port 6100, server 10.0.0.2:6200, data server 10.0.0.3\n"));

    const FindReply found = ParseFindReply(Span(requester.Exchange(BuildFindRequest(kMac55, "abc", "pw"))), kMac55);
    QCOMPARE(found.record.m_nIpMode, 6);
    QCOMPARE(found.record.m_strBasePort, "6100");
    QCOMPARE(found.record.m_strServerIP, "10.0.0.2");
    QCOMPARE(found.record.m_strServerPort, "6200");
}

void TestDeviceSim::serialIsKept_data()
{
    QTest::addColumn<SerialSettings>("settings");
    QTest::addColumn<QString>("described");

    QTest::newRow("9600 8N1 time 4") << SerialSettings{8, Parity::None, 8, StopBits::One, FlowControl::None, 4, false}
                                     << "9600 baud (divisor 12), 8 data bits, parity NONE, stop bits 1, flow NONE, "
                                        "serial time 10";
    QTest::newRow("9600 7E2 XON/XOFF unlimited")
        << SerialSettings{8, Parity::Even, 7, StopBits::Two, FlowControl::XonXoff, 4, true}
        << "9600 baud (divisor 12), 7 data bits, parity EVEN, stop bits 1 1/2 or 2, flow XON/XOFF, serial time "
           "unlimited";
    QTest::newRow("150 5O1.5 hardware time 100")
        << SerialSettings{0, Parity::Odd, 5, StopBits::OneAndHalf, FlowControl::Hardware, 100, false}
        << "150 baud (divisor 768), 5 data bits, parity ODD, stop bits 1 1/2 or 2, flow Hardware, serial time 250";
    QTest::newRow("115200 6N1 time 3")
        << SerialSettings{12, Parity::None, 6, StopBits::One, FlowControl::None, 3, false}
        << "115200 baud (divisor 1), 6 data bits, parity NONE, stop bits 1, flow NONE, serial time 7";
}

void TestDeviceSim::serialIsKept()
{
    QFETCH(SerialSettings, settings);
    QFETCH(QString, described);

    DeviceSim sim;
    QVERIFY2(sim.Start(Devices({kDevice55}) << QStringLiteral("--verbose")), qPrintable(sim.Error()));
    Requester requester;
    QVERIFY(ParseConfigReply(Span(requester.Exchange(BuildSerialRequest(kMac55, "abc", "pw", settings)))).ok);
    const QString expected = QStringLiteral("devicesim: 00:11:22:33:44:55: serial now %1\n").arg(described);
    QVERIFY2(sim.StandardError().contains(expected), qPrintable(sim.StandardError()));
}

void TestDeviceSim::refusesSettingsNoDeviceTakes_data()
{
    QTest::addColumn<Datagram>("request");
    QTest::addColumn<QString>("reason");

    Datagram network = BuildNetworkModeRequest(kMac55, "abc", "pw", NetworkModeSettings{});
    network[24] = 3;
    QTest::newRow("TCP role 3") << network << "mode byte 3 is not one of 0, 1, 2, 4, 5, 6";
    network[24] = 0;
    network[23] = 238;
    QTest::newRow("notifier 238") << network << "notifier interval 238 is outside 1 to 237";

    const Datagram serial = BuildSerialRequest(kMac55, "abc", "pw", SerialSettings{});
    Datagram divisor = serial;
    divisor[24] = 7;
    QTest::newRow("divisor 7") << divisor << "baud-rate divisor 7 is not one of the 13 rates";
    Datagram flow = serial;
    flow[26] = 4;
    QTest::newRow("flow 4") << flow << "flow control 4 is not 1, 2 or 3";
    Datagram time = serial;
    time[28] = 251;
    QTest::newRow("serial time 251") << time << "serial time 251 is outside 5 to 250 and not 255";
}

void TestDeviceSim::refusesSettingsNoDeviceTakes()
{
    QFETCH(Datagram, request);
    QFETCH(QString, reason);

    DeviceSim sim;
    QVERIFY2(sim.Start(Devices({kDevice55}) << QStringLiteral("--verbose")), qPrintable(sim.Error()));
    Requester requester;
    const ConfigReply reply = ParseConfigReply(Span(requester.Exchange(request)));
    QCOMPARE(reply.command, request[22]);
    QVERIFY(!reply.ok);
    QVERIFY2(sim.StandardError().contains("devicesim: 00:11:22:33:44:55: refused: " + reason + "\n"),
             qPrintable(sim.StandardError()));
}

void TestDeviceSim::severalDevicesAnswerOneBroadcast()
{
    DeviceSim sim;
    QVERIFY2(sim.Start(Devices({kDevice55, QStringLiteral("mac=00:11:22:33:44:66,id=abc,password=pw,answer=any"),
                                QStringLiteral("mac=00:11:22:33:44:77,id=other,answer=any"),
                                QStringLiteral("mac=00:11:22:33:44:88,id=abc,password=pw")})),
             qPrintable(sim.Error()));
    Requester requester;
    requester.Send(BuildFindRequest(kMac55, "abc", "pw"), QHostAddress::Broadcast);
    const QList<Requester::Reply> replies = requester.Receive(4, 1000);
    QCOMPARE(replies.size(), 3);

    QMap<QString, FindOutcome> outcomes;
    for (const Requester::Reply& reply : replies) {
        QCOMPARE(reply.from, QHostAddress(QHostAddress::LocalHost));
        QCOMPARE(reply.port, kDevicePort);
        outcomes.insert(QString::fromStdString(MacText(SenderMac(reply.data))),
                        ParseFindReply(Span(reply.data), kMac55).outcome);
    }
    const QMap<QString, FindOutcome> expected = {
        {QStringLiteral("00:11:22:33:44:55"), FindOutcome::Found},
        {QStringLiteral("00:11:22:33:44:66"), FindOutcome::OtherDevice},
        {QStringLiteral("00:11:22:33:44:77"), FindOutcome::Refused},
    };
    QCOMPARE(outcomes, expected);
}

void TestDeviceSim::spoiledReplies_data()
{
    QTest::addColumn<QString>("spoil");
    QTest::addColumn<int>("minLength");
    QTest::addColumn<int>("maxLength");
    QTest::addColumn<FindOutcome>("outcome");

    // Only the first 210 bytes count for the utility; an oversized reply is refused by its socket.
    QTest::newRow("oversize") << "behave=oversize" << 300 << 300 << FindOutcome::Found;
    QTest::newRow("oversize by one") << "behave=oversize,size=211" << 211 << 211 << FindOutcome::Found;
    QTest::newRow("cut before the status") << "size=24" << 24 << 24 << FindOutcome::Refused;
    QTest::newRow("empty") << "behave=empty" << 0 << 0 << FindOutcome::Refused;
    QTest::newRow("garbage") << "behave=garbage" << 1 << 22 << FindOutcome::Refused;
}

void TestDeviceSim::spoiledReplies()
{
    QFETCH(QString, spoil);
    QFETCH(int, minLength);
    QFETCH(int, maxLength);
    QFETCH(FindOutcome, outcome);

    DeviceSim sim;
    QVERIFY2(sim.Start(Devices({kDevice55 + QLatin1Char(',') + spoil})), qPrintable(sim.Error()));
    Requester requester;
    const Datagram request = BuildFindRequest(kMac55, "abc", "pw");
    for (int i = 0; i < 3; ++i) {
        const QByteArray reply = requester.Exchange(request);
        QVERIFY2(reply.size() >= minLength && reply.size() <= maxLength, qPrintable(QString::number(reply.size())));
        QCOMPARE(ParseFindReply(Span(reply), kMac55).outcome, outcome);
        if (minLength > 208) {
            QCOMPARE(reply.mid(208), QByteArray(minLength - 208, '\0'));
        }
    }
}

void TestDeviceSim::lateAnswerDoesNotHoldOthers()
{
    DeviceSim sim;
    QVERIFY2(sim.Start(Devices({kDevice55 + QStringLiteral(",delay=400"), QStringLiteral("mac=00:11:22:33:44:66"),
                                QStringLiteral("mac=00:11:22:33:44:77,behave=silent")})),
             qPrintable(sim.Error()));
    Requester requester;
    requester.Send(BuildFindRequest(kMac77, "", ""));
    requester.Send(BuildFindRequest(kMac55, "abc", "pw"));
    requester.Send(BuildFindRequest(kMac66, "", ""));
    // The silent device was asked first: had it answered, its reply would come first.
    const QList<Requester::Reply> replies = requester.Receive(2, 1500);
    QCOMPARE(replies.size(), 2);
    QCOMPARE(SenderMac(replies[0].data), kMac66);
    QVERIFY2(replies[0].atMs < 300, qPrintable(QString::number(replies[0].atMs)));
    QCOMPARE(SenderMac(replies[1].data), kMac55);
    QVERIFY2(replies[1].atMs >= 390, qPrintable(QString::number(replies[1].atMs)));
    QCOMPARE(ParseFindReply(Span(replies[1].data), kMac55).outcome, FindOutcome::Found);
    QCOMPARE(sim.LoggedRequests().size(), 3);
}

void TestDeviceSim::ignoresMalformedRequests_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QString>("problem");

    const QByteArray find = ToBytes(BuildFindRequest(kMac55, "abc", "pw"));
    QTest::newRow("one byte short") << find.left(31) << "the IP find request has 32 bytes";
    QTest::newRow("one byte long") << find + '\0' << "the IP find request has 32 bytes";
    QByteArray repeat = find;
    repeat[28] = 0x56;
    QTest::newRow("MAC not repeated") << repeat << "bytes 23-28 do not repeat the target MAC";
    QByteArray reserved = find;
    reserved[31] = 1;
    QTest::newRow("reserved byte set") << reserved << "reserved byte 31 is 0x01, not zero";
    QByteArray text = find;
    text[12] = 'x';
    QTest::newRow("text after its zero") << text << "a text field has non-zero bytes after its terminating zero";
    QByteArray unknown = find;
    unknown[22] = 0x37;
    QTest::newRow("unknown command") << unknown << "unknown command 0x37";
    QTest::newRow("shorter than a header") << find.left(22) << "shorter than a command header (23 bytes)";
}

void TestDeviceSim::ignoresMalformedRequests()
{
    QFETCH(QByteArray, request);
    QFETCH(QString, problem);

    DeviceSim sim;
    QVERIFY2(sim.Start(Devices({kDevice55})), qPrintable(sim.Error()));
    Requester requester;
    QVERIFY(requester.GetsNoReply(request, kMac55, "abc", "pw"));
    const QString expected = QStringLiteral("devicesim: ignored %1 bytes from 127.0.0.1:").arg(request.size());
    const QString err = sim.StandardError();
    QVERIFY2(err.contains(expected) && err.contains(": " + problem + "\n"), qPrintable(err));
}

void TestDeviceSim::logsEveryRequestAsHex()
{
    DeviceSim sim;
    QVERIFY2(sim.Start(Devices({QStringLiteral("mac=00:11:22:33:44:55,id=abc")})), qPrintable(sim.Error()));
    Requester requester;
    requester.Send(BuildFindRequest(kMac55, "abc", ""));
    requester.Send(QByteArray("\x01\xab\xff", 3));
    requester.Send(QByteArray());
    requester.Send(BuildClearRequest(kMac88, "abc", ""));
    QVERIFY(sim.WaitForRequests(4));

    const QStringList expected = {
        QStringLiteral(
            "00 11 22 33 44 55 61 62 63 00 00 00 00 00 00 00 00 00 00 00 00 00 35 00 11 22 33 44 55 00 00 00"),
        QStringLiteral("01 ab ff"),
        QString(),
        QStringLiteral(
            "00 11 22 33 44 88 61 62 63 00 00 00 00 00 00 00 00 00 00 00 00 00 36 00 11 22 33 44 88 00 00 00"),
    };
    QCOMPARE(sim.LoggedRequests(), expected);
    QFile log(sim.LogPath());
    QVERIFY(log.open(QIODevice::ReadOnly));
    QCOMPARE(log.readAll(), expected.join(QLatin1Char('\n')).toLatin1() + '\n');
}

void TestDeviceSim::readsDevicesFromConfigFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("devices.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("# two devices\r\n"
               "\n"
               "  mac=00:11:22:33:44:66,id=a\\,b,ip=10.0.0.6  \r\n"
               "mac=00:11:22:33:44:77,password=\\x41\\\\,ip=10.0.0.7\n");
    file.close();

    DeviceSim sim;
    QVERIFY2(sim.Start({QStringLiteral("--config"), path}), qPrintable(sim.Error()));
    Requester requester;
    const FindReply six = ParseFindReply(Span(requester.Exchange(BuildFindRequest(kMac66, "a,b", ""))), kMac66);
    QCOMPARE(six.outcome, FindOutcome::Found);
    QCOMPARE(six.record.m_strIP, "10.0.0.6");
    const FindReply seven = ParseFindReply(Span(requester.Exchange(BuildFindRequest(kMac77, "", "A\\"))), kMac77);
    QCOMPARE(seven.outcome, FindOutcome::Found);
    QCOMPARE(seven.record.m_strIP, "10.0.0.7");
}

void TestDeviceSim::stopsOnSignalAndTimeBound()
{
    DeviceSim sim;
    QVERIFY2(sim.Start(Devices({kDevice55})), qPrintable(sim.Error()));
    QVERIFY(sim.IsRunning());
    sim.Stop();
    QCOMPARE(sim.ExitCode(), 0);
    QVERIFY(sim.StandardOutput().endsWith("devicesim: stopping on SIGTERM\n"));

    QElapsedTimer clock;
    clock.start();
    QVERIFY2(sim.Start({QStringLiteral("--max-seconds"), QStringLiteral("1")}), qPrintable(sim.Error()));
    QTRY_VERIFY_WITH_TIMEOUT(!sim.IsRunning(), 5000);
    QVERIFY(clock.elapsed() >= 1000);
    QCOMPARE(sim.ExitCode(), 0);
    QVERIFY(sim.StandardOutput().endsWith("devicesim: stopping after 1 s\n"));
}

void TestDeviceSim::rejectsBadOptions_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");

    QTest::newRow("bad MAC") << Devices({QStringLiteral("mac=00:11:22:33:44")})
                             << "--device mac=00:11:22:33:44: mac=00:11:22:33:44: not a MAC address like "
                                "00:11:22:33:44:55";
    QTest::newRow("ID of 9 characters") << Devices({QStringLiteral("id=123456789")})
                                        << "--device id=123456789: id=123456789: longer than 8 characters";
    QTest::newRow("unknown key") << Devices({QStringLiteral("colour=red")})
                                 << "--device colour=red: unknown device key \"colour\"";
    QTest::newRow("unknown behaviour")
        << Devices({QStringLiteral("behave=sulk")})
        << "--device behave=sulk: behave=sulk: not one of normal, refuse, wrong-code, other-mac, silent, oversize, "
           "garbage, empty";
    QTest::newRow("mute without a code") << Devices({QStringLiteral("mute=99+")})
                                         << "--device mute=99+: mute=99+: not hexadecimal command codes joined by + "
                                            "(like 99 or 99+98)";
    QTest::newRow("port out of range") << QStringList{QStringLiteral("--port"), QStringLiteral("65536")}
                                       << "--port 65536: not a number from 0 to 65535";
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--colour")} << "unknown option --colour";
    QTest::newRow("client option without a client") << QStringList{QStringLiteral("--tries"), QStringLiteral("2")}
                                                    << "--tries needs --dhcp-client or --bootp-client";
    QTest::newRow("client and device") << QStringList{QStringLiteral("--dhcp-client"),
                                                      QStringLiteral("02:5a:7e:00:00:01")} +
                                              Devices({QStringLiteral("ip=10.0.0.5")})
                                       << "a client plays no device: --device and --config go without --dhcp-client "
                                          "and --bootp-client";
    QTest::newRow("request shorter than BOOTP's")
        << QStringList{QStringLiteral("--bootp-client"), QStringLiteral("02:5a:7e:00:00:01"),
                       QStringLiteral("--length"), QStringLiteral("299")}
        << "--length 299: not a number from 300 to 1472";
}

void TestDeviceSim::rejectsBadOptions()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);

    DeviceSim sim;
    QVERIFY(!sim.Start(args));
    QCOMPARE(sim.ExitCode(), 2);
    QCOMPARE(sim.StandardError(), "devicesim: " + message + "\nTry 'devicesim --help'.\n");
    QVERIFY(sim.Error().contains(message));
}

void TestDeviceSim::refusesPortInUse()
{
    DeviceSim first;
    QVERIFY2(first.Start({}), qPrintable(first.Error()));
    DeviceSim second;
    QVERIFY(!second.Start({}));
    QCOMPARE(second.ExitCode(), 1);
    QCOMPARE(second.StandardError(), "devicesim: cannot listen on 0.0.0.0:1024: Address already in use\n");
}

namespace {

// A DHCP server of the test's own on 127.0.0.1:67, answering the stand-in's client on port 68.
class ToyServer final
{
public:
    ToyServer() { m_socket.bind(QHostAddress::LocalHost, 67); }

    QByteArray Next(int timeoutMs = 5000)
    {
        if (!m_socket.hasPendingDatagrams() && !m_socket.waitForReadyRead(timeoutMs)) {
            return {};
        }
        return m_socket.receiveDatagram().data();
    }
    void Answer(const QByteArray& reply) { m_socket.writeDatagram(reply, QHostAddress::LocalHost, 68); }

private:
    QUdpSocket m_socket;
};

// The device's request header: op 1, Ethernet, xid 5a7e0001, the broadcast flag, its MAC.
QByteArray RequestHeader()
{
    QByteArray r = QByteArray::fromHex("01 01 06 00  5a 7e 00 01  00 00 80 00");
    r.resize(28, '\0');
    r += QByteArray::fromHex("02 5a 7e 00 00 01");
    r.resize(236, '\0');
    return r;
}

// A reply to it: 10.77.0.21 from 10.77.0.1; DHCP options after the cookie when given.
QByteArray Reply(const QByteArray& options, const QByteArray& xid = QByteArray::fromHex("5a7e0001"))
{
    QByteArray r = RequestHeader();
    r[0] = 2;
    r.replace(4, 4, xid);
    r.replace(16, 8, QByteArray::fromHex("0a 4d 00 15  0a 4d 00 01"));
    r += options;
    r.resize(qMax<qsizetype>(r.size(), 300), '\0');
    return r;
}

} // namespace

void TestDeviceSim::dhcpClientAsksAsTheDeviceDoes()
{
    ToyServer server;
    DeviceSim sim;
    QVERIFY2(
        sim.Start({QStringLiteral("--dhcp-client"), QStringLiteral("02:5a:7e:00:00:01"), QStringLiteral("--server"),
                   QStringLiteral("127.0.0.1"), QStringLiteral("--wait"), QStringLiteral("5000")}),
        qPrintable(sim.Error()));

    // The message type first, the client identifier, the end; 300 bytes.
    QByteArray discover =
        RequestHeader() + QByteArray::fromHex("63 82 53 63  35 01 01  3d 07 01 02 5a 7e 00 00 01  ff");
    discover.resize(300, '\0');
    QCOMPARE(server.Next().toHex(' '), discover.toHex(' '));

    // An answer to another request is passed over; the offer names a server other than siaddr.
    const QByteArray offerOptions = QByteArray::fromHex("63 82 53 63  35 01 02  01 04 ff ff ff 00  03 04 0a 4d 00 01"
                                                        "33 04 ff ff ff ff  36 04 0a 4d 00 09  ff");
    server.Answer(Reply(offerOptions, QByteArray::fromHex("00000000")));
    server.Answer(Reply(offerOptions));

    // Type, requested address, client identifier, and at 258-263 the server: the offer's siaddr.
    QByteArray request = RequestHeader() + QByteArray::fromHex("63 82 53 63  35 01 03  32 04 0a 4d 00 15"
                                                               "3d 07 01 02 5a 7e 00 00 01  36 04 0a 4d 00 01  ff");
    request.resize(300, '\0');
    QCOMPARE(server.Next().toHex(' '), request.toHex(' '));
    server.Answer(Reply(QByteArray::fromHex("63 82 53 63  35 01 05  01 04 ff ff 00 00  33 04 00 01 51 80  ff")));

    QTRY_VERIFY_WITH_TIMEOUT(!sim.IsRunning(), 5000);
    QCOMPARE(sim.ExitCode(), 0);
    QVERIFY2(sim.StandardOutput().contains(
                 "devicesim: got OFFER from 127.0.0.1 length=300 yiaddr=10.77.0.21 siaddr=10.77.0.1 giaddr=0.0.0.0 "
                 "mask=255.255.255.0 router=10.77.0.1 lease=4294967295 server=10.77.0.9\n"),
             qPrintable(sim.StandardOutput()));
    QVERIFY2(sim.StandardOutput().endsWith(
                 "devicesim: got ACK from 127.0.0.1 length=300 yiaddr=10.77.0.21 siaddr=10.77.0.1 giaddr=0.0.0.0 "
                 "mask=255.255.0.0 router=- lease=86400 server=-\n"),
             qPrintable(sim.StandardOutput()));
    QVERIFY2(sim.StandardError().contains("devicesim: ignored 300 bytes from 127.0.0.1: xid 0x00000000, not "
                                          "0x5a7e0001\n"),
             qPrintable(sim.StandardError()));
}

void TestDeviceSim::bootpClientAsksWithoutTheCookie()
{
    ToyServer server;
    DeviceSim sim;
    QVERIFY2(
        sim.Start({QStringLiteral("--bootp-client"), QStringLiteral("02:5a:7e:00:00:01"), QStringLiteral("--server"),
                   QStringLiteral("127.0.0.1"), QStringLiteral("--wait"), QStringLiteral("5000")}),
        qPrintable(sim.Error()));
    QByteArray bootp = RequestHeader();
    bootp.resize(300, '\0');
    QCOMPARE(server.Next().toHex(' '), bootp.toHex(' '));
    server.Answer(Reply(QByteArray::fromHex("00 00 00 00 00 00  ff ff ff 00")));

    QTRY_VERIFY_WITH_TIMEOUT(!sim.IsRunning(), 5000);
    QCOMPARE(sim.ExitCode(), 0);
    QVERIFY2(sim.StandardOutput().endsWith("devicesim: got BOOTREPLY from 127.0.0.1 length=300 yiaddr=10.77.0.21 "
                                           "siaddr=10.77.0.1 giaddr=0.0.0.0 mask=255.255.255.0 router=- lease=- "
                                           "server=-\n"),
             qPrintable(sim.StandardOutput()));
}

QTEST_GUILESS_MAIN(TestDeviceSim)
#include "test_devicesim.moc"
