// The IP Address page's "DHCP DB" list follows "dhcp.ini" as something else changes it (another
// window's store operation, a hand edit in place, a file put in place by rename, a file created
// where there was none) within a second, keeps the selection on its entry while the table holds
// it, and writes nothing back in response. A change the page cannot make because another program
// holds the table's lock is refused with the store's message, and the list stays.

#include "gui/GuiTestEnv.h"
#include "gui/MessageRecorder.h"

#include "core/stores/BootPFDB.h"
#include "core/stores/StoreLock.h"
#include "gui/dhcp/IPPage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <cstdio>
#include <functional>

namespace {

using Rows = QList<QStringList>;

struct Entry
{
    int nHType;
    int nHlen;
    const char* ip;
    const char* mac;
    const char* gateway;
    const char* subnet;
};

const Entry kA{1, 6, "192.168.  1. 10", "025A7E0A0B01", "192.168.  1.  1", "255.255.255.  0"};
const Entry kB{1, 6, "192.168.  1. 11", "025A7E0A0B02", "192.168.  1.  1", "255.255.255.  0"};
const Entry kC{1, 6, " 10.  0.  0.  3", "025A7E0A0B03", " 10.  0.  0.  1", "255.  0.  0.  0"};
const Entry kBMoved{1, 6, "192.168.  1. 99", "025A7E0A0B02", "192.168.  1.  1", "255.255.255.  0"};

QByteArray Table(const QList<Entry>& entries)
{
    QByteArray text;
    int n = 0;
    for (const Entry& e : entries) {
        text += QString::asprintf("\n[%d]\nHType : %d \nhlen : %d \nIP : %s \nMAC : %s \nGateway : %s \nSubnet : %s\n",
                                  ++n, e.nHType, e.nHlen, e.ip, e.mac, e.gateway, e.subnet)
                    .toLatin1();
    }
    return text;
}

QStringList Row(const Entry& e)
{
    return {QString::number(e.nHType), QString::number(e.nHlen), e.ip, e.mac, e.gateway, e.subnet};
}

Rows ListRows(const CIPPage& page)
{
    Rows rows;
    const QTableWidget* list = page.List();
    for (int r = 0; r < list->rowCount(); ++r) {
        QStringList texts;
        for (int c = 0; c < list->columnCount(); ++c) {
            texts << list->item(r, c)->text();
        }
        rows << texts;
    }
    return rows;
}

QByteArray ReadFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Rewrites the file in place, as an editor that keeps the inode does.
void WriteInPlace(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// Puts a new file in place by rename, as the stores and most editors do.
void WriteByRename(const QString& path, const QByteArray& bytes)
{
    const QString temporary = path + QStringLiteral(".edit");
    WriteInPlace(temporary, bytes);
    QVERIFY(std::rename(qPrintable(temporary), qPrintable(path)) == 0);
}

} // namespace

class TestIpPageFollows final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qApp->setQuitOnLastWindowClosed(false);
        QCoreApplication::setApplicationName(QStringLiteral("Corvane"));
    }

    void listFollowsTheFile_data()
    {
        using Write = std::function<void(const QString& path)>;
        QTest::addColumn<QByteArray>("initial");
        QTest::addColumn<int>("click");
        QTest::addColumn<Write>("write");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<Rows>("rows");
        QTest::addColumn<int>("selected");

        const QByteArray ac = Table({kA, kC});
        QTest::newRow("another window adds an entry before the selected one")
            << Table({kA, kB}) << 1 << Write([](const QString&) {
                   const CBootPFDB::Record c{kC.nHType, kC.nHlen, kC.ip, kC.mac, kC.gateway, kC.subnet};
                   CBootPFDB table;
                   QCOMPARE(table.AddEntry(c), CBootPFDB::ChangeResult::Done);
                   const CBootPFDB::Record a{kA.nHType, kA.nHlen, kA.ip, kA.mac, kA.gateway, kA.subnet};
                   QCOMPARE(table.RemoveEntry(kA.ip, kA.mac), CBootPFDB::ChangeResult::Done);
                   QCOMPARE(table.AddEntry(a), CBootPFDB::ChangeResult::Done);
               })
            << Table({kB, kC, kA}) << (Rows{Row(kB), Row(kC), Row(kA)}) << 0;
        QTest::newRow("put in place by rename, the selected entry's IP changed")
            << Table({kA, kB}) << 1 << Write([](const QString& path) {
                   WriteByRename(path, Table({kC, kA, kBMoved}));
               })
            << Table({kC, kA, kBMoved}) << (Rows{Row(kC), Row(kA), Row(kBMoved)}) << 2;
        // Written by hand without padding: the list shows the table as a load gives it, the file
        // stays as it was written.
        const QByteArray hand = "\n[1]\nHType : 1 \nhlen : 6 \nIP : 10.0.0.3 \nMAC : 025A7E0A0B03 \n"
                                "Gateway : 10.0.0.1 \nSubnet : 255.0.0.0\n";
        QTest::newRow("edited in place, the selected entry gone")
            << Table({kA, kB}) << 1 << Write([hand](const QString& path) { WriteInPlace(path, hand); }) << hand
            << (Rows{Row(kC)}) << -1;
        QTest::newRow("created where there was none")
            << QByteArray() << -1 << Write([ac](const QString& path) { WriteByRename(path, ac); }) << ac
            << (Rows{Row(kA), Row(kC)}) << -1;
    }

    void listFollowsTheFile()
    {
        using Write = std::function<void(const QString& path)>;
        QFETCH(QByteArray, initial);
        QFETCH(int, click);
        QFETCH(Write, write);
        QFETCH(QByteArray, file);
        QFETCH(Rows, rows);
        QFETCH(int, selected);

        GuiTestEnv env;
        const QString path = env.StoreFile(QStringLiteral("dhcp.ini"));
        if (!initial.isNull()) {
            WriteInPlace(path, initial);
        }
        CIPPage page;
        page.OnInitDialog();
        page.show();
        if (initial.isNull()) {
            // The page's own first save is not an outside change.
            QFile::remove(path);
            QTest::qWait(2 * CIPPage::kReloadDelayMs);
            QCOMPARE(page.List()->rowCount(), 0);
        }
        if (click >= 0) {
            ClickTableRow(page.List(), click, 2);
            QCOMPARE(page.m_nSelected, click);
        }
        MessageRecorder recorder;

        QElapsedTimer elapsed;
        elapsed.start();
        write(path);
        QTRY_COMPARE_WITH_TIMEOUT(ListRows(page), rows, 1000);
        qInfo("the list followed after %lld ms", static_cast<long long>(elapsed.elapsed()));
        QCOMPARE(page.m_nCount, static_cast<int>(rows.size()));
        QCOMPARE(page.m_nSelected, selected);
        if (selected >= 0) {
            QVERIFY(page.List()->item(selected, 0)->isSelected());
        } else {
            QVERIFY(page.List()->selectedItems().isEmpty());
        }
        // Nothing more happens once the burst is read, and nothing is written back.
        QTest::qWait(3 * CIPPage::kReloadDelayMs);
        QCOMPARE(ListRows(page), rows);
        QCOMPARE(ReadFile(path), file);
        QCOMPARE(recorder.Count(), 0);
    }

    void deleteWhileAnotherProgramHoldsTheLockIsRefused()
    {
        GuiTestEnv env;
        const QString path = env.StoreFile(QStringLiteral("dhcp.ini"));
        WriteInPlace(path, Table({kA, kB}));
        CIPPage page;
        page.OnInitDialog();
        page.show();
        ClickTableRow(page.List(), 0, 2);
        MessageRecorder recorder;
        QElapsedTimer elapsed;
        elapsed.start();
        {
            const CStoreLock other(CBootPFDB().LockPath());
            QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("deleteButton")), Qt::LeftButton);
        }
        QVERIFY(elapsed.elapsed() >= 2000);
        QCOMPARE(recorder.Messages(),
                 (QList<MessageRecorder::Message>{{QStringLiteral("Can't write ") + path +
                                                       QStringLiteral(" !!\nAnother program is using it; try again."),
                                                   QStringLiteral("Error")}}));
        QCOMPARE(ListRows(page), (Rows{Row(kA), Row(kB)}));
        QCOMPARE(page.m_nSelected, 0);
        QCOMPARE(ReadFile(path), Table({kA, kB}));

        recorder.Clear();
        QTest::mouseClick(page.findChild<QPushButton*>(QStringLiteral("deleteButton")), Qt::LeftButton);
        QCOMPARE(recorder.Count(), 0);
        QCOMPARE(ListRows(page), (Rows{Row(kB)}));
        QCOMPARE(ReadFile(path), Table({kB}));
    }
};

QTEST_MAIN(TestIpPageFollows)
#include "test_ip_page_follows.moc"
