#pragma once

#include "cli/ExchangeResult.h"

#include <string>

// Writes the results: one line of text each ("MAC command: message"), or with --json one JSON
// object per line. --quiet leaves out the results that went well.
class CResultPrinter final
{
public:
    CResultPrinter(bool json, bool quiet) : m_bJson(json), m_bQuiet(quiet) {}

    void Print(const ExchangeResult& result) const;
    // A line that is no device's result (a status line of the server, a listing): stdout, as text
    // or as {"message": ...}.
    void Note(const std::string& text) const;
    // A usage error or a refusal before anything was sent: stderr.
    static void Error(const std::string& text);

    bool Json() const { return m_bJson; }
    bool Quiet() const { return m_bQuiet; }

    // The exit status of a run: 2 when any result is Invalid, else 1 when any is not Ok, else 0.
    static int ExitStatus(Outcome outcome);

private:
    bool m_bJson;
    bool m_bQuiet;
};
