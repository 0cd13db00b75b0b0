// The Network Mode and Serial pages against the device stand-in: the real pages, their real
// sockets and the stand-in as a separate process, in a private network namespace.

#include "PagesE2E.h"

#include "gui/DeviceSim.h"
#include "gui/FailingSaves.h"
#include "gui/GuiTestEnv.h"
#include "gui/MessageRecorder.h"
#include "gui/NetGuard.h"
#include "gui/controls/IPAddressField.h"
#include "gui/controls/TimeEdit.h"
#include "gui/pages/NetworkModePage.h"
#include "gui/pages/SerialPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTest>

#include <functional>
#include <memory>

using namespace pages_e2e;

namespace {

using Messages = QList<MessageRecorder::Message>;
using Setup = std::function<void(CConfigPage&)>;

const MessageRecorder::Message kNetworkModeDone{"System Configuration Setting Completed !!", "Done!!"};
const MessageRecorder::Message kSerialDone{"Serial Setting Completed !!", "Done!!"};
const MessageRecorder::Message kWrongPassword{"Wrong Password!!", "Error!!"};

using wire::kNetworkModeRequest;
using wire::kSerialRequest;

std::unique_ptr<CConfigPage> MakePage(const QString& kind)
{
    if (kind == QLatin1String("network mode")) {
        return std::make_unique<CNetworkModePage>();
    }
    return std::make_unique<CSerialPage>();
}

template <class T>
T* Child(const QWidget& page, const char* name)
{
    return page.findChild<T*>(QString::fromLatin1(name));
}

// The Network Mode page as in kNetworkModeRequest: only the two addresses need typing.
void FillNetworkMode(CConfigPage& page)
{
    Child<CIPAddressField>(page, "serverIP")->SetAddress({10, 0, 0, 2});
    Child<CIPAddressField>(page, "dataServerIP")->SetAddress({10, 0, 0, 3});
}

void Select(CConfigPage& page, const char* list, int index)
{
    Child<QComboBox>(page, list)->setCurrentIndex(index);
}

// Makes a page ready to send: the MAC of the device, and what the page needs besides.
std::unique_ptr<CConfigPage> ReadyPage(const QString& kind, const QString& digits = QStringLiteral("001122334455"))
{
    auto page = MakePage(kind);
    page->show();
    TypeMac(*page, digits);
    if (kind == QLatin1String("network mode")) {
        FillNetworkMode(*page);
    }
    return page;
}

MessageRecorder::Message Done(const QString& kind)
{
    return kind == QLatin1String("network mode") ? kNetworkModeDone : kSerialDone;
}

} // namespace

Q_DECLARE_METATYPE(Setup)

