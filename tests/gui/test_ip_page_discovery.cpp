#include "gui/GuiTestEnv.h"
#include "gui/MessageRecorder.h"
#include "gui/dhcp/IPPage.h"
#include "gui/discovery/FindIPDlg.h"
#include "gui/discovery/NewClrIpDlg.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

// The IP Address page's doors to the Find IP and Clear IP dialogs. The dialogs are ended by the
// test without touching the network.
class TestIpPageDiscovery final : public QObject
{
    Q_OBJECT

private:
    static QPushButton* Button(const CIPPage& page, const char* name)
    {
        return page.findChild<QPushButton*>(QString::fromLatin1(name));
    }

    static QString Status(const CIPPage& page)
    {
        return page.findChild<QLineEdit*>(QStringLiteral("statusEdit"))->text();
    }

private slots:
    void initTestCase()
    {
        qApp->setQuitOnLastWindowClosed(false);
        QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
    }

    void pageShowsTheButtonsAndTheStatusLine()
    {
        GuiTestEnv env;
        CIPPage page;
        QCOMPARE(Button(page, "ipFindButton")->text(), QStringLiteral("IP Find"));
        QCOMPARE(Button(page, "ipClearButton")->text(), QStringLiteral("   IP\n Clear"));
        QVERIFY(!Button(page, "ipClearButton")->accessibleName().isEmpty());
        auto* label = page.findChild<QLabel*>(QStringLiteral("statusLabel"));
        QCOMPARE(label->text(), QStringLiteral("STATUS  "));
        QCOMPARE(label->buddy(), page.findChild<QLineEdit*>(QStringLiteral("statusEdit")));
        QCOMPARE(Status(page), QStringLiteral("Monitoring ...."));
    }

    void ipFindRunsTheFindDialogWithItsButtonDisabled()
    {
        GuiTestEnv env;
        CIPPage page;
        page.show();
        page.findChild<QLineEdit*>(QStringLiteral("statusEdit"))->setText(QStringLiteral("Listening"));
        bool buttonEnabled = true;
        QString status;
        QPointer<CFindIPDlg> seen;
        QTimer::singleShot(0, &page, [&] {
            seen = WaitForModal<CFindIPDlg>();
            QVERIFY(seen);
            buttonEnabled = Button(page, "ipFindButton")->isEnabled();
            // The line shows a text that follows another closely a moment later.
            QTRY_COMPARE(Status(page), QStringLiteral("Monitoring ...."));
            status = Status(page);
            QCOMPARE(seen->parentWidget(), &page);
            seen->reject();
        });
        QTest::mouseClick(Button(page, "ipFindButton"), Qt::LeftButton);
        QVERIFY(!seen); // the dialog lived for its run only
        QVERIFY(!buttonEnabled);
        QCOMPARE(status, QStringLiteral("Monitoring ...."));
        QVERIFY(Button(page, "ipFindButton")->isEnabled());
    }

    void ipClearTellsOnlyAboutAnAcceptedClear_data()
    {
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("messages");
        QTest::newRow("cleared") << true << 1;
        QTest::newRow("cancelled") << false << 0;
    }

    void ipClearTellsOnlyAboutAnAcceptedClear()
    {
        QFETCH(bool, accepted);
        QFETCH(int, messages);
        GuiTestEnv env;
        CIPPage page;
        page.show();
        MessageRecorder recorder;
        bool buttonEnabled = true;
        QTimer::singleShot(0, &page, [&] {
            QPointer<CNewClrIpDlg> clear = WaitForModal<CNewClrIpDlg>();
            QVERIFY(clear);
            buttonEnabled = Button(page, "ipClearButton")->isEnabled();
            if (accepted) {
                clear->accept();
            } else {
                QTest::mouseClick(clear->findChild<QPushButton*>(QStringLiteral("cancelButton")), Qt::LeftButton);
            }
        });
        QTest::mouseClick(Button(page, "ipClearButton"), Qt::LeftButton);
        QVERIFY(!buttonEnabled);
        QCOMPARE(recorder.Count(), messages);
        if (accepted) {
            QCOMPARE(recorder.Last(), (MessageRecorder::Message{"IP Cleared!", "Corvane"}));
        }
        QVERIFY(Button(page, "ipClearButton")->isEnabled());
    }
};

QTEST_MAIN(TestIpPageDiscovery)
#include "test_ip_page_discovery.moc"
