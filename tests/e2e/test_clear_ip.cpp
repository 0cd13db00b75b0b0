// The Clear IP dialog and the IP Address page's "IP Clear" against the device stand-in: the real
// dialogs, their real sockets and the stand-in as a separate process, in a private network
// namespace.

#include "DiscoveryE2E.h"
#include "WireGolden.h"

#include "gui/DeviceSim.h"
#include "gui/GuiTestEnv.h"
#include "gui/MessageRecorder.h"
#include "gui/NetGuard.h"
#include "gui/controls/IPAddressField.h"
#include "gui/dhcp/IPPage.h"
#include "gui/discovery/ConfirmDlg.h"
#include "gui/discovery/FindIPDlg.h"
#include "gui/discovery/NewClrIpDlg.h"

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace discovery_e2e;

namespace {

using wire::kClearRequest55;
const QString kDevice55 = QStringLiteral("mac=00:11:22:33:44:55,id=abc,password=pw,ip=10.0.0.5");

using Messages = QList<MessageRecorder::Message>;

// Long enough for a reply the stand-in sends at once to have been handled.
void Settle()
{
    QTest::qWait(300);
}

// Presses "Clear" and answers the question with "Yes" or "No"; `whileAsking` runs while it is open.
void PressClear(CNewClrIpDlg& dlg, bool yes, const std::function<void()>& whileAsking = {})
{
    bool asked = false;
    QTimer::singleShot(0, &dlg, [&] {
        QPointer<CConfirmDlg> confirm = WaitForModal<CConfirmDlg>();
        QVERIFY(confirm);
        asked = true;
        if (whileAsking) {
            whileAsking();
        }
        QTest::mouseClick(
            confirm->findChild<QPushButton*>(yes ? QStringLiteral("yesButton") : QStringLiteral("noButton")),
            Qt::LeftButton);
    });
    QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("clearButton")), Qt::LeftButton);
    QVERIFY(asked);
}

} // namespace

