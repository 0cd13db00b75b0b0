#include "cli/CliApp.h"

#include "cli/CliStores.h"
#include "cli/CommandLine.h"
#include "cli/DhcpServe.h"
#include "cli/JobSettings.h"
#include "cli/PlanReader.h"
#include "cli/ResultPrinter.h"
#include "core/dhcp/ClientChecks.h"
#include "core/link/CommandCodec.h"
#include "core/rules/MacParts.h"
#include "core/stores/BootPFDB.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTimer>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iostream>
#include <memory>

namespace {

const char* kMainUsage = R"(Usage: corvane-cli COMMAND [ARG...] [OPTION...]
The exchanges of the Corvane utility with CV 48x device servers, from a script. The stores
("pwd.ini", "mach.ini", "dhcp.ini", "adsvr.ini") are those of the current directory.

Commands:
  find MAC                     the device's IP address and system information
  clear MAC [--yes]            clear the device's IP address
  login MAC --id ID --password PW
                               confirm the ID and password; recorded in pwd.ini once confirmed
  passwd MAC --new-id ID --new-password PW
                               change the ID and password recorded for the device
  netmode MAC [SETTING...]     send the Network Mode settings
  serial MAC [SETTING...]      send the Serial settings
  dhcp serve|list|add|remove   the DHCP/BOOTP server and its client table
  history [--clear]            the MAC history, newest first
  apply PLAN.csv               carry out a plan, one device per row, side by side

Common options:
  --dest A          send to this address instead of broadcasting to 255.255.255.255
  --timeout SECONDS give up when no answer came within this time (default 5)
  --json            one JSON object per result
  --quiet           say nothing of what went well
  --help            the help of a command: corvane-cli COMMAND --help

Exit status: 0 when every device answered "OK", 1 when a device refused or did not answer,
2 for bad usage or bad input.
)";

const char* kFindUsage = R"(Usage: corvane-cli find MAC [--dest A] [--timeout S] [--json] [--quiet]
Broadcasts the IP-find request once a second, with the ID and password remembered for the MAC in
pwd.ini, until the device answers or the time-out. Prints the found IP and system information.
)";
const char* kClearUsage = R"(Usage: corvane-cli clear MAC [--yes] [--dest A] [--timeout S] [--json] [--quiet]
Clears the device's IP address. Without --yes it asks "You are to clear the IP from Device !!"
on the terminal (y/N), and refuses when stdin is not a terminal.
)";
const char* kLoginUsage =
    R"(Usage: corvane-cli login MAC --id ID --password PW [--dest A] [--timeout S] [--json] [--quiet]
Asks the device to confirm the ID and password (the Password page's confirmation). Only an ID
and password the device confirms are recorded in pwd.ini; every other command needs them.
)";
const char* kPasswdUsage = R"(Usage: corvane-cli passwd MAC --new-id ID --new-password PW [--dest A] [--json] [--quiet]
Changes the device's ID and password, sent with those in pwd.ini. Without an answer within 3 s,
the new ones are confirmed once a second, ten times at most (the Password page's change).
)";
const char* kNetModeUsage = R"(Usage: corvane-cli netmode MAC [SETTING...] [--dest A] [--timeout S] [--json] [--quiet]
Sends the Network Mode settings; a setting not given keeps the page's default:
  --ip-mode static|dynamic         [static]
  --tcp-mode server|client|both    [server]
  --port N                         the device's port [6001]
  --server-ip A                    the remote server (client and both) [0.0.0.0]
  --server-port N                  [6001]
  --data-server-ip A               the notifier's data server (needed) [0.0.0.0]
  --notifier H:MM                  the notifier's interval, at most 6:00 [0:05]
)";
const char* kSerialUsage = R"(Usage: corvane-cli serial MAC [SETTING...] [--dest A] [--timeout S] [--json] [--quiet]
Sends the Serial settings; a setting not given keeps the page's default:
  --baud N                         150 to 115200 [9600]
  --parity none|odd|even           [none]
  --data-bits 5-8                  [8]
  --stop-bits 1|1.5|2              [1]
  --flow none|hardware|xon-xoff    [none]
  --time N|unlimited               2 to 100 [4]
)";
const char* kDhcpUsage = R"(Usage: corvane-cli dhcp serve [--json] [--quiet]
       corvane-cli dhcp list [--json]
       corvane-cli dhcp add MAC IP [--gateway A] [--mask A]
       corvane-cli dhcp remove MAC|IP
