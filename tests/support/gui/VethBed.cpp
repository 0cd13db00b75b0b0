#include "gui/VethBed.h"

#include "gui/NetGuard.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

constexpr int kRunTimeoutMs = 10000;
constexpr int kNamespaceTimeoutMs = 5000;
constexpr int kCaptureStartMs = 15000;
constexpr int kCaptureMaxSeconds = 170;
// For packets after the last one a test waited for.
constexpr int kCaptureSettleMs = 300;
constexpr int kStopTimeoutMs = 5000;

constexpr auto kExitMark = "bed: exit ";
constexpr auto kLeaseMark = "bed-lease: ";

// Run as PID 1 of the child's PID namespace, inside its new network and mount namespaces:
// child.sh INTERFACE MAC COMMAND [ARG...]. Waits for the interface to be moved in, brings it up
// with the MAC, runs the command, says how it ended and stays, so that the interface (and a
// capture on its peer) lasts until the bed kills the namespace.
constexpr auto kChildScript = R"(#!/bin/sh
set -e
iface=$1
mac=$2
shift 2
# What DHCP clients write goes to private mounts that end with this namespace.
if [ -e /etc/resolv.conf ]; then
    mount --bind "$BED_RESOLV_CONF" /etc/resolv.conf
fi
mount -t tmpfs -o mode=0755 bed-run /run
mkdir -p /run/dhcpcd
for dir in /var/lib/dhcp /var/lib/dhcpcd; do
    if [ -d "$dir" ]; then
        mount -t tmpfs -o mode=0755 bed-lib "$dir"
    fi
done
until ip link show dev "$iface" >/dev/null 2>&1; do
    sleep 0.02
done
ip link set dev lo up
ip link set dev "$iface" address "$mac"
ip link set dev "$iface" up
# What is sent before the kernel has taken the carrier in (state UP, a queue instead of noop) is
# dropped. The bed says when its own end is as far.
until ip -o link show dev "$iface" | grep 'state UP' | grep -qv 'qdisc noop'; do
    sleep 0.02
done
echo "bed: $iface up with $mac"
until [ -e "$BED_GO" ]; do
    sleep 0.01
done
rc=0
"$@" || rc=$?
echo "bed: exit $rc"
exec sleep 100000
)";

// Called by the clients with each event: udhcpc names it in $1, dhclient and dhcpcd in $reason.
// Only a lease is reported; nothing is configured and nothing is written.
constexpr auto kLeaseScript = R"(#!/bin/sh
case "${1:-}${reason:-}" in
bound | renew | BOUND | RENEW | REBIND | REBOOT)
    ip=${ip:-$new_ip_address}
    mask=${subnet:-$new_subnet_mask}
    router=${router:-$new_routers}
    server=${serverid:-$new_dhcp_server_identifier}
    echo "bed-lease: ip=$ip;mask=$mask;router=$router;server=$server"
    ;;
esac
exit 0
)";

// Debian's own requests, and one short try.
constexpr auto kDhclientConf = R"(timeout 8;
retry 1;
initial-interval 1;
send host-name = gethostname();
request subnet-mask, broadcast-address, time-offset, routers, domain-name, domain-name-servers,
        domain-search, host-name, netbios-name-servers, netbios-scope, interface-mtu, ntp-servers;
)";

// Debian's DHCPv4 choices.
constexpr auto kDhcpcdConf = R"(duid
option domain_name_servers, domain_name, domain_search
option interface_mtu
option host_name
option rapid_commit
require dhcp_server_identifier
)";

QString ReadText(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void DieWithTest(QProcess& process)
{
    // A child left over by a crashed test would hold its namespace, and its clients, forever.
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
}

// "net:[4026531840]"; empty when the process is gone.
QByteArray NetNamespace(qint64 pid)
{
    char target[64] = {};
    const QByteArray path = "/proc/" + QByteArray::number(pid) + "/ns/net";
    const ssize_t length = ::readlink(path.constData(), target, sizeof target - 1);
    return length > 0 ? QByteArray(target, length) : QByteArray();
}

} // namespace

