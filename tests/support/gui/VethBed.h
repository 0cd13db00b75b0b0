#pragma once

#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// A small Ethernet for testing a DHCP server with real clients, made inside the test's private
// network namespace (tests/netns-run): veth pairs whose server end stays here with an address,
// while the client end goes into a namespace of its own (network, mount and PID) where one client
// runs as a child process with the hardware address it is given. There what DHCP clients write
// (/run, /var/lib/dhcp, /var/lib/dhcpcd: private tmpfs; /etc/resolv.conf: a private file) stays
// private, so nothing on the host's file system changes. Every child is time-bound and killed by its PID,
// with everything it started, when its time is up, by Stop, or when the bed goes; its veth pair
// goes with its namespace.
//
// All waits run the event loop, so that a server in the test process answers meanwhile.
class VethBed final
{
public:
    // One veth pair.
    struct Link
    {
        QString serverName; // stays in the test's namespace
        QString clientName; // the name it keeps in the child's namespace
        QString serverAddress;
        int prefixLength = 24;
    };

    enum class Client
    {
        Udhcpc,   // busybox udhcpc
        Dhclient, // ISC dhclient
        Dhcpcd,   // dhcpcd
    };

    // What a client's script reported once it had a lease.
    struct Lease
    {
        bool obtained = false;
        QString ip;
        QString mask;
        QString router;
        QString server;
    };

    // A command running in a namespace of its own with a link's client end.
    class Child final
    {
    public:
        explicit Child(QString outputPath);
        ~Child();
        Q_DISABLE_COPY_MOVE(Child)

        // Runs the event loop until the output holds `text`; false when it does not within
        // `timeoutMs` or the child ends first.
        bool WaitForOutput(const QString& text, int timeoutMs);
        // Runs the event loop until the command has ended (its namespace stays until Stop).
        bool WaitForExit(int timeoutMs);
        // The command's exit status once it has ended; -1 before, or when it was killed.
        int ExitCode() const;
        // Everything the command and the namespace's set-up wrote, stdout and stderr merged.
        QString Output() const;
        // The lease the bed's client script reported, if any.
        Lease ReportedLease() const;
        // Kills the child's namespace and everything in it, and waits for it.
        void Stop();
        bool IsRunning() const { return m_process.state() != QProcess::NotRunning; }
        qint64 Pid() const { return m_process.processId(); }

    private:
        friend class VethBed;

        QProcess m_process;
        QString m_outputPath;
    };

    // One DHCP/BOOTP packet of a capture.
    struct Packet
    {
        int op = 0;   // 1 request, 2 reply
        int type = 0; // option 53; 0 without one (BOOTP)
        QString mac;  // chaddr, lower case with colons
        QString yiaddr;
        QString siaddr;
        QString source;      // IP source address
        QString destination; // IP destination address
        int udpLength = 0;   // UDP header and payload
    };

    // A capture, decoded.
    struct Decoded
    {
        QString error; // empty when the capture could be read
        QList<Packet> packets;
        // tshark's full dissection of the replies and its expert summary (warnings and errors).
        QString replyDissection;
        // Malformed replies and expert warnings or errors on replies, one line each.
        QStringList replyProblems;
        QList<Packet> Replies() const;
        QList<Packet> Requests() const;
    };

    VethBed();
    ~VethBed();
    Q_DISABLE_COPY_MOVE(VethBed)

    // Why the last call failed.
    QString Error() const { return m_error; }

    // Makes a veth pair and gives its server end `serverAddress`/`prefixLength`, up. The client
    // end stays down here until Start takes it.
    std::optional<Link> AddLink(const QString& serverAddress, int prefixLength = 24);

    // Runs `command` in new network, mount and PID namespaces that take the link's client end,
    // give it `mac` and bring it up. Killed after `maxMs` at the latest. nullptr on failure.
    Child* Start(const Link& link, const QString& mac, const QStringList& command, int maxMs = 30000);
    // Starts `client` on the link's client end; its script reports the lease in the output.
    Child* StartClient(Client client, const Link& link, const QString& mac, int maxMs = 30000);
    // The command line of `client` for `interfaceName`, one exchange, bounded in time.
    QStringList ClientCommand(Client client, const QString& interfaceName) const;

    // Captures the DHCP traffic of `interfaceName` with tshark until StopCapture.
    bool StartCapture(const QString& interfaceName);
    // Stops the capture and decodes it. A capture reaches its file some time after the packets
    // went by, the more so on a busy machine: the capture goes on until what it holds so far
    // satisfies `complete` (at most `timeoutMs`), then a little longer for anything after that.
    using Completion = std::function<bool(const Decoded& sofar)>;
    Decoded StopCapture(const Completion& complete = {}, int timeoutMs = 5000);

    // Runs a command to its end (at most 10 s, the event loop running); false unless it exits with
    // status 0. Its output goes to `output`.
    bool Run(const QString& program, const QStringList& args, QString* output = nullptr);

private:
    bool Ip(const QStringList& args);
    QString WriteFile(const QString& name, const QByteArray& contents, bool executable = false);
    // The packets of the capture file; with `dissect` also the full dissection of the replies.
    Decoded Decode(const QString& path, bool dissect);

    QTemporaryDir m_dir;
    QString m_error;
    int m_nLinks = 0;
    int m_nChildren = 0;
    QString m_script;
    QString m_dhclientConf;
    QString m_dhcpcdConf;
    std::vector<std::unique_ptr<Child>> m_children;
    std::unique_ptr<QProcess> m_capture;
    QString m_capturePath;
    QString m_captureLog;
};
