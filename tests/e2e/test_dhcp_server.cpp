// The DHCP/BOOTP server on the real IP Address page against a device's own client (the stand-in's
// --dhcp-client and --bootp-client, which build and read the packets with code of their own),
// each device in a namespace of its own across a veth pair: the exchanges byte for byte and the
// status line step by step, the Add dialog for an unknown device, a port that is taken, and a
// flood of broken datagrams.

#include "gui/GuiTestEnv.h"
#include "gui/MessageRecorder.h"
#include "gui/NetGuard.h"
#include "gui/VethBed.h"
#include "gui/dhcp/BootpEditDlg.h"
#include "gui/dhcp/IPPage.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <random>

namespace {

const QString kServer = QStringLiteral("10.77.0.1");
const QString kDevice = QStringLiteral("02:5a:7e:00:00:01");
// The device's entry as the status line shows its IP: the table's padded form.
const QString kDeviceIp = QStringLiteral(" 10. 77.  0. 21");
constexpr int kRunTimeoutMs = 20000;

const QByteArray kDhcpIni = "\n[1]\nHType : 1 \nhlen : 6 \nIP : 10.77.0.21 \nMAC : 025A7E000001 \n"
                            "Gateway : 10.77.0.254 \nSubnet : 255.255.255.0\n";
// Every option the server sends: two routers, a DNS server, a NetBIOS server, the domain name the
// settings dialog stores, this server's address and a day's lease.
const QByteArray kAdsvrIni = "[Router]\nnumber = 2\n10.77.0.1\n10.77.0.2\n\n[DNS]\nnumber = 1\n10.77.0.53\n\n"
                             "[NetBios]\nnumber = 1\n10.77.0.139\n\n[Server IP]\n1 10.77.0.1\n\n"
                             "[Domain Name]\n1 removed\n\n[Lease Time]\n86400\n";

const QString kReceived = QStringLiteral("Received..");
const QString kAccepted = QStringLiteral("DHCP Socket Accepted..");
const QString kListening = QStringLiteral("Listening  DHCP request ....");

// The fixed part of every reply to the device: its own header (xid 5a7e0001, broadcast flag)
// with op 2, the entry's type, length, IP and gateway, and this server's address.
QByteArray ReplyHeader()
{
    QByteArray r = QByteArray::fromHex("02 01 06 00  5a 7e 00 01  00 00 80 00  00 00 00 00"
                                       "0a 4d 00 15  0a 4d 00 01  0a 4d 00 fe  02 5a 7e 00 00 01");
    r.resize(236, '\0');
    return r;
}

// A DHCPOFFER (2) or DHCPACK (5): the message type, then the server's options.
QByteArray DhcpReply(char type)
{
    QByteArray r = ReplyHeader() + QByteArray::fromHex("63 82 53 63  35 01") + type;
    r += QByteArray::fromHex("01 04 ff ff ff 00  03 08 0a 4d 00 01 0a 4d 00 02  06 04 0a 4d 00 35  0f 07");
    r += "removed";
    r += QByteArray::fromHex("2c 04 0a 4d 00 8b  33 04 00 01 51 80  36 04 0a 4d 00 01  ff");
    return r;
}

// The BOOTREPLY: 300 bytes, the subnet mask in 242-245, the request's zeros elsewhere.
QByteArray BootpReply()
{
    QByteArray r = ReplyHeader();
    r += QByteArray::fromHex("00 00 00 00 00 00  ff ff ff 00");
    r.resize(300, '\0');
    return r;
}

QStringList ReadLines(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool WriteStore(const QString& path, const QByteArray& contents)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(contents) == contents.size();
}

// A UDP socket of the test's own, on the POSIX API, so that no Qt option changes how it binds.
class RawSocket final
{
public:
    RawSocket() : m_fd(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)) {}
    ~RawSocket() { Close(); }
    RawSocket(const RawSocket&) = delete;
    RawSocket& operator=(const RawSocket&) = delete;

    bool Bind(quint16 port)
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        return ::bind(m_fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    void SendToLoopback(const QByteArray& datagram, quint16 port)
    {
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::sendto(m_fd, datagram.constData(), static_cast<size_t>(datagram.size()), 0,
                 reinterpret_cast<const sockaddr*>(&to), sizeof to);
    }
    void Close()
    {
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }

private:
    int m_fd = -1;
};

// What a stand-in device saw of its exchange.
struct DeviceRun
{
    bool ended = false;
    int exitCode = -1;
    QString output;
    QStringList received; // every datagram it received, as hex
};

} // namespace