serve: the DHCP/BOOTP server on UDP port 67 (needs root or CAP_NET_BIND_SERVICE), answering the
devices in dhcp.ini with the settings of adsvr.ini, both read again when they change. A device
the table does not hold is logged, not added. Stops on SIGINT or SIGTERM with exit status 0.
list, add, remove: the client table dhcp.ini.
)";
const char* kHistoryUsage = R"(Usage: corvane-cli history [--clear] [--json]
The MAC history (mach.ini), newest first; --clear empties it.
)";
const char* kApplyUsage = R"(Usage: corvane-cli apply PLAN.csv [--dest A] [--timeout S] [--json] [--quiet]
Carries out a plan: a CSV file whose header row names its columns, "mac" first, then any of
id, password, ip-mode, tcp-mode, port, server-ip, server-port, data-server-ip, notifier, baud,
parity, data-bits, stop-bits, flow, time; then one device per row. For each row: login when id or
password is given, then netmode when any Network Mode column is set, then serial when any Serial
column is set. The devices are handled side by side, each within the time-out; one result per
row at the end. A bad row (named by its line and column) sends nothing; the others go on.
)";

const std::set<std::string> kNetModeOptions{"ip-mode",     "tcp-mode",       "port",    "server-ip",
                                            "server-port", "data-server-ip", "notifier"};
const std::set<std::string> kSerialOptions{"baud", "parity", "data-bits", "stop-bits", "flow", "time"};

ExchangeResult InvalidResult(const std::string& command, const std::string& mac, const std::string& text)
{
    ExchangeResult result;
    result.command = command;
    result.mac = mac;
    result.outcome = Outcome::Invalid;
    result.message = text;
    return result;
}

} // namespace

const char* CCliApp::Usage(const std::string& command)
{
    if (command == "find") {
        return kFindUsage;
    }
    if (command == "clear") {
        return kClearUsage;
    }
    if (command == "login") {
        return kLoginUsage;
    }
    if (command == "passwd") {
        return kPasswdUsage;
    }
    if (command == "netmode") {
        return kNetModeUsage;
    }
    if (command == "serial") {
        return kSerialUsage;
    }
    if (command == "dhcp") {
        return kDhcpUsage;
    }
    if (command == "history") {
        return kHistoryUsage;
    }
    if (command == "apply") {
        return kApplyUsage;
    }
    return kMainUsage;
}

int CCliApp::UsageError(const std::string& command, const std::string& text)
{
    CResultPrinter::Error((command.empty() ? std::string() : command + ": ") + text);
    std::fprintf(stderr, "Try 'corvane-cli %s%s--help'.\n", command.c_str(), command.empty() ? "" : " ");
    return 2;
}

int CCliApp::Run()
{
    if (m_args.empty()) {
        std::fputs(kMainUsage, stderr);
        return 2;
    }
    const std::string command = m_args.front();
    const std::vector<std::string> rest(m_args.begin() + 1, m_args.end());
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kMainUsage, stdout);
        return 0;
    }
    CCliStores::Install();
    if (command == "find" || command == "clear" || command == "login" || command == "passwd" || command == "netmode" ||
        command == "serial") {
        return RunDevice(command, rest);
    }
    if (command == "dhcp") {
        return RunDhcp(rest);
    }
    if (command == "history") {
        return RunHistory(rest);
    }
    if (command == "apply") {
        return RunApply(rest);
    }
    return UsageError({}, "unknown command \"" + command + "\"");
}

bool CCliApp::ReadCommon(const CCommandLine& line, ExchangeOptions& options)
{
    m_bJson = line.Has("json");
    m_bQuiet = line.Has("quiet");
    if (const auto dest = line.Value("dest")) {
        const auto address = CJobSettings::ParseAddress(*dest);
        if (!address) {
            CResultPrinter::Error("invalid --dest \"" + *dest + "\" (an IPv4 address such as 10.0.0.5)");
            return false;
        }
        // The pages broadcast when the destination is 255.255.255.255.
        if (*address != corvane::Ipv4Address{255, 255, 255, 255}) {
            options.destination = QString::fromStdString(corvane::IpText(*address));
        }
    }
    if (const auto timeout = line.Value("timeout")) {
        bool ok = false;
        const double seconds = QString::fromStdString(*timeout).toDouble(&ok);
        // Written so that "nan" fails too.
        if (!ok || !(seconds > 0 && seconds <= 86400)) {
            CResultPrinter::Error("invalid --timeout \"" + *timeout + "\" (seconds, more than 0)");
            return false;
        }
        options.timeoutMs = static_cast<int>(seconds * 1000 + 0.5);
        if (options.timeoutMs < 1) {
            options.timeoutMs = 1;
        }
    }
    return true;
}

