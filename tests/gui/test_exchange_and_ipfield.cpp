#include "gui/MessageRecorder.h"
#include "gui/controls/ExchangeSupport.h"
#include "gui/controls/IPAddressField.h"

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>

namespace {

// A dialog with a text, a number and a second number, in that exchange order.
class ExchangeForm final : public QWidget, public CExchangeSupport
{
public:
    ExchangeForm()
    {
        for (QLineEdit** edit : {&nameEdit, &portEdit, &timeEdit}) {
            *edit = new QLineEdit(this);
        }
    }

    QString m_strName = QStringLiteral("old");
    int m_nPort = 1;
    int m_nTime = 2;
    QLineEdit* nameEdit = nullptr;
    QLineEdit* portEdit = nullptr;
    QLineEdit* timeEdit = nullptr;

protected:
    void DoDataExchange(CDataExchange& dx) override
    {
        dx.Text(nameEdit, m_strName);
        dx.Int(portEdit, m_nPort);
        dx.Int(timeEdit, m_nTime);
    }
};

} // namespace

class TestExchangeAndIpField final : public QObject
{
    Q_OBJECT

private slots:
    void showThenReadRoundTrips()
    {
        ExchangeForm form;
        form.m_nPort = 6001;
        QVERIFY(form.UpdateData(false));
        QCOMPARE(form.nameEdit->text(), QStringLiteral("old"));
        QCOMPARE(form.portEdit->text(), QStringLiteral("6001"));
        form.nameEdit->setText(QStringLiteral("new"));
        form.portEdit->setText(QStringLiteral(" -42 "));
        form.timeEdit->setText(QStringLiteral("+7"));
        MessageRecorder messages;
        QVERIFY(form.UpdateData(true));
        QCOMPARE(messages.Count(), 0);
        QCOMPARE(form.m_strName, QStringLiteral("new"));
        QCOMPARE(form.m_nPort, -42);
        QCOMPARE(form.m_nTime, 7);
    }

    void readStopsAtTheFirstFieldWithoutANumber_data()
    {
        QTest::addColumn<QString>("portText");
        QTest::newRow("empty") << QString();
        QTest::newRow("letters") << QStringLiteral("12ab");
        QTest::newRow("blank") << QStringLiteral("   ");
        QTest::newRow("too big") << QStringLiteral("99999999999");
    }

    void readStopsAtTheFirstFieldWithoutANumber()
    {
        QFETCH(QString, portText);
        ExchangeForm form;
        form.show();
        QApplication::setActiveWindow(&form);
        form.nameEdit->setText(QStringLiteral("typed"));
        form.portEdit->setText(portText);
        form.timeEdit->setText(QStringLiteral("55"));
        MessageRecorder messages;
        QVERIFY(!form.UpdateData(true));
        QCOMPARE(messages.Messages(),
                 (QList<MessageRecorder::Message>{{"Please enter an integer.", QCoreApplication::applicationName()}}));
        QCOMPARE(form.m_strName, QStringLiteral("typed")); // read before the failing field
        QCOMPARE(form.m_nPort, 1);                         // unchanged
        QCOMPARE(form.m_nTime, 2);                         // never reached
        QTRY_VERIFY(form.portEdit->hasFocus());
    }

    void blankIpFieldReadsZeros()
    {
        CIPAddressField field;
        std::array<std::uint8_t, 4> address{1, 2, 3, 4};
        QCOMPARE(field.GetAddress(address), 0);
        QCOMPARE(address, (std::array<std::uint8_t, 4>{0, 0, 0, 0}));
        QVERIFY(field.IsBlank());
        QCOMPARE(field.Text(), QStringLiteral("0.0.0.0"));
        field.SetAddress({192, 168, 1, 10});
        QCOMPARE(field.Address(), (std::array<std::uint8_t, 4>{192, 168, 1, 10}));
        QCOMPARE(field.Text(), QStringLiteral("192.168.1.10"));
        field.Octet(2)->clear();
        QCOMPARE(field.GetAddress(address), 3);
        QCOMPARE(field.Text(), QStringLiteral("192.168.0.10"));
        field.ClearAddress();
        QVERIFY(field.IsBlank());
    }

    void typingMovesAcrossOctetsAndSignalsEachChange()
    {
        CIPAddressField field;
        field.SetFieldName(QStringLiteral("Found IP"));
        QCOMPARE(field.accessibleName(), QStringLiteral("Found IP"));
        QCOMPARE(field.Octet(3)->accessibleName(), QStringLiteral("Found IP octet 4"));
        field.show();
        QApplication::setActiveWindow(&field);
        field.Octet(0)->setFocus();
        QSignalSpy changed(&field, &CIPAddressField::fieldChanged);
        // Each key goes to whichever octet has the focus by then: "999" is cut back to 255 and moves on.
        for (const QChar c : QStringLiteral("10.9997.3")) {
            QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
        }
        QCOMPARE(field.Text(), QStringLiteral("10.255.7.3"));
        QVERIFY(changed.size() >= 4);
        QCOMPARE(changed.last().at(0).toInt(), 3);
        QCOMPARE(changed.last().at(1).toInt(), 3);
    }
};

QTEST_MAIN(TestExchangeAndIpField)
#include "test_exchange_and_ipfield.moc"
