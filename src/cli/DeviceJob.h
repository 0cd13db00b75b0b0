#pragma once

#include "core/link/ConfigCodec.h"
#include "core/link/ProtocolTypes.h"

#include <string>
#include <vector>

// The exchanges with one device, in their order.
enum class StepKind
{
    Find,
    Clear,
    Login,
    Passwd,
    NetMode,
    Serial,
};

// What is to be done with one device: the steps, and what each of them sends. Settings not given
// keep the pages' defaults.
struct DeviceJob
{
    corvane::MacAddress mac{};
    int line = 0; // the plan's line, 0 outside a plan
    std::vector<StepKind> steps;

    std::string id; // login
    std::string password;
    std::string newId; // passwd
    std::string newPassword;

    bool hasNetMode = false;
    corvane::NetworkModeSettings netMode = DefaultNetworkMode();
    bool hasSerial = false;
    corvane::SerialSettings serial = DefaultSerial();
    int serialTime = corvane::kDefaultSerialTime; // as typed; kUnlimitedSerialTime for "unlimited"

    // The Network Mode page as it first shows: "Static IP", "Server", ports 6001, no addresses,
    // a notifier of five minutes.
    static corvane::NetworkModeSettings DefaultNetworkMode()
    {
        corvane::NetworkModeSettings settings;
        settings.notifierHours = 0;
        settings.notifierMinutes = corvane::kDefaultNotifierMinutes;
        settings.ipMode = corvane::IpMode::Static;
        settings.tcpMode = corvane::TcpMode::Server;
        settings.devicePort = corvane::kDefaultTcpPort;
        settings.serverPort = corvane::kDefaultTcpPort;
        return settings;
    }
    // The Serial page as it first shows: "9600", "NONE", "8 bits", "1", "NONE", time 4.
    static corvane::SerialSettings DefaultSerial()
    {
        corvane::SerialSettings settings;
        settings.serialTime = corvane::kDefaultSerialTime;
        return settings;
    }
};

const char* StepName(StepKind kind);
