// The three configuration pages without the network: what they show at first, how their fields
// follow one another, what they are named, and every refusal that comes before a socket is made.

#include "gui/GuiTestEnv.h"
#include "gui/MessageRecorder.h"

#include "core/stores/MacHistoryFDB.h"
#include "gui/controls/ColorStaticST.h"
#include "gui/controls/IPAddressField.h"
#include "gui/controls/MacAddrEdit.h"
#include "gui/controls/TimeEdit.h"
#include "gui/pages/NetworkModePage.h"
#include "gui/pages/PasswordPage.h"
#include "gui/pages/SerialPage.h"
#include "gui/stores/MacDBDlg.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolTip>

#include <functional>
#include <memory>

namespace {

using Messages = QList<MessageRecorder::Message>;
using Setup = std::function<void(CConfigPage&)>;

const MessageRecorder::Message kMacAllZero{"Input the MAC address.  Now is 00:00:00:00:00:00 !!", "Alert"};
const MessageRecorder::Message kEmptyField{"There is an EMPTY field !!", "Warnning!"};
const MessageRecorder::Message kNotConfirmed{
    "The password was not correctly confirmed. Please ensure that the password and confirmation match exactly.",
    "Check!!"};

std::unique_ptr<CConfigPage> MakePage(const QString& kind)
{
    if (kind == QLatin1String("password")) {
        return std::make_unique<CPasswordPage>();
    }
    if (kind == QLatin1String("network mode")) {
        return std::make_unique<CNetworkModePage>();
    }
    return std::make_unique<CSerialPage>();
}

template <class T = QWidget>
T* Child(const QWidget& page, const char* name)
{
    return page.findChild<T*>(QString::fromLatin1(name));
}

// The one widget of `page` with this accessible name, or null when there is none or several.
QWidget* Named(const QWidget& page, const QString& name)
{
    QWidget* found = nullptr;
    for (QWidget* widget : page.findChildren<QWidget*>()) {
        if (widget->accessibleName() == name) {
            if (found) {
                return nullptr;
            }
            found = widget;
        }
    }
    return found;
}

void SetMac55(CConfigPage& page)
{
    QVERIFY(page.MacEdit()->SetAddress({0x00, 0x11, 0x22, 0x33, 0x44, 0x55}));
}

void Type(CConfigPage& page, const char* field, const QString& text)
{
    Child<QLineEdit>(page, field)->setText(text);
}

void Check(CConfigPage& page, const char* box)
{
    QTest::mouseClick(Child<QCheckBox>(page, box), Qt::LeftButton);
}

QStringList Entries(const QComboBox* list)
{
    QStringList entries;
    for (int i = 0; i < list->count(); ++i) {
        entries << list->itemText(i);
    }
    return entries;
}

// Presses "History" on `page` and lets `act` work on the History dialog while it is open.
void RunHistory(CConfigPage& page, const std::function<void(CMacDBDlg&)>& act)
{
    bool seen = false;
    QTimer::singleShot(0, &page, [&] {
        QPointer<CMacDBDlg> history = WaitForModal<CMacDBDlg>();
        QVERIFY(history);
        seen = true;
        act(*history);
    });
    QTest::mouseClick(Child<QPushButton>(page, "historyButton"), Qt::LeftButton);
    QVERIFY(seen);
}

} // namespace

Q_DECLARE_METATYPE(Setup)

