#include "gui/discovery/ConfirmDlg.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

class TestConfirmDlg final : public QObject
{
    Q_OBJECT

private slots:
    void showsTheCallersSubjectAndMessage()
    {
        CConfirmDlg dlg(QStringLiteral("IP Clear"), QStringLiteral("You are to clear the IP from Device !!"));
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Warning to IP Clear"));
        QStringList texts;
        for (const QLabel* label : dlg.findChildren<QLabel*>()) {
            if (!label->text().isEmpty()) {
                texts << label->text();
            }
        }
        QCOMPARE(texts, (QStringList{"You are to clear the IP from Device !!",
                                     "This operation may cause a severe problem. ", "Do you want to continue? "}));
        auto* yes = dlg.findChild<QPushButton*>(QStringLiteral("yesButton"));
        auto* no = dlg.findChild<QPushButton*>(QStringLiteral("noButton"));
        QVERIFY(yes && no);
        QCOMPARE(yes->text(), QStringLiteral("Yes"));
        QCOMPARE(no->text(), QStringLiteral("No"));
        QVERIFY(yes->isDefault());
        QVERIFY(!dlg.findChild<QLabel*>(QStringLiteral("warningIcon"))->accessibleName().isEmpty());
    }

    void subjectAndMessageSetAfterConstructionShowOnOpening()
    {
        CConfirmDlg dlg(QStringLiteral("A"), QStringLiteral("first"));
        dlg.m_strSubject = QStringLiteral("IP Clear");
        dlg.m_strMessage = QStringLiteral("second");
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Warning to IP Clear"));
        QCOMPARE(dlg.findChild<QLabel*>(QStringLiteral("messageText"))->text(), QStringLiteral("second"));
    }

    void answers_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("result");
        QTest::newRow("Yes") << "yesButton" << int(QDialog::Accepted);
        QTest::newRow("No") << "noButton" << int(QDialog::Rejected);
        QTest::newRow("Enter") << "enter" << int(QDialog::Accepted);
        QTest::newRow("Esc") << "escape" << int(QDialog::Rejected);
    }

    void answers()
    {
        QFETCH(QString, how);
        QFETCH(int, result);
        CConfirmDlg dlg(QStringLiteral("IP Clear"), QStringLiteral("m"));
        dlg.show();
        if (how == QLatin1String("enter")) {
            QTest::keyClick(&dlg, Qt::Key_Return);
        } else if (how == QLatin1String("escape")) {
            QTest::keyClick(&dlg, Qt::Key_Escape);
        } else {
            QTest::mouseClick(dlg.findChild<QPushButton*>(how), Qt::LeftButton);
        }
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), result);
    }
};

QTEST_MAIN(TestConfirmDlg)
#include "test_confirm_dlg.moc"