VethBed::Child::Child(QString outputPath) : m_outputPath(std::move(outputPath)) {}

VethBed::Child::~Child()
{
    Stop();
}

bool VethBed::Child::WaitForOutput(const QString& text, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!Output().contains(text)) {
        if (deadline.hasExpired() || !IsRunning() || Output().contains(QLatin1String(kExitMark))) {
            return Output().contains(text);
        }
        QTest::qWait(5);
    }
    return true;
}

bool VethBed::Child::WaitForExit(int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (ExitCode() < 0) {
        if (deadline.hasExpired() || !IsRunning()) {
            return ExitCode() >= 0;
        }
        QTest::qWait(5);
    }
    return true;
}

int VethBed::Child::ExitCode() const
{
    const QString output = Output();
    const qsizetype at = output.lastIndexOf(QLatin1String(kExitMark));
    if (at < 0) {
        return -1;
    }
    const qsizetype from = at + qsizetype(qstrlen(kExitMark));
    const qsizetype end = output.indexOf(QLatin1Char('\n'), from);
    bool ok = false;
    const int code = output.mid(from, end < 0 ? -1 : end - from).toInt(&ok);
    return ok ? code : -1;
}

QString VethBed::Child::Output() const
{
    return ReadText(m_outputPath);
}

VethBed::Lease VethBed::Child::ReportedLease() const
{
    Lease lease;
    for (const QString& line : Output().split(QLatin1Char('\n'))) {
        if (!line.startsWith(QLatin1String(kLeaseMark))) {
            continue;
        }
        lease.obtained = true;
        for (const QString& item : line.mid(qsizetype(qstrlen(kLeaseMark))).split(QLatin1Char(';'))) {
            const QString key = item.section(QLatin1Char('='), 0, 0);
            const QString value = item.section(QLatin1Char('='), 1).trimmed();
            if (key == QLatin1String("ip")) {
                lease.ip = value;
            } else if (key == QLatin1String("mask")) {
                lease.mask = value;
            } else if (key == QLatin1String("router")) {
                lease.router = value;
            } else if (key == QLatin1String("server")) {
                lease.server = value;
            }
        }
        break;
    }
    return lease;
}

void VethBed::Child::Stop()
{
    if (m_process.state() == QProcess::NotRunning) {
        return;
    }
    // unshare passes the SIGKILL on to the namespace's first process, and with it every process
    // in the namespace goes.
    m_process.kill();
    m_process.waitForFinished(kStopTimeoutMs);
}

QList<VethBed::Packet> VethBed::Decoded::Replies() const
{
    QList<Packet> replies;
    for (const Packet& packet : packets) {
        if (packet.op == 2) {
            replies << packet;
        }
    }
    return replies;
}

QList<VethBed::Packet> VethBed::Decoded::Requests() const
{
    QList<Packet> requests;
    for (const Packet& packet : packets) {
        if (packet.op == 1) {
            requests << packet;
        }
    }
    return requests;
}

VethBed::VethBed()
{
    m_script = WriteFile(QStringLiteral("lease.sh"), kLeaseScript, true);
    m_dhclientConf = WriteFile(QStringLiteral("dhclient.conf"), kDhclientConf);
    m_dhcpcdConf = WriteFile(QStringLiteral("dhcpcd.conf"), kDhcpcdConf);
    WriteFile(QStringLiteral("child.sh"), kChildScript, true);
}

VethBed::~VethBed()
{
    if (m_capture) {
        m_capture->kill();
        m_capture->waitForFinished(kStopTimeoutMs);
    }
    m_children.clear();
    // Pairs no child took are still here.
    for (int n = 0; n < m_nLinks; ++n) {
        QProcess ip;
        ip.setStandardOutputFile(QProcess::nullDevice());
        ip.setStandardErrorFile(QProcess::nullDevice());
        ip.start(QStringLiteral("ip"),
                 {QStringLiteral("link"), QStringLiteral("del"), QStringLiteral("bed%1s").arg(n)});
        ip.waitForFinished(kStopTimeoutMs);
    }
}