std::vector<ExchangeResult> CCliApp::RunJobs(const std::vector<DeviceJob>& jobs, const ExchangeOptions& options)
{
    // One socket per device in flight: as many at once as the descriptor limit leaves room for.
    std::size_t limit = kMaxInFlight;
    rlimit files{};
    if (::getrlimit(RLIMIT_NOFILE, &files) == 0 && files.rlim_cur != RLIM_INFINITY) {
        const auto room = files.rlim_cur > 64 ? static_cast<std::size_t>(files.rlim_cur - 64) : std::size_t{1};
        limit = std::min(limit, room);
    }
    std::vector<std::unique_ptr<CDeviceExchange>> exchanges;
    for (const DeviceJob& job : jobs) {
        exchanges.push_back(std::make_unique<CDeviceExchange>(job, options));
    }
    QEventLoop loop;
    std::size_t started = 0;
    std::size_t done = 0;
    std::function<void()> startNext = [&] {
        while (started < exchanges.size() && started - done < limit) {
            exchanges[started++]->Start();
        }
    };
    for (const auto& exchange : exchanges) {
        QObject::connect(exchange.get(), &CDeviceExchange::finished, &loop, [&] {
            ++done;
            if (done == exchanges.size()) {
                loop.quit();
            } else {
                // Started from the event loop, not from within the one that just ended.
                QTimer::singleShot(0, &loop, startNext);
            }
        });
    }
    startNext();
    if (done < exchanges.size()) {
        loop.exec();
    }
    // The MACs of exchanges that ended before their history was written.
    CCliStores::Flush();
    std::vector<ExchangeResult> results;
    for (const auto& exchange : exchanges) {
        results.push_back(exchange->Result());
    }
    return results;
}

bool CCliApp::ConfirmClear(bool yes)
{
    if (yes) {
        return true;
    }
    if (::isatty(STDIN_FILENO) == 0) {
        return false;
    }
    std::fprintf(stderr, "%s: %s Continue? (y/N) ", corvane::kClearCaption, corvane::kClearWarning);
    std::fflush(stderr);
    std::string answer;
    std::getline(std::cin, answer);
    return answer == "y" || answer == "Y" || answer == "yes";
}

int CCliApp::RunDevice(const std::string& command, const std::vector<std::string>& args)
{
    std::set<std::string> valued;
    std::set<std::string> flags;
    DeviceJob job;
    if (command == "find") {
        job.steps = {StepKind::Find};
    } else if (command == "clear") {
        job.steps = {StepKind::Clear};
        flags = {"yes"};
    } else if (command == "login") {
        job.steps = {StepKind::Login};
        valued = {"id", "password"};
    } else if (command == "passwd") {
        job.steps = {StepKind::Passwd};
        valued = {"new-id", "new-password"};
    } else if (command == "netmode") {
        job.steps = {StepKind::NetMode};
        valued = kNetModeOptions;
    } else {
        job.steps = {StepKind::Serial};
        valued = kSerialOptions;
    }
    CCommandLine line(valued, flags);
    if (!line.Parse(args)) {
        return UsageError(command, line.Error());
    }
    if (line.Has("help")) {
        std::fputs(Usage(command), stdout);
        return 0;
    }
    ExchangeOptions options;
    if (!ReadCommon(line, options)) {
        return 2;
    }
    const CResultPrinter printer(m_bJson, m_bQuiet);
    if (line.Positionals().size() != 1) {
        return UsageError(command, "expects one MAC address");
    }
    const std::string macText = line.Positionals().front();
    const auto mac = CJobSettings::ParseMac(macText);
    if (!mac) {
        printer.Print(InvalidResult(command, macText,
                                    "invalid MAC address \"" + macText + "\" (six bytes, such as 00:11:22:33:44:55)"));
        return 2;
    }
    job.mac = *mac;
    for (const auto& [name, value] : line.Given()) {
        std::string error;
        if (name != "yes" && !CJobSettings::Apply(name, value, job, error)) {
            // Named as the option: invalid --port "x" (...).
            const std::string prefix = "invalid ";
            if (error.compare(0, prefix.size(), prefix) == 0) {
                error.insert(prefix.size(), "--");
            }
            printer.Print(InvalidResult(command, corvane::MacText(job.mac), error));
            return 2;
        }
    }
    if (const auto refusal = CJobSettings::Check(job)) {
        ExchangeResult result = InvalidResult(command, corvane::MacText(job.mac), refusal->text);
        result.caption = refusal->caption;
        printer.Print(result);
        return 2;
    }
    if (command == "clear" && !ConfirmClear(line.Has("yes"))) {
        printer.Print(InvalidResult(command, corvane::MacText(job.mac),
                                    "not cleared: not confirmed (answer y on a terminal, or give --yes)"));
        return 2;
    }
    const std::vector<ExchangeResult> results = RunJobs({job}, options);
    printer.Print(results.front());
    return CResultPrinter::ExitStatus(results.front().outcome);
}

