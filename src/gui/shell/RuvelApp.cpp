#include "gui/shell/RuvelApp.h"

#include "gui/shell/RuvelDlg.h"
#include "gui/stores/StoreHooks.h"

#include <QIcon>
#include <QStyle>
#include <QTimer>

#include <cstdio>
#include <ctime>

CRuvelApp::CRuvelApp(int& argc, char** argv) : QApplication(argc, argv)
{
    setOrganizationName(QStringLiteral("Tamsel"));
    // The sheet's close ends the run with its own status; Qt must not quit with 0 first.
    setQuitOnLastWindowClosed(false);
    setWindowIcon(style()->standardIcon(QStyle::SP_ComputerIcon));
}

int CRuvelApp::InitInstance(StartAction action)
{
    InstallStoreHooks();

    CRuvelDlg host;
    host.OnInitDialog();
    if (action == StartAction::DhcpStart) {
        // From the event loop, so that the window is up before any message the start may show.
        QTimer::singleShot(0, &host.PropSheet(), [&host] { host.PropSheet().OnDhcpStart(); });
    }

    // Start-up measurement (scripts/bench-startup.py): report when the window is on the screen.
    if (qEnvironmentVariableIsSet("CORVANE_STARTUP_PROBE")) {
        QTimer::singleShot(0, this, [] {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            std::printf("shown %lld\n", static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec);
            std::fflush(stdout);
            QCoreApplication::exit(0);
        });
    }
    return exec();
}
