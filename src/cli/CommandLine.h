#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

// The arguments of one subcommand: its positional arguments and its options, "--name value",
// "--name=value" or a flag "--name". Every option must be known to the subcommand.
class CCommandLine final
{
public:
    // `valued` take a value, `flags` do not. The common options are always known.
    CCommandLine(std::set<std::string> valued, std::set<std::string> flags);

    // False (and Error() says why) on an unknown option or a missing value.
    bool Parse(const std::vector<std::string>& args);

    const std::vector<std::string>& Positionals() const { return m_positionals; }
    bool Has(const std::string& name) const { return m_values.count(name) != 0; }
    std::optional<std::string> Value(const std::string& name) const;
    // The options given, in their order (name, value), the common ones left out.
    const std::vector<std::pair<std::string, std::string>>& Given() const { return m_given; }
    const std::string& Error() const { return m_error; }

    // Options every subcommand takes.
    static bool IsCommon(const std::string& name);

private:
    std::set<std::string> m_valued;
    std::set<std::string> m_flags;
    std::vector<std::string> m_positionals;
    std::map<std::string, std::string> m_values;
    std::vector<std::pair<std::string, std::string>> m_given;
    std::string m_error;
};
