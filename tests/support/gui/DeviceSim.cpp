#include "gui/DeviceSim.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTest>

#include <algorithm>
#include <csignal>
#include <sys/prctl.h>

namespace {

constexpr auto kListening = "devicesim: listening on ";
constexpr int kDefaultMaxSeconds = 300;
constexpr int kStopTimeoutMs = 5000;

} // namespace

DeviceSim::DeviceSim()
{
    m_process.setProgram(QStringLiteral(CORVANE_DEVICESIM));
    m_process.setStandardOutputFile(m_dir.filePath(QStringLiteral("stdout.txt")));
    m_process.setStandardErrorFile(m_dir.filePath(QStringLiteral("stderr.txt")));
    // A stand-in left over by a crashed test would hold port 1024 for the next one.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
}

DeviceSim::~DeviceSim()
{
    Stop();
}

bool DeviceSim::Start(const QStringList& args, int timeoutMs)
{
    m_error.clear();
    if (IsRunning()) {
        m_error = QStringLiteral("devicesim is already running");
        return false;
    }
    QStringList all = args;
    const auto bounded = [](const QString& arg) { return arg.startsWith(QLatin1String("--max-seconds")); };
    if (std::none_of(all.cbegin(), all.cend(), bounded)) {
        all << QStringLiteral("--max-seconds") << QString::number(kDefaultMaxSeconds);
    }
    all << QStringLiteral("--log") << LogPath();
    m_process.setArguments(all);
    m_process.start();
    if (!m_process.waitForStarted(timeoutMs)) {
        m_error = QStringLiteral("devicesim (%1) did not start: %2").arg(m_process.program(), m_process.errorString());
        return false;
    }
    QDeadlineTimer deadline(timeoutMs);
    while (!StandardOutput().contains(QLatin1String(kListening))) {
        if (m_process.waitForFinished(10)) {
            m_error = QStringLiteral("devicesim %1 exited with status %2 before listening:\n%3")
                          .arg(all.join(QLatin1Char(' ')))
                          .arg(m_process.exitCode())
                          .arg(StandardError());
            return false;
        }
        if (deadline.hasExpired()) {
            m_error = QStringLiteral("devicesim %1 did not listen within %2 ms:\n%3")
                          .arg(all.join(QLatin1Char(' ')))
                          .arg(timeoutMs)
                          .arg(StandardError());
            Stop();
            return false;
        }
    }
    return true;
}

void DeviceSim::Stop()
{
    if (m_process.state() == QProcess::NotRunning) {
        return;
    }
    m_process.terminate();
    if (!m_process.waitForFinished(kStopTimeoutMs)) {
        m_process.kill();
        m_process.waitForFinished(kStopTimeoutMs);
    }
}

bool DeviceSim::IsRunning() const
{
    return m_process.state() != QProcess::NotRunning;
}

int DeviceSim::ExitCode() const
{
    if (IsRunning() || m_process.exitStatus() != QProcess::NormalExit) {
        return -1;
    }
    return m_process.exitCode();
}

QString DeviceSim::LogPath() const
{
    return m_dir.filePath(QStringLiteral("requests.log"));
}

QStringList DeviceSim::LoggedRequests() const
{
    QStringList lines = ReadFile(QStringLiteral("requests.log")).split(QLatin1Char('\n'));
    // The part after the last newline is empty, or a line still being written.
    lines.removeLast();
    return lines;
}

bool DeviceSim::WaitForRequests(int count, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (LoggedRequests().size() < count) {
        if (deadline.hasExpired()) {
            return false;
        }
        QTest::qWait(5);
    }
    return true;
}

QString DeviceSim::StandardOutput() const
{
    return ReadFile(QStringLiteral("stdout.txt"));
}

QString DeviceSim::StandardError() const
{
    return ReadFile(QStringLiteral("stderr.txt"));
}

QString DeviceSim::ReadFile(const QString& name) const
{
    QFile file(m_dir.filePath(name));
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll());
}
