#pragma once

#include <QApplication>

// The application object: profile under "Tamsel", the hidden host, the event loop.
class CRuvelApp final : public QApplication
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CRuvelApp)

public:
    // What the utility does by itself once its window is up.
    enum class StartAction
    {
        None,
        // The IP Address page in front and its server started, as "DHCP Start" does.
        DhcpStart,
    };

    CRuvelApp(int& argc, char** argv);

    // Runs the utility; returns the process exit status (1 when the operator closes the window).
    int InitInstance(StartAction action = StartAction::None);
};