class TestClearIp final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        RequirePrivateNetworkNamespace();
        qApp->setQuitOnLastWindowClosed(false);
        QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
        CFindIPDlg::SetTimings(50, 5);
    }

    void clearFromThePageClearsTheDeviceAndSaysSo()
    {
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55})), qPrintable(sim.Error()));
        MessageRecorder recorder;
        CIPPage page;
        page.show();
        auto* ipClear = page.findChild<QPushButton*>(QStringLiteral("ipClearButton"));

        bool disabledWhileOpen = false;
        QTimer::singleShot(0, &page, [&] {
            QPointer<CNewClrIpDlg> clear = WaitForModal<CNewClrIpDlg>();
            QVERIFY(clear);
            disabledWhileOpen = !ipClear->isEnabled();
            TypeMac(*clear, kParts55);
            PressClear(*clear, true);
        });
        QTest::mouseClick(ipClear, Qt::LeftButton);

        // The device's "OK" ended the dialog with OK.
        QVERIFY(disabledWhileOpen);
        QCOMPARE(recorder.Messages(), (Messages{{"IP Cleared!", "Corvane"}}));
        QVERIFY(ipClear->isEnabled());
        QCOMPARE(sim.LoggedRequests(), QStringList{kClearRequest55});
        QCOMPARE(ReadStoreFile(env.StoreFile(QStringLiteral("mach.ini"))), QByteArray("[1]\t 0:17:34:51:68:85\n"));

        // The device has indeed forgotten its address.
        CFindIPDlg find;
        find.show();
        TypeMac(find, kParts55);
        QTest::mouseClick(find.findChild<QPushButton*>(QStringLiteral("findButton")), Qt::LeftButton);
        QTRY_VERIFY(!find.IsFinding());
        QCOMPARE(find.findChild<CIPAddressField*>(QStringLiteral("foundIP"))->Text(), QStringLiteral("0.0.0.0"));
    }

    void oneRequestPerConfirmedPressAndNoneForNo()
    {
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55 + ",behave=silent"})), qPrintable(sim.Error()));
        MessageRecorder recorder;
        CNewClrIpDlg dlg;
        dlg.show();
        TypeMac(dlg, kParts55);

        PressClear(dlg, false);
        Settle();
        QCOMPARE(sim.LoggedRequests(), QStringList{});
        QVERIFY(!QFile::exists(env.StoreFile(QStringLiteral("mach.ini"))));

        PressClear(dlg, true);
        QVERIFY(sim.WaitForRequests(1));
        PressClear(dlg, true);
        QVERIFY(sim.WaitForRequests(2));
        Settle();
        QCOMPARE(sim.LoggedRequests(), QStringList(2, kClearRequest55));
        QCOMPARE(recorder.Count(), 0);
        QVERIFY(dlg.isVisible());
    }

    // Two presses before any answer: the first socket is closed, so only the second hears back.
    void onlyTheLatestRequestIsListenedTo()
    {
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55 + ",behave=refuse,delay=400"})), qPrintable(sim.Error()));
        MessageRecorder recorder;
        CNewClrIpDlg dlg;
        dlg.show();
        TypeMac(dlg, kParts55);
        PressClear(dlg, true);
        PressClear(dlg, true);
        QVERIFY(sim.WaitForRequests(2));
        QTRY_COMPARE(recorder.Count(), 1);
        QTest::qWait(600);
        QCOMPARE(recorder.Messages(), (Messages{{"Wrong Password!!", "Error!!"}}));
        QVERIFY(dlg.isVisible());
    }

    void repliesDecideAsTheyShould_data()
    {
        QTest::addColumn<QString>("behaviour");
        QTest::addColumn<Messages>("messages");
        QTest::addColumn<bool>("accepted");
        const Messages wrongPassword{{"Wrong Password!!", "Error!!"}};
        QTest::newRow("refused") << ",behave=refuse" << wrongPassword << false;
        QTest::newRow("other credentials") << ",password=other" << wrongPassword << false;
        QTest::newRow("no status") << ",size=24" << wrongPassword << false;
        QTest::newRow("another device's OK") << ",behave=other-mac" << Messages{} << true;
        QTest::newRow("not an IP-clear reply") << ",behave=wrong-code" << Messages{} << false;
        QTest::newRow("oversized") << ",behave=oversize" << Messages{} << false;
        QTest::newRow("garbage") << ",behave=garbage" << Messages{} << false;
        QTest::newRow("empty") << ",behave=empty" << Messages{} << false;
    }

    void repliesDecideAsTheyShould()
    {
        QFETCH(QString, behaviour);
        QFETCH(Messages, messages);
        QFETCH(bool, accepted);
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55 + behaviour})), qPrintable(sim.Error()));
        MessageRecorder recorder;
        CNewClrIpDlg dlg;
        dlg.show();
        TypeMac(dlg, kParts55);
        PressClear(dlg, true);
        QVERIFY(sim.WaitForRequests(1));
        if (accepted) {
            QTRY_VERIFY(!dlg.isVisible());
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
        } else if (!messages.isEmpty()) {
            QTRY_COMPARE(recorder.Count(), messages.size());
        }
        Settle();
        QCOMPARE(recorder.Messages(), messages);
        QCOMPARE(dlg.isVisible(), !accepted);
        QCOMPARE(sim.LoggedRequests(), QStringList{kClearRequest55});
    }

    void aMacWithoutCredentialsSendsNothing()
    {
        GuiTestEnv env;
        GiveCredentials("001122334466", "abc", "pw");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55})), qPrintable(sim.Error()));
        MessageRecorder recorder;
        CNewClrIpDlg dlg;
        dlg.show();
        TypeMac(dlg, kParts55);
        PressClear(dlg, true);
        QCOMPARE(recorder.Messages(), (Messages{{"You must set the ID and Password !!", "Warning"}}));
        Settle();
        QCOMPARE(sim.LoggedRequests(), QStringList{});
        QVERIFY(dlg.isVisible());
        // The MAC was recorded before the store was asked.
        QCOMPARE(ReadStoreFile(env.StoreFile(QStringLiteral("mach.ini"))), QByteArray("[1]\t 0:17:34:51:68:85\n"));
    }

    // The device answers an earlier press while the question of a later one is open: the dialog
    // has ended, and "Yes" then sends nothing more.
    void anAnswerWhileAskingEndsTheDialogAndNothingMoreIsSent()
    {
        GuiTestEnv env;
        GiveCredentials("001122334455", "abc", "pw");
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55 + ",delay=300"})), qPrintable(sim.Error()));
        MessageRecorder recorder;
        CNewClrIpDlg dlg;
        dlg.show();
        TypeMac(dlg, kParts55);
        PressClear(dlg, true);
        QVERIFY(sim.WaitForRequests(1));
        bool endedWhileAsking = false;
        PressClear(dlg, true, [&] {
            QTRY_VERIFY(!dlg.isVisible());
            endedWhileAsking = true;
        });
        QVERIFY(endedWhileAsking);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        Settle();
        QCOMPARE(sim.LoggedRequests(), QStringList{kClearRequest55});
        QCOMPARE(recorder.Count(), 0);
    }
};

QTEST_MAIN(TestClearIp)
#include "test_clear_ip.moc"