int CCliApp::RunApply(const std::vector<std::string>& args)
{
    CCommandLine line({}, {});
    if (!line.Parse(args)) {
        return UsageError("apply", line.Error());
    }
    if (line.Has("help")) {
        std::fputs(kApplyUsage, stdout);
        return 0;
    }
    ExchangeOptions options;
    if (!ReadCommon(line, options)) {
        return 2;
    }
    if (line.Positionals().size() != 1) {
        return UsageError("apply", "expects one plan file");
    }
    CPlanReader plan;
    if (!plan.Read(line.Positionals().front())) {
        CResultPrinter::Error(plan.Error());
        return 2;
    }
    std::vector<DeviceJob> jobs;
    for (const CPlanReader::Row& row : plan.Rows()) {
        if (row.error.empty()) {
            jobs.push_back(row.job);
        }
    }
    const std::vector<ExchangeResult> done = RunJobs(jobs, options);

    const CResultPrinter printer(m_bJson, m_bQuiet);
    int status = 0;
    std::size_t next = 0;
    for (const CPlanReader::Row& row : plan.Rows()) {
        ExchangeResult result;
        if (row.error.empty()) {
            result = done[next++];
        } else {
            const auto mac = CJobSettings::ParseMac(row.macText);
            result = InvalidResult("apply", mac ? corvane::MacText(*mac) : row.macText, row.error);
            result.line = row.line;
        }
        printer.Print(result);
        status = std::max(status, CResultPrinter::ExitStatus(result.outcome));
    }
    return status;
}

int CCliApp::RunHistory(const std::vector<std::string>& args)
{
    CCommandLine line({}, {"clear"});
    if (!line.Parse(args)) {
        return UsageError("history", line.Error());
    }
    if (line.Has("help")) {
        std::fputs(kHistoryUsage, stdout);
        return 0;
    }
    ExchangeOptions options;
    if (!ReadCommon(line, options)) {
        return 2;
    }
    if (!line.Positionals().empty()) {
        return UsageError("history", "takes no arguments");
    }
    if (line.Has("clear")) {
        return CCliStores::ClearHistory() ? 0 : 1;
    }
    for (const corvane::MacAddress& mac : CCliStores::History()) {
        if (m_bJson) {
            QJsonObject object;
            object[QStringLiteral("mac")] = QString::fromStdString(corvane::MacText(mac));
            std::printf("%s\n", QJsonDocument(object).toJson(QJsonDocument::Compact).constData());
        } else {
            std::printf("%s\n", corvane::MacText(mac).c_str());
        }
    }
    return 0;
}

