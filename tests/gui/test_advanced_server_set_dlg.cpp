// The Advanced Server Setting dialog and its address dialog: the router list operations, what OK
// writes to "adsvr.ini" and what Cancel leaves, and the address check. The host's address comes from
// a fixed provider; nothing here opens a socket.

#include "gui/GuiTestEnv.h"
#include "gui/MessageRecorder.h"

#include "core/stores/StoreLock.h"
#include "gui/controls/IPAddressField.h"
#include "gui/dhcp/AdvancedServerSetDlg.h"
#include "gui/dhcp/IPInputDlg.h"
#include "net/dhcp/HostAddress.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <optional>

namespace {

using Messages = QList<MessageRecorder::Message>;
using Ipv4 = std::array<std::uint8_t, 4>;

} // namespace

Q_DECLARE_METATYPE(Ipv4)

namespace {

const QByteArray kTwoRouters = "[Router]\nnumber = 2\n10.0.0.1\n10.0.0.2\n\n[DNS]\nnumber = 1\n8.8.8.8\n\n"
                               "[NetBios]\nnumber = 1\n10.0.0.50\n\n[Server IP]\n1 10.0.0.9\n\n[Domain Name]\n"
                               "1 example\n\n[Lease Time]\n3600\n";

QByteArray SettingsWithRouters(int count)
{
    QByteArray text = "[Router]\nnumber = " + QByteArray::number(count) + "\n";
    for (int i = 0; i < count; ++i) {
        text += "10.0.1." + QByteArray::number(i + 1) + "\n";
    }
    return text + "\n[DNS]\nnumber = 0\n\n[NetBios]\nnumber = 0\n\n[Server IP]\n0 \n\n[Domain Name]\n0 \n\n"
                  "[Lease Time]\n0\n";
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// While it lives, the host's own address is `address` (none when empty).
class FixedHost
{
public:
    explicit FixedHost(std::optional<Ipv4> address)
    {
        m_previous = CHostAddress::SetProvider([address](int) { return address; });
    }
    ~FixedHost() { CHostAddress::SetProvider(m_previous); }
    FixedHost(const FixedHost&) = delete;
    FixedHost& operator=(const FixedHost&) = delete;

private:
    CHostAddress::Provider m_previous;
};

QStringList Rows(const CAdvancedServerSetDlg& dlg)
{
    QStringList rows;
    for (int r = 0; r < dlg.RouterList()->rowCount(); ++r) {
        rows << dlg.RouterList()->item(r, 0)->text();
    }
    return rows;
}

QStringList Routers(const CAdvancedServerSetDlg& dlg)
{
    QStringList routers;
    for (int i = 0; i < dlg.m_settings.GetRouterCount(); ++i) {
        routers << QString::fromStdString(dlg.m_settings.GetRouter(i));
    }
    return routers;
}

QPushButton* Button(const QWidget& dlg, const char* name)
{
    return dlg.findChild<QPushButton*>(QString::fromLatin1(name));
}

// A click on row `row` of the list; -1 clicks the empty area below the rows.
void ClickRow(CAdvancedServerSetDlg& dlg, int row)
{
    ClickTableRow(dlg.RouterList(), row, 0);
}

// Presses `button` of the settings dialog; the address dialog it opens gets `address` and OK, or
// Cancel when `address` is empty. Returns the address dialog's title, button text and the address
// it showed, or an empty list when none opened.
QStringList RunInput(CAdvancedServerSetDlg& dlg, const char* button, const QString& address)
{
    QStringList seen;
    // The action runs only inside the address dialog's event loop: when no dialog opens, the timer
    // goes with `context`.
    QObject context;
    QTimer::singleShot(0, &context, [&] {
        QPointer<CIPInputDlg> input = WaitForModal<CIPInputDlg>(1000);
        if (!input) {
            return;
        }
        seen << input->windowTitle() << Button(*input, "okButton")->text() << input->AddressField()->Text();
        if (address.isEmpty()) {
            QTest::mouseClick(Button(*input, "cancelButton"), Qt::LeftButton);
            return;
        }
        const QStringList parts = address.split(QLatin1Char('.'));
        input->AddressField()->SetAddress(
            {static_cast<std::uint8_t>(parts[0].toInt()), static_cast<std::uint8_t>(parts[1].toInt()),
             static_cast<std::uint8_t>(parts[2].toInt()), static_cast<std::uint8_t>(parts[3].toInt())});
        QTest::mouseClick(Button(*input, "okButton"), Qt::LeftButton);
    });
    QTest::mouseClick(Button(dlg, button), Qt::LeftButton);
    // Whatever happened, no address dialog is left open.
    if (auto* left = qobject_cast<CIPInputDlg*>(QApplication::activeModalWidget())) {
        left->reject();
    }
    return seen;
}

} // namespace

class TestAdvancedServerSetDlg final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qApp->setQuitOnLastWindowClosed(false);
        QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
    }

    void opensWithTheRoutersAndTheHostAddress()
    {
        GuiTestEnv env;
        WriteFile(env.StoreFile("adsvr.ini"), kTwoRouters);
        FixedHost host(Ipv4{192, 168, 5, 9});
        MessageRecorder messages;
        CAdvancedServerSetDlg dlg;
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Advanced Server Setting"));
        QCOMPARE(Rows(dlg), (QStringList{"10.0.0.1", "10.0.0.2"}));
        QCOMPARE(dlg.RouterList()->accessibleName(), QStringLiteral("Router"));
        QCOMPARE(dlg.RouterList()->columnCount(), 1);
        QCOMPARE(dlg.RouterList()->columnWidth(0), 300);
        QVERIFY(dlg.RouterList()->horizontalHeader()->isHidden());
        QCOMPARE(dlg.ServerIPField()->Text(), QStringLiteral("192.168.5.9"));
        QVERIFY(!dlg.ServerIPField()->isEnabled());
        QCOMPARE(dlg.ServerIPField()->accessibleName(), QStringLiteral("DHCP Server IP"));
        QStringList captions;
        for (const char* name : {"addButton", "editButton", "removeButton", "okButton", "cancelButton"}) {
            captions << Button(dlg, name)->text();
        }
        QCOMPARE(captions, (QStringList{"ADD", "Edit", "Remove", "OK", "Cancel"}));
        QCOMPARE(dlg.m_nSelRouter, -1);
        QCOMPARE(messages.Count(), 0);
    }

    void withoutAHostAddressSaysSoAndShowsZeros()
    {
        GuiTestEnv env;
        FixedHost host(std::nullopt);
        MessageRecorder messages;
        CAdvancedServerSetDlg dlg;
        dlg.show();
        QCOMPARE(messages.Messages(), (Messages{{"Can not get the host ip!", "Corvane"}}));
        QCOMPARE(dlg.ServerIPField()->Text(), QStringLiteral("0.0.0.0"));
        QCOMPARE(dlg.RouterList()->rowCount(), 0);
    }

    // Each case starts from the routers 10.0.0.1 and 10.0.0.2. `click` is the row clicked first (-1:
    // the empty area, -2: no click); an empty `address` cancels the address dialog.
    void routerOperations_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("click");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<Messages>("messages");

        const QStringList both{"10.0.0.1", "10.0.0.2"};
        const Messages none;
        const Messages select{{"Select the item in the list!!", "retry"}};
        QTest::newRow("add appends") << "addButton" << -2 << "10.0.0.3"
                                     << QStringList{"10.0.0.1", "10.0.0.2", "10.0.0.3"} << none;
        QTest::newRow("add of a router already there")
            << "addButton" << -2 << "10.0.0.2" << both << Messages{{"there is same router !!", "input error"}};
        QTest::newRow("add cancelled") << "addButton" << -2 << "" << both << none;
        QTest::newRow("edit moves the router to the end")
            << "editButton" << 0 << "10.0.0.3" << QStringList{"10.0.0.2", "10.0.0.3"} << none;
        QTest::newRow("edit to another router")
            << "editButton" << 1 << "10.0.0.1" << both << Messages{{"there is same router !!", "warning"}};
        QTest::newRow("edit left unchanged")
            << "editButton" << 0 << "10.0.0.1" << both << Messages{{"there is same router !!", "warning"}};
        QTest::newRow("edit cancelled") << "editButton" << 0 << "" << both << none;
        QTest::newRow("edit without a click") << "editButton" << -2 << "10.0.0.3" << both << select;
        QTest::newRow("edit after a click beside the rows") << "editButton" << -1 << "10.0.0.3" << both << select;
        QTest::newRow("remove") << "removeButton" << 0 << "" << QStringList{"10.0.0.2"} << none;
        QTest::newRow("remove without a click") << "removeButton" << -2 << "" << both << select;
    }

    void routerOperations()
    {
        QFETCH(QString, button);
        QFETCH(int, click);
        QFETCH(QString, address);
        QFETCH(QStringList, rows);
        QFETCH(Messages, messages);
        GuiTestEnv env;
        WriteFile(env.StoreFile("adsvr.ini"), kTwoRouters);
        FixedHost host(Ipv4{192, 168, 5, 9});
        CAdvancedServerSetDlg dlg;
        dlg.show();
        if (click != -2) {
            ClickRow(dlg, click);
        }
        MessageRecorder recorder;
        RunInput(dlg, qPrintable(button), address);
        QCOMPARE(recorder.Messages(), messages);
        QCOMPARE(Rows(dlg), rows);
        QCOMPARE(Routers(dlg), rows);
        // Nothing reaches the file before OK.
        QCOMPARE(ReadFile(env.StoreFile("adsvr.ini")), kTwoRouters);
    }

    void editOrRemoveTwiceAfterOneClick_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("edit") << "editButton" << QStringList{"10.0.0.1", "10.0.0.3"};
        QTest::newRow("remove") << "removeButton" << QStringList{"10.0.0.1"};
    }

    void editOrRemoveTwiceAfterOneClick()
    {
        QFETCH(QString, button);
        QFETCH(QStringList, rows);
        GuiTestEnv env;
        WriteFile(env.StoreFile("adsvr.ini"), kTwoRouters);
        FixedHost host(Ipv4{192, 168, 5, 9});
        CAdvancedServerSetDlg dlg;
        dlg.show();
        ClickRow(dlg, 1);
        MessageRecorder recorder;
        RunInput(dlg, qPrintable(button), QStringLiteral("10.0.0.3"));
        QCOMPARE(recorder.Count(), 0);
        QCOMPARE(dlg.m_nSelRouter, -1);
        // The second press opens no address dialog.
        QCOMPARE(RunInput(dlg, qPrintable(button), QStringLiteral("10.0.0.4")), QStringList());
        QCOMPARE(recorder.Messages(), (Messages{{"Select the item in the list!!", "retry"}}));
        QCOMPARE(Rows(dlg), rows);
    }

    void addAndEditShowTheirAddressDialog()
    {
        GuiTestEnv env;
        WriteFile(env.StoreFile("adsvr.ini"), kTwoRouters);
        FixedHost host(Ipv4{192, 168, 5, 9});
        CAdvancedServerSetDlg dlg;
        dlg.show();
        QCOMPARE(RunInput(dlg, "addButton", QString()), (QStringList{"Router Add", "Add", "0.0.0.0"}));
        ClickRow(dlg, 1);
        QCOMPARE(RunInput(dlg, "editButton", QString()), (QStringList{"Router Edit", "Edit", "10.0.0.2"}));
    }

    void cancelLeavesTheFileUnchanged()
    {
        GuiTestEnv env;
        WriteFile(env.StoreFile("adsvr.ini"), kTwoRouters);
        FixedHost host(Ipv4{192, 168, 5, 9});
        CAdvancedServerSetDlg dlg;
        dlg.show();
        RunInput(dlg, "addButton", QStringLiteral("10.0.0.3"));
        ClickRow(dlg, 0);
        RunInput(dlg, "removeButton", QString());
        QCOMPARE(Rows(dlg), (QStringList{"10.0.0.2", "10.0.0.3"}));
        QTest::mouseClick(Button(dlg, "cancelButton"), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(ReadFile(env.StoreFile("adsvr.ini")), kTwoRouters);
    }

    // The DNS and NetBIOS entries stay as the file has them.
    void okWritesRoutersHostAddressRemovedAndAnUnlimitedLease()
    {
        GuiTestEnv env;
        WriteFile(env.StoreFile("adsvr.ini"), kTwoRouters);
        FixedHost host(Ipv4{192, 168, 5, 9});
        MessageRecorder messages;
        CAdvancedServerSetDlg dlg;
        dlg.show();
        RunInput(dlg, "addButton", QStringLiteral("172.16.0.1"));
        QTest::mouseClick(Button(dlg, "okButton"), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(messages.Count(), 0);
        QCOMPARE(ReadFile(env.StoreFile("adsvr.ini")),
                 QByteArray("[Router]\nnumber = 3\n10.0.0.1\n10.0.0.2\n172.16.0.1\n\n[DNS]\nnumber = 1\n8.8.8.8\n\n"
                            "[NetBios]\nnumber = 1\n10.0.0.50\n\n[Server IP]\n1 192.168.5.9\n\n[Domain Name]\n"
                            "1 removed\n\n[Lease Time]\n-1\n"));
    }

    // Another window changed the settings while the dialog was open: OK makes the dialog's router
    // changes to the file as it is then, and what the other window wrote stays.
    void okMakesTheRouterChangesToTheFileAsItIsNow()
    {
        GuiTestEnv env;
        WriteFile(env.StoreFile("adsvr.ini"), kTwoRouters);
        FixedHost host(Ipv4{192, 168, 5, 9});
        MessageRecorder messages;
        CAdvancedServerSetDlg dlg;
        dlg.show();
        RunInput(dlg, "addButton", QStringLiteral("172.16.0.1"));
        ClickRow(dlg, 0);
        RunInput(dlg, "editButton", QStringLiteral("10.0.0.5"));
        ClickRow(dlg, 0);
        RunInput(dlg, "removeButton", QString());
        QCOMPARE(Rows(dlg), (QStringList{"172.16.0.1", "10.0.0.5"}));

        CAdvancedServerDB other;
        QVERIFY(other.Update([](CAdvancedServerDB& settings) {
            settings.AddRouter("10.0.0.7");
            settings.SetDomainName("other");
            return true;
        }));
        QTest::mouseClick(Button(dlg, "okButton"), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(messages.Count(), 0);
        QCOMPARE(ReadFile(env.StoreFile("adsvr.ini")),
                 QByteArray("[Router]\nnumber = 3\n10.0.0.7\n172.16.0.1\n10.0.0.5\n\n[DNS]\nnumber = 1\n8.8.8.8\n\n"
                            "[NetBios]\nnumber = 1\n10.0.0.50\n\n[Server IP]\n1 192.168.5.9\n\n[Domain Name]\n"
                            "1 removed\n\n[Lease Time]\n-1\n"));
    }

    // Another program holds the settings' lock: after two seconds OK says so and the dialog stays
    // open with its list; once the lock is free, OK writes.
    void okWhileAnotherProgramHoldsTheLockIsRefused()
    {
        GuiTestEnv env;
        WriteFile(env.StoreFile("adsvr.ini"), kTwoRouters);
        FixedHost host(Ipv4{192, 168, 5, 9});
        MessageRecorder messages;
        CAdvancedServerSetDlg dlg;
        dlg.show();
        RunInput(dlg, "addButton", QStringLiteral("172.16.0.1"));
        {
            const CStoreLock other(CAdvancedServerDB().LockPath());
            QTest::mouseClick(Button(dlg, "okButton"), Qt::LeftButton);
        }
        QCOMPARE(messages.Messages(), (Messages{{"Can't write " + env.StoreFile("adsvr.ini") +
                                                     " !!\nAnother program is using it; try again.",
                                                 "Error"}}));
        QVERIFY(dlg.isVisible());
        QCOMPARE(Rows(dlg), (QStringList{"10.0.0.1", "10.0.0.2", "172.16.0.1"}));
        QCOMPARE(ReadFile(env.StoreFile("adsvr.ini")), kTwoRouters);

        QTest::mouseClick(Button(dlg, "okButton"), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(
            ReadFile(env.StoreFile("adsvr.ini")).startsWith("[Router]\nnumber = 3\n10.0.0.1\n10.0.0.2\n172.16.0.1\n"));
    }

    void okWithoutARouterIsRefused()
    {
        GuiTestEnv env;
        FixedHost host(Ipv4{192, 168, 5, 9});
        MessageRecorder messages;
        CAdvancedServerSetDlg dlg;
        dlg.show();
        QTest::mouseClick(Button(dlg, "okButton"), Qt::LeftButton);
        QCOMPARE(messages.Messages(), (Messages{{"At least a ROUTER is needed. Add the router.", "Check Router"}}));
        QVERIFY(dlg.isVisible());
        QVERIFY(!QFile::exists(env.StoreFile("adsvr.ini")));
    }

    // An option carries at most 63 addresses: a 64th router could not reach the clients.
    void routersStopAt63_data()
    {
        QTest::addColumn<int>("present");
        QTest::addColumn<int>("rows");
        QTest::addColumn<bool>("dialogOpened");
        QTest::addColumn<Messages>("messages");
        QTest::newRow("62 present: the 63rd is added") << 62 << 63 << true << Messages{};
        QTest::newRow("63 present: the 64th is refused")
            << 63 << 63 << false
            << Messages{{"No more than 63 routers can be handed to the clients !!", "input error"}};
    }

    void routersStopAt63()
    {
        QFETCH(int, present);
        QFETCH(int, rows);
        QFETCH(bool, dialogOpened);
        QFETCH(Messages, messages);
        GuiTestEnv env;
        WriteFile(env.StoreFile("adsvr.ini"), SettingsWithRouters(present));
        FixedHost host(Ipv4{192, 168, 5, 9});
        CAdvancedServerSetDlg dlg;
        dlg.show();
        MessageRecorder recorder;
        QCOMPARE(!RunInput(dlg, "addButton", QStringLiteral("10.0.2.1")).isEmpty(), dialogOpened);
        QCOMPARE(recorder.Messages(), messages);
        QCOMPARE(dlg.RouterList()->rowCount(), rows);
        QCOMPARE(dlg.m_settings.GetRouterCount(), rows);
    }

    void inputDialogShowsItsMode_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("initial");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("shown");
        QTest::newRow("add") << int(CIPInputDlg::kAdd) << "10.0.0.1"
                             << "Add"
                             << "0.0.0.0";
        QTest::newRow("edit") << int(CIPInputDlg::kEdit) << "10.0.0.1"
                              << "Edit"
                              << "10.0.0.1";
        QTest::newRow("edit of a padded text") << int(CIPInputDlg::kEdit) << "192.168.  1. 10"
                                               << "Edit"
                                               << "192.168.1.10";
        QTest::newRow("remove") << int(CIPInputDlg::kRemove) << "10.0.0.1"
                                << "Remove"
                                << "0.0.0.0";
    }

    void inputDialogShowsItsMode()
    {
        QFETCH(int, mode);
        QFETCH(QString, initial);
        QFETCH(QString, button);
        QFETCH(QString, shown);
        CIPInputDlg input(nullptr, mode, QStringLiteral("Router Edit"), QStringLiteral("Edit the Router Address"),
                          initial);
        input.show();
        QCOMPARE(input.windowTitle(), QStringLiteral("Router Edit"));
        QCOMPARE(input.findChild<QLabel*>(QStringLiteral("promptText"))->text(),
                 QStringLiteral("Edit the Router Address"));
        QCOMPARE(Button(input, "okButton")->text(), button);
        QVERIFY(Button(input, "okButton")->isDefault());
        QCOMPARE(input.AddressField()->Text(), shown);
        QVERIFY(Button(input, "historyButton")->isHidden());
    }

    void inputDialogRefusesAFirstByteOf0_data()
    {
        QTest::addColumn<Ipv4>("address");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("result");
        QTest::newRow("0.1.2.3 refused") << Ipv4{0, 1, 2, 3} << false << "";
        QTest::newRow("0.0.0.0 refused") << Ipv4{0, 0, 0, 0} << false << "";
        QTest::newRow("224.1.1.1 accepted") << Ipv4{224, 1, 1, 1} << true << "224.1.1.1";
        QTest::newRow("1.0.0.0 accepted") << Ipv4{1, 0, 0, 0} << true << "1.0.0.0";
    }

    void inputDialogRefusesAFirstByteOf0()
    {
        QFETCH(Ipv4, address);
        QFETCH(bool, accepted);
        QFETCH(QString, result);
        CIPInputDlg input(nullptr, CIPInputDlg::kAdd, QStringLiteral("Router Add"),
                          QStringLiteral("Input the Router Address"), QString());
        input.show();
        input.AddressField()->SetAddress(address);
        MessageRecorder recorder;
        QTest::mouseClick(Button(input, "okButton"), Qt::LeftButton);
        if (accepted) {
            QCOMPARE(recorder.Count(), 0);
            QCOMPARE(input.result(), int(QDialog::Accepted));
            QCOMPARE(input.m_strIP, result);
        } else {
            QCOMPARE(recorder.Messages(),
                     (Messages{{"0 is not a valid entry. Please specify a value between 1 and 223.", "error"}}));
            QVERIFY(input.isVisible());
            QCOMPARE(input.m_strIP, QString());
        }
    }
};

QTEST_MAIN(TestAdvancedServerSetDlg)
#include "test_advanced_server_set_dlg.moc"
