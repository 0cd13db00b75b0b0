#include "gui/GuiTestEnv.h"
#include "gui/MessageRecorder.h"

#include "core/stores/AdvancedServerDB.h"
#include "core/stores/PwdFDB.h"
#include "gui/stores/MacDBDlg.h"

#include <QCoreApplication>
#include <QListWidget>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <functional>
#include <memory>

Q_DECLARE_METATYPE(MacBytes)

namespace {

const MacBytes kOldest{0x00, 0x01, 0xA2, 0xB3, 0xC4, 0xD5};
const MacBytes kMiddle{0x0A, 0x0B, 0x0C, 0x0D, 0x0E, 0x0F};
const MacBytes kNewest{0x00, 0xE0, 0x4C, 0x00, 0x00, 0x07};

QStringList Items(const QListWidget* list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i) {
        items << list->item(i)->text();
    }
    return items;
}

struct Outcome
{
    int result = -1;
    MacBytes bytes{1, 1, 1, 1, 1, 1};
};

// Runs the History dialog modally, lets `act` work on it once it is up, and returns how it ended.
Outcome RunHistory(const std::function<void(CMacDBDlg*)>& act)
{
    bool acted = false;
    QTimer::singleShot(0, [&] {
        QPointer<CMacDBDlg> dlg = WaitForModal<CMacDBDlg>();
        QVERIFY(dlg);
        act(dlg);
        acted = true;
    });
    CMacDBDlg dlg;
    Outcome outcome;
    outcome.result = dlg.exec();
    outcome.bytes = dlg.m_anByte;
    if (!acted) {
        qWarning("the dialog ended before the test acted on it");
    }
    return outcome;
}

} // namespace

class TestMacDBDlg final : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_env = std::make_unique<GuiTestEnv>();
        m_recorder = std::make_unique<MessageRecorder>();
    }
    void cleanup()
    {
        m_recorder.reset();
        m_env.reset();
    }

    void listsTheHistoryNewestFirst()
    {
        for (const MacBytes& mac : {kOldest, kMiddle, kNewest}) {
            CMacHistoryFDB::Remember(mac);
        }
        CMacDBDlg dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("History"));
        QCOMPARE(Items(dlg.List()),
                 (QStringList{QStringLiteral("00:E0:4C:00:00:07"), QStringLiteral("0A:0B:0C:0D:0E:0F"),
                              QStringLiteral("00:01:A2:B3:C4:D5")}));
        QCOMPARE(dlg.List()->accessibleName(), QStringLiteral("MAC Address"));
        QCOMPARE(dlg.m_anByte, MacBytes{});
    }

    void showsAnEmptyListWithoutAHistory()
    {
        CMacDBDlg dlg;
        QCOMPARE(dlg.List()->count(), 0);
        QVERIFY(!QFile::exists(m_env->StoreFile(QStringLiteral("mach.ini"))));
        QCOMPARE(m_recorder->Count(), 0);
    }

    void doubleClickOnAnAddressPicksIt_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<MacBytes>("expected");
        QTest::newRow("top: the last added") << 0 << kNewest;
        QTest::newRow("bottom: the first added") << 2 << kOldest;
    }
    void doubleClickOnAnAddressPicksIt()
    {
        QFETCH(int, row);
        QFETCH(MacBytes, expected);
        for (const MacBytes& mac : {kOldest, kMiddle, kNewest}) {
            CMacHistoryFDB::Remember(mac);
        }
        const Outcome outcome = RunHistory([row](CMacDBDlg* dlg) {
            QListWidget* list = dlg->List();
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(row)).center());
        });
        QCOMPARE(outcome.result, int(QDialog::Accepted));
        QCOMPARE(outcome.bytes, expected);
    }

    void endsWithoutAPick_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("double-click below the addresses") << QStringLiteral("empty");
        QTest::newRow("Escape") << QStringLiteral("escape");
        QTest::newRow("window closed") << QStringLiteral("close");
    }
    void endsWithoutAPick()
    {
        QFETCH(QString, how);
        CMacHistoryFDB::Remember(kOldest);
        const Outcome outcome = RunHistory([how](CMacDBDlg* dlg) {
            QListWidget* list = dlg->List();
            if (how == QLatin1String("empty")) {
                const QPoint below(5, list->viewport()->height() - 5);
                QVERIFY(!list->itemAt(below));
                QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, below);
            } else if (how == QLatin1String("escape")) {
                list->setFocus();
                QTest::keyClick(list, Qt::Key_Escape);
            } else {
                dlg->close();
            }
        });
        QCOMPARE(outcome.result, int(QDialog::Rejected));
        QCOMPARE(outcome.bytes, MacBytes{});
    }

    void enterOnTheSelectedAddressPicksIt()
    {
        CMacHistoryFDB::Remember(kOldest);
        CMacHistoryFDB::Remember(kMiddle);
        const Outcome outcome = RunHistory([](CMacDBDlg* dlg) {
            QListWidget* list = dlg->List();
            list->setFocus();
            list->setCurrentRow(1);
            QTest::keyClick(list, Qt::Key_Return);
        });
        QCOMPARE(outcome.result, int(QDialog::Accepted));
        QCOMPARE(outcome.bytes, kOldest);
    }

    void formatsBytesLikeTheHistoryList()
    {
        QCOMPARE(CMacDBDlg::FormatMac({0, 1, 162, 179, 196, 213}), QStringLiteral("00:01:A2:B3:C4:D5"));
        QCOMPARE(CMacDBDlg::FormatMac({10, 0, 0, 0, 0, 255}), QStringLiteral("0A:00:00:00:00:FF"));
    }

    // The stores find their directory through the profile and show their boxes through the seam.
    void storesAreWiredToTheProfileAndTheMessageSeam()
    {
        CPwdFDB pwd;
        QCOMPARE(QString::fromStdString(pwd.GetPath()), m_env->StoreFile(QStringLiteral("pwd.ini")));
        pwd.SetCurrent(1);
        QCOMPARE(m_recorder->Last(), (MessageRecorder::Message{QStringLiteral("Out of range of the database !"),
                                                               QStringLiteral("Fatal Error")}));
        CAdvancedServerDB adsvr;
        adsvr.RemoveRouter(0);
        QCOMPARE(m_recorder->Last(), (MessageRecorder::Message{QStringLiteral("Over the number of routers!!"),
                                                               QCoreApplication::applicationName()}));
    }

private:
    std::unique_ptr<GuiTestEnv> m_env;
    std::unique_ptr<MessageRecorder> m_recorder;
};

QTEST_MAIN(TestMacDBDlg)
#include "test_mac_db_dlg.moc"
