#include "gui/GuiTestEnv.h"
#include "gui/MessageRecorder.h"
#include "gui/controls/IPAddressField.h"
#include "gui/discovery/ConfirmDlg.h"
#include "gui/discovery/FindIPDlg.h"
#include "gui/discovery/NewClrIpDlg.h"

#include <QApplication>
#include <QFileInfo>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

// The Find IP and Clear IP dialogs up to the point where they would open a socket: their controls
// and the checks made before anything goes on the network (those exchanges are tested in e2e).
class TestDiscoveryDialogs final : public QObject
{
    Q_OBJECT

private:
    static void SetParts(QDialog& dlg, const QStringList& parts)
    {
        for (int k = 0; k < 6; ++k) {
            dlg.findChild<QLineEdit*>(QStringLiteral("macByte%1").arg(k + 1))->setText(parts[k]);
        }
    }

    static QPushButton* Button(const QDialog& dlg, const char* name)
    {
        return dlg.findChild<QPushButton*>(QString::fromLatin1(name));
    }

private slots:
    void initTestCase() { qApp->setQuitOnLastWindowClosed(false); }

    void findDialogOpensIdle()
    {
        GuiTestEnv env;
        CFindIPDlg dlg;
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Find IP Dialog"));
        QCOMPARE(dlg.m_strStatus, QStringLiteral("Monitoring....."));

        auto* status = dlg.findChild<QLineEdit*>(QStringLiteral("statusEdit"));
        QCOMPARE(status->text(), QStringLiteral("Monitoring....."));
        QVERIFY(status->isReadOnly());
        QCOMPARE(status->accessibleName(), QStringLiteral("Status"));

        auto* found = dlg.findChild<CIPAddressField*>(QStringLiteral("foundIP"));
        QVERIFY(!found->isEnabled());
        QVERIFY(found->IsBlank());
        QCOMPARE(found->accessibleName(), QStringLiteral("Found IP"));

        QCOMPARE(Button(dlg, "moreButton")->text(), QStringLiteral("more.."));
        QVERIFY(!Button(dlg, "moreButton")->isEnabled());
        QCOMPARE(Button(dlg, "findButton")->text(), QStringLiteral("Find"));
        QVERIFY(Button(dlg, "findButton")->isDefault());
        QCOMPARE(Button(dlg, "cancelButton")->text(), QStringLiteral("Cancel"));
        QVERIFY(!dlg.IsFinding());
    }

    void clearDialogOpensWithItsButtons()
    {
        GuiTestEnv env;
        CNewClrIpDlg dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Clear IP Dialog"));
        QCOMPARE(Button(dlg, "clearButton")->text(), QStringLiteral("Clear"));
        QVERIFY(Button(dlg, "clearButton")->isDefault());
        QCOMPARE(Button(dlg, "cancelButton")->text(), QStringLiteral("Cancel"));
    }

    // A MAC that names no device stops "Find" before a socket, a history entry or a timer exists.
    void findRefusesAnIncompleteMac_data()
    {
        QTest::addColumn<QStringList>("parts");
        QTest::newRow("empty field") << QStringList{"00", "11", "", "33", "44", "55"};
        QTest::newRow("all empty") << QStringList{"", "", "", "", "", ""};
        QTest::newRow("punctuation") << QStringList{"00", "11", "22", "3.", "44", "55"};
        QTest::newRow("letter past F") << QStringList{"00", "11", "22", "33", "44", "5Z"};
    }

    void findRefusesAnIncompleteMac()
    {
        QFETCH(QStringList, parts);
        GuiTestEnv env;
        CFindIPDlg dlg;
        dlg.show();
        SetParts(dlg, parts);
        MessageRecorder messages;
        QTest::mouseClick(Button(dlg, "findButton"), Qt::LeftButton);
        QCOMPARE(messages.Messages(), (QList<MessageRecorder::Message>{{"Inpute the Mac address !!", "Error"}}));
        QVERIFY(!dlg.IsFinding());
        QCOMPARE(Button(dlg, "findButton")->text(), QStringLiteral("Find"));
        QCOMPARE(dlg.findChild<QLineEdit*>(QStringLiteral("statusEdit"))->text(), QStringLiteral("Monitoring....."));
        QVERIFY(!QFileInfo::exists(env.StoreFile(QStringLiteral("mach.ini"))));
    }

    void clearRefusesAnIncompleteMacBeforeAsking_data() { findRefusesAnIncompleteMac_data(); }

    void clearRefusesAnIncompleteMacBeforeAsking()
    {
        QFETCH(QStringList, parts);
        GuiTestEnv env;
        CNewClrIpDlg dlg;
        dlg.show();
        SetParts(dlg, parts);
        MessageRecorder messages;
        // No confirmation opens: the press returns with only the message shown.
        QTest::mouseClick(Button(dlg, "clearButton"), Qt::LeftButton);
        QCOMPARE(messages.Messages(), (QList<MessageRecorder::Message>{{"Inpute the Mac address !!", "Error"}}));
        QVERIFY(dlg.isVisible());
        QVERIFY(!QFileInfo::exists(env.StoreFile(QStringLiteral("mach.ini"))));
    }

    void clearAsksFirstAndNoDoesNothing_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("No") << "noButton";
        QTest::newRow("Esc") << "escape";
        QTest::newRow("close box") << "close";
    }

    void clearAsksFirstAndNoDoesNothing()
    {
        QFETCH(QString, how);
        GuiTestEnv env;
        CNewClrIpDlg dlg;
        dlg.show();
        SetParts(dlg, {"00", "11", "22", "33", "44", "55"});
        MessageRecorder messages;
        QString caption;
        QString message;
        QTimer::singleShot(0, &dlg, [&] {
            QPointer<CConfirmDlg> confirm = WaitForModal<CConfirmDlg>();
            QVERIFY(confirm);
            caption = confirm->windowTitle();
            message = confirm->m_strMessage;
            if (how == QLatin1String("escape")) {
                QTest::keyClick(confirm, Qt::Key_Escape);
            } else if (how == QLatin1String("close")) {
                confirm->close();
            } else {
                QTest::mouseClick(confirm->findChild<QPushButton*>(how), Qt::LeftButton);
            }
        });
        QTest::mouseClick(Button(dlg, "clearButton"), Qt::LeftButton);
        QCOMPARE(caption, QStringLiteral("Warning to IP Clear"));
        QCOMPARE(message, QStringLiteral("You are to clear the IP from Device !!"));
        QCOMPARE(messages.Count(), 0);
        QVERIFY(dlg.isVisible());
        // Nothing recorded: the MAC history is untouched.
        QVERIFY(!QFileInfo::exists(env.StoreFile(QStringLiteral("mach.ini"))));
    }
};

QTEST_MAIN(TestDiscoveryDialogs)
#include "test_discovery_dialogs.moc"
