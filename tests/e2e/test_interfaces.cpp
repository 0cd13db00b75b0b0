// A PC with two Ethernet adapters on two device segments, and no route for 255.255.255.255: the
// test's namespace keeps two veth pairs whose far ends are in namespaces of their own, each with a
// device stand-in. Every broadcast must leave on both adapters, once each, from the adapter's own
// address; a directed request only where it is routed.

#include "PagesE2E.h"

#include "gui/GuiTestEnv.h"
#include "gui/MessageRecorder.h"
#include "gui/NetGuard.h"
#include "gui/VethBed.h"
#include "gui/controls/IPAddressField.h"
#include "gui/discovery/ConfirmDlg.h"
#include "gui/discovery/FindIPDlg.h"
#include "gui/discovery/NewClrIpDlg.h"
#include "gui/pages/NetworkModePage.h"
#include "gui/pages/PasswordPage.h"
#include "gui/pages/SerialPage.h"
#include "net/link/UdpSocket.h"

#include <QApplication>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace pages_e2e;

namespace {

using Messages = QList<MessageRecorder::Message>;

constexpr int kFastPeriodMs = 50;
constexpr int kFastPauseMs = 5;

const QString kDeviceA = QStringLiteral("mac=00:11:22:33:44:55,id=abc,password=pw,ip=10.81.0.5");
const QString kDeviceB = QStringLiteral("mac=00:11:22:33:44:66,id=abc,password=pw,ip=10.82.0.6");
// The first 22 bytes of every request to 00:11:22:33:44:66 with ID abc and password pw.
const QString kHeader66 = QStringLiteral("00 11 22 33 44 66 61 62 63 00 00 00 00 00 70 77 00 00 00 00 00 00");
const QString kFind66 = kHeader66 + QStringLiteral(" 35 00 11 22 33 44 66 00 00 00");
const QString kClear66 = kHeader66 + QStringLiteral(" 36 00 11 22 33 44 66 00 00 00");
const QString kConfirm66 = kHeader66 + QStringLiteral(" 98 00 00 00 00 00 00 00");
const QString kSerial66 = kHeader66 + QStringLiteral(" 71 00 0c 03 01 00 0a 00");
const QString kNetworkMode66 =
    kHeader66 + QStringLiteral(" 72 03 05 17 71 0a 00 00 02 17 71 0a 00 00 03 00 00 00 00 00 00 00 00");

// A device stand-in on the far end of a veth pair, with the given address there.
class FarSim final
{
public:
    FarSim(VethBed& bed, const VethBed::Link& link, const QString& address, const QString& device)
    {
        const QString mac = QStringLiteral("02:5a:7e:aa:00:%1").arg(++s_nSims, 2, 10, QLatin1Char('0'));
        m_log = m_dir.filePath(QStringLiteral("requests.log"));
        m_child =
            bed.Start(link, mac,
                      {"/bin/sh", "-c", "ip addr add \"$0/24\" dev \"$1\" && exec \"$2\" --log \"$3\" --device \"$4\"",
                       address, link.clientName, QStringLiteral(CORVANE_DEVICESIM), m_log, device},
                      120000);
        if (!m_child) {
            m_error = bed.Error();
        } else if (!m_child->WaitForOutput(QStringLiteral("devicesim: listening on"), 5000)) {
            m_error = m_child->Output();
            m_child = nullptr;
        }
    }

    bool IsReady() const { return m_child != nullptr; }
    QString Error() const { return m_error; }

