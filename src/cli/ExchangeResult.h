#pragma once

#include "core/link/CommandCodec.h"

#include <optional>
#include <string>

// How an exchange with a device ended.
enum class Outcome
{
    Ok,          // the device answered "OK"
    Refused,     // the device refused, or the stores hold nothing to send with
    NoAnswer,    // silence until the time-out
    Unexpected,  // an answer of another kind
    NotRecorded, // the device confirmed credentials that "pwd.ini" could not take
    Invalid,     // bad input: nothing was sent
};

// One line of the report: a device, the step that decided, and what the operator is told.
struct ExchangeResult
{
    std::string mac;
    std::string command;
    int line = 0;
    Outcome outcome = Outcome::Invalid;
    std::string message;
    std::string caption;
    std::optional<corvane::FindReply> found;
    double seconds = 0;
};

const char* OutcomeName(Outcome outcome);