class TestDhcpServer final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        RequirePrivateNetworkNamespace();
        qApp->setQuitOnLastWindowClosed(false);
    }

    void init()
    {
        m_env = std::make_unique<GuiTestEnv>();
        m_messages = std::make_unique<MessageRecorder>();
        QVERIFY(WriteStore(m_env->StoreFile(QStringLiteral("dhcp.ini")), kDhcpIni));
        QVERIFY(WriteStore(m_env->StoreFile(QStringLiteral("adsvr.ini")), kAdsvrIni));
        m_bed = std::make_unique<VethBed>();
        m_page = std::make_unique<CIPPage>();
        m_page->OnInitDialog();
        m_page->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_page.get()));
        // Every text in turn; the line itself shows the latest once requests come slower than it is read.
        connect(m_page.get(), &CIPPage::statusChanged, this, [this](const QString& text) { m_statuses << text; });
    }

    void cleanup()
    {
        QVERIFY2(m_messages->Messages().isEmpty(), qPrintable(m_messages->Last().text));
        m_page.reset();
        m_bed.reset();
        m_messages.reset();
        m_env.reset();
        m_statuses.clear();
    }

    void deviceGetsOfferThenAck()
    {
        QVERIFY(StartServer());
        const DeviceRun run = RunDevice(QStringLiteral("--dhcp-client"), kDevice);

        QVERIFY2(run.ended && run.exitCode == 0, qPrintable(run.output));
        QCOMPARE(m_statuses,
                 QStringList({kReceived, kAccepted, QStringLiteral("DHCP Offer sent... [ %1 ]").arg(kDeviceIp),
                              kReceived, kAccepted, QStringLiteral("DHCP ACK sent... [ %1 ]").arg(kDeviceIp)}));
        QCOMPARE(run.received, QStringList({QString::fromLatin1(DhcpReply(2).toHex(' ')),
                                            QString::fromLatin1(DhcpReply(5).toHex(' '))}));
        // And as the device read them.
        const QString got =
            QStringLiteral("length=293 yiaddr=10.77.0.21 siaddr=10.77.0.1 giaddr=10.77.0.254 "
                           "mask=255.255.255.0 router=10.77.0.1,10.77.0.2 lease=86400 server=10.77.0.1");
        QVERIFY2(run.output.contains(QStringLiteral("got OFFER from 10.77.0.1 ") + got), qPrintable(run.output));
        QVERIFY2(run.output.contains(QStringLiteral("got ACK from 10.77.0.1 ") + got), qPrintable(run.output));
    }

    void bootpRequestGetsTheMaskInTheVendorArea()
    {
        QVERIFY(StartServer());
        const DeviceRun run = RunDevice(QStringLiteral("--bootp-client"), kDevice);

        QVERIFY2(run.ended && run.exitCode == 0, qPrintable(run.output));
        QCOMPARE(m_statuses,
                 QStringList({kReceived, kAccepted, QStringLiteral("BootP reply sent... [ %1 ]").arg(kDeviceIp)}));
        QCOMPARE(run.received, QStringList{QString::fromLatin1(BootpReply().toHex(' '))});
    }

    void requestLayoutsAndTheirAnswers_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("statuses");
        QTest::addColumn<int>("replies");
        const QString offer = QStringLiteral("DHCP Offer sent... [ %1 ]").arg(kDeviceIp);
        const QStringList acknowledged{kReceived, kAccepted, offer,
                                       kReceived, kAccepted, QStringLiteral("DHCP ACK sent... [ %1 ]").arg(kDeviceIp)};
        QTest::newRow("names this server") << QStringList{"--server-id", kServer} << acknowledged << 2;
        QTest::newRow("names another server")
            << QStringList{"--server-id", "10.77.9.9"}
            << QStringList{kReceived, kAccepted,
                           offer,     kReceived,
                           kAccepted, QStringLiteral("It was Request to other DHCP server! Packet Discarded...")}
            << 1;
        QTest::newRow("names no server") << QStringList{"--server-id", "none"} << acknowledged << 2;
        // Byte 242 then holds the first byte of the requested address (10), and this server's
        // address stands at 257-260.
        QTest::newRow("type after the other options") << QStringList{"--type-last"} << acknowledged << 2;
        QTest::newRow("576 bytes") << QStringList{"--length", "576"} << acknowledged << 2;
        QTest::newRow("577 bytes") << QStringList{"--length", "577"}
                                   << QStringList{QStringLiteral(
                                          "Socket error when receiving packets.. restart monitoring.")}
                                   << 0;
    }

    void requestLayoutsAndTheirAnswers()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, statuses);
        QFETCH(int, replies);
        QVERIFY(StartServer());
        const DeviceRun run = RunDevice(QStringLiteral("--dhcp-client"), kDevice, args + QStringList{"--tries", "1"});

        QVERIFY2(run.ended && run.exitCode == (replies == 2 ? 0 : 1), qPrintable(run.output));
        QCOMPARE(run.received.size(), replies);
        QCOMPARE(m_statuses, statuses);
    }

    void unknownDeviceOpensTheAddDialogAndCancelStopsTheServer()
    {
        QVERIFY(StartServer());
        const std::optional<VethBed::Link> unknownLink = m_bed->AddLink(kServer);
        QVERIFY2(unknownLink, qPrintable(m_bed->Error()));
        const QString unknown = QStringLiteral("02:5a:7e:00:00:99");

        // Acts inside the dialog's own event loop once it is open.
        QString title;
        QStringList macParts;
        QString statusWhileOpen;
        DeviceRun known;
        bool opened = false;
        const QDeadlineTimer deadline(kRunTimeoutMs);
        // Whatever is still scheduled goes with this test.
        QObject scope;
        std::function<void()> whileOpen = [&] {
            auto* dlg = qobject_cast<CBootpEditDlg*>(QApplication::activeModalWidget());
            if (!dlg) {
                if (!deadline.hasExpired()) {
                    QTimer::singleShot(10, &scope, whileOpen);
                }
                return;
            }
            const QPointer<CBootpEditDlg> guard(dlg);
            opened = true;
            title = dlg->windowTitle();
            for (int k = 1; k <= 6; ++k) {
                for (QLineEdit* edit : dlg->findChildren<QLineEdit*>()) {
                    if (edit->accessibleName() == QStringLiteral("MAC byte %1").arg(k)) {
                        macParts << edit->text();
                    }
                }
            }
            // A known device asks meanwhile: its requests are read and dropped unanswered.
            known = RunDevice(QStringLiteral("--dhcp-client"), kDevice, {"--tries", "3", "--wait", "300"},
                              QStringLiteral("10.77.1.1"));
            statusWhileOpen = Status()->text();
            if (guard) {
                for (QPushButton* button : guard->findChildren<QPushButton*>()) {
                    if (button->accessibleName() == QLatin1String("Cancel")) {
                        QTest::mouseClick(button, Qt::LeftButton);
                    }
                }
            }
        };
        QTimer::singleShot(0, &scope, whileOpen);
        VethBed::Child* device =
            m_bed->Start(*unknownLink, unknown,
                         {QStringLiteral(CORVANE_DEVICESIM), "--dhcp-client", unknown, "--interface",
                          unknownLink->clientName, "--tries", "1", "--wait", QString::number(kRunTimeoutMs)});
        QVERIFY2(device, qPrintable(m_bed->Error()));
        QTRY_VERIFY_WITH_TIMEOUT(opened && !QApplication::activeModalWidget(), kRunTimeoutMs);
        const QString deviceOutput = device->Output();
        device->Stop();

        QCOMPARE(title, QStringLiteral("DB Setting for DHCP"));
        QCOMPARE(macParts, QStringList({"02", "5A", "7E", "00", "00", "99"}));
        QCOMPARE(statusWhileOpen, kAccepted);
        QVERIFY2(known.ended && known.exitCode == 1, qPrintable(known.output));
        QVERIFY2(known.output.contains(QStringLiteral("no OFFER after 3 tries")), qPrintable(known.output));
        QCOMPARE(known.received, QStringList());
        QVERIFY2(!deviceOutput.contains(QStringLiteral("got ")), qPrintable(deviceOutput));
        // Nothing in between: the requests while the dialog was open changed nothing.
        QCOMPARE(m_statuses, QStringList({kReceived, kAccepted, QStringLiteral("Stopped ..")}));
        QVERIFY(Button("DHCP Start")->isEnabled());
        QVERIFY(!Button("DHCP Stop")->isEnabled());
        QFile table(m_env->StoreFile(QStringLiteral("dhcp.ini")));
        QVERIFY(table.open(QIODevice::ReadOnly));
        QVERIFY(!table.readAll().contains("025A7E000099"));
    }

    void portTakenIsShownAndTheServerStaysStopped()
    {
        RawSocket other;
        QVERIFY(other.Bind(67));
        QTest::mouseClick(Button("DHCP Start"), Qt::LeftButton);

        QTRY_COMPARE(Status()->text(),
                     QStringLiteral("Can not listen on UDP port 67: The bound address is already in use "
                                    "(another DHCP server is using it)"));
        QVERIFY(Button("DHCP Start")->isEnabled());
        QVERIFY(!Button("DHCP Stop")->isEnabled());
        QCOMPARE(m_page->m_bStarted, 0);

        other.Close();
        QVERIFY(StartServer());
        QVERIFY(!Button("DHCP Start")->isEnabled());
        QVERIFY(Button("DHCP Stop")->isEnabled());
    }

    void floodOfBrokenDatagramsLeavesTheServerAnswering()
    {
        QVERIFY(StartServer());
        // Were a dialog to open after all, it would wait for the operator: it is closed and told.
        QStringList opened;
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&opened] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                opened << modal->windowTitle();
                modal->close();
            }
        });
        closer.start(100);
        std::mt19937 random(20240607);
        const auto below = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        const QByteArray cookie = QByteArray::fromHex("63825363");
        const QByteArray mac = QByteArray::fromHex("025a7e000001");
        RawSocket sender;
        constexpr int kDatagrams = 3000;
        for (int i = 0; i < kDatagrams; ++i) {
            QByteArray datagram(below(701), '\0');
            for (char& byte : datagram) {
                byte = static_cast<char>(below(256));
            }
            const auto put = [&datagram](qsizetype at, const QByteArray& bytes) {
                for (qsizetype k = 0; k < bytes.size() && at + k < datagram.size(); ++k) {
                    datagram[at + k] = bytes[k];
                }
            };
            if (i % 3 == 0 || datagram.size() < 34) {
                // Noise from no served device: a served one that the table does not hold would
                // open the Add dialog.
                put(28, QByteArray(1, '\0'));
            } else {
                // The known device's request with the cookie; the options are noise, and in every
                // other one the first option's length runs past the end.
                put(0, QByteArray(1, '\1'));
                put(28, mac);
                put(236, cookie);
                if (i % 3 == 2) {
                    put(240, QByteArray::fromHex("35ff"));
                }
            }
            sender.SendToLoopback(datagram, 67);
            if (i % 50 == 49) {
                QTest::qWait(1);
            }
        }
        QTest::qWait(200);
        closer.stop();
        QCOMPARE(opened, QStringList());
        QCOMPARE(m_page->m_bStarted, 1);
        // The flood did come through: the long ones failed to read, the device's were looked at.
        QVERIFY(m_statuses.contains(QStringLiteral("Socket error when receiving packets.. restart monitoring.")));
        QVERIFY(m_statuses.contains(kAccepted));

        m_statuses.clear();
        const DeviceRun run = RunDevice(QStringLiteral("--dhcp-client"), kDevice);
        QVERIFY2(run.ended && run.exitCode == 0, qPrintable(run.output));
        QCOMPARE(run.received.value(1), QString::fromLatin1(DhcpReply(5).toHex(' ')));
        QTRY_COMPARE(Status()->text(), QStringLiteral("DHCP ACK sent... [ %1 ]").arg(kDeviceIp));
    }