    QStringList Requests() const
    {
        QFile file(m_log);
        if (!file.open(QIODevice::ReadOnly)) {
            return {};
        }
        return QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

private:
    static inline int s_nSims = 0;
    QTemporaryDir m_dir;
    QString m_log;
    QString m_error;
    VethBed::Child* m_child = nullptr;
};

void TypeMac(QDialog& dlg, const QStringList& parts)
{
    discovery_e2e::TypeMac(dlg, parts);
}

const QStringList kParts55{"00", "11", "22", "33", "44", "55"};
const QStringList kParts66{"00", "11", "22", "33", "44", "66"};
const QStringList kParts77{"00", "11", "22", "33", "44", "77"};

// The dialog's tick timer: the one running at the search period.
QTimer* FindTimer(const CFindIPDlg& dlg)
{
    for (QTimer* timer : dlg.findChildren<QTimer*>()) {
        if (timer->interval() == kFastPeriodMs) {
            return timer;
        }
    }
    return nullptr;
}

QString FindOnce(const QStringList& parts)
{
    CFindIPDlg find;
    find.show();
    TypeMac(find, parts);
    QTest::mouseClick(find.findChild<QPushButton*>(QStringLiteral("findButton")), Qt::LeftButton);
    if (!QTest::qWaitFor([&] { return !find.IsFinding(); }, 5000)) {
        return QStringLiteral("<still finding>");
    }
    return find.findChild<CIPAddressField*>(QStringLiteral("foundIP"))->Text();
}

} // namespace

class TestInterfaces final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        RequirePrivateNetworkNamespace();
        qApp->setQuitOnLastWindowClosed(false);
        QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
        // As on a PC: nothing routes 255.255.255.255.
        VethBed probe;
        probe.Run(QStringLiteral("ip"), {"route", "del", "255.255.255.255/32", "dev", "lo"});
        QString routes;
        QVERIFY(probe.Run(QStringLiteral("ip"), {"route", "get", "255.255.255.255"}, &routes) == false ||
                !routes.contains(QLatin1String("dev lo")));
    }

    void init()
    {
        CFindIPDlg::SetTimings(kFastPeriodMs, kFastPauseMs);
        m_env = std::make_unique<GuiTestEnv>();
        GiveCredentials("001122334455", "abc", "pw");
        GiveCredentials("001122334466", "abc", "pw");
        GiveCredentials("001122334477", "abc", "pw");
        m_bed = std::make_unique<VethBed>();
        m_linkA = m_bed->AddLink(QStringLiteral("10.81.0.1"));
        QVERIFY2(m_linkA, qPrintable(m_bed->Error()));
        m_linkB = m_bed->AddLink(QStringLiteral("10.82.0.1"));
        QVERIFY2(m_linkB, qPrintable(m_bed->Error()));
        m_simA = std::make_unique<FarSim>(*m_bed, *m_linkA, QStringLiteral("10.81.0.5"), kDeviceA);
        QVERIFY2(m_simA->IsReady(), qPrintable(m_simA->Error()));
        m_simB = std::make_unique<FarSim>(*m_bed, *m_linkB, QStringLiteral("10.82.0.6"), kDeviceB);
        QVERIFY2(m_simB->IsReady(), qPrintable(m_simB->Error()));
    }

    void cleanup()
    {
        CFindIPDlg::SetTimings(CFindIPDlg::kFindPeriodMs, CFindIPDlg::kSendPauseMs);
        m_simA.reset();
        m_simB.reset();
        m_bed.reset();
        m_env.reset();
    }

    void theBroadcastLeavesOnEveryInterfaceFromItsOwnAddress()
    {
        std::vector<QString> addresses;
        for (const CUdpSocket::BroadcastInterface& itf : CUdpSocket::BroadcastInterfaces()) {
            addresses.push_back(itf.address.toString());
        }
        QCOMPARE(addresses, (std::vector<QString>{"10.81.0.1", "10.82.0.1"}));

        MessageRecorder recorder;
        QCOMPARE(FindOnce(kParts55), QStringLiteral("10.81.0.5"));
        QCOMPARE(FindOnce(kParts66), QStringLiteral("10.82.0.6"));
        QCOMPARE(recorder.Count(), 0);
    }

    void eachSideHearsOneRequestPerTick()
    {
        MessageRecorder recorder;
        CFindIPDlg find;
        find.show();
        TypeMac(find, kParts77);
        QTest::mouseClick(find.findChild<QPushButton*>(QStringLiteral("findButton")), Qt::LeftButton);
        QTimer* timer = FindTimer(find);
        QVERIFY(timer);
        int ticks = 0;
        connect(timer, &QTimer::timeout, this, [&ticks] { ++ticks; });
        // The first tick counted here is the first request.
        QVERIFY(m_simA->Requests().isEmpty());
        QTRY_VERIFY(ticks >= 4);

        // The first adapter goes down between two ticks: the other still gets every request, and
        // the operator is told nothing.
        QVERIFY(m_bed->Run(QStringLiteral("ip"), {"link", "set", "dev", m_linkA->serverName, "down"}));
        const int ticksBeforeDown = ticks;
        QTRY_VERIFY(ticks >= ticksBeforeDown + 4);
        QTest::mouseClick(find.findChild<QPushButton*>(QStringLiteral("findButton")), Qt::LeftButton);
        QVERIFY(!find.IsFinding());
        QTest::qWait(200);

        const QStringList a = m_simA->Requests();
        const QStringList b = m_simB->Requests();
        QCOMPARE(b.size(), ticks);
        QVERIFY2(a.size() >= ticksBeforeDown - 1 && a.size() <= ticksBeforeDown + 1,
                 qPrintable(QStringLiteral("%1 requests on the first side, %2 ticks before it went down")
                                .arg(a.size())
                                .arg(ticksBeforeDown)));
        const QString request = QStringLiteral("00 11 22 33 44 77 61 62 63 00 00 00 00 00 70 77 00 00 00 00 00 00 "
                                               "35 00 11 22 33 44 77 00 00 00");
        for (const QString& line : a + b) {
            QCOMPARE(line, request);
        }
        QCOMPARE(recorder.Count(), 0);
        QCOMPARE(FindOnce(kParts66), QStringLiteral("10.82.0.6"));
        QCOMPARE(recorder.Count(), 0);
    }

    void clearAndEveryPageReachTheSecondInterface()
    {
        MessageRecorder recorder;
        {
            CNewClrIpDlg clear;
            clear.show();
            TypeMac(clear, kParts66);
            QTimer::singleShot(0, &clear, [] {
                QPointer<CConfirmDlg> confirm = WaitForModal<CConfirmDlg>();
                QVERIFY(confirm);
                QTest::mouseClick(confirm->findChild<QPushButton*>(QStringLiteral("yesButton")), Qt::LeftButton);
            });
            QTest::mouseClick(clear.findChild<QPushButton*>(QStringLiteral("clearButton")), Qt::LeftButton);
            QTRY_COMPARE(clear.result(), int(QDialog::Accepted));
        }
        {
            CPasswordPage page;
            page.show();
            TypeMac(page, QStringLiteral("001122334466"));
            Field(page, "currentId")->setText(QStringLiteral("abc"));
            Field(page, "currentPassword")->setText(QStringLiteral("pw"));
            Send(page);
            QTRY_COMPARE(recorder.Last(), (MessageRecorder::Message{"Id & Password confirmed.", "Confirm"}));
        }
        {
            CNetworkModePage page;
            page.show();
            TypeMac(page, QStringLiteral("001122334466"));
            page.findChild<CIPAddressField*>(QStringLiteral("serverIP"))->SetAddress({10, 0, 0, 2});
            page.findChild<CIPAddressField*>(QStringLiteral("dataServerIP"))->SetAddress({10, 0, 0, 3});
            Send(page);
            QTRY_COMPARE(recorder.Last(),
                         (MessageRecorder::Message{"System Configuration Setting Completed !!", "Done!!"}));
        }
        {
            CSerialPage page;
            page.show();
            TypeMac(page, QStringLiteral("001122334466"));
            Send(page);
            QTRY_COMPARE(recorder.Last(), (MessageRecorder::Message{"Serial Setting Completed !!", "Done!!"}));
        }
        QCOMPARE(recorder.Count(), 3);
        const QStringList sent{kClear66, kConfirm66, kNetworkMode66, kSerial66};
        QCOMPARE(m_simB->Requests(), sent);
        // The first side heard the same broadcasts, and its device is not the one asked.
        QCOMPARE(m_simA->Requests(), sent);
    }

    void aDirectedSendReachesOnlyItsDestination()
    {
        MessageRecorder recorder;
        CSerialPage page;
        page.show();
        TypeMac(page, QStringLiteral("001122334466"));
        TypeAddress(page.DestinationField(), QStringLiteral("10.82.0.6"));
        QVERIFY(page.IsUnicast());
        Send(page);
        QTRY_COMPARE(recorder.Last(), (MessageRecorder::Message{"Serial Setting Completed !!", "Done!!"}));
        QTest::qWait(200);
        QCOMPARE(m_simB->Requests(), QStringList{kSerial66});
        QCOMPARE(m_simA->Requests(), QStringList{});
    }

private:
    std::unique_ptr<GuiTestEnv> m_env;
    std::unique_ptr<VethBed> m_bed;
    std::optional<VethBed::Link> m_linkA;
    std::optional<VethBed::Link> m_linkB;
    std::unique_ptr<FarSim> m_simA;
    std::unique_ptr<FarSim> m_simB;
};

QTEST_MAIN(TestInterfaces)
#include "test_interfaces.moc"
