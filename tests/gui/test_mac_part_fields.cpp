#include "core/stores/MacHistoryFDB.h"
#include "gui/GuiTestEnv.h"
#include "gui/MessageRecorder.h"
#include "gui/discovery/FindIPDlg.h"
#include "gui/discovery/NewClrIpDlg.h"
#include "gui/stores/MacDBDlg.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

// The six MAC fields, "History" and "Delete History" as both the Find IP and the Clear IP dialog
// show them. Nothing here opens a socket.
class TestMacPartFields final : public QObject
{
    Q_OBJECT

private:
    static std::unique_ptr<QDialog> MakeDialog(const QString& which)
    {
        if (which == QLatin1String("find")) {
            return std::make_unique<CFindIPDlg>();
        }
        return std::make_unique<CNewClrIpDlg>();
    }

    static QLineEdit* Part(const QDialog& dlg, int k)
    {
        return dlg.findChild<QLineEdit*>(QStringLiteral("macByte%1").arg(k + 1));
    }

    static QStringList Parts(const QDialog& dlg)
    {
        QStringList texts;
        for (int k = 0; k < 6; ++k) {
            texts << Part(dlg, k)->text();
        }
        return texts;
    }

    static int FocusedPart(const QDialog& dlg)
    {
        for (int k = 0; k < 6; ++k) {
            if (QApplication::focusWidget() == Part(dlg, k)) {
                return k;
            }
        }
        return -1;
    }

    // Types `keys` one by one into whichever field has the focus, as the operator does.
    static void Type(const QString& keys)
    {
        for (const QChar c : keys) {
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
        }
    }

    static void Show(QDialog& dlg)
    {
        dlg.show();
        QApplication::setActiveWindow(&dlg);
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
    }

    // Presses "History" and lets `pick` act on the History dialog while it is open.
    static void RunHistory(QDialog& dlg, const std::function<void(CMacDBDlg&)>& pick)
    {
        bool seen = false;
        QTimer::singleShot(0, &dlg, [&] {
            QPointer<CMacDBDlg> history = WaitForModal<CMacDBDlg>();
            QVERIFY(history);
            seen = true;
            pick(*history);
        });
        QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("historyButton")), Qt::LeftButton);
        QVERIFY(seen);
        QVERIFY(!QApplication::activeModalWidget() || QApplication::activeModalWidget() == &dlg);
    }