class TestPageExchanges final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        RequirePrivateNetworkNamespace();
        qApp->setQuitOnLastWindowClosed(false);
        QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
    }

    // Broadcast while the Destination reads 255.255.255.255; otherwise sent on a socket connected
    // to that one address, 0.0.0.0 included. A stand-in bound to 127.0.0.1 hears only the latter.
    void requestGoesOutAsTyped_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("destination");
        QTest::addColumn<QString>("request");
        for (const QString kind : {"network mode", "serial"}) {
            const QString request = kind == QLatin1String("serial") ? kSerialRequest : kNetworkModeRequest;
            QTest::addRow("%s, broadcast", qPrintable(kind)) << kind << "255.255.255.255" << request;
            QTest::addRow("%s, to 127.0.0.1", qPrintable(kind)) << kind << "127.0.0.1" << request;
            QTest::addRow("%s, to a cleared destination", qPrintable(kind)) << kind << "" << request;
        }
    }

    void requestGoesOutAsTyped()
    {
        QFETCH(QString, kind);
        QFETCH(QString, destination);
        QFETCH(QString, request);
        const bool broadcast = destination == QLatin1String("255.255.255.255");
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        DeviceSim sim;
        QStringList args = Devices({kDevice55});
        if (!broadcast) {
            args << QStringLiteral("--bind") << QStringLiteral("127.0.0.1");
        }
        QVERIFY2(sim.Start(args), qPrintable(sim.Error()));
        MessageRecorder recorder;
        const auto page = ReadyPage(kind);
        if (destination.isEmpty()) {
            page->DestinationField()->ClearAddress();
        } else {
            TypeAddress(page->DestinationField(), destination);
        }
        QCOMPARE(page->IsUnicast(), !broadcast);

        Send(*page);
        QVERIFY(sim.WaitForRequests(1));
        QTRY_COMPARE(recorder.Messages(), Messages{Done(kind)});
        QCOMPARE(sim.LoggedRequests(), QStringList{request});
        QVERIFY(!page->Socket()->IsOpen());
        QCOMPARE(ReadStoreFile(env.StoreFile(QStringLiteral("mach.ini"))), kHistory55);
    }

    // A stand-in bound to 127.0.0.1 does not hear a broadcast: the page did not send to it.
    void aBroadcastIsNoDirectedRequest()
    {
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55}) << QStringLiteral("--bind") << QStringLiteral("127.0.0.1")),
                 qPrintable(sim.Error()));
        MessageRecorder recorder;
        const auto page = ReadyPage(QStringLiteral("serial"));
        Send(*page);
        Settle();
        QCOMPARE(sim.LoggedRequests(), QStringList{});
        QCOMPARE(recorder.Count(), 0);
        // Without a reply the page keeps waiting on its socket.
        QVERIFY(page->Socket()->IsOpen());
    }

    void settingsReachTheWire_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<QString>("request");
        QTest::newRow("notifier 6 h 0 min is 237 units") << "network mode" << Setup([](CConfigPage& p) {
            QVERIFY(Child<CTimeEdit>(p, "notifierTime")->SetTime(6, 0));
        }) << wire::kNetworkModeNotifier6h;
        QTest::newRow("notifier 0 h 0 min is 1 unit") << "network mode" << Setup([](CConfigPage& p) {
            QVERIFY(Child<CTimeEdit>(p, "notifierTime")->SetTime(0, 0));
        }) << kHeader55 + " 72 01 05 17 71 0a 00 00 02 17 71 0a 00 00 03 00 00 00 00 00 00 00 00";
        QTest::newRow("ports of exactly 2000, Server & Client") << "network mode" << Setup([](CConfigPage& p) {
            Select(p, "tcpMode", 2);
            Field(p, "devicePort")->setText(QStringLiteral("2000"));
            Field(p, "serverPort")->setText(QStringLiteral("2000"));
        }) << wire::kNetworkModeBothPorts2000;
        QTest::newRow("Dynamic IP, Client, device port 0") << "network mode" << Setup([](CConfigPage& p) {
            Select(p, "ipMode", 1);
            Select(p, "tcpMode", 1);
            Field(p, "devicePort")->setText(QStringLiteral("0"));
        }) << wire::kNetworkModeDynamicClientPort0;
        QTest::newRow("Server sends a blank remote server as zeros") << "network mode" << Setup([](CConfigPage& p) {
            Child<CIPAddressField>(p, "serverIP")->ClearAddress();
            Field(p, "serverPort")->setText(QStringLiteral("0"));
        }) << kHeader55 + " 72 03 05 17 71 00 00 00 00 00 00 0a 00 00 03 00 00 00 00 00 00 00 00";

        QTest::newRow("serial time 2") << "serial"
                                       << Setup([](CConfigPage& p) { Field(p, "serialTime")->setText("2"); })
                                       << kHeader55 + " 71 00 0c 03 01 00 05 00";
        QTest::newRow("serial time 100") << "serial"
                                         << Setup([](CConfigPage& p) { Field(p, "serialTime")->setText("100"); })
                                         << kHeader55 + " 71 00 0c 03 01 00 fa 00";
        QTest::newRow("-1 typed with the box unchecked is unlimited")
            << "serial" << Setup([](CConfigPage& p) { Field(p, "serialTime")->setText("-1"); })
            << kHeader55 + " 71 00 0c 03 01 00 ff 00";
        QTest::newRow("EVEN, 7 bits, 2, XON/XOFF, unlimited") << "serial" << Setup([](CConfigPage& p) {
            Select(p, "parity", 2);
            Select(p, "dataBits", 2);
            Select(p, "stopBits", 2);
            Select(p, "handshake", 2);
            QTest::mouseClick(Child<QCheckBox>(p, "serialTimeUnlimited"), Qt::LeftButton);
        }) << wire::kSerialEven7Bits2XonXoffUnlimited;
        QTest::newRow("150 baud, ODD, 5 bits, 1 1/2, Hardware") << "serial" << Setup([](CConfigPage& p) {
            Select(p, "baud", 0);
            Select(p, "parity", 1);
            Select(p, "dataBits", 0);
            Select(p, "stopBits", 1);
            Select(p, "handshake", 1);
        }) << wire::kSerial150Odd5Bits15Hardware;
        QTest::newRow("115200 baud") << "serial" << Setup([](CConfigPage& p) { Select(p, "baud", 12); })
                                     << kHeader55 + " 71 00 01 03 01 00 0a 00";
    }

    void settingsReachTheWire()
    {
        QFETCH(QString, kind);
        QFETCH(Setup, setup);
        QFETCH(QString, request);
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55})), qPrintable(sim.Error()));
        MessageRecorder recorder;
        const auto page = ReadyPage(kind);
        setup(*page);
        Send(*page);
        QVERIFY(sim.WaitForRequests(1));
        QCOMPARE(sim.LoggedRequests(), QStringList{request});
        // The stand-in checks the values as a device would, and takes them.
        QTRY_COMPARE(recorder.Messages(), Messages{Done(kind)});
    }

    // Every answer that is not "OK" for this command says nothing false, and the page goes on
    // working: a Send to a second device is answered as usual.
    void repliesDecide_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("behaviour");
        QTest::addColumn<Messages>("messages");
        for (const QString kind : {"network mode", "serial"}) {
            const auto row = [&](const char* name, const char* behaviour, const Messages& messages) {
                QTest::addRow("%s, %s", qPrintable(kind), name) << kind << behaviour << messages;
            };
            row("OK", "", Messages{Done(kind)});
            row("refused", ",behave=refuse", Messages{kWrongPassword});
            row("other credentials", ",password=other", Messages{kWrongPassword});
            row("status cut off", ",size=24", Messages{kWrongPassword});
            row("another command code", ",behave=wrong-code", Messages{});
            row("oversized", ",behave=oversize", Messages{});
            row("garbage", ",behave=garbage", Messages{});
            row("empty", ",behave=empty", Messages{});
        }
    }

    void repliesDecide()
    {
        QFETCH(QString, kind);
        QFETCH(QString, behaviour);
        QFETCH(Messages, messages);
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        GiveCredentials("001122334466", "abc", "pw");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55 + behaviour, kDevice66})), qPrintable(sim.Error()));
        MessageRecorder recorder;
        const auto page = ReadyPage(kind);
        Send(*page);
        QVERIFY(sim.WaitForRequests(1));
        if (!messages.isEmpty()) {
            QTRY_COMPARE(recorder.Count(), messages.size());
        }
        Settle();
        QCOMPARE(recorder.Messages(), messages);

        TypeMac(*page, QStringLiteral("001122334466"));
        Send(*page);
        QTRY_COMPARE(recorder.Messages(), messages + Messages{Done(kind)});
    }

    // Two devices answer one broadcast. The first answer ends the exchange: the second is never
    // read, unless it comes while the first result is still on the screen.
    void aSecondAnswerToTheSameBroadcast_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("holdTheBox");
        QTest::newRow("network mode, box closed at once") << "network mode" << false;
        QTest::newRow("network mode, box held open") << "network mode" << true;
        QTest::newRow("serial, box closed at once") << "serial" << false;
        QTest::newRow("serial, box held open") << "serial" << true;
    }

    void aSecondAnswerToTheSameBroadcast()
    {
        QFETCH(QString, kind);
        QFETCH(bool, holdTheBox);
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55, "mac=00:11:22:33:44:77,id=abc,password=pw,answer=any,delay=100"})),
                 qPrintable(sim.Error()));
        MessageRecorder recorder;
        int open = 0;
        int nestedMost = 0;
        recorder.WhileOpen([&](const MessageRecorder::Message&) {
            nestedMost = std::max(nestedMost, ++open);
            if (holdTheBox && open == 1) {
                QTest::qWait(400);
            }
            --open;
        });
        const auto page = ReadyPage(kind);
        Send(*page);
        QTRY_VERIFY(recorder.Count() >= 1);
        QTest::qWait(500);
        QCOMPARE(recorder.Messages(), Messages(holdTheBox ? 2 : 1, Done(kind)));
        QCOMPARE(nestedMost, holdTheBox ? 2 : 1);
        QVERIFY(!page->Socket()->IsOpen());
    }

    void aMacWithoutCredentialsSendsNothingButIsRemembered_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("network mode") << "network mode";
        QTest::newRow("serial") << "serial";
    }

    void aMacWithoutCredentialsSendsNothingButIsRemembered()
    {
        QFETCH(QString, kind);
        GuiTestEnv env;
        GiveCredentials("001122334466", "abc", "pw");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55})), qPrintable(sim.Error()));
        MessageRecorder recorder;
        const auto page = ReadyPage(kind);
        Send(*page);
        QCOMPARE(recorder.Messages(), (Messages{{"You must set the ID and Password !!", "Warning"}}));
        QVERIFY(page->IsValidated());
        Settle();
        QCOMPARE(sim.LoggedRequests(), QStringList{});
        QCOMPARE(ReadStoreFile(env.StoreFile(QStringLiteral("mach.ini"))), kHistory55);
        // Sending again does not add the MAC again.
        Send(*page);
        QCOMPARE(ReadStoreFile(env.StoreFile(QStringLiteral("mach.ini"))), kHistory55);
    }

    // The MAC history cannot be written; while its box is open the operator sends again. The
    // second Send carries the exchange; the first one, resumed, sends nothing.
    void aSendWhileTheHistoryBoxIsOpenTakesOver()
    {
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55})), qPrintable(sim.Error()));
        const FailingSaves failing("mach.ini");
        MessageRecorder recorder;
        const auto page = ReadyPage(QStringLiteral("network mode"));
        bool sentAgain = false;
        recorder.WhileOpen([&](const MessageRecorder::Message& message) {
            if (message.text.startsWith(QLatin1String("Can't write ")) && !sentAgain) {
                sentAgain = true;
                Send(*page);
            }
        });
        Send(*page);
        QVERIFY(sentAgain);
        QVERIFY(sim.WaitForRequests(1));
        QTRY_COMPARE(recorder.Count(), 3);
        Settle();
        QCOMPARE(sim.LoggedRequests(), QStringList{kNetworkModeRequest});
        QCOMPARE(recorder.Last(), kNetworkModeDone);
        QVERIFY(!page->Socket()->IsOpen());
    }

    void serialPausesAfterSending()
    {
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55 + ",behave=silent"})), qPrintable(sim.Error()));
        const auto page = ReadyPage(QStringLiteral("serial"));
        QElapsedTimer clock;
        clock.start();
        Send(*page);
        const qint64 took = clock.elapsed();
        QVERIFY2(took >= CSerialPage::kSendPauseMs, qPrintable(QString::number(took)));
        QVERIFY(sim.WaitForRequests(1));
    }
};

QTEST_MAIN(TestPageExchanges)
#include "test_page_exchanges.moc"
