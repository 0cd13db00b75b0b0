#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Runs the device stand-in (tools/devicesim) for a test. The stand-in logs every request it
// receives into a private temporary directory, and writes its output into files there, so that
// a chatty --verbose run never stalls on a full pipe. It also stops by itself after
// --max-seconds (300 unless the arguments say otherwise) and when the test process dies.
class DeviceSim final
{
public:
    DeviceSim();
    ~DeviceSim();
    Q_DISABLE_COPY_MOVE(DeviceSim)

    // Starts the stand-in with `args` and --log <private file>, and waits until it says it is
    // listening. On failure returns false and Error() says why, with the stand-in's stderr.
    [[nodiscard]] bool Start(const QStringList& args, int timeoutMs = 5000);
    // Asks the stand-in to stop (SIGTERM to its own PID) and waits for it; kills it after 5 s.
    void Stop();
    bool IsRunning() const;
    // Exit status of the stopped stand-in; -1 while it runs or if it crashed.
    int ExitCode() const;
    QString Error() const { return m_error; }

    QString LogPath() const;
    // One entry per received datagram: lower-case hex bytes separated by single blanks.
    QStringList LoggedRequests() const;
    // Runs the event loop until at least `count` requests are logged; false on time-out.
    bool WaitForRequests(int count, int timeoutMs = 5000);
    // Everything the stand-in has written so far.
    QString StandardOutput() const;
    QString StandardError() const;

private:
    QString ReadFile(const QString& name) const;

    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_error;
};
