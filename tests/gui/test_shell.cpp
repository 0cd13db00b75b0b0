#include "gui/GuiTestEnv.h"
#include "gui/controls/MessageBox.h"
#include "gui/shell/AboutDlg.h"
#include "gui/shell/PropSheet.h"
#include "gui/shell/RuvelDlg.h"
#include "gui/stores/Profile.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

class TestShell final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qApp->setQuitOnLastWindowClosed(false); }

    void sheetShowsTheFourPagesInOrder()
    {
        CPropSheet sheet;
        QCOMPARE(sheet.windowTitle(), QStringLiteral("Corvane Utility Software for CV 48x"));
        QTabWidget* tabs = sheet.Tabs();
        QCOMPARE(tabs->count(), 4);
        const QStringList expected{"IP Address", "Password", "Network Mode", " Serial   "};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(tabs->tabText(i), expected[i]);
        }
        QCOMPARE(tabs->currentIndex(), 0);
        QCOMPARE(tabs->currentWidget()->objectName(), QStringLiteral("ipPage"));
    }

    // Screen readers must meet an application window, not a "filler".
    void sheetPresentsItselfAsAWindow()
    {
        CPropSheet sheet;
        sheet.show();
        QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&sheet);
        QVERIFY(window);
        QCOMPARE(window->role(), QAccessible::Window);
        QCOMPARE(window->text(QAccessible::Name), QStringLiteral("Corvane Utility Software for CV 48x"));
    }

    void aboutEntryOpensTheAboutBoxAndReturnsToTheSamePage()
    {
        CPropSheet sheet;
        sheet.show();
        sheet.Tabs()->setCurrentIndex(2);
        QCOMPARE(sheet.AboutAction()->text(), QStringLiteral("About  Corvane (&A)..."));

        QString title;
        QStringList texts;
        QString button;
        QTimer::singleShot(0, this, [&] {
            QPointer<CAboutDlg> about = WaitForModal<CAboutDlg>();
            QVERIFY(about);
            title = about->windowTitle();
            for (const QLabel* label : about->findChildren<QLabel*>()) {
                if (!label->text().isEmpty()) {
                    texts << label->text();
                }
            }
            auto* ok = about->findChild<QPushButton*>(QStringLiteral("okButton"));
            QVERIFY(ok);
            button = ok->text();
            QVERIFY(ok->isDefault());
            QTest::mouseClick(ok, Qt::LeftButton);
        });
        sheet.AboutAction()->trigger();

        QCOMPARE(title, QStringLiteral("Corvane Utility for Windows Info."));
        QCOMPARE(texts, (QStringList{"Corvane Utility Software for CV 48x", "version 1.02"}));
        QCOMPARE(button, QStringLiteral("OK"));
        QVERIFY(!QApplication::activeModalWidget());
        QCOMPARE(sheet.Tabs()->currentIndex(), 2);
    }

    void closingTheSheetEndsWithStatus1()
    {
        CRuvelDlg host;
        GuiTestEnv env;
        host.OnInitDialog();
        QVERIFY(host.PropSheet().isVisible());
        QTimer::singleShot(0, &host.PropSheet(), &QWidget::close);
        QCOMPARE(QCoreApplication::exec(), 1);
    }

    void messageWithoutCaptionIsCaptionedWithTheApplicationName()
    {
        QString caption;
        const auto previous =
            CMessageBox::SetPresenter([&](QWidget*, const QString&, const QString& c) { caption = c; });
        CMessageBox::Show(nullptr, QStringLiteral("IP Cleared!"));
        CMessageBox::SetPresenter(previous);
        QCOMPARE(caption, QCoreApplication::applicationName());
        QCOMPARE(caption, QStringLiteral("gui_test_shell"));
    }

    // The real binary, started from a directory of its own, records that directory as "path".
    void startRecordsTheStartDirectoryInTheProfile_data()
    {
        QTest::addColumn<QString>("subdir");
        QTest::newRow("first directory") << QStringLiteral("first");
        QTest::newRow("another directory") << QStringLiteral("second dir");
    }

    void startRecordsTheStartDirectoryInTheProfile()
    {
        QFETCH(QString, subdir);
        QTemporaryDir config;
        QTemporaryDir work;
        QVERIFY(QDir(work.path()).mkpath(subdir));
        const QString startDir = QDir(work.path()).filePath(subdir);

        QProcess app;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("CORVANE_STARTUP_PROBE"), QStringLiteral("1"));
        app.setProcessEnvironment(env);
        app.setWorkingDirectory(startDir);
        app.start(QStringLiteral(CORVANE_APP), {});
        QVERIFY(app.waitForFinished(30000));
        QCOMPARE(app.exitCode(), 0);
        QVERIFY(app.readAllStandardOutput().startsWith("shown "));

        const QString file = config.filePath(QStringLiteral("Tamsel/Corvane.conf"));
        QVERIFY2(QFile::exists(file), qPrintable(file));
        QSettings profile(file, QSettings::NativeFormat);
        profile.beginGroup(QStringLiteral("Corvane Utility Software for CV 48x"));
        QCOMPARE(profile.value(QStringLiteral("path")).toString(), startDir);
    }
};

QTEST_MAIN(TestShell)
#include "test_shell.moc"
