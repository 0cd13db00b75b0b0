#include "gui/NetGuard.h"

#include <QFile>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>
#include <ifaddrs.h>
#include <net/if.h>

bool IsPrivateNetworkNamespace(QString* why)
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
    // getifaddrs asks the kernel about this process's own namespace (/sys/class/net may show
    // the namespace sysfs was mounted in).
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) == 0) {
        for (const ifaddrs* it = list; it; it = it->ifa_next) {
            const QString name = QString::fromLocal8Bit(it->ifa_name);
            if (name != QLatin1String("lo") && (it->ifa_flags & IFF_UP)) {
                const QString entry = QStringLiteral("interface %1 up").arg(name);
                if (!found.contains(entry)) {
                    found << entry;
                }
            }
        }
        freeifaddrs(list);
    } else {
        found << QStringLiteral("no interface list");
    }
    if (why) {
        *why = found.join(QStringLiteral(", "));
    }
    return found.isEmpty();
}

void RequirePrivateNetworkNamespace()
{
    QString why;
    if (!IsPrivateNetworkNamespace(&why)) {
        std::fprintf(stderr,
                     "REFUSED: this test opens sockets and broadcasts, and must run in a private network "
                     "namespace (tests/netns-run), but here it found %s.\n",
                     qPrintable(why));
        std::exit(1);
    }
}