class TestConfigPages final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qApp->setQuitOnLastWindowClosed(false);
        QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
    }

    void everyPage_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("password") << "password";
        QTest::newRow("network mode") << "network mode";
        QTest::newRow("serial") << "serial";
    }

    void startsBroadcastingAndTheUnicastFlagFollowsTheDestination_data() { everyPage_data(); }
    void startsBroadcastingAndTheUnicastFlagFollowsTheDestination()
    {
        QFETCH(QString, kind);
        GuiTestEnv env;
        const auto page = MakePage(kind);
        CIPAddressField* destination = page->DestinationField();
        QCOMPARE(destination->Text(), QStringLiteral("255.255.255.255"));
        QVERIFY(!page->IsUnicast());
        QCOMPARE(page->MacEdit()->text(), QStringLiteral("00:00:00:00:00:00"));
        QCOMPARE(page->MacEdit()->BkColor(), QColor(Qt::white));
        QCOMPARE(page->MacEdit()->TextColor(), QColor(Qt::black));
        QVERIFY(page->SendButton()->isDefault());

        destination->SetAddress({10, 0, 0, 5});
        QVERIFY(page->IsUnicast());
        destination->SetAddress({255, 255, 255, 255});
        QVERIFY(!page->IsUnicast());
        // Cleared, it reads 0.0.0.0: a single address.
        destination->ClearAddress();
        QVERIFY(page->IsUnicast());
        for (int i = 0; i < 4; ++i) {
            QTest::keyClicks(destination->Octet(i), QStringLiteral("255"));
        }
        QCOMPARE(destination->Text(), QStringLiteral("255.255.255.255"));
        QVERIFY(!page->IsUnicast());
    }

    void controlsAreNamedAfterTheirLabels_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QStringList>("names");
        const QStringList band{"MAC", "Destination IP", "History", "Delete History", "Send"};
        QTest::newRow("password") << "password" << band + QStringList{"Current ID",   "Current Password", "New ID",
                                                                      "New Password", "Confirm Password", "Change"};
        QTest::newRow("network mode") << "network mode"
                                      << band + QStringList{"IP Mode",     "TCP Mode", "CV PORT",      "Server IP",
                                                            "Server PORT", "IP",       "Time Interval"};
        QTest::newRow("serial")
            << "serial"
            << band +
                   QStringList{"Baud", "Parity", "Data Bits", "Stopbit", "Handshake", "Time", "Serial Time Unlimited"};
    }

    void controlsAreNamedAfterTheirLabels()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, names);
        GuiTestEnv env;
        const auto page = MakePage(kind);
        page->show();
        for (const QString& name : names) {
            QWidget* control = Named(*page, name);
            QVERIFY2(control, qPrintable(QStringLiteral("no single control named \"%1\"").arg(name)));
            QVERIFY2(!control->inherits("QLabel"), qPrintable(name));
            if (auto* ip = qobject_cast<CIPAddressField*>(control)) {
                QVERIFY(Named(*page, name + QStringLiteral(" octet 4")) == ip->Octet(3));
            }
        }
        // The MAC edit reads out what it shows.
        QVERIFY(page->MacEdit()->SetAddress({0, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E}));
        QAccessibleInterface* mac = QAccessible::queryAccessibleInterface(page->MacEdit());
        QCOMPARE(mac->text(QAccessible::Value), QStringLiteral("00:0A:1B:2C:3D:4E"));
        QCOMPARE(mac->text(QAccessible::Name), QStringLiteral("MAC"));
    }

    void listsHoldTheirEntriesAndStartAtTheStoredChoice_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("current");
        QTest::newRow("IP Mode") << "network mode"
                                 << "ipMode" << QStringList{"Static IP", "Dynamic IP"} << 0;
        QTest::newRow("TCP Mode") << "network mode"
                                  << "tcpMode" << QStringList{"Server", "Client", "Server & Client"} << 0;
        QTest::newRow("Baud") << "serial"
                              << "baud" << QStringList{"150",  "300",  "600",   "1200",  "2400",  "3600",  "4800",
                                                       "7200", "9600", "19200", "38400", "57600", "115200"}
                              << 8;
        QTest::newRow("Parity") << "serial"
                                << "parity" << QStringList{"NONE", "ODD", "EVEN"} << 0;
        QTest::newRow("Data Bits") << "serial"
                                   << "dataBits" << QStringList{"5 bits", "6 bits", "7 bits", "8 bits"} << 3;
        QTest::newRow("Stopbit") << "serial"
                                 << "stopBits" << QStringList{"1", "1 1/2", "2"} << 0;
        QTest::newRow("Handshake") << "serial"
                                   << "handshake" << QStringList{"NONE", "Hardware", "XON/XOFF"} << 0;
    }

    void listsHoldTheirEntriesAndStartAtTheStoredChoice()
    {
        QFETCH(QString, kind);
        QFETCH(QString, list);
        QFETCH(QStringList, entries);
        QFETCH(int, current);
        GuiTestEnv env;
        const auto page = MakePage(kind);
        const auto* combo = Child<QComboBox>(*page, qPrintable(list));
        QCOMPARE(Entries(combo), entries);
        QCOMPARE(combo->currentIndex(), current);
    }

    void networkModeStartsWithItsValues()
    {
        GuiTestEnv env;
        CNetworkModePage page;
        QCOMPARE(Child<QLineEdit>(page, "devicePort")->text(), QStringLiteral("6001"));
        QCOMPARE(Child<QLineEdit>(page, "serverPort")->text(), QStringLiteral("6001"));
        QVERIFY(Child<CIPAddressField>(page, "serverIP")->IsBlank());
        QVERIFY(Child<CIPAddressField>(page, "dataServerIP")->IsBlank());
        auto* time = Child<CTimeEdit>(page, "notifierTime");
        QCOMPARE(time->text(), QStringLiteral(" 0 (h) 05 (min) "));
        QCOMPARE(time->BkColor(), QColor(Qt::white));
        QCOMPARE(time->TextColor(), QColor(Qt::black));
    }

    void networkModeEnablesTheFieldsTheTcpModeUses_data()
    {
        QTest::addColumn<int>("tcpMode");
        QTest::addColumn<bool>("remote");
        QTest::newRow("Server") << 0 << false;
        QTest::newRow("Client") << 1 << true;
        QTest::newRow("Server & Client") << 2 << true;
    }

    void networkModeEnablesTheFieldsTheTcpModeUses()
    {
        QFETCH(int, tcpMode);
        QFETCH(bool, remote);
        GuiTestEnv env;
        CNetworkModePage page;
        auto* serverIp = Child<CIPAddressField>(page, "serverIP");
        auto* list = Child<QComboBox>(page, "tcpMode");
        list->setCurrentIndex(1);
        serverIp->SetAddress({10, 0, 0, 2});
        list->setCurrentIndex(tcpMode);
        const auto label = [&](QWidget* field) {
            for (auto* l : page.findChildren<QLabel*>()) {
                if (l->buddy() == field) {
                    return l;
                }
            }
            return static_cast<QLabel*>(nullptr);
        };
        QWidget* devicePort = Child(page, "devicePort");
        QWidget* serverPort = Child(page, "serverPort");
        QVERIFY(devicePort->isEnabled() && label(devicePort)->isEnabled());
        QCOMPARE(serverIp->isEnabled(), remote);
        QCOMPARE(label(serverIp)->isEnabled(), remote);
        QCOMPARE(serverPort->isEnabled(), remote);
        QCOMPARE(label(serverPort)->isEnabled(), remote);
        // Disabled fields keep what they hold.
        QCOMPARE(serverIp->Text(), QStringLiteral("10.0.0.2"));
    }

    void serialTimeUnlimitedWritesMinusOneAndUncheckedFour()
    {
        GuiTestEnv env;
        CSerialPage page;
        auto* time = Child<QLineEdit>(page, "serialTime");
        QCOMPARE(time->text(), QStringLiteral("4"));
        time->setText(QStringLiteral("50"));
        Check(page, "serialTimeUnlimited");
        QCOMPARE(time->text(), QStringLiteral("-1"));
        QVERIFY(!time->isEnabled());
        QCOMPARE(page.m_nSerialTime, -1);
        Check(page, "serialTimeUnlimited");
        // The 50 typed before is not brought back.
        QCOMPARE(time->text(), QStringLiteral("4"));
        QVERIFY(time->isEnabled());
        QCOMPARE(page.m_nSerialTime, 4);
    }

    void passwordModeCaptionAndFieldsFollowTheChangeBox()
    {
        GuiTestEnv env;
        CPasswordPage page;
        auto* caption = Child<CColorStaticST>(page, "modeCaption");
        const QPalette tips = QToolTip::palette();
        QCOMPARE(caption->TextColor(), tips.color(QPalette::ToolTipText));
        QCOMPARE(caption->BkColor(), tips.color(QPalette::ToolTipBase));
        QCOMPARE(Child<QCheckBox>(page, "changeCheck")->text(), QStringLiteral("Change "));
        const QList<QLineEdit*> changeFields{Child<QLineEdit>(page, "newId"), Child<QLineEdit>(page, "newPassword"),
                                             Child<QLineEdit>(page, "confirmPassword")};
        for (const char* name : {"currentId", "currentPassword", "newId", "newPassword", "confirmPassword"}) {
            QCOMPARE(Child<QLineEdit>(page, name)->maxLength(), 8);
        }
        QCOMPARE(Child<QLineEdit>(page, "currentPassword")->echoMode(), QLineEdit::Password);

        QCOMPARE(caption->text(), QStringLiteral("Confirm Password"));
        for (QLineEdit* field : changeFields) {
            QVERIFY(!field->isEnabled());
        }
        Check(page, "changeCheck");
        QVERIFY(page.IsChangeMode());
        QCOMPARE(caption->text(), QStringLiteral("Change Password"));
        for (QLineEdit* field : changeFields) {
            QVERIFY(field->isEnabled());
            field->setText(QStringLiteral("x"));
        }
        Check(page, "changeCheck");
        QVERIFY(!page.IsChangeMode());
        QCOMPARE(caption->text(), QStringLiteral("Confirm Password"));
        for (QLineEdit* field : changeFields) {
            QVERIFY(!field->isEnabled());
            QCOMPARE(field->text(), QStringLiteral("x"));
        }
    }

    void refusalsComeBeforeAnySocket_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<Setup>("setup");
        QTest::addColumn<Messages>("messages");
        const Setup nothing = [](CConfigPage&) {};
        QTest::newRow("password, MAC all zero") << "password" << nothing << Messages{kMacAllZero};
        QTest::newRow("network mode, MAC all zero") << "network mode" << nothing << Messages{kMacAllZero};
        QTest::newRow("serial, MAC all zero") << "serial" << nothing << Messages{kMacAllZero};

        QTest::newRow("confirm without a password") << "password" << Setup([](CConfigPage& p) {
            SetMac55(p);
            Type(p, "currentId", "abc");
        }) << Messages{kEmptyField};
        QTest::newRow("change without a new ID") << "password" << Setup([](CConfigPage& p) {
            SetMac55(p);
            Check(p, "changeCheck");
            Type(p, "currentId", "abc");
            Type(p, "currentPassword", "pw");
            Type(p, "newPassword", "new");
            Type(p, "confirmPassword", "new");
        }) << Messages{kEmptyField};
        QTest::newRow("change not confirmed") << "password" << Setup([](CConfigPage& p) {
            SetMac55(p);
            Check(p, "changeCheck");
            Type(p, "currentId", "abc");
            Type(p, "currentPassword", "pw");
            Type(p, "newId", "abc");
            Type(p, "newPassword", "new");
            Type(p, "confirmPassword", "New");
        }) << Messages{kNotConfirmed};
        // What was typed for a change still counts after the box is unchecked.
        QTest::newRow("confirm after an unconfirmed change was typed") << "password" << Setup([](CConfigPage& p) {
            SetMac55(p);
            Check(p, "changeCheck");
            Type(p, "newPassword", "new");
            Check(p, "changeCheck");
            Type(p, "currentId", "abc");
            Type(p, "currentPassword", "pw");
        }) << Messages{kNotConfirmed};

        const auto networkMode = [](CConfigPage& p) {
            SetMac55(p);
            Child<CIPAddressField>(p, "dataServerIP")->SetAddress({10, 0, 0, 3});
        };
        QTest::newRow("client without a remote server") << "network mode" << Setup([networkMode](CConfigPage& p) {
            networkMode(p);
            Child<QComboBox>(p, "tcpMode")->setCurrentIndex(1);
        }) << Messages{{"Input the Remote Server IP address.  Now is 0.0.0.0!!", "Alert"}};
        QTest::newRow("no data server, whatever the mode") << "network mode" << Setup(SetMac55)
                                                           << Messages{{"Input the Data Server IP address.  Now is "
                                                                        "0.0.0.0!!",
                                                                        "Alert"}};
        QTest::newRow("notifier typed as 7 hours") << "network mode" << Setup([networkMode](CConfigPage& p) {
            networkMode(p);
            auto* time = Child<CTimeEdit>(p, "notifierTime");
            time->SetCurrentField(0);
            QTest::keyClick(time, Qt::Key_7);
        }) << Messages{{"Out of Range - The maximum notifier time is 6 hours !!", "Alert"}};
        QTest::newRow("notifier 6 h 1 min") << "network mode" << Setup([networkMode](CConfigPage& p) {
            networkMode(p);
            QVERIFY(Child<CTimeEdit>(p, "notifierTime")->SetTime(6, 1));
        }) << Messages{{"Out of Range - The maximum notifier time is 6 hours !!", "Alert"}};
        QTest::newRow("device port 1999") << "network mode" << Setup([networkMode](CConfigPage& p) {
            networkMode(p);
            Type(p, "devicePort", "1999");
        }) << Messages{{"The Port must be bigger than 2000!!", "Alert"}};
        QTest::newRow("device port 65536") << "network mode" << Setup([networkMode](CConfigPage& p) {
            networkMode(p);
            Type(p, "devicePort", "65536");
        }) << Messages{{"The Port must be smaller than 65536!!", "Alert"}};
        // The number field that holds no number keeps its value, and the checks go on with it.
        QTest::newRow("port that is no number, then no data server")
            << "network mode" << Setup([](CConfigPage& p) {
                   SetMac55(p);
                   Type(p, "devicePort", "abc");
               })
            << Messages{{"Please enter an integer.", "Corvane"},
                        {"Input the Data Server IP address.  Now is 0.0.0.0!!", "Alert"}};

        for (const QString time : {"1", "101", "0", "-2"}) {
            QTest::addRow("serial time %s", qPrintable(time))
                << "serial" << Setup([time](CConfigPage& p) { SetMac55(p), Type(p, "serialTime", time); })
                << Messages{{"The time is out of range(2-100).", "Check!!"}};
        }
    }

    void refusalsComeBeforeAnySocket()
    {
        QFETCH(QString, kind);
        QFETCH(Setup, setup);
        QFETCH(Messages, messages);
        GuiTestEnv env;
        const auto page = MakePage(kind);
        page->show();
        setup(*page);
        MessageRecorder recorder;
        QTest::mouseClick(page->SendButton(), Qt::LeftButton);
        QCOMPARE(recorder.Messages(), messages);
        QVERIFY(!page->IsValidated());
        QVERIFY(!page->Socket());
        QVERIFY(!QFile::exists(env.StoreFile(QStringLiteral("mach.ini"))));
    }

    void anAllZeroMacIsShownAgainAsZeros()
    {
        GuiTestEnv env;
        CNetworkModePage page;
        Type(page, "devicePort", "7000");
        MessageRecorder recorder;
        QTest::mouseClick(page.SendButton(), Qt::LeftButton);
        QCOMPARE(recorder.Messages(), Messages{kMacAllZero});
        QCOMPARE(page.MacEdit()->text(), QStringLiteral("00:00:00:00:00:00"));
        QCOMPARE(page.m_nDevicePort, 7000);
    }

    // History puts the picked MAC in and shows the values the page last read again: the current ID
    // and password typed since are gone (nothing was read yet, so they are empty).
    void historyPicksAMacAndShowsTheLastReadValuesAgain()
    {
        GuiTestEnv env;
        CMacHistoryFDB::Remember({0x11, 0x22, 0x33, 0x44, 0x55, 0x66});
        CMacHistoryFDB::Remember({0, 1, 162, 179, 196, 213});
        CPasswordPage page;
        page.show();
        Type(page, "currentId", "abc");
        Type(page, "currentPassword", "pw");
        RunHistory(page, [](CMacDBDlg& history) {
            QListWidget* list = history.List();
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
        });
        QCOMPARE(page.MacEdit()->GetAddressText(), QStringLiteral("11:22:33:44:55:66"));
        QCOMPARE(Child<QLineEdit>(page, "currentId")->text(), QString());
        QCOMPARE(Child<QLineEdit>(page, "currentPassword")->text(), QString());

        RunHistory(page, [](CMacDBDlg& history) { history.reject(); });
        QCOMPARE(page.MacEdit()->GetAddressText(), QStringLiteral("00:00:00:00:00:00"));
    }

    void deleteHistoryEmptiesTheHistoryWithoutAsking()
    {
        GuiTestEnv env;
        CMacHistoryFDB::Remember({0x11, 0x22, 0x33, 0x44, 0x55, 0x66});
        CSerialPage page;
        MessageRecorder recorder;
        QTest::mouseClick(Child<QPushButton>(page, "deleteHistoryButton"), Qt::LeftButton);
        QFile file(env.StoreFile(QStringLiteral("mach.ini")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray());
        QCOMPARE(recorder.Count(), 0);
    }

    void enterSends_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("field");
        QTest::newRow("password, in Current ID") << "password"
                                                 << "currentId";
        QTest::newRow("password, in the MAC") << "password"
                                              << "macEdit";
        QTest::newRow("password, on History") << "password"
                                              << "historyButton";
        QTest::newRow("network mode, in CV PORT") << "network mode"
                                                  << "devicePort";
        QTest::newRow("serial, in Time") << "serial"
                                         << "serialTime";
    }

    void enterSends()
    {
        QFETCH(QString, kind);
        QFETCH(QString, field);
        GuiTestEnv env;
        const auto page = MakePage(kind);
        page->show();
        QApplication::setActiveWindow(page.get());
        QVERIFY(QTest::qWaitForWindowActive(page.get()));
        QWidget* target = Child(*page, qPrintable(field));
        target->setFocus();
        MessageRecorder recorder;
        QTest::keyClick(target, Qt::Key_Return);
        // The all-zero MAC shows that Send ran, once.
        QCOMPARE(recorder.Messages(), Messages{kMacAllZero});
        if (kind == QLatin1String("password")) {
            QCOMPARE(QApplication::focusWidget(), page->SendButton());
        }
    }
};

QTEST_MAIN(TestConfigPages)
#include "test_config_pages.moc"
