// The Password page against the device stand-in (and, for answers no stand-in gives, a fake device
// in the test itself): confirmation, change, the verification that follows an unanswered change,
// and what the password store then holds. In a private network namespace.

#include "PagesE2E.h"

#include "gui/DeviceSim.h"
#include "gui/FailingSaves.h"
#include "gui/GuiTestEnv.h"
#include "gui/MessageRecorder.h"
#include "gui/NetGuard.h"
#include "gui/controls/IPAddressField.h"
#include "gui/discovery/FindIPDlg.h"
#include "gui/pages/NetworkModePage.h"
#include "gui/pages/PasswordPage.h"
#include "gui/pages/SerialPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QNetworkDatagram>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

#include <functional>

using namespace pages_e2e;

namespace {

using Messages = QList<MessageRecorder::Message>;

constexpr int kFastWaitMs = 250;
constexpr int kFastPeriodMs = 60;

const MessageRecorder::Message kConfirmed{"Id & Password confirmed.", "Confirm"};
const MessageRecorder::Message kNoResponse{"There's No Response !!", "Failure!"};
const MessageRecorder::Message kChangeDone{"Password Setting Completed!!", "Done!!"};
const MessageRecorder::Message kVerified{"Password has Changed !!", "CHECK!!"};
const MessageRecorder::Message kVerifyFailed{"Password Setting Failed! \nThere's No Response !!", "Failure!"};

using wire::kChange55;
using wire::kConfirm55;
using wire::kVerify55;

const QByteArray kStoreAbc("\n[1]\nMAC : 001122334455 \nID : abc \nPassword : pw \n");
const QByteArray kStoreNew("\n[1]\nMAC : 001122334455 \nID : new \nPassword : secret \n");

// A device played by the test itself on UDP port 1024, for answers the stand-in never gives.
class FakeDevice final
{
public:
    // The answer to a request; an empty one means none.
    using Answer = std::function<QByteArray(const QByteArray& request)>;

    explicit FakeDevice(Answer answer) : m_answer(std::move(answer))
    {
        QObject::connect(&m_socket, &QUdpSocket::readyRead, [this] {
            while (m_socket.hasPendingDatagrams()) {
                const QNetworkDatagram request = m_socket.receiveDatagram();
                requests << request.data();
                const QByteArray reply = m_answer(request.data());
                if (!reply.isEmpty()) {
                    m_socket.writeDatagram(reply, request.senderAddress(), static_cast<quint16>(request.senderPort()));
                }
            }
        });
    }

    bool Start() { return m_socket.bind(QHostAddress::AnyIPv4, corvane::kDevicePort); }

    // A reply to `request`: its MAC and command, the status, then the text fields given.
    static QByteArray Reply(const QByteArray& request, const char* status, const QByteArray& newId = {},
                            const QByteArray& newPassword = {})
    {
        QByteArray reply = request.left(23);
        reply.resize(45, '\0');
        reply.replace(23, 2, status);
        reply.replace(25, newId.size(), newId);
        reply.replace(33, newPassword.size(), newPassword);
        return reply;
    }

    QList<QByteArray> requests;

private:
    Answer m_answer;
    QUdpSocket m_socket;
};

QTimer* PageTimer(const CPasswordPage& page, const char* name)
{
    return page.findChild<QTimer*>(QString::fromLatin1(name));
}

bool AnyTimerRuns(const CPasswordPage& page)
{
    return PageTimer(page, "confirmTimer")->isActive() || PageTimer(page, "changeTimer")->isActive() ||
           PageTimer(page, "verifyTimer")->isActive();
}

// A Password page with the MAC and the current ID and password typed in.
class PasswordRun
{
public:
    PasswordRun()
    {
        page.show();
        TypeMac(page, QStringLiteral("001122334455"));
        Field(page, "currentId")->setText(QStringLiteral("abc"));
        Field(page, "currentPassword")->setText(QStringLiteral("pw"));
    }

    // Change mode, with new / secret typed and confirmed.
    void TypeChange()
    {
        QTest::mouseClick(page.findChild<QCheckBox*>(QStringLiteral("changeCheck")), Qt::LeftButton);
        Field(page, "newId")->setText(QStringLiteral("new"));
        Field(page, "newPassword")->setText(QStringLiteral("secret"));
        Field(page, "confirmPassword")->setText(QStringLiteral("secret"));
    }

