#include "gui/NetGuard.h"
#include "net/link/ClientSocket.h"
#include "net/link/ServerSocket.h"

#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

#include <sys/socket.h>

#include <functional>

namespace {

// Counts notifications and reads each datagram the way the dialogs do.
class RecordingOwner final : public IClientSocketOwner
{
public:
    explicit RecordingOwner(CClientSocket& socket) : m_socket(socket) {}

    long OnReceiveReply() override
    {
        ++calls;
        ++depth;
        maxDepth = std::max(maxDepth, depth);
        char buffer[210] = {};
        const qint64 n = m_socket.Receive(buffer, sizeof buffer);
        results.append(n);
        if (n >= 0) {
            payloads.append(QByteArray(buffer, static_cast<int>(n)));
        }
        if (afterRead) {
            afterRead();
        }
        --depth;
        return 1;
    }

    int calls = 0;
    int depth = 0;
    int maxDepth = 0;
    QList<qint64> results;
    QList<QByteArray> payloads;
    std::function<void()> afterRead;

private:
    CClientSocket& m_socket;
};

class ServerOwner final : public IServerSocketOwner
{
public:
    explicit ServerOwner(CServerSocket& socket) : m_socket(socket) {}
    void OnServerReceive() override
    {
        char buffer[300] = {};
        const qint64 n = m_socket.Receive(buffer, sizeof buffer);
        payloads.append(QByteArray(buffer, static_cast<int>(std::max<qint64>(n, 0))));
    }
    QList<QByteArray> payloads;

private:
    CServerSocket& m_socket;
};

void SendFrom(QUdpSocket& peer, const QByteArray& data, quint16 port)
{
    QCOMPARE(peer.writeDatagram(data, QHostAddress::LocalHost, port), qint64(data.size()));
}

} // namespace