QString VethBed::WriteFile(const QString& name, const QByteArray& contents, bool executable)
{
    const QString path = m_dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        file.write(contents);
        file.close();
    }
    if (executable) {
        file.setPermissions(file.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeGroup | QFileDevice::ExeOther);
    }
    return path;
}

bool VethBed::Run(const QString& program, const QStringList& args, QString* output)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    DieWithTest(process);
    process.start(program, args);
    if (!process.waitForStarted(kRunTimeoutMs)) {
        m_error = QStringLiteral("%1 did not start: %2").arg(program, process.errorString());
        return false;
    }
    QDeadlineTimer deadline(kRunTimeoutMs);
    QByteArray text;
    while (process.state() != QProcess::NotRunning && !deadline.hasExpired()) {
        QTest::qWait(2);
        text += process.readAll();
    }
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(kStopTimeoutMs);
    }
    text += process.readAll();
    if (output) {
        *output = QString::fromUtf8(text);
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        m_error = QStringLiteral("%1 %2 failed: %3").arg(program, args.join(QLatin1Char(' ')), QString::fromUtf8(text));
        return false;
    }
    return true;
}

bool VethBed::Ip(const QStringList& args)
{
    return Run(QStringLiteral("ip"), args);
}

std::optional<VethBed::Link> VethBed::AddLink(const QString& serverAddress, int prefixLength)
{
    // The first bed of a process checks that its namespace is private (once the bed's links are
    // up it no longer looks so); a bed elsewhere makes nothing.
    static QByteArray verified;
    const QByteArray here = NetNamespace(QCoreApplication::applicationPid());
    QString why;
    if (here != verified) {
        if (!IsPrivateNetworkNamespace(&why)) {
            m_error = QStringLiteral("REFUSED: a veth bed is made only in a private network namespace "
                                     "(tests/netns-run), but here there is %1")
                          .arg(why);
            return std::nullopt;
        }
        verified = here;
    }
    Link link;
    link.serverName = QStringLiteral("bed%1s").arg(m_nLinks);
    link.clientName = QStringLiteral("bed%1c").arg(m_nLinks);
    link.serverAddress = serverAddress;
    link.prefixLength = prefixLength;
    ++m_nLinks;
    if (!Ip({"link", "add", link.serverName, "type", "veth", "peer", "name", link.clientName}) ||
        !Ip({"addr", "add", QStringLiteral("%1/%2").arg(serverAddress).arg(prefixLength), "dev", link.serverName}) ||
        !Ip({"link", "set", "dev", link.serverName, "up"})) {
        return std::nullopt;
    }
    return link;
}

