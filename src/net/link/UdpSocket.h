#pragma once

#include <QAbstractSocket>
#include <QHostAddress>
#include <QObject>
#include <QString>

#include <vector>

class QUdpSocket;

// A datagram socket with the calls the utility's exchanges are written against: Create, Bind,
// Connect, SetSockOpt, Send, SendTo, Receive and Close. Read readiness is turned into exactly one
// call of OnReceive per datagram, on the GUI thread; the handler reads the datagram itself with
// Receive. As with the platform these exchanges were designed on, the next datagram is announced
// only after the previous one was read, and a handler that opens a modal box may be entered again
// from the box's event loop. A closed socket announces nothing more.
class CUdpSocket : public QObject
{
    Q_OBJECT

public:
    ~CUdpSocket() override;

    // Opens the socket bound to all local IPv4 addresses on `port` (0: any free port).
    bool Create(quint16 port = 0);
    // Binds to `port` if Create has not bound the socket there yet.
    bool Bind(quint16 port);
    // Sets the default destination; Send then goes there and only its datagrams are received.
    bool Connect(const QString& hostAddress, quint16 port);
    // Socket option at SOL_SOCKET level, e.g. SO_BROADCAST with 1.
    bool SetSockOpt(int option, int value);
    qint64 Send(const void* data, qint64 length);
    // Without a host address the datagram is broadcast to 255.255.255.255, once on each interface
    // of BroadcastInterfaces() with that interface's address as the source; where there is none,
    // where the system routes it. Returns the length when at least one copy left.
    qint64 SendTo(const void* data, qint64 length, quint16 port, const QString& hostAddress = QString());
    // As SendTo, but out of the interface `interfaceIndex` with `source` as the sender's address
    // when it is not null. A broadcast with `interfaceIndex` 0 goes out as SendTo sends it.
    qint64 SendToInterface(const void* data, qint64 length, quint16 port, const QString& hostAddress,
                           int interfaceIndex, const QHostAddress& source = QHostAddress());
    // Reads one datagram into `buffer`. Returns its length, or -1 when nothing could be read or
    // the datagram was longer than `capacity` (it is consumed all the same).
    qint64 Receive(void* buffer, qint64 capacity);
    void Close();

    // An interface that is up, can broadcast, is not a loopback and has an IPv4 address.
    struct BroadcastInterface
    {
        int index = 0;
        QHostAddress address;
    };
    // Those interfaces now, in the system's order.
    static std::vector<BroadcastInterface> BroadcastInterfaces();

    bool IsOpen() const;
    quint16 LocalPort() const;
    // Where the last datagram read by Receive came from.
    QHostAddress LastSenderAddress() const { return m_lastSender; }
    quint16 LastSenderPort() const { return m_lastSenderPort; }
    // The interface the last datagram read by Receive came in on (0 when the system did not say).
    int LastInterfaceIndex() const { return m_lastInterfaceIndex; }
    // The platform's text for the last failed Create, Bind, Connect or send.
    QString ErrorString() const { return m_errorString; }
    // The kind of that failure.
    QAbstractSocket::SocketError LastError() const { return m_lastError; }

protected:
    CUdpSocket() = default;
    // Read readiness; `errorCode` is 0 unless the socket reported an error.
    virtual void OnReceive(int errorCode) = 0;

private:
    void OnReadable();
    qint64 WriteDatagram(const void* data, qint64 length, quint16 port, const QString& hostAddress, int interfaceIndex,
                         const QHostAddress& source);
    bool EnsureSocket();
    void ReleaseSocket();

    // At most this many waiting datagrams are announced in one pass of the event loop.
    static constexpr int kBurst = 32;

    QUdpSocket* m_socket = nullptr;
    // Datagrams taken by Receive (read or dropped).
    quint64 m_nReads = 0;
    QHostAddress m_lastSender;
    quint16 m_lastSenderPort = 0;
    int m_lastInterfaceIndex = 0;
    QString m_errorString;
    QAbstractSocket::SocketError m_lastError = QAbstractSocket::UnknownSocketError;
};