    CPasswordPage page;
};

// Long enough for any verification still to come to have gone out.
void SettleVerification()
{
    QTest::qWait(kFastWaitMs + 12 * kFastPeriodMs + 200);
}

} // namespace

class TestPasswordPage final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        RequirePrivateNetworkNamespace();
        qApp->setQuitOnLastWindowClosed(false);
        QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
    }

    void init()
    {
        CPasswordPage::SetTimings(kFastWaitMs, kFastPeriodMs);
        CFindIPDlg::SetTimings(50, 5);
    }

    void cleanup()
    {
        CPasswordPage::SetTimings(CPasswordPage::kAnswerWaitMs, CPasswordPage::kVerifyPeriodMs);
        CFindIPDlg::SetTimings(CFindIPDlg::kFindPeriodMs, CFindIPDlg::kSendPauseMs);
    }

    // From a fresh start to a configured device without touching a file.
    void aConfirmationRecordsTheCredentialsForEveryOtherExchange()
    {
        GuiTestEnv env;
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55})), qPrintable(sim.Error()));
        MessageRecorder recorder;
        PasswordRun run;
        Send(run.page);
        QVERIFY(sim.WaitForRequests(1));
        QTRY_COMPARE(recorder.Messages(), Messages{kConfirmed});
        QCOMPARE(sim.LoggedRequests(), QStringList{kConfirm55});
        const QString store = env.StoreFile(QStringLiteral("pwd.ini"));
        QCOMPARE(ReadStoreFile(store), kStoreAbc);
        const QFile::Permissions everyone = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                            QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther | QFile::WriteOther |
                                            QFile::ExeOther;
        QCOMPARE(QFileInfo(store).permissions() & everyone, QFile::ReadOwner | QFile::WriteOwner);
        QVERIFY(!run.page.IsConfirmOutstanding());
        QVERIFY(!AnyTimerRuns(run.page));
        QTest::qWait(kFastWaitMs + 100);
        QCOMPARE(recorder.Count(), 1);

        CNetworkModePage networkMode;
        networkMode.show();
        TypeMac(networkMode, QStringLiteral("001122334455"));
        networkMode.findChild<CIPAddressField*>(QStringLiteral("dataServerIP"))->SetAddress({10, 0, 0, 3});
        Send(networkMode);
        QTRY_COMPARE(recorder.Last(),
                     (MessageRecorder::Message{"System Configuration Setting Completed !!", "Done!!"}));

        CSerialPage serial;
        serial.show();
        TypeMac(serial, QStringLiteral("001122334455"));
        Send(serial);
        QTRY_COMPARE(recorder.Last(), (MessageRecorder::Message{"Serial Setting Completed !!", "Done!!"}));

        CFindIPDlg find;
        find.show();
        discovery_e2e::TypeMac(find, discovery_e2e::kParts55);
        QTest::mouseClick(find.findChild<QPushButton*>(QStringLiteral("findButton")), Qt::LeftButton);
        QTRY_VERIFY(!find.IsFinding());
        QCOMPARE(find.findChild<CIPAddressField*>(QStringLiteral("foundIP"))->Text(), QStringLiteral("10.0.0.5"));
        QCOMPARE(recorder.Count(), 3);
    }

    void confirmationAnswers_data()
    {
        QTest::addColumn<QString>("behaviour");
        QTest::addColumn<Messages>("messages");
        QTest::addColumn<QByteArray>("store");
        const Messages refused{{"Wrong Password.", "Warning"}};
        QTest::newRow("refused") << ",behave=refuse" << refused << QByteArray("<missing>");
        QTest::newRow("other credentials") << ",password=other" << refused << QByteArray("<missing>");
        // What the device echoes is recorded, under the MAC it answers with.
        QTest::newRow("another device's MAC") << ",behave=other-mac" << Messages{kConfirmed}
                                              << QByteArray("\n[1]\nMAC : 001122334454 \nID : abc \nPassword : pw \n");
        // Not an answer to the confirmation: the wait for one runs its course.
        QTest::newRow("another command code")
            << ",behave=wrong-code" << Messages{kNoResponse} << QByteArray("<missing>");
        QTest::newRow("oversized") << ",behave=oversize" << Messages{kNoResponse} << QByteArray("<missing>");
        QTest::newRow("garbage") << ",behave=garbage" << Messages{kNoResponse} << QByteArray("<missing>");
        QTest::newRow("no answer") << ",behave=silent" << Messages{kNoResponse} << QByteArray("<missing>");
    }

    void confirmationAnswers()
    {
        QFETCH(QString, behaviour);
        QFETCH(Messages, messages);
        QFETCH(QByteArray, store);
        GuiTestEnv env;
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55 + behaviour})), qPrintable(sim.Error()));
        MessageRecorder recorder;
        PasswordRun run;
        Send(run.page);
        QVERIFY(sim.WaitForRequests(1));
        QTRY_COMPARE(recorder.Count(), messages.size());
        QTest::qWait(kFastWaitMs + 100);
        QCOMPARE(recorder.Messages(), messages);
        QCOMPARE(ReadStoreFile(env.StoreFile(QStringLiteral("pwd.ini"))), store);
        QCOMPARE(sim.LoggedRequests(), QStringList{kConfirm55});
        QVERIFY(!AnyTimerRuns(run.page));
    }

    // The answer comes just after "There's No Response !!" appeared: it is taken at once, and the
    // credentials are recorded.
    void aLateAnswerWhileTheNoResponseBoxIsOpenIsTaken()
    {
        GuiTestEnv env;
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55 + ",delay=600"})), qPrintable(sim.Error()));
        MessageRecorder recorder;
        bool nested = false;
        recorder.WhileOpen([&](const MessageRecorder::Message& message) {
            if (message == kNoResponse) {
                QTRY_COMPARE(recorder.Count(), 2);
                nested = true;
            }
        });
        PasswordRun run;
        Send(run.page);
        QTRY_VERIFY(nested);
        QCOMPARE(recorder.Messages(), (Messages{kNoResponse, kConfirmed}));
        QCOMPARE(ReadStoreFile(env.StoreFile(QStringLiteral("pwd.ini"))), kStoreAbc);
        QVERIFY(!run.page.IsConfirmOutstanding());
    }

    void aChangeAnsweredAtOnceIsRecorded()
    {
        GuiTestEnv env;
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55})), qPrintable(sim.Error()));
        MessageRecorder recorder;
        PasswordRun run;
        run.TypeChange();
        Send(run.page);
        QVERIFY(sim.WaitForRequests(1));
        QTRY_COMPARE(recorder.Messages(), Messages{kChangeDone});
        QCOMPARE(ReadStoreFile(env.StoreFile(QStringLiteral("pwd.ini"))), kStoreNew);
        SettleVerification();
        QCOMPARE(sim.LoggedRequests(), QStringList{kChange55});
        QCOMPARE(recorder.Count(), 1);
        QVERIFY(!AnyTimerRuns(run.page));
    }

    void changeAnswers_data()
    {
        QTest::addColumn<QString>("behaviour");
        QTest::addColumn<Messages>("messages");
        QTest::addColumn<QStringList>("requests");
        QTest::newRow("refused") << ",behave=refuse" << Messages{{"Wrong Password!!", "Error!!"}}
                                 << QStringList{kChange55};
        // The unexpected answer closes the socket: the verifications go nowhere, and the change
        // ends as if nothing had answered.
        QTest::newRow("another command code")
            << ",behave=wrong-code" << Messages{kVerifyFailed} << QStringList{kChange55};
        // An answer that cannot be read is a socket error; the wait goes on, and the verifications
        // fail to be read the same way.
        QTest::newRow("oversized") << ",behave=oversize" << Messages{{"socket error", "Corvane"}, kVerifyFailed}
                                   << QStringList{kChange55} + QStringList(10, kVerify55);
    }

    void changeAnswers()
    {
        QFETCH(QString, behaviour);
        QFETCH(Messages, messages);
        QFETCH(QStringList, requests);
        GuiTestEnv env;
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55 + behaviour})), qPrintable(sim.Error()));
        MessageRecorder recorder;
        PasswordRun run;
        run.TypeChange();
        Send(run.page);
        QVERIFY(sim.WaitForRequests(1));
        QTRY_COMPARE(recorder.Count(), messages.size());
        SettleVerification();
        QCOMPARE(recorder.Messages(), messages);
        QCOMPARE(sim.LoggedRequests(), requests);
        QCOMPARE(ReadStoreFile(env.StoreFile(QStringLiteral("pwd.ini"))), QByteArray("<missing>"));
        QVERIFY(!AnyTimerRuns(run.page));
    }

    // A device that took other credentials than those asked for.
    void aChangeEchoingOtherCredentialsIsNotRecorded()
    {
        GuiTestEnv env;
        FakeDevice device([](const QByteArray& request) { return FakeDevice::Reply(request, "OK", "new", "secreT"); });
        QVERIFY(device.Start());
        MessageRecorder recorder;
        PasswordRun run;
        run.TypeChange();
        Send(run.page);
        QTRY_COMPARE(recorder.Messages(), (Messages{{"Password Setting failed.!!", "Fatal!!"}}));
        QCOMPARE(ReadStoreFile(env.StoreFile(QStringLiteral("pwd.ini"))), QByteArray("<missing>"));
        QVERIFY(!AnyTimerRuns(run.page));
    }

    // The device restarts after a change and never answers anything: ten verifications one
    // period apart after the wait, then the failure; a second change again gets ten.
    void anUnansweredChangeIsVerifiedTenTimes()
    {
        GuiTestEnv env;
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55 + ",mute=99+98"})), qPrintable(sim.Error()));
        MessageRecorder recorder;
        PasswordRun run;
        run.TypeChange();
        Send(run.page);
        QTRY_COMPARE_WITH_TIMEOUT(recorder.Messages(), Messages{kVerifyFailed}, 5000);
        QCOMPARE(sim.LoggedRequests(), QStringList{kChange55} + QStringList(10, kVerify55));
        QCOMPARE(run.page.Attempts(), 10);
        QVERIFY(!AnyTimerRuns(run.page));

        // The device now has new / secret, and the operator asks again from there.
        Field(run.page, "currentId")->setText(QStringLiteral("new"));
        Field(run.page, "currentPassword")->setText(QStringLiteral("secret"));
        Send(run.page);
        QTRY_COMPARE_WITH_TIMEOUT(recorder.Messages(), (Messages{kVerifyFailed, kVerifyFailed}), 5000);
        QCOMPARE(sim.LoggedRequests().size(), 22);
        QCOMPARE(ReadStoreFile(env.StoreFile(QStringLiteral("pwd.ini"))), QByteArray("<missing>"));
    }

    // The same on the page's real timers: the change at 0 s, verifications at 3, 4, ..., 12 s,
    // the failure at 13 s.
    void anUnansweredChangeOnRealTime()
    {
        CPasswordPage::SetTimings(CPasswordPage::kAnswerWaitMs, CPasswordPage::kVerifyPeriodMs);
        GuiTestEnv env;
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55 + ",mute=99+98"})), qPrintable(sim.Error()));
        MessageRecorder recorder;
        qint64 failedAtMs = -1;
        QElapsedTimer clock;
        recorder.WhileOpen([&](const MessageRecorder::Message&) { failedAtMs = clock.elapsed(); });
        PasswordRun run;
        run.TypeChange();
        clock.start();
        Send(run.page);
        QList<qint64> arrivals;
        while (arrivals.size() < 11 && clock.elapsed() < 15000) {
            QVERIFY(sim.WaitForRequests(static_cast<int>(arrivals.size()) + 1, 15000));
            arrivals << clock.elapsed();
        }
        QTRY_VERIFY_WITH_TIMEOUT(failedAtMs >= 0, 3000);
        QCOMPARE(recorder.Messages(), Messages{kVerifyFailed});
        QCOMPARE(arrivals.size(), 11);
        qInfo() << "requests at" << arrivals << "ms, failure at" << failedAtMs << "ms";
        const auto near = [](qint64 at, qint64 expected) { return at >= expected - 50 && at <= expected + 400; };
        QVERIFY(near(arrivals[0], 0));
        for (int i = 1; i <= 10; ++i) {
            QVERIFY2(near(arrivals[i], 2000 + 1000 * i), qPrintable(QString::number(arrivals[i])));
        }
        QVERIFY2(near(failedAtMs, 13000), qPrintable(QString::number(failedAtMs)));
    }

    // The device does not answer the change but answers the first verification: that ends it.
    void anAnsweredVerificationEndsItAtOnce_data()
    {
        QTest::addColumn<QString>("behaviour");
        QTest::addColumn<MessageRecorder::Message>("message");
        QTest::addColumn<QByteArray>("store");
        QTest::newRow("accepted") << ",mute=99" << kVerified << kStoreNew;
        QTest::newRow("refused") << ",mute=99,behave=refuse"
                                 << MessageRecorder::Message{"Password has NOT Changed!!", "CHECK!!"}
                                 << QByteArray("<missing>");
    }

    void anAnsweredVerificationEndsItAtOnce()
    {
        QFETCH(QString, behaviour);
        QFETCH(MessageRecorder::Message, message);
        QFETCH(QByteArray, store);
        GuiTestEnv env;
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55 + behaviour})), qPrintable(sim.Error()));
        MessageRecorder recorder;
        PasswordRun run;
        run.TypeChange();
        Send(run.page);
        QTRY_COMPARE(recorder.Messages(), Messages{message});
        SettleVerification();
        QCOMPARE(sim.LoggedRequests(), (QStringList{kChange55, kVerify55}));
        QCOMPARE(recorder.Count(), 1);
        QCOMPARE(ReadStoreFile(env.StoreFile(QStringLiteral("pwd.ini"))), store);
        QVERIFY(!AnyTimerRuns(run.page));
    }

    // A confirmation that timed out belongs to an exchange that is over: the direct answer to the
    // change sent next is read as the change's answer.
    void aTimedOutConfirmationLeavesTheNextChangeAlone()
    {
        GuiTestEnv env;
        FakeDevice device([](const QByteArray& request) {
            return static_cast<quint8>(request.at(22)) == corvane::kCmdChangePassword
                       ? FakeDevice::Reply(request, "OK", request.mid(23, 8), request.mid(31, 8))
                       : QByteArray();
        });
        QVERIFY(device.Start());
        MessageRecorder recorder;
        PasswordRun run;
        Send(run.page);
        QTRY_COMPARE(recorder.Messages(), Messages{kNoResponse});
        QVERIFY(run.page.IsConfirmOutstanding());

        run.TypeChange();
        Send(run.page);
        QTRY_COMPARE(recorder.Messages(), (Messages{kNoResponse, kChangeDone}));
        QCOMPARE(ReadStoreFile(env.StoreFile(QStringLiteral("pwd.ini"))), kStoreNew);
        SettleVerification();
        QCOMPARE(device.requests.size(), 2);
    }

    // Two devices answer one confirmation broadcast while the first result is on the screen:
    // both are reported.
    void aSecondAnswerWhileTheResultIsShownIsReportedToo()
    {
        GuiTestEnv env;
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55, "mac=00:11:22:33:44:77,id=abc,password=pw,answer=any,delay=100"})),
                 qPrintable(sim.Error()));
        MessageRecorder recorder;
        recorder.WhileOpen([&](const MessageRecorder::Message&) {
            if (recorder.Count() == 1) {
                QTest::qWait(400);
            }
        });
        PasswordRun run;
        Send(run.page);
        QTRY_COMPARE(recorder.Count(), 2);
        QTest::qWait(200);
        QCOMPARE(recorder.Messages(), (Messages{kConfirmed, kConfirmed}));
        // Both answers are recorded under the MAC each device answered with.
        QCOMPARE(ReadStoreFile(env.StoreFile(QStringLiteral("pwd.ini"))),
                 kStoreAbc + QByteArray("\n[2]\nMAC : 001122334477 \nID : abc \nPassword : pw \n"));
        QVERIFY(!run.page.IsConfirmOutstanding());
        QVERIFY(!AnyTimerRuns(run.page));
    }

    // The MAC history cannot be written, and the operator sends again while its box is open: one
    // confirmation goes out, it is answered once, and no timer is left running.
    void aSendWhileTheHistoryBoxIsOpenTakesOver()
    {
        GuiTestEnv env;
        DeviceSim sim;
        QVERIFY2(sim.Start(Devices({kDevice55})), qPrintable(sim.Error()));
        const FailingSaves failing("mach.ini");
        MessageRecorder recorder;
        PasswordRun run;
        bool sentAgain = false;
        recorder.WhileOpen([&](const MessageRecorder::Message& message) {
            if (message.text.startsWith(QLatin1String("Can't write ")) && !sentAgain) {
                sentAgain = true;
                Send(run.page);
            }
        });
        Send(run.page);
        QVERIFY(sentAgain);
        QTRY_COMPARE(recorder.Count(), 3);
        QTest::qWait(kFastWaitMs + 100);
        QCOMPARE(recorder.Last(), kConfirmed);
        QCOMPARE(recorder.Count(), 3);
        QCOMPARE(sim.LoggedRequests(), QStringList{kConfirm55});
        QVERIFY(!run.page.IsConfirmOutstanding());
        QVERIFY(!AnyTimerRuns(run.page));
    }
};

QTEST_MAIN(TestPasswordPage)
#include "test_password_page.moc"
