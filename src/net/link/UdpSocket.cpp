#include "net/link/UdpSocket.h"

#include "net/link/SocketLog.h"

#include <QNetworkDatagram>
#include <QNetworkInterface>
#include <QPointer>
#include <QUdpSocket>

#include <cstring>

#include <sys/socket.h>

CUdpSocket::~CUdpSocket()
{
    ReleaseSocket();
}

bool CUdpSocket::EnsureSocket()
{
    if (m_socket) {
        return true;
    }
    m_socket = new QUdpSocket;
    // Qt delivers readyRead only once per nesting level; channelReadyRead also reaches a handler
    // that is waiting in a modal box, which is the delivery the exchanges are written for.
    connect(m_socket, &QUdpSocket::channelReadyRead, this, [this](int) { OnReadable(); });
    return true;
}

void CUdpSocket::ReleaseSocket()
{
    if (!m_socket) {
        return;
    }
    m_socket->disconnect(this);
    m_socket->close();
    // The socket may be in the middle of announcing a datagram (the handler closed it), so it is
    // deleted once control is back in the event loop.
    m_socket->deleteLater();
    m_socket = nullptr;
}

bool CUdpSocket::Create(quint16 port)
{
    ReleaseSocket();
    EnsureSocket();
    if (!m_socket->bind(QHostAddress::AnyIPv4, port)) {
        m_errorString = m_socket->errorString();
        m_lastError = m_socket->error();
        return false;
    }
    return true;
}

bool CUdpSocket::Bind(quint16 port)
{
    if (m_socket && m_socket->state() == QAbstractSocket::BoundState && m_socket->localPort() == port) {
        return true;
    }
    return Create(port);
}

bool CUdpSocket::Connect(const QString& hostAddress, quint16 port)
{
    if (!m_socket && !Create(0)) {
        return false;
    }
    const QHostAddress address(hostAddress);
    if (address.isNull()) {
        m_errorString = tr("Not an IPv4 address: %1").arg(hostAddress);
        return false;
    }
    m_socket->connectToHost(address, port);
    if (m_socket->state() != QAbstractSocket::ConnectedState && !m_socket->waitForConnected(0)) {
        m_errorString = m_socket->errorString();
        return false;
    }
    return true;
}

bool CUdpSocket::SetSockOpt(int option, int value)
{
    if (!m_socket || m_socket->socketDescriptor() < 0) {
        return false;
    }
    return ::setsockopt(static_cast<int>(m_socket->socketDescriptor()), SOL_SOCKET, option, &value, sizeof value) == 0;
}

qint64 CUdpSocket::Send(const void* data, qint64 length)
{
    if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState) {
        return -1;
    }
    const qint64 sent = m_socket->write(static_cast<const char*>(data), length);
    if (sent < 0) {
        m_errorString = m_socket->errorString();
    }
    return sent;
}

qint64 CUdpSocket::SendTo(const void* data, qint64 length, quint16 port, const QString& hostAddress)
{
    return SendToInterface(data, length, port, hostAddress, 0);
}

std::vector<CUdpSocket::BroadcastInterface> CUdpSocket::BroadcastInterfaces()
{
    std::vector<BroadcastInterface> found;
    const auto all = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& itf : all) {
        const QNetworkInterface::InterfaceFlags flags = itf.flags();
        if (!flags.testFlag(QNetworkInterface::IsUp) || !flags.testFlag(QNetworkInterface::CanBroadcast) ||
            flags.testFlag(QNetworkInterface::IsLoopBack) || itf.index() <= 0) {
            continue;
        }
        const auto entries = itf.addressEntries();
        for (const QNetworkAddressEntry& entry : entries) {
            const QHostAddress ip = entry.ip();
            if (ip.protocol() == QAbstractSocket::IPv4Protocol && !ip.isLoopback()) {
                // One datagram per interface, from its first IPv4 address.
                found.push_back({itf.index(), ip});
                break;
            }
        }
    }
    return found;
}