VethBed::Child* VethBed::Start(const Link& link, const QString& mac, const QStringList& command, int maxMs)
{
    const int n = m_nChildren++;
    auto child = std::make_unique<Child>(m_dir.filePath(QStringLiteral("child%1.txt").arg(n)));
    QProcess& process = child->m_process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardOutputFile(child->m_outputPath);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("BED_RESOLV_CONF"), WriteFile(QStringLiteral("resolv%1.conf").arg(n), {}));
    env.insert(QStringLiteral("BED_GO"), m_dir.filePath(QStringLiteral("go%1").arg(n)));
    process.setProcessEnvironment(env);
    DieWithTest(process);
    QStringList args{"--net",
                     "--mount",
                     "--pid",
                     "--fork",
                     "--kill-child=SIGKILL",
                     "--mount-proc",
                     "--propagation",
                     "private",
                     "--",
                     "/bin/sh",
                     m_dir.filePath(QStringLiteral("child.sh")),
                     link.clientName,
                     mac};
    args << command;
    process.start(QStringLiteral("unshare"), args);
    if (!process.waitForStarted(kRunTimeoutMs)) {
        m_error = QStringLiteral("unshare did not start: %1").arg(process.errorString());
        return nullptr;
    }
    // The time bound holds whatever the test does meanwhile.
    QTimer::singleShot(maxMs, &process, [&process] { process.kill(); });

    // unshare makes its namespaces before it forks the command: once its network namespace is not
    // ours, the client end can go there.
    const QByteArray own = NetNamespace(QCoreApplication::applicationPid());
    QDeadlineTimer deadline(kNamespaceTimeoutMs);
    while (NetNamespace(process.processId()) == own || NetNamespace(process.processId()).isEmpty()) {
        if (deadline.hasExpired() || process.state() == QProcess::NotRunning) {
            m_error = QStringLiteral("no namespace for %1: %2").arg(command.value(0), child->Output());
            return nullptr;
        }
        QTest::qWait(2);
    }
    if (!Ip({"link", "set", "dev", link.clientName, "netns", QString::number(process.processId())})) {
        return nullptr;
    }
    // Both ends carry traffic before the command sends its first packet.
    if (!child->WaitForOutput(QStringLiteral("bed: %1 up").arg(link.clientName), kNamespaceTimeoutMs)) {
        m_error = QStringLiteral("%1 did not come up: %2").arg(link.clientName, child->Output());
        return nullptr;
    }
    QDeadlineTimer carrier(kNamespaceTimeoutMs);
    for (QString state;; QTest::qWait(5)) {
        if (!Run(QStringLiteral("ip"), {"-o", "link", "show", "dev", link.serverName}, &state)) {
            return nullptr;
        }
        if (state.contains(QLatin1String("state UP")) && !state.contains(QLatin1String("qdisc noop"))) {
            break;
        }
        if (carrier.hasExpired()) {
            m_error = QStringLiteral("%1 did not come up: %2").arg(link.serverName, state);
            return nullptr;
        }
    }
    WriteFile(QStringLiteral("go%1").arg(n), {});
    m_children.push_back(std::move(child));
    return m_children.back().get();
}

QStringList VethBed::ClientCommand(Client client, const QString& interfaceName) const
{
    switch (client) {
    case Client::Udhcpc:
        // Three discovers a second apart, then give up (-n); quit once bound (-q).
        return {"busybox", "udhcpc", "-f", "-q", "-n", "-i", interfaceName, "-s", m_script, "-t", "3", "-T", "1"};
    case Client::Dhclient:
        return {"dhclient",
                "-4",
                "-1",
                "-d",
                "-v",
                "-cf",
                m_dhclientConf,
                "-sf",
                m_script,
                "-lf",
                "/var/lib/dhcp/bed.leases",
                "-pf",
                "/run/dhclient.pid",
                interfaceName};
    case Client::Dhcpcd:
        // One lease and out (-1), in the foreground (-B), without ARP probes or link-local fallback.
        return {"dhcpcd", "-4", "-1", "-B", "-A", "-L", "-f", m_dhcpcdConf, "-c", m_script, "-t", "8", interfaceName};
    }
    return {};
}

VethBed::Child* VethBed::StartClient(Client client, const Link& link, const QString& mac, int maxMs)
{
    return Start(link, mac, ClientCommand(client, link.clientName), maxMs);
}

