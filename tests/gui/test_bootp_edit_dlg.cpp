// The DHCP DB entry dialog: what it shows in each mode, how the MAC parts build the MAC text as
// the operator types, the checks of OK in their order, the forms the results leave in, the MAC
// history, and "Advanced..". Nothing here opens a socket.

#include "gui/GuiTestEnv.h"
#include "gui/MessageRecorder.h"

#include "gui/controls/IPAddressField.h"
#include "gui/dhcp/AdvancedServerSetDlg.h"
#include "gui/dhcp/BootpEditDlg.h"
#include "gui/dhcp/IPInputDlg.h"
#include "gui/discovery/MacPartFields.h"
#include "net/dhcp/HostAddress.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

using Messages = QList<MessageRecorder::Message>;
using Ipv4 = std::array<std::uint8_t, 4>;

} // namespace

Q_DECLARE_METATYPE(Ipv4)

namespace {

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QLineEdit* Part(const CBootpEditDlg& dlg, int k)
{
    return dlg.MacFields()->Part(k);
}

QStringList Parts(const CBootpEditDlg& dlg)
{
    QStringList parts;
    for (int k = 0; k < 6; ++k) {
        parts << Part(dlg, k)->text();
    }
    return parts;
}

// The name of the control with the focus: a MAC part, or the address field an octet belongs to.
QString Focused()
{
    QWidget* focus = QApplication::focusWidget();
    if (!focus) {
        return QString();
    }
    if (auto* field = qobject_cast<CIPAddressField*>(focus->parentWidget())) {
        return field->objectName();
    }
    return focus->objectName();
}

void Type(const QString& keys)
{
    for (const QChar c : keys) {
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
    }
}

// A dialog in `mode` as the page makes it, shown and active.
std::unique_ptr<CBootpEditDlg> Open(int mode, const QString& macText = QString(),
                                    const corvane::MacPartTexts& macFields = {}, const QString& router = "10.0.0.1")
{
    auto dlg = std::make_unique<CBootpEditDlg>();
    dlg->m_nMode = mode;
    if (mode == CBootpEditDlg::kAddMode) {
        dlg->m_strMacField = macFields;
    } else {
        dlg->m_nHType = 1;
        dlg->m_nHlen = 6;
        dlg->m_strIP = QStringLiteral("192.168.  1. 10");
        dlg->m_strMacText = macText;
        dlg->m_strGateway = QStringLiteral("192.168.  1.  1");
        dlg->m_strSubnet = QStringLiteral("255.255.255.  0");
    }
    dlg->SetDefaultRouter(router);
    dlg->show();
    QApplication::setActiveWindow(dlg.get());
    if (!QTest::qWaitForWindowActive(dlg.get())) {
        qWarning("the dialog did not become active");
    }
    return dlg;
}

void PressOk(CBootpEditDlg& dlg)
{
    QTest::mouseClick(dlg.OkButton(), Qt::LeftButton);
}

} // namespace