qint64 CUdpSocket::SendToInterface(const void* data, qint64 length, quint16 port, const QString& hostAddress,
                                   int interfaceIndex, const QHostAddress& source)
{
    if (!m_socket || m_socket->socketDescriptor() < 0) {
        return -1;
    }
    if (!hostAddress.isEmpty() || interfaceIndex > 0) {
        return WriteDatagram(data, length, port, hostAddress, interfaceIndex, source);
    }
    // A broadcast leaves by the one interface the system routes 255.255.255.255 to, which on a PC
    // with several adapters is seldom the one the devices are on: it goes out once on each
    // interface that can broadcast, from that interface's own address. An interface that went down
    // since it was listed only costs its own datagram.
    const std::vector<BroadcastInterface> interfaces = BroadcastInterfaces();
    if (interfaces.empty()) {
        return WriteDatagram(data, length, port, hostAddress, 0, source);
    }
    qint64 result = -1;
    for (const BroadcastInterface& itf : interfaces) {
        const qint64 sent = WriteDatagram(data, length, port, hostAddress, itf.index, itf.address);
        qCDebug(lcSocket, "Broadcast on interface %d from %s: %lld", itf.index, qPrintable(itf.address.toString()),
                static_cast<long long>(sent));
        if (sent >= 0) {
            result = sent;
        }
    }
    return result;
}

qint64 CUdpSocket::WriteDatagram(const void* data, qint64 length, quint16 port, const QString& hostAddress,
                                 int interfaceIndex, const QHostAddress& source)
{
    const QHostAddress to = hostAddress.isEmpty() ? QHostAddress(QHostAddress::Broadcast) : QHostAddress(hostAddress);
    QNetworkDatagram datagram(QByteArray(static_cast<const char*>(data), static_cast<qsizetype>(length)), to, port);
    if (interfaceIndex > 0) {
        datagram.setInterfaceIndex(static_cast<uint>(interfaceIndex));
    }
    if (!source.isNull()) {
        datagram.setSender(source);
    }
    const qint64 sent = m_socket->writeDatagram(datagram);
    if (sent < 0) {
        m_errorString = m_socket->errorString();
        m_lastError = m_socket->error();
    }
    return sent;
}

qint64 CUdpSocket::Receive(void* buffer, qint64 capacity)
{
    if (!m_socket || m_socket->socketDescriptor() < 0) {
        return -1;
    }
    const qint64 size = m_socket->pendingDatagramSize();
    ++m_nReads;
    if (size < 0 || size > capacity) {
        // Reading also re-arms the read notification; an oversized datagram is dropped whole.
        m_socket->readDatagram(nullptr, 0);
        return -1;
    }
    const QNetworkDatagram datagram = m_socket->receiveDatagram(capacity);
    if (!datagram.isValid()) {
        return -1;
    }
    const QByteArray data = datagram.data();
    std::memcpy(buffer, data.constData(), static_cast<std::size_t>(data.size()));
    m_lastSender = datagram.senderAddress();
    m_lastSenderPort = static_cast<quint16>(datagram.senderPort());
    m_lastInterfaceIndex = static_cast<int>(datagram.interfaceIndex());
    return data.size();
}

void CUdpSocket::Close()
{
    ReleaseSocket();
}

bool CUdpSocket::IsOpen() const
{
    return m_socket && m_socket->socketDescriptor() >= 0;
}

quint16 CUdpSocket::LocalPort() const
{
    return m_socket ? m_socket->localPort() : 0;
}

void CUdpSocket::OnReadable()
{
    // Datagrams already waiting are announced one after the other in this pass, each once the
    // previous one has been read: under a burst of requests this spares the event loop a round per
    // datagram. The handler may close or delete the socket, or open a box whose event loop
    // announces the next datagrams itself.
    const QPointer<CUdpSocket> self(this);
    for (int announced = 0; announced < kBurst; ++announced) {
        if (!m_socket) {
            return;
        }
        const quint64 readsBefore = m_nReads;
        const int errorCode = m_socket->error() == QAbstractSocket::UnknownSocketError ? 0 : int(m_socket->error());
        qCDebug(lcSocket, "Errorcode = %d", errorCode);
        OnReceive(errorCode);
        if (!self || !m_socket || m_nReads == readsBefore || !m_socket->hasPendingDatagrams()) {
            return;
        }
    }
}