bool VethBed::StartCapture(const QString& interfaceName)
{
    if (m_capture) {
        m_error = QStringLiteral("a capture is running already");
        return false;
    }
    static int captures = 0;
    m_capturePath = m_dir.filePath(QStringLiteral("capture%1.pcapng").arg(captures));
    m_captureLog = m_dir.filePath(QStringLiteral("capture%1.txt").arg(captures));
    ++captures;
    m_capture = std::make_unique<QProcess>();
    m_capture->setProcessChannelMode(QProcess::MergedChannels);
    m_capture->setStandardOutputFile(m_captureLog);
    DieWithTest(*m_capture);
    // It ends by itself after kCaptureMaxSeconds if nothing stops it.
    m_capture->start(QStringLiteral("tshark"),
                     {"-i", interfaceName, "-w", m_capturePath, "-f", "udp port 67 or udp port 68", "-a",
                      QStringLiteral("duration:%1").arg(kCaptureMaxSeconds)});
    QDeadlineTimer deadline(kCaptureStartMs);
    // tshark says "Capturing on" as it starts dumpcap, and "Capture started" once dumpcap has its
    // interface open and its file written: only from then on is every packet in.
    while (!ReadText(m_captureLog).contains(QLatin1String("Capture started"))) {
        if (deadline.hasExpired() || m_capture->state() == QProcess::NotRunning) {
            m_error = QStringLiteral("tshark did not capture on %1: %2 %3")
                          .arg(interfaceName, m_capture->errorString(), ReadText(m_captureLog));
            m_capture->kill();
            m_capture->waitForFinished(kStopTimeoutMs);
            m_capture.reset();
            return false;
        }
        QTest::qWait(5);
    }
    return true;
}

VethBed::Decoded VethBed::StopCapture(const Completion& complete, int timeoutMs)
{
    if (!m_capture) {
        Decoded decoded;
        decoded.error = QStringLiteral("no capture is running");
        return decoded;
    }
    if (complete) {
        QDeadlineTimer deadline(timeoutMs);
        while (!complete(Decode(m_capturePath, false)) && !deadline.hasExpired()) {
            QTest::qWait(50);
        }
    }
    QTest::qWait(kCaptureSettleMs);
    m_capture->terminate();
    if (!m_capture->waitForFinished(kStopTimeoutMs)) {
        m_capture->kill();
        m_capture->waitForFinished(kStopTimeoutMs);
    }
    m_capture.reset();
    return Decode(m_capturePath, true);
}

VethBed::Decoded VethBed::Decode(const QString& path, bool dissect)
{
    Decoded decoded;
    QString fields;
    if (!Run(QStringLiteral("tshark"),
             {"-r", path,           "-Y", "dhcp",           "-T", "fields",           "-E", "separator=/t",
              "-E", "occurrence=f", "-e", "dhcp.type",      "-e", "dhcp.option.dhcp", "-e", "dhcp.hw.mac_addr",
              "-e", "dhcp.ip.your", "-e", "dhcp.ip.server", "-e", "ip.src",           "-e", "ip.dst",
              "-e", "udp.length"},
             &fields)) {
        decoded.error = m_error;
        return decoded;
    }
    for (const QString& line : fields.split(QLatin1Char('\n'))) {
        const QStringList cols = line.split(QLatin1Char('\t'));
        if (cols.size() < 8) {
            continue;
        }
        Packet packet;
        packet.op = cols[0].toInt();
        packet.type = cols[1].toInt();
        packet.mac = cols[2].toLower();
        packet.yiaddr = cols[3];
        packet.siaddr = cols[4];
        packet.source = cols[5];
        packet.destination = cols[6];
        packet.udpLength = cols[7].toInt();
        decoded.packets << packet;
    }
    if (!dissect) {
        return decoded;
    }
    // Every reply dissected in full, and the expert summary of warnings and errors on replies.
    if (!Run(QStringLiteral("tshark"), {"-r", path, "-V", "-Y", "dhcp.type == 2", "-z", "expert,warn,dhcp.type == 2"},
             &decoded.replyDissection)) {
        decoded.error = m_error;
        return decoded;
    }
    static const QRegularExpression problem(
        QStringLiteral("Malformed|Expert Info \\((Warning|Error)|^(Errors|Warnings) \\(\\d+\\)"),
        QRegularExpression::CaseInsensitiveOption);
    for (const QString& line : decoded.replyDissection.split(QLatin1Char('\n'))) {
        if (problem.match(line.trimmed()).hasMatch()) {
            decoded.replyProblems << line.trimmed();
        }
    }
    return decoded;
}
