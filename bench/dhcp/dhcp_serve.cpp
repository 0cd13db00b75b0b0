// dhcp_serve: the IP Address page's DHCP/BOOTP server without a window, for bench/dhcp/run-bench.sh.
// It builds the real page on the offscreen platform with its stores ("dhcp.ini", "adsvr.ini") in
// the current directory, presses DHCP Start and serves until SIGINT or SIGTERM. Every request goes
// the page's own way: the server socket, OnServerReceive, the tables, the status line.
//
// Usage: dhcp_serve [--verbose] [--interface NAME]...
//   --verbose         print every new status line on stdout, after the milliseconds since start
//   --interface NAME  an interface that may be up besides loopback (the bench's end of its veth)
//
// The server answers broadcasts with broadcasts, so dhcp_serve refuses to start where a default
// route exists or any other interface is up: it belongs in the namespaces the bench script makes.
// Message boxes go to stderr instead of the screen. At the end it prints how many offers and
// acknowledgements the status line reported and which other texts it showed.
#include "gui/controls/MessageBox.h"
#include "gui/dhcp/IPPage.h"
#include "gui/stores/Profile.h"
#include "gui/stores/StoreHooks.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QMap>
#include <QSettings>
#include <QSocketNotifier>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <functional>
#include <ifaddrs.h>
#include <net/if.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QString kStartCaption = QStringLiteral("DHCP\n Start");
const QString kStatusName = QStringLiteral("STATUS");
const QString kListening = QStringLiteral("Listening  DHCP request ....");
const QString kOfferPrefix = QStringLiteral("DHCP Offer sent... [");
const QString kAckPrefix = QStringLiteral("DHCP ACK sent... [");
constexpr int kMaxOtherTexts = 20;

int g_signalPipe[2] = {-1, -1};

void OnSignal(int)
{
    const char byte = 1;
    // Nothing to do when the pipe is full: one byte is enough to end the run.
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
}

struct Options
{
    bool bVerbose = false;
    QStringList interfaces;
};

bool ParseOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (arg == QLatin1String("--verbose")) {
            options.bVerbose = true;
        } else if (arg == QLatin1String("--interface") && i + 1 < argc) {
            options.interfaces << QString::fromLocal8Bit(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: dhcp_serve [--verbose] [--interface NAME]...\n");
            return false;
        }
    }
    return true;
}

// What makes this namespace unfit for a server that broadcasts: a default route, or an interface
// up that is neither loopback nor one of `allowed`. Empty when there is nothing.
QStringList NetworkObjections(const QStringList& allowed)
{
    QStringList found;
    QFile routes(QStringLiteral("/proc/net/route"));
    if (routes.open(QIODevice::ReadOnly)) {
        QTextStream in(&routes);
        in.readLine(); // header
        while (!in.atEnd()) {
            const QStringList cols = in.readLine().split(QLatin1Char('\t'), Qt::SkipEmptyParts);
            if (cols.size() > 7 && cols[1] == QLatin1String("00000000") && cols[7] == QLatin1String("00000000")) {
                found << QStringLiteral("a default route via %1").arg(cols[0]);
            }
        }
    } else {
        found << QStringLiteral("no readable /proc/net/route");
    }
    QFile routes6(QStringLiteral("/proc/net/ipv6_route"));
    if (routes6.open(QIODevice::ReadOnly)) {
        QTextStream in(&routes6);
        while (!in.atEnd()) {
            const QStringList cols = in.readLine().split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (cols.size() > 9 && cols[0] == QString(32, QLatin1Char('0')) && cols[1] == QLatin1String("00") &&
                cols[9] != QLatin1String("lo")) {
                found << QStringLiteral("an IPv6 default route via %1").arg(cols[9]);
            }
        }
    }
    // getifaddrs asks about this process's own namespace (/sys/class/net may show another one).
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) == 0) {
        for (const ifaddrs* it = list; it; it = it->ifa_next) {
            const QString name = QString::fromLocal8Bit(it->ifa_name);
            const QString entry = QStringLiteral("interface %1 up").arg(name);
            if ((it->ifa_flags & IFF_UP) && !(it->ifa_flags & IFF_LOOPBACK) && !allowed.contains(name) &&
                !found.contains(entry)) {
                found << entry;
            }
        }
        freeifaddrs(list);
    } else {
        found << QStringLiteral("no interface list");
    }
    return found;
}

template <class T>
T* FindChild(const QWidget& parent, const std::function<bool(const T&)>& match)
{
    for (T* child : parent.findChildren<T*>()) {
        if (match(*child)) {
            return child;
        }
    }
    return nullptr;
}