class TestSockets final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { RequirePrivateNetworkNamespace(); }

    void oneNotificationPerDatagram()
    {
        CClientSocket socket;
        RecordingOwner owner(socket);
        socket.SetOwner(&owner);
        QVERIFY(socket.Create(0));
        QUdpSocket peer;
        for (int i = 0; i < 3; ++i) {
            SendFrom(peer, QByteArray(1, char('a' + i)), socket.LocalPort());
        }
        QTRY_COMPARE(owner.calls, 3);
        QTest::qWait(100);
        QCOMPARE(owner.calls, 3);
        QCOMPARE(owner.payloads, (QList<QByteArray>{"a", "b", "c"}));
    }

    // A handler that opens a modal box keeps the event loop running; the next datagram re-enters
    // the handler from there, once, and the outer call finishes afterwards.
    void handlerIsReenteredFromANestedLoop()
    {
        CClientSocket socket;
        RecordingOwner owner(socket);
        socket.SetOwner(&owner);
        QVERIFY(socket.Create(0));
        QUdpSocket peer;
        owner.afterRead = [&] {
            if (owner.calls == 1) {
                SendFrom(peer, "second", socket.LocalPort());
                QEventLoop modal;
                QTimer::singleShot(300, &modal, &QEventLoop::quit);
                modal.exec();
            }
        };
        SendFrom(peer, "first", socket.LocalPort());
        QTRY_COMPARE(owner.calls, 2);
        QTest::qWait(50);
        QCOMPARE(owner.calls, 2);
        QCOMPARE(owner.maxDepth, 2);
        QCOMPARE(owner.payloads, (QList<QByteArray>{"first", "second"}));
    }

    void nothingArrivesAfterClose()
    {
        CClientSocket socket;
        RecordingOwner owner(socket);
        socket.SetOwner(&owner);
        QVERIFY(socket.Create(0));
        const quint16 port = socket.LocalPort();
        owner.afterRead = [&] { socket.Close(); };
        QUdpSocket peer;
        SendFrom(peer, "one", port);
        SendFrom(peer, "two", port);
        SendFrom(peer, "three", port);
        QTRY_COMPARE(owner.calls, 1);
        QTest::qWait(200);
        QCOMPARE(owner.calls, 1);
        QVERIFY(!socket.IsOpen());
        // A new search listens on a socket of its own.
        owner.afterRead = nullptr;
        QVERIFY(socket.Create(0));
        SendFrom(peer, "fresh", socket.LocalPort());
        QTRY_COMPARE(owner.calls, 2);
        QCOMPARE(owner.payloads.last(), QByteArray("fresh"));
    }

    // The dialogs close (or drop) their socket inside the handler, often before showing a box whose
    // event loop runs while the socket is still announcing the datagram that led to it.
    void closingOrDeletingInsideTheHandlerIsSafe_data()
    {
        QTest::addColumn<bool>("deleteObject");
        QTest::addColumn<bool>("nestedLoop");
        QTest::newRow("delete") << true << false;
        QTest::newRow("close, then a box") << false << true;
        QTest::newRow("delete, then a box") << true << true;
    }

    void closingOrDeletingInsideTheHandlerIsSafe()
    {
        QFETCH(bool, deleteObject);
        QFETCH(bool, nestedLoop);
        auto* socket = new CClientSocket;
        struct Owner final : IClientSocketOwner
        {
            CClientSocket* socket = nullptr;
            bool deleteObject = false;
            bool nestedLoop = false;
            int calls = 0;
            long OnReceiveReply() override
            {
                ++calls;
                char buffer[210];
                socket->Receive(buffer, sizeof buffer);
                if (deleteObject) {
                    delete socket;
                    socket = nullptr;
                } else {
                    socket->Close();
                }
                if (nestedLoop) {
                    QEventLoop box;
                    QTimer::singleShot(100, &box, &QEventLoop::quit);
                    box.exec();
                }
                return 1;
            }
        } owner;
        owner.socket = socket;
        owner.deleteObject = deleteObject;
        owner.nestedLoop = nestedLoop;
        socket->SetOwner(&owner);
        QVERIFY(socket->Create(0));
        QUdpSocket peer;
        SendFrom(peer, "a", socket->LocalPort());
        SendFrom(peer, "b", socket->LocalPort());
        QTRY_COMPARE(owner.calls, 1);
        QTest::qWait(250);
        QCOMPARE(owner.calls, 1);
        delete owner.socket;
    }

    void datagramLongerThanTheBufferReadsAsFailure()
    {
        CClientSocket socket;
        RecordingOwner owner(socket);
        socket.SetOwner(&owner);
        QVERIFY(socket.Create(0));
        QUdpSocket peer;
        SendFrom(peer, QByteArray(211, 'x'), socket.LocalPort());
        SendFrom(peer, QByteArray(210, 'y'), socket.LocalPort());
        SendFrom(peer, QByteArray(), socket.LocalPort());
        QTRY_COMPARE(owner.calls, 3);
        QCOMPARE(owner.results, (QList<qint64>{-1, 210, 0}));
        QCOMPARE(owner.payloads.first(), QByteArray(210, 'y'));
    }

    void broadcastReachesTheDevicePortAndTheReplyComesBack()
    {
        QUdpSocket device;
        QVERIFY(device.bind(QHostAddress::AnyIPv4, 1024));
        CClientSocket socket;
        RecordingOwner owner(socket);
        socket.SetOwner(&owner);
        QVERIFY(socket.Create(0));
        QVERIFY(socket.SetSockOpt(SO_BROADCAST, 1));
        const QByteArray request(32, '\x35');
        QCOMPARE(socket.SendTo(request.constData(), request.size(), 1024), qint64(32));
        QTRY_VERIFY(device.hasPendingDatagrams());
        QHostAddress from;
        quint16 fromPort = 0;
        QByteArray got(64, 0);
        got.resize(device.readDatagram(got.data(), got.size(), &from, &fromPort));
        QCOMPARE(got, request);
        QCOMPARE(fromPort, socket.LocalPort());
        device.writeDatagram("reply", from, fromPort);
        QTRY_COMPARE(owner.calls, 1);
        QCOMPARE(owner.payloads.first(), QByteArray("reply"));
    }

    void directedSendOnAConnectedSocket()
    {
        QUdpSocket device;
        QVERIFY(device.bind(QHostAddress::LocalHost, 0));
        CClientSocket socket;
        RecordingOwner owner(socket);
        socket.SetOwner(&owner);
        QVERIFY(socket.Create(0));
        const quint16 localPort = socket.LocalPort();
        QVERIFY(socket.Connect(QStringLiteral("127.0.0.1"), device.localPort()));
        QCOMPARE(socket.LocalPort(), localPort);
        QCOMPARE(socket.Send("directed", 8), qint64(8));
        QTRY_VERIFY(device.hasPendingDatagrams());
        QHostAddress from;
        quint16 fromPort = 0;
        QByteArray got(64, 0);
        got.resize(device.readDatagram(got.data(), got.size(), &from, &fromPort));
        QCOMPARE(got, QByteArray("directed"));
        QCOMPARE(fromPort, localPort);
        device.writeDatagram("answer", from, fromPort);
        QTRY_COMPARE(owner.calls, 1);
        QCOMPARE(owner.payloads.first(), QByteArray("answer"));
        QVERIFY(!socket.Connect(QStringLiteral("not an address"), 1024));
    }

    void serverSocketReportsWhetherItHasPort67()
    {
        CServerSocket server;
        ServerOwner owner(server);
        server.SetOwner(&owner);
        QVERIFY2(server.Create(67), qPrintable(server.ErrorString()));
        QVERIFY(server.Bind(67));
        QUdpSocket client;
        SendFrom(client, QByteArray(300, 'd'), 67);
        QTRY_COMPARE(owner.payloads.size(), 1);
        QCOMPARE(owner.payloads.first(), QByteArray(300, 'd'));

        CServerSocket second;
        QVERIFY(!second.Create(67));
        QVERIFY(!second.ErrorString().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSockets)
#include "test_sockets.moc"