private:
    QLineEdit* Status() const { return FindByAccessibleName<QLineEdit>(m_page.get(), QStringLiteral("STATUS")); }
    QPushButton* Button(const char* name) const
    {
        return FindByAccessibleName<QPushButton>(m_page.get(), QString::fromLatin1(name));
    }

    // DHCP Start; true once the status line says the server listens.
    [[nodiscard]] bool StartServer()
    {
        QTest::mouseClick(Button("DHCP Start"), Qt::LeftButton);
        const bool listening = QTest::qWaitFor([this] { return Status()->text() == kListening; });
        m_statuses.clear();
        return listening;
    }

    // Runs the stand-in as the device `mac` on a new link and waits for it to finish.
    DeviceRun RunDevice(const QString& mode, const QString& mac, const QStringList& extra = {},
                        const QString& serverAddress = kServer)
    {
        DeviceRun run;
        const std::optional<VethBed::Link> link = m_bed->AddLink(serverAddress);
        if (!link) {
            run.output = m_bed->Error();
            return run;
        }
        const QString log = m_logs.filePath(QStringLiteral("device%1.log").arg(m_nRuns++));
        // Slow answers on a busy machine still count, so that the device does not ask twice.
        QStringList command{QStringLiteral(CORVANE_DEVICESIM),
                            mode,
                            mac,
                            "--interface",
                            link->clientName,
                            "--log",
                            log,
                            "--wait",
                            "3000"};
        command << extra;
        VethBed::Child* child = m_bed->Start(*link, mac, command);
        if (!child) {
            run.output = m_bed->Error();
            return run;
        }
        run.ended = child->WaitForExit(kRunTimeoutMs);
        run.exitCode = child->ExitCode();
        run.output = child->Output();
        child->Stop();
        run.received = ReadLines(log);
        return run;
    }

    std::unique_ptr<GuiTestEnv> m_env;
    std::unique_ptr<MessageRecorder> m_messages;
    std::unique_ptr<VethBed> m_bed;
    std::unique_ptr<CIPPage> m_page;
    QStringList m_statuses;
    QTemporaryDir m_logs;
    int m_nRuns = 0;
};

QTEST_MAIN(TestDhcpServer)
#include "test_dhcp_server.moc"
