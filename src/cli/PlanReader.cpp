#include "cli/PlanReader.h"

#include "cli/JobSettings.h"
#include "core/link/CommandCodec.h"

#include <fstream>
#include <map>

namespace {

std::string Trimmed(const std::string& text)
{
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last + 1 - first);
}

bool IsKnownColumn(const std::string& name)
{
    return name == "mac" || name == "id" || name == "password" || CJobSettings::IsNetModeSetting(name) ||
           CJobSettings::IsSerialSetting(name);
}

} // namespace

bool CPlanReader::SplitLine(const std::string& line, std::vector<std::string>& fields)
{
    fields.clear();
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.push_back(Trimmed(field));
            field.clear();
        } else {
            field += c;
        }
    }
    if (quoted) {
        return false;
    }
    fields.push_back(Trimmed(field));
    return true;
}

bool CPlanReader::Read(const std::string& path)
{
    m_path = path;
    m_rows.clear();
    m_columns.clear();
    std::ifstream file(path);
    if (!file) {
        m_error = path + ": cannot read the plan";
        return false;
    }
    std::map<std::string, int> firstLineOfMac;
    std::string text;
    int line = 0;
    bool header = true;
    while (std::getline(file, text)) {
        ++line;
        // Spreadsheet programs start a UTF-8 CSV file with a byte order mark.
        if (line == 1 && text.compare(0, 3, "\xEF\xBB\xBF") == 0) {
            text.erase(0, 3);
        }
        const std::string trimmed = Trimmed(text);
        if (trimmed.empty() || trimmed[0] == '#') {
            continue;
        }
        std::vector<std::string> fields;
        const bool split = SplitLine(text, fields);
        if (header) {
            if (!split) {
                m_error = path + ":" + std::to_string(line) + ": unterminated quoted field in the header";
                return false;
            }
            for (std::size_t c = 0; c < fields.size(); ++c) {
                const std::string& name = fields[c];
                if (!IsKnownColumn(name)) {
                    m_error = path + ":" + std::to_string(line) + ": column " + std::to_string(c + 1) +
                              ": unknown column \"" + name + "\"";
                    return false;
                }
                for (std::size_t d = 0; d < c; ++d) {
                    if (fields[d] == name) {
                        m_error = path + ":" + std::to_string(line) + ": column " + std::to_string(c + 1) +
                                  ": column \"" + name + "\" named twice";
                        return false;
                    }
                }
            }
            if (fields.empty() || fields[0] != "mac") {
                m_error = path + ":" + std::to_string(line) + ": column 1: the header must start with \"mac\"";
                return false;
            }
            m_columns = fields;
            header = false;
            continue;
        }
        if (!split) {
            Row row;
            row.line = line;
            row.macText = Trimmed(text.substr(0, text.find(',')));
            row.error = path + ":" + std::to_string(line) + ": unterminated quoted field";
            m_rows.push_back(row);
            continue;
        }
        ReadRow(line, fields);
        Row& row = m_rows.back();
        if (row.error.empty()) {
            const std::string key = corvane::MacKey(row.job.mac);
            const auto [first, inserted] = firstLineOfMac.emplace(key, line);
            if (!inserted) {
                row.error = path + ":" + std::to_string(line) + ": column 1 (mac): " + row.macText +
                            " is already on line " + std::to_string(first->second);
            }
        }
    }
    if (header) {
        m_error = path + ": no header row";
        return false;
    }
    return true;
}

void CPlanReader::ReadRow(int line, const std::vector<std::string>& fields)
{
    Row row;
    row.line = line;
    row.job.line = line;
    auto where = [&](std::size_t column) {
        return m_path + ":" + std::to_string(line) + ": column " + std::to_string(column + 1) + " (" +
               m_columns[column] + "): ";
    };
    if (fields.size() != m_columns.size()) {
        row.error = m_path + ":" + std::to_string(line) + ": " + std::to_string(fields.size()) +
                    " fields, the header has " + std::to_string(m_columns.size());
        row.macText = fields.empty() ? std::string() : fields[0];
        m_rows.push_back(row);
        return;
    }
    row.macText = fields[0];
    const auto mac = CJobSettings::ParseMac(fields[0]);
    if (!mac) {
        row.error = where(0) + "invalid MAC address \"" + fields[0] + "\"";
        m_rows.push_back(row);
        return;
    }
    row.job.mac = *mac;
    bool login = false;
    for (std::size_t c = 1; c < fields.size(); ++c) {
        if (fields[c].empty()) {
            continue;
        }
        login = login || m_columns[c] == "id" || m_columns[c] == "password";
        std::string why;
        if (!CJobSettings::Apply(m_columns[c], fields[c], row.job, why)) {
            row.error = where(c) + why;
            m_rows.push_back(row);
            return;
        }
    }
    if (login) {
        row.job.steps.push_back(StepKind::Login);
    }
    if (row.job.hasNetMode) {
        row.job.steps.push_back(StepKind::NetMode);
    }
    if (row.job.hasSerial) {
        row.job.steps.push_back(StepKind::Serial);
    }
    if (const auto refusal = CJobSettings::Check(row.job)) {
        row.error = m_path + ":" + std::to_string(line) + ": " + refusal->text;
    }
    m_rows.push_back(row);
}
