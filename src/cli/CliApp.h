#pragma once

#include "cli/DeviceExchange.h"
#include "cli/DeviceJob.h"
#include "cli/ExchangeResult.h"

#include <string>
#include <vector>

class CCommandLine;
class CResultPrinter;

// corvane-cli: reads the subcommand and its options, checks them as the window's dialogs and pages
// check what they send, and runs the exchanges. Run() returns the exit status: 0 when every device
// answered "OK", 1 when one refused or did not answer, 2 for bad usage or bad input.
class CCliApp final
{
public:
    explicit CCliApp(std::vector<std::string> args) : m_args(std::move(args)) {}

    int Run();

    // Devices in flight at once at most (each holds a socket).
    static constexpr std::size_t kMaxInFlight = 512;

    static const char* Usage(const std::string& command);

private:
    int RunDevice(const std::string& command, const std::vector<std::string>& args);
    int RunDhcp(const std::vector<std::string>& args);
    int RunHistory(const std::vector<std::string>& args);
    int RunApply(const std::vector<std::string>& args);
    // The common options; false (usage error said) when one is bad.
    bool ReadCommon(const CCommandLine& line, ExchangeOptions& options);
    // Runs the jobs side by side, each on its own socket, and returns their results in order.
    static std::vector<ExchangeResult> RunJobs(const std::vector<DeviceJob>& jobs, const ExchangeOptions& options);
    // Whether the operator agrees to clear the device's IP (asked on the terminal).
    static bool ConfirmClear(bool yes);
    static int UsageError(const std::string& command, const std::string& text);

    std::vector<std::string> m_args;
    bool m_bJson = false;
    bool m_bQuiet = false;
};