class TestBootpEditDlg final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qApp->setQuitOnLastWindowClosed(false);
        QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
    }

    void addModeShowsTheServersMacAndTheDefaults()
    {
        GuiTestEnv env;
        auto dlg = Open(CBootpEditDlg::kAddMode, {}, {"02", "5A", "7E", "0A", "0B", "0C"});
        QCOMPARE(dlg->windowTitle(), QStringLiteral("DB Setting for DHCP"));
        QCOMPARE(dlg->OkButton()->text(), QStringLiteral("Add"));
        QCOMPARE(Parts(*dlg), (QStringList{"02", "5A", "7E", "0A", "0B", "0C"}));
        QCOMPARE(dlg->m_strMacText, QStringLiteral("025A7E0A0B0C"));
        QVERIFY(dlg->IPField()->IsBlank());
        QVERIFY(dlg->GatewayField()->IsBlank());
        QCOMPARE(dlg->SubnetField()->Text(), QStringLiteral("255.255.255.0"));
        QCOMPARE(dlg->DefaultRouterField()->Text(), QStringLiteral("10.0.0.1"));
        QVERIFY(!dlg->DefaultRouterField()->isEnabled());
        QCOMPARE(dlg->findChild<QLineEdit*>(QStringLiteral("macType"))->text(), QStringLiteral("1"));
        QCOMPARE(dlg->findChild<QLineEdit*>(QStringLiteral("macLength"))->text(), QStringLiteral("6"));
        QCOMPARE(Focused(), QStringLiteral("ip"));
        // No history buttons in this dialog.
        QVERIFY(!dlg->MacFields()->HistoryButton());
        QVERIFY(!dlg->findChild<QPushButton*>(QStringLiteral("historyButton")));
    }

    void editModeShowsTheEntry()
    {
        GuiTestEnv env;
        auto dlg = Open(CBootpEditDlg::kEditMode, QStringLiteral("0001A2B3C4D5"), {}, QString());
        QCOMPARE(dlg->OkButton()->text(), QStringLiteral("Edit"));
        QCOMPARE(dlg->IPField()->Text(), QStringLiteral("192.168.1.10"));
        QCOMPARE(dlg->GatewayField()->Text(), QStringLiteral("192.168.1.1"));
        QCOMPARE(dlg->SubnetField()->Text(), QStringLiteral("255.255.255.0"));
        QCOMPARE(Parts(*dlg), (QStringList{"00", "01", "A2", "B3", "C4", "D5"}));
        // No router in the settings: the field reads 0.0.0.0.
        QCOMPARE(dlg->DefaultRouterField()->Text(), QStringLiteral("0.0.0.0"));
        QCOMPARE(dlg->m_strMacText, QStringLiteral("0001A2B3C4D5"));
    }

    void controlsCarryTheirNames()
    {
        GuiTestEnv env;
        auto dlg = Open(CBootpEditDlg::kAddMode);
        QStringList names;
        for (const char* field : {"macType", "macLength"}) {
            names << dlg->findChild<QLineEdit*>(QString::fromLatin1(field))->accessibleName();
        }
        for (CIPAddressField* field :
             {dlg->IPField(), dlg->GatewayField(), dlg->SubnetField(), dlg->DefaultRouterField()}) {
            names << field->accessibleName() << field->Octet(3)->accessibleName();
        }
        for (int k = 0; k < 6; ++k) {
            names << Part(*dlg, k)->accessibleName();
        }
        QCOMPARE(names,
                 (QStringList{"MAC Type", "MAC Length", "IP", "IP octet 4", "Gateway IP", "Gateway IP octet 4",
                              "Subnet Mask", "Subnet Mask octet 4", "Default Router", "Default Router octet 4",
                              "MAC byte 1", "MAC byte 2", "MAC byte 3", "MAC byte 4", "MAC byte 5", "MAC byte 6"}));
    }

    // `mac` empty: an Add dialog without a MAC; otherwise an Edit dialog of that MAC. `select`
    // selects the start part's text first; "\t" leaves the part.
    void macTyping_data()
    {
        QTest::addColumn<QString>("mac");
        QTest::addColumn<int>("start");
        QTest::addColumn<bool>("select");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QStringList>("parts");
        QTest::addColumn<QString>("macText");
        QTest::addColumn<QString>("focus");

        const QString none;
        QTest::newRow("1 then leaving is 01")
            << none << 0 << false << "1\t" << QStringList{"1", "", "", "", "", ""} << "010000000000"
            << "macByte2";
        QTest::newRow("G is refused and the MAC stays empty")
            << none << 0 << false << "G" << QStringList{"", "", "", "", "", ""} << ""
            << "macByte1";
        QTest::newRow("g is refused after a digit")
            << none << 2 << false << "1g" << QStringList{"", "", "1", "", "", ""} << "000001000000"
            << "macByte3";
        QTest::newRow("a is taken as A") << none << 0 << false << "a" << QStringList{"A", "", "", "", "", ""}
                                         << "0A0000000000"
                                         << "macByte1";
        QTest::newRow("AB into the fourth part only")
            << none << 3 << false << "AB" << QStringList{"", "", "", "AB", "", ""} << "000000AB0000"
            << "macByte5";
        QTest::newRow("twelve digits in one go")
            << none << 0 << false << "025a7e0a0b0c" << QStringList{"02", "5A", "7E", "0A", "0B", "0C"} << "025A7E0A0B0C"
            << "macByte6";
        QTest::newRow("the sixth part's overflow goes to Gateway IP")
            << none << 5 << false << "1A2" << QStringList{"", "", "", "", "", "1A"} << "00000000001A"
            << "gatewayIP";
        QTest::newRow("typing into a full part moves on")
            << "0001A2B3C4D5" << 1 << false << "7" << QStringList{"00", "01", "A2", "B3", "C4", "D5"} << "0001A2B3C4D5"
            << "macByte3";
        QTest::newRow("edit of the first byte keeps the other five")
            << "0001A2B3C4D5" << 0 << true << "1F" << QStringList{"1F", "01", "A2", "B3", "C4", "D5"} << "1F01A2B3C4D5"
            << "macByte2";
        QTest::newRow("a single digit in an edited part")
            << "0001A2B3C4D5" << 2 << true << "7\t" << QStringList{"00", "01", "7", "B3", "C4", "D5"} << "000107B3C4D5"
            << "macByte4";
    }

    void macTyping()
    {
        QFETCH(QString, mac);
        QFETCH(int, start);
        QFETCH(bool, select);
        QFETCH(QString, keys);
        QFETCH(QStringList, parts);
        QFETCH(QString, macText);
        QFETCH(QString, focus);
        GuiTestEnv env;
        auto dlg = mac.isEmpty() ? Open(CBootpEditDlg::kAddMode) : Open(CBootpEditDlg::kEditMode, mac);
        QLineEdit* part = Part(*dlg, start);
        part->setFocus();
        if (select) {
            part->selectAll();
        } else {
            part->deselect();
            part->end(false);
        }
        for (const QChar c : keys) {
            if (c == QLatin1Char('\t')) {
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            } else {
                Type(QString(c));
            }
        }
        QCOMPARE(Parts(*dlg), parts);
        QCOMPARE(dlg->m_strMacText, macText);
        QCOMPARE(Focused(), focus);
    }

    // Each case sets the IP field, the MAC parts and the router, then presses the default button.
    void okChecksInOrder_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<Ipv4>("ip");
        QTest::addColumn<QString>("mac");
        QTest::addColumn<QString>("router");
        QTest::addColumn<Messages>("messages");

        const int add = CBootpEditDlg::kAddMode;
        const int edit = CBootpEditDlg::kEditMode;
        const QString mac = QStringLiteral("025A7E0A0B0C");
        const Messages none;
        const Messages wrongIp{{"Wrong IP Addess !!", "Input Error"}};
        const Messages needRouter{{"Press the advanced button and set the router address!!", "Need Router"}};
        QTest::newRow("add: no IP comes first") << add << Ipv4{0, 0, 0, 0} << ""
                                                << "" << Messages{{"Input the client IP Addess !!", "Input Error"}};
        QTest::newRow("add: IP ending in 0") << add << Ipv4{192, 168, 1, 0} << ""
                                             << "" << wrongIp;
        QTest::newRow("add: IP ending in 255") << add << Ipv4{192, 168, 1, 255} << mac << "10.0.0.1" << wrongIp;
        QTest::newRow("add: no MAC") << add << Ipv4{192, 168, 1, 10} << ""
                                     << "" << Messages{{"Input the client MAC Addess !!", "Input Error"}};
        QTest::newRow("add: no router") << add << Ipv4{192, 168, 1, 10} << mac << "" << needRouter;
        QTest::newRow("add: all there") << add << Ipv4{192, 168, 1, 10} << mac << "10.0.0.1" << none;
        QTest::newRow("edit: IP ending in 255 is taken") << edit << Ipv4{192, 168, 1, 255} << mac << "10.0.0.1" << none;
        QTest::newRow("edit: no IP is taken") << edit << Ipv4{0, 0, 0, 0} << mac << "10.0.0.1" << none;
        QTest::newRow("edit: no router") << edit << Ipv4{192, 168, 1, 10} << mac << "" << needRouter;
    }

    void okChecksInOrder()
    {
        QFETCH(int, mode);
        QFETCH(Ipv4, ip);
        QFETCH(QString, mac);
        QFETCH(QString, router);
        QFETCH(Messages, messages);
        GuiTestEnv env;
        corvane::MacPartTexts fields;
        for (int k = 0; k < 6 && !mac.isEmpty(); ++k) {
            fields[static_cast<std::size_t>(k)] = mac.mid(2 * k, 2).toStdString();
        }
        auto dlg = Open(mode, mac, fields, router);
        dlg->IPField()->SetAddress(ip);
        MessageRecorder recorder;
        PressOk(*dlg);
        QCOMPARE(recorder.Messages(), messages);
        QCOMPARE(dlg->isVisible(), !messages.isEmpty());
        QCOMPARE(dlg->result(), messages.isEmpty() ? int(QDialog::Accepted) : int(QDialog::Rejected));
        // A refused OK remembers nothing.
        QCOMPARE(QFile::exists(env.StoreFile("mach.ini")), messages.isEmpty());
    }

    void okLeavesTheStoredFormsAndRemembersTheMacOnce()
    {
        GuiTestEnv env;
        for (int round = 0; round < 2; ++round) {
            auto dlg = Open(CBootpEditDlg::kAddMode, {}, {"02", "5A", "7E", "0A", "0B", "0C"});
            dlg->IPField()->SetAddress({192, 168, 1, 10});
            dlg->GatewayField()->SetAddress({192, 168, 1, 1});
            MessageRecorder recorder;
            PressOk(*dlg);
            QCOMPARE(recorder.Count(), 0);
            QCOMPARE(dlg->result(), int(QDialog::Accepted));
            QCOMPARE(dlg->m_strIP, QStringLiteral("192.168.  1. 10"));
            QCOMPARE(dlg->m_strGateway, QStringLiteral("192.168.  1.  1"));
            QCOMPARE(dlg->m_strSubnet, QStringLiteral("255.255.255.  0"));
            QCOMPARE(dlg->m_strDefaultRouter, QStringLiteral("10.0.0.1"));
            QCOMPARE(dlg->m_strMacText, QStringLiteral("025A7E0A0B0C"));
            QCOMPARE(dlg->m_nHType, 1);
            QCOMPARE(dlg->m_nHlen, 6);
        }
        QCOMPARE(ReadFile(env.StoreFile("mach.ini")), QByteArray("[1]\t 2:90:126:10:11:12\n"));

        // A MAC typed in one part only is remembered as the table gets it: the other bytes 0.
        auto dlg = Open(CBootpEditDlg::kAddMode);
        dlg->IPField()->SetAddress({192, 168, 1, 11});
        Part(*dlg, 3)->setFocus();
        Type(QStringLiteral("AB"));
        PressOk(*dlg);
        QCOMPARE(dlg->m_strMacText, QStringLiteral("000000AB0000"));
        QCOMPARE(ReadFile(env.StoreFile("mach.ini")), QByteArray("[1]\t 2:90:126:10:11:12\n[2]\t 0:0:0:171:0:0\n"));
    }

    // "Advanced.." with a router added there: the dialog then shows it and can be confirmed.
    void advancedSetsTheDefaultRouter_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::addColumn<QString>("router");
        QTest::newRow("settings confirmed") << true << "10.0.0.7";
        QTest::newRow("settings cancelled") << false << "0.0.0.0";
    }

    void advancedSetsTheDefaultRouter()
    {
        QFETCH(bool, confirm);
        QFETCH(QString, router);
        GuiTestEnv env;
        const auto previous = CHostAddress::SetProvider([](int) { return corvane::dhcp::Ipv4{192, 168, 5, 9}; });
        auto dlg = Open(CBootpEditDlg::kAddMode, {}, {"02", "5A", "7E", "0A", "0B", "0C"}, QString());
        dlg->IPField()->SetAddress({192, 168, 1, 10});
        MessageRecorder recorder;
        PressOk(*dlg);
        QCOMPARE(recorder.Last().caption, QStringLiteral("Need Router"));

        bool seen = false;
        QTimer::singleShot(0, dlg.get(), [&] {
            QPointer<CAdvancedServerSetDlg> settings = WaitForModal<CAdvancedServerSetDlg>();
            QVERIFY(settings);
            seen = true;
            // The address dialog runs from a timer of its own, inside the settings dialog's loop.
            QTimer::singleShot(0, settings, [&] {
                QPointer<CIPInputDlg> input = WaitForModal<CIPInputDlg>();
                QVERIFY(input);
                input->AddressField()->SetAddress({10, 0, 0, 7});
                QTest::mouseClick(input->findChild<QPushButton*>(QStringLiteral("okButton")), Qt::LeftButton);
            });
            QTest::mouseClick(settings->findChild<QPushButton*>(QStringLiteral("addButton")), Qt::LeftButton);
            const char* button = confirm ? "okButton" : "cancelButton";
            QTest::mouseClick(settings->findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
        });
        QTest::mouseClick(dlg->findChild<QPushButton*>(QStringLiteral("advancedButton")), Qt::LeftButton);
        CHostAddress::SetProvider(previous);
        QVERIFY(seen);
        QVERIFY(dlg->isVisible());
        QCOMPARE(dlg->DefaultRouterField()->Text(), router);

        recorder.Clear();
        PressOk(*dlg);
        QCOMPARE(dlg->result(), confirm ? int(QDialog::Accepted) : int(QDialog::Rejected));
        QCOMPARE(recorder.Count(), confirm ? 0 : 1);
        if (confirm) {
            QCOMPARE(dlg->m_strDefaultRouter, router);
        }
    }
};

QTEST_MAIN(TestBootpEditDlg)
#include "test_bootp_edit_dlg.moc"