private slots:
    void initTestCase() { qApp->setQuitOnLastWindowClosed(false); }

    void typingRules_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<int>("startPart");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QStringList>("parts");
        QTest::addColumn<int>("focus");
        QTest::addColumn<int>("cursor");

        for (const QString& d : {QStringLiteral("find"), QStringLiteral("clear")}) {
            auto row = [&](const char* name) -> QTestData& {
                return QTest::addRow("%s: %s", qPrintable(d), name) << d;
            };
            row("1 then G keeps 1 and the caret") << 0 << "1G" << QStringList{"1", "", "", "", "", ""} << 0 << 1;
            row("G first is refused") << 2 << "G" << QStringList{"", "", "", "", "", ""} << 2 << 0;
            row("lower-case z is refused") << 0 << "1z" << QStringList{"1", "", "", "", "", ""} << 0 << 1;
            row("1 then A moves on") << 0 << "1A" << QStringList{"1A", "", "", "", "", ""} << 1 << 0;
            row("letters turn upper case") << 1 << "fa" << QStringList{"", "FA", "", "", "", ""} << 2 << 0;
            row("refused letter then a digit") << 0 << "1GA" << QStringList{"1A", "", "", "", "", ""} << 1 << 0;
            row("punctuation is let through") << 0 << "1." << QStringList{"1.", "", "", "", "", ""} << 1 << 0;
            row("last field keeps the focus") << 5 << "1A" << QStringList{"", "", "", "", "", "1A"} << 5 << 2;
            row("twelve digits in one go")
                << 0 << "0001a2B3c4D5" << QStringList{"00", "01", "A2", "B3", "C4", "D5"} << 5 << 2;
        }
    }

    void typingRules()
    {
        QFETCH(QString, dialog);
        QFETCH(int, startPart);
        QFETCH(QString, keys);
        QFETCH(QStringList, parts);
        QFETCH(int, focus);
        QFETCH(int, cursor);
        GuiTestEnv env;
        auto dlg = MakeDialog(dialog);
        Show(*dlg);
        Part(*dlg, startPart)->setFocus();
        Type(keys);
        QCOMPARE(Parts(*dlg), parts);
        QCOMPARE(FocusedPart(*dlg), focus);
        QCOMPARE(Part(*dlg, focus)->cursorPosition(), cursor);
    }

    void findFieldsHoldTwoCharactersClearFieldsMore()
    {
        GuiTestEnv env;
        CFindIPDlg find;
        CNewClrIpDlg clear;
        for (QDialog* dlg : {static_cast<QDialog*>(&find), static_cast<QDialog*>(&clear)}) {
            Show(*dlg);
            Part(*dlg, 5)->setFocus();
            Type(QStringLiteral("1A2"));
        }
        QCOMPARE(Part(find, 5)->text(), QStringLiteral("1A"));
        QCOMPARE(Part(clear, 5)->text(), QStringLiteral("1A2"));
    }

    void fieldsCarryTheirNames_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::newRow("find") << "find";
        QTest::newRow("clear") << "clear";
    }

    void fieldsCarryTheirNames()
    {
        QFETCH(QString, dialog);
        GuiTestEnv env;
        auto dlg = MakeDialog(dialog);
        for (int k = 0; k < 6; ++k) {
            QCOMPARE(Part(*dlg, k)->accessibleName(), QStringLiteral("MAC byte %1").arg(k + 1));
        }
        QCOMPARE(dlg->findChild<QPushButton*>(QStringLiteral("historyButton"))->text(), QStringLiteral("History"));
        QCOMPARE(dlg->findChild<QPushButton*>(QStringLiteral("deleteHistoryButton"))->text(),
                 QStringLiteral("Delete History"));
    }

    void historyPickFillsTheFieldsAndCancelGivesZeros_data()
    {
        QTest::addColumn<QString>("dialog");
        QTest::addColumn<bool>("pick");
        QTest::addColumn<QStringList>("parts");
        const QStringList picked{"00", "01", "A2", "B3", "C4", "D5"};
        const QStringList zeros{"00", "00", "00", "00", "00", "00"};
        QTest::newRow("find: pick") << "find" << true << picked;
        QTest::newRow("find: closed") << "find" << false << zeros;
        QTest::newRow("clear: pick") << "clear" << true << picked;
        QTest::newRow("clear: closed") << "clear" << false << zeros;
    }

    void historyPickFillsTheFieldsAndCancelGivesZeros()
    {
        QFETCH(QString, dialog);
        QFETCH(bool, pick);
        QFETCH(QStringList, parts);
        GuiTestEnv env;
        CMacHistoryFDB::Remember({0x11, 0x22, 0x33, 0x44, 0x55, 0x66});
        CMacHistoryFDB::Remember({0, 1, 162, 179, 196, 213});
        auto dlg = MakeDialog(dialog);
        Show(*dlg);
        for (int k = 0; k < 6; ++k) {
            Part(*dlg, k)->setText(QStringLiteral("9"));
        }
        MessageRecorder messages;
        RunHistory(*dlg, [&](CMacDBDlg& history) {
            QListWidget* list = history.List();
            if (!pick) {
                history.reject();
                return;
            }
            // The latest address is at the top.
            QCOMPARE(list->item(0)->text(), QStringLiteral("00:01:A2:B3:C4:D5"));
            const QPoint at = list->visualItemRect(list->item(0)).center();
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        });
        QCOMPARE(Parts(*dlg), parts);
        QCOMPARE(messages.Count(), 0);
        // The History dialog only reads the history.
        QFile file(env.StoreFile(QStringLiteral("mach.ini")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("[1]\t 17:34:51:68:85:102\n[2]\t 0:1:162:179:196:213\n"));
    }

    void deleteHistoryEmptiesTheHistoryWithoutAsking_data() { fieldsCarryTheirNames_data(); }

    void deleteHistoryEmptiesTheHistoryWithoutAsking()
    {
        QFETCH(QString, dialog);
        GuiTestEnv env;
        CMacHistoryFDB::Remember({0, 1, 162, 179, 196, 213});
        const QString path = env.StoreFile(QStringLiteral("mach.ini"));
        QVERIFY(QFileInfo(path).size() > 0);
        auto dlg = MakeDialog(dialog);
        Show(*dlg);
        MessageRecorder messages;
        QTest::mouseClick(dlg->findChild<QPushButton*>(QStringLiteral("deleteHistoryButton")), Qt::LeftButton);
        QCOMPARE(messages.Count(), 0);
        QVERIFY(QFileInfo::exists(path));
        QCOMPARE(QFileInfo(path).size(), 0);
        QVERIFY(dlg->isVisible());

        // The History dialog then shows an empty list.
        int rows = -1;
        RunHistory(*dlg, [&](CMacDBDlg& history) {
            rows = history.List()->count();
            history.reject();
        });
        QCOMPARE(rows, 0);
    }
};

QTEST_MAIN(TestMacPartFields)
#include "test_mac_part_fields.moc"
