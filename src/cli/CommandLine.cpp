#include "cli/CommandLine.h"

namespace {

const std::set<std::string> kCommonValued{"dest", "timeout"};
const std::set<std::string> kCommonFlags{"json", "quiet", "help"};

} // namespace

CCommandLine::CCommandLine(std::set<std::string> valued, std::set<std::string> flags)
    : m_valued(std::move(valued)), m_flags(std::move(flags))
{
    m_valued.insert(kCommonValued.begin(), kCommonValued.end());
    m_flags.insert(kCommonFlags.begin(), kCommonFlags.end());
}

bool CCommandLine::IsCommon(const std::string& name)
{
    return kCommonValued.count(name) != 0 || kCommonFlags.count(name) != 0;
}

bool CCommandLine::Parse(const std::vector<std::string>& args)
{
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            if (arg == "-h") {
                m_values["help"] = "";
                continue;
            }
            m_positionals.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = arg.substr(2);
        std::optional<std::string> value;
        if (const std::size_t eq = name.find('='); eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        if (m_flags.count(name) != 0) {
            if (value) {
                m_error = "option --" + name + " takes no value";
                return false;
            }
            m_values[name] = "";
            continue;
        }
        if (m_valued.count(name) == 0) {
            m_error = "unknown option --" + name;
            return false;
        }
        if (!value) {
            if (i + 1 >= args.size()) {
                m_error = "option --" + name + " needs a value";
                return false;
            }
            value = args[++i];
        }
        m_values[name] = *value;
        if (!IsCommon(name)) {
            m_given.emplace_back(name, *value);
        }
    }
    return true;
}

std::optional<std::string> CCommandLine::Value(const std::string& name) const
{
    const auto found = m_values.find(name);
    if (found == m_values.end()) {
        return std::nullopt;
    }
    return found->second;
}
