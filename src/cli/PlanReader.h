#pragma once

#include "cli/DeviceJob.h"

#include <string>
#include <vector>

// Reads a plan: a CSV file with a header row naming its columns ("mac" and any of id, password and
// the netmode and serial settings by their option names), then one device per row. Empty cells
// leave a setting at the page's default; a row with id or password logs in, a row with any
// Network Mode setting sends one, then a row with any Serial setting sends that. Blank lines and
// lines starting with "#" are skipped.
class CPlanReader final
{
public:
    struct Row
    {
        int line = 0;
        std::string macText;
        DeviceJob job;
        std::string error; // empty: the row can be carried out
    };

    // False (and Error() says why) when the file cannot be read or its header is not one of a plan;
    // nothing is sent then. Otherwise every device row, good or bad, in order.
    bool Read(const std::string& path);
    const std::vector<Row>& Rows() const { return m_rows; }
    const std::string& Error() const { return m_error; }

    // Splits one CSV line; false when a quoted field does not end.
    static bool SplitLine(const std::string& line, std::vector<std::string>& fields);

private:
    void ReadRow(int line, const std::vector<std::string>& fields);

    std::string m_path;
    std::vector<std::string> m_columns;
    std::vector<Row> m_rows;
    std::string m_error;
};