// Counts what the status line reported.
struct StatusTally
{
    long long nOffers = 0;
    long long nAcks = 0;
    long long nOthers = 0;
    QMap<QString, long long> others; // the first kMaxOtherTexts distinct texts

    void Count(const QString& text)
    {
        if (text.startsWith(kOfferPrefix)) {
            ++nOffers;
        } else if (text.startsWith(kAckPrefix)) {
            ++nAcks;
        } else if (text != QLatin1String("Received..") && text != QLatin1String("DHCP Socket Accepted..")) {
            ++nOthers;
            if (others.contains(text) || others.size() < kMaxOtherTexts) {
                ++others[text];
            }
        }
    }
};

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        return 2;
    }
    const QStringList objections = NetworkObjections(options.interfaces);
    if (!objections.isEmpty()) {
        std::fprintf(stderr,
                     "dhcp_serve: REFUSED: the server broadcasts its replies and runs only in a private network "
                     "namespace (bench/dhcp/run-bench.sh makes one), but here it found %s.\n",
                     qPrintable(objections.join(QStringLiteral(", "))));
        return 1;
    }

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Tamsel"));
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setQuitOnLastWindowClosed(false);

    // The profile goes to a private directory, so that the operator's own profile keeps its
    // "path"; the stores read and write the current directory, as the utility started here would.
    QTemporaryDir profileDir;
    if (!profileDir.isValid()) {
        std::fprintf(stderr, "dhcp_serve: no temporary directory for the profile\n");
        return 1;
    }
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, profileDir.path());
    CProfile::WriteString(CProfile::kSection, CProfile::kPathKey, QDir::currentPath());
    InstallStoreHooks();
    CMessageBox::SetPresenter([](QWidget*, const QString& text, const QString& caption) {
        std::fprintf(stderr, "dhcp_serve: message box \"%s\" / \"%s\"\n", qPrintable(text), qPrintable(caption));
        std::fflush(stderr);
    });

    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, g_signalPipe) != 0) {
        std::perror("dhcp_serve: socketpair");
        return 1;
    }
    QSocketNotifier signalNotifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, [] { QCoreApplication::quit(); });
    struct sigaction action = {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);

    // As the shell does: the page is built first and reads the stores once the directory is known.
    CIPPage page;
    page.OnInitDialog();
    page.show();

    QLineEdit* status =
        FindChild<QLineEdit>(page, [](const QLineEdit& edit) { return edit.accessibleName() == kStatusName; });
    QAbstractButton* start =
        FindChild<QAbstractButton>(page, [](const QAbstractButton& button) { return button.text() == kStartCaption; });
    if (!status || !start) {
        std::fprintf(stderr, "dhcp_serve: the IP Address page has no %s\n",
                     !status ? "STATUS line" : "DHCP Start button");
        return 1;
    }

    QElapsedTimer clock;
    clock.start();
    StatusTally tally;
    const bool bVerbose = options.bVerbose;
    // Every status text the page sets (the line itself shows only the last of a quick succession).
    QObject::connect(&page, &CIPPage::statusChanged, &app, [&tally, &clock, bVerbose](const QString& text) {
        tally.Count(text);
        if (bVerbose) {
            std::printf("%10.3f %s\n", static_cast<double>(clock.nsecsElapsed()) / 1e6, qPrintable(text));
            std::fflush(stdout);
        }
    });

    // A dialog the server opens (the Add dialog for a device the table does not hold) waits for an
    // operator who is not there; say so once per dialog.
    QTimer modalWatch;
    QWidget* lastModal = nullptr;
    QObject::connect(&modalWatch, &QTimer::timeout, &app, [&lastModal] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != lastModal) {
            std::fprintf(stderr, "dhcp_serve: dialog \"%s\" is open; the server drops requests until it closes\n",
                         qPrintable(modal->windowTitle()));
            std::fflush(stderr);
        }
        lastModal = modal;
    });
    modalWatch.start(500);

    if (!start->isEnabled()) {
        std::fprintf(stderr, "dhcp_serve: DHCP Start is disabled\n");
        return 1;
    }
    start->click();
    std::printf("dhcp_serve: %s\n", qPrintable(page.Status()));
    std::fflush(stdout);
    if (page.Status() != kListening) {
        return 1;
    }

    const int exitCode = QApplication::exec();

    std::printf("dhcp_serve: status \"%s\"; offers sent %lld, acks sent %lld, other texts %lld\n",
                qPrintable(page.Status()), tally.nOffers, tally.nAcks, tally.nOthers);
    for (auto it = tally.others.cbegin(); it != tally.others.cend(); ++it) {
        std::printf("dhcp_serve:   %8lld x \"%s\"\n", it.value(), qPrintable(it.key()));
    }
    std::fflush(stdout);
    return exitCode;
}