int CCliApp::RunDhcp(const std::vector<std::string>& args)
{
    CCommandLine line({"gateway", "mask"}, {});
    if (!line.Parse(args)) {
        return UsageError("dhcp", line.Error());
    }
    if (line.Has("help")) {
        std::fputs(kDhcpUsage, stdout);
        return 0;
    }
    ExchangeOptions options;
    if (!ReadCommon(line, options)) {
        return 2;
    }
    const CResultPrinter printer(m_bJson, m_bQuiet);
    const std::vector<std::string>& positionals = line.Positionals();
    if (positionals.empty()) {
        return UsageError("dhcp", "expects serve, list, add or remove");
    }
    const std::string& action = positionals.front();
    if (action == "serve" && positionals.size() == 1) {
        CDhcpServe serve(printer);
        const int failed = serve.Start();
        if (failed >= 0) {
            return failed;
        }
        QObject::connect(&serve, &CDhcpServe::stopped, QCoreApplication::instance(), &QCoreApplication::quit);
        return QCoreApplication::exec();
    }
    if (action == "list" && positionals.size() == 1) {
        for (const corvane::dhcp::ClientEntry& entry : CCliStores::DhcpEntries()) {
            if (m_bJson) {
                QJsonObject object;
                object[QStringLiteral("type")] = entry.nHType;
                object[QStringLiteral("len")] = entry.nHlen;
                object[QStringLiteral("ip")] = QString::fromStdString(entry.ip);
                object[QStringLiteral("mac")] = QString::fromStdString(entry.mac);
                object[QStringLiteral("gateway")] = QString::fromStdString(entry.gateway);
                object[QStringLiteral("mask")] = QString::fromStdString(entry.subnet);
                std::printf("%s\n", QJsonDocument(object).toJson(QJsonDocument::Compact).constData());
            } else {
                std::printf("%d\t%d\t%s\t%s\t%s\t%s\n", entry.nHType, entry.nHlen, entry.ip.c_str(), entry.mac.c_str(),
                            entry.gateway.c_str(), entry.subnet.c_str());
            }
        }
        return 0;
    }
    auto padded = [](const corvane::Ipv4Address& a) { return CBootPFDB::PaddedAddress(a[0], a[1], a[2], a[3]); };
    if (action == "add" && positionals.size() == 3) {
        const auto mac = CJobSettings::ParseMac(positionals[1]);
        if (!mac) {
            return UsageError("dhcp", "invalid MAC address \"" + positionals[1] + "\"");
        }
        const auto ip = CJobSettings::ParseAddress(positionals[2]);
        if (!ip) {
            return UsageError("dhcp", "invalid IP address \"" + positionals[2] + "\"");
        }
        corvane::Ipv4Address gateway{};
        corvane::Ipv4Address mask{};
        for (const auto& [name, value] : line.Given()) {
            const auto address = CJobSettings::ParseAddress(value);
            if (!address) {
                return UsageError("dhcp", "invalid --" + name + " \"" + value + "\"");
            }
            (name == "gateway" ? gateway : mask) = *address;
        }
        if (const auto refusal = corvane::dhcp::CheckNewClient(*ip)) {
            CResultPrinter::Error(*refusal);
            return 2;
        }
        if (CCliStores::DefaultRouter().empty()) {
            CResultPrinter::Error(corvane::dhcp::kMsgNoDefaultRouter);
            return 1;
        }
        corvane::dhcp::ClientEntry entry;
        entry.nHType = 1;
        entry.nHlen = 6;
        entry.ip = padded(*ip);
        entry.mac = corvane::MacKey(*mac);
        entry.gateway = padded(gateway);
        entry.subnet = padded(mask);
        switch (CCliStores::AddDhcpEntry(entry)) {
        case CCliStores::AddResult::Added:
            // As the Add dialog's OK remembers it.
            CCliStores::RememberMac(*mac);
            printer.Note("added " + corvane::MacText(*mac) + " " + corvane::IpText(*ip));
            return 0;
        case CCliStores::AddResult::Duplicate:
            CResultPrinter::Error("the IP or the MAC is in dhcp.ini already; nothing added");
            return 1;
        case CCliStores::AddResult::Failed:
            return 1;
        }
    }
    if (action == "remove" && positionals.size() == 2) {
        const auto mac = CJobSettings::ParseMac(positionals[1]);
        const auto ip = mac ? std::nullopt : CJobSettings::ParseAddress(positionals[1]);
        if (!mac && !ip) {
            return UsageError("dhcp", "\"" + positionals[1] + "\" is neither a MAC nor an IP address");
        }
        const int removed = CCliStores::RemoveDhcpEntries(mac ? corvane::MacKey(*mac) : std::string(),
                                                          ip ? padded(*ip) : std::string());
        if (removed == 0) {
            CResultPrinter::Error(positionals[1] + " is not in dhcp.ini");
            return 1;
        }
        if (removed < 0) {
            return 1;
        }
        printer.Note("removed " + std::to_string(removed) + " " + (removed == 1 ? "entry" : "entries"));
        return 0;
    }
    return UsageError("dhcp", "expects serve, list, add MAC IP or remove MAC|IP");
}
