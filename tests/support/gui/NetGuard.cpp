#include "gui/NetGuard.h"

#include <QDir>
#include <QFile>
#include <QTextStream>

#include <cstdio>
#include <cstdlib>
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
    const QDir net(QStringLiteral("/sys/class/net"));
    for (const QString& name : net.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System)) {
        if (name == QLatin1String("lo")) {
            continue;
        }
        QFile flags(net.filePath(name) + QStringLiteral("/flags"));
        if (flags.open(QIODevice::ReadOnly) && (flags.readAll().trimmed().toUInt(nullptr, 16) & IFF_UP)) {
            found << QStringLiteral("interface %1 up").arg(name);
        }
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
