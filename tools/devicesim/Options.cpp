#include "Options.h"

#include <fstream>
#include <functional>
#include <map>

namespace devicesim {

namespace {

constexpr std::uint64_t kMaxDelayMs = 600000;
constexpr std::uint64_t kMaxDatagram = 65507;
constexpr std::uint64_t kMaxSeconds = 10000000;
constexpr std::uint64_t kMaxTries = 1000;
constexpr std::uint64_t kMaxWaitMs = 60000;
// A request fills at least the BOOTP minimum and at most one Ethernet frame.
constexpr std::uint64_t kMinRequest = 300;
constexpr std::uint64_t kMaxRequest = 1472;

// Splits a device description at its unescaped commas and undoes the escapes \, \\ and \xHH.
bool SplitSpec(std::string_view spec, std::vector<std::string>& items, std::string& error)
{
    std::string item;
    bool any = false;
    for (std::size_t i = 0; i < spec.size(); ++i) {
        const char c = spec[i];
        if (c == ',') {
            items.push_back(item);
            item.clear();
            continue;
        }
        any = true;
        if (c != '\\') {
            item += c;
            continue;
        }
        if (i + 1 < spec.size() && (spec[i + 1] == ',' || spec[i + 1] == '\\')) {
            item += spec[++i];
            continue;
        }
        std::uint64_t byte = 0;
        if (i + 3 < spec.size() && spec[i + 1] == 'x' &&
            ParseNumber("0x" + std::string(spec.substr(i + 2, 2)), 0xFF, byte) && byte != 0) {
            // "\xHH": two hex digits, any byte but zero.
            item += static_cast<char>(byte);
            i += 3;
            continue;
        }
        error = "bad escape in \"" + std::string(spec) + "\" (use \\, \\\\ or \\xHH, HH not 00)";
        return false;
    }
    if (any || !items.empty()) {
        items.push_back(item);
    }
    return true;
}

bool Text(std::string_view value, std::string& out, std::string& error)
{
    if (value.size() > 8) {
        error = "longer than 8 characters";
        return false;
    }
    out = value;
    return true;
}

template <class T>
bool Number(std::string_view value, std::uint64_t max, T& out, std::string& error)
{
    std::uint64_t number = 0;
    if (!ParseNumber(value, max, number)) {
        error = "not a number from 0 to " + std::to_string(max);
        return false;
    }
    out = static_cast<T>(number);
    return true;
}

bool MacValue(std::string_view value, Mac& out, std::string& error)
{
    if (!ParseMac(value, out)) {
        error = "not a MAC address like 00:11:22:33:44:55";
        return false;
    }
    return true;
}

bool IpValue(std::string_view value, Ip4& out, std::string& error)
{
    if (!ParseIp(value, out)) {
        error = "not an IPv4 address like 10.0.0.5";
        return false;
    }
    return true;
}

using Setter = std::function<bool(std::string_view, DeviceSettings&, std::string&)>;

const std::map<std::string, Setter, std::less<>>& Setters()
{
    static const std::map<std::string, Setter, std::less<>> setters = {
        {"mac", [](auto v, auto& d, auto& e) { return MacValue(v, d.mac, e); }},
        {"id", [](auto v, auto& d, auto& e) { return Text(v, d.id, e); }},
        {"password", [](auto v, auto& d, auto& e) { return Text(v, d.password, e); }},
        {"ip", [](auto v, auto& d, auto& e) { return IpValue(v, d.ip, e); }},
        {"router", [](auto v, auto& d, auto& e) { return IpValue(v, d.router, e); }},
        {"baseport", [](auto v, auto& d, auto& e) { return Number(v, 0xFFFF, d.basePort, e); }},
        {"tcpstate", [](auto v, auto& d, auto& e) { return Number(v, 0xFF, d.tcpState, e); }},
        {"curport", [](auto v, auto& d, auto& e) { return Number(v, 0xFFFF, d.curPort, e); }},
        {"clientport", [](auto v, auto& d, auto& e) { return Number(v, 0xFFFF, d.clientPort, e); }},
        {"clientmac", [](auto v, auto& d, auto& e) { return MacValue(v, d.clientMac, e); }},
        {"clientip", [](auto v, auto& d, auto& e) { return IpValue(v, d.clientIp, e); }},
        {"servermac", [](auto v, auto& d, auto& e) { return MacValue(v, d.serverMac, e); }},
        {"serverip", [](auto v, auto& d, auto& e) { return IpValue(v, d.serverIp, e); }},
        {"serverport", [](auto v, auto& d, auto& e) { return Number(v, 0xFFFF, d.serverPort, e); }},
        {"statetimer", [](auto v, auto& d, auto& e) { return Number(v, 0xFFFFFFFF, d.stateTimer, e); }},
        {"poweron",
         [](auto v, auto& d, auto& e) {
             std::uint64_t ticks = 0;
             if (!Number(v, 0xFFFFFFFFFF, ticks, e)) {
                 return false;
             }
             d.powerOn = ticks;
             return true;
         }},
        {"mode", [](auto v, auto& d, auto& e) { return Number(v, 0xFF, d.mode, e); }},
        {"curmode", [](auto v, auto& d, auto& e) { return Number(v, 0xFF, d.curMode, e); }},
        {"behave",
         [](auto v, auto& d, auto& e) {
             static const std::map<std::string, Behaviour, std::less<>> names = {
                 {"normal", Behaviour::Normal},        {"refuse", Behaviour::Refuse},
                 {"wrong-code", Behaviour::WrongCode}, {"other-mac", Behaviour::OtherMac},
                 {"silent", Behaviour::Silent},        {"oversize", Behaviour::Oversize},
                 {"garbage", Behaviour::Garbage},      {"empty", Behaviour::Empty},
             };
             const auto it = names.find(v);
             if (it == names.end()) {
                 e = "not one of normal, refuse, wrong-code, other-mac, silent, oversize, garbage, empty";
                 return false;
             }
             d.behaviour = it->second;
             return true;
         }},
        {"delay", [](auto v, auto& d, auto& e) { return Number(v, kMaxDelayMs, d.delayMs, e); }},
        {"answer",
         [](auto v, auto& d, auto& e) {
             if (v != "any" && v != "own") {
                 e = "not any or own";
                 return false;
             }
             d.answerAny = v == "any";
             return true;
         }},
        {"othermac",
         [](auto v, auto& d, auto& e) {
             Mac mac{};
             if (!MacValue(v, mac, e)) {
                 return false;
             }
             d.otherMac = mac;
             return true;
         }},
        {"mute",
         [](auto v, auto& d, auto& e) {
             // Command codes in hexadecimal, joined by "+": mute=99 or mute=99+98.
             std::size_t from = 0;
             for (;;) {
                 const std::size_t plus = v.find('+', from);
                 const std::string_view code = v.substr(from, plus == std::string_view::npos ? v.npos : plus - from);
                 std::uint64_t byte = 0;
                 if (code.empty() || code.size() > 2 || !ParseNumber("0x" + std::string(code), 0xFF, byte)) {
                     e = "not hexadecimal command codes joined by + (like 99 or 99+98)";
                     return false;
                 }
                 d.mute.set(static_cast<std::size_t>(byte));
                 if (plus == std::string_view::npos) {
                     return true;
                 }
                 from = plus + 1;
             }
         }},
        {"size",
         [](auto v, auto& d, auto& e) {
             std::size_t size = 0;
             if (!Number(v, kMaxDatagram, size, e)) {
                 return false;
             }
             d.size = size;
             return true;
         }},
    };
    return setters;
}

bool ReadConfigFile(const std::string& path, Options& options, std::string& error)
{
    std::ifstream in(path);
    if (!in) {
        error = "cannot read the device file " + path;
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') {
            continue;
        }
        const std::size_t end = line.find_last_not_of(" \t");
        DeviceSettings device;
        std::string why;
        if (!ParseDeviceSpec(std::string_view(line).substr(start, end + 1 - start), options.devices.size(), device,
                             why)) {
            error = path + ":" + std::to_string(number) + ": " + why;
            return false;
        }
        options.devices.push_back(device);
    }
    return true;
}

} // namespace

bool ParseDeviceSpec(std::string_view spec, std::size_t index, DeviceSettings& device, std::string& error)
{
    device = DeviceSettings{};
    device.mac[5] = static_cast<std::uint8_t>(device.mac[5] + index);
    device.ip[3] = static_cast<std::uint8_t>(device.ip[3] + index);
    std::vector<std::string> items;
    if (!SplitSpec(spec, items, error)) {
        return false;
    }
    for (const std::string& item : items) {
        const std::size_t eq = item.find('=');
        if (eq == std::string::npos) {
            error = "\"" + item + "\" is not key=value";
            return false;
        }
        const std::string key = item.substr(0, eq);
        const auto setter = Setters().find(key);
        if (setter == Setters().end()) {
            error = "unknown device key \"" + key + "\"";
            return false;
        }
        std::string why;
        if (!setter->second(std::string_view(item).substr(eq + 1), device, why)) {
            error = key + "=" + item.substr(eq + 1) + ": " + why;
            return false;
        }
    }
    return true;
}

bool ParseOptions(std::span<const std::string> args, Options& options, std::string& error)
{
    options = Options{};
    ClientOptions client;
    std::optional<ClientOptions::Mode> clientMode;
    std::string clientOnly; // the first client option given, which needs a client mode
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string name = args[i];
        std::optional<std::string> value;
        if (const std::size_t eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        auto takeValue = [&]() -> bool {
            if (value) {
                return true;
            }
            if (i + 1 >= args.size()) {
                error = name + " needs a value";
                return false;
            }
            value = args[++i];
            return true;
        };
        if (name == "--help" || name == "-h") {
            options.help = true;
        } else if (name == "--verbose" || name == "-v") {
            options.verbose = true;
        } else if (name == "--device") {
            DeviceSettings device;
            std::string why;
            if (!takeValue()) {
                return false;
            }
            if (!ParseDeviceSpec(*value, options.devices.size(), device, why)) {
                error = "--device " + *value + ": " + why;
                return false;
            }
            options.devices.push_back(device);
        } else if (name == "--config") {
            if (!takeValue() || !ReadConfigFile(*value, options, error)) {
                return false;
            }
        } else if (name == "--port") {
            std::string why;
            if (!takeValue()) {
                return false;
            }
            if (!Number(*value, 0xFFFF, options.port, why)) {
                error = "--port " + *value + ": " + why;
                return false;
            }
        } else if (name == "--bind") {
            Ip4 ip{};
            if (!takeValue()) {
                return false;
            }
            if (!ParseIp(*value, ip)) {
                error = "--bind " + *value + ": not an IPv4 address";
                return false;
            }
            options.bindAddress = *value;
        } else if (name == "--log") {
            if (!takeValue()) {
                return false;
            }
            options.logPath = *value;
        } else if (name == "--max-seconds") {
            unsigned seconds = 0;
            std::string why;
            if (!takeValue()) {
                return false;
            }
            if (!Number(*value, kMaxSeconds, seconds, why)) {
                error = "--max-seconds " + *value + ": " + why;
                return false;
            }
            options.maxSeconds = seconds;
        } else if (name == "--dhcp-client" || name == "--bootp-client") {
            if (!takeValue()) {
                return false;
            }
            if (clientMode) {
                error = name + ": only one client can be played";
                return false;
            }
            if (!ParseMac(*value, client.mac)) {
                error = name + " " + *value + ": not a MAC address like 02:5A:7E:00:00:01";
                return false;
            }
            clientMode = name == "--dhcp-client" ? ClientOptions::Mode::Dhcp : ClientOptions::Mode::Bootp;
        } else if (name == "--type-last") {
            if (clientOnly.empty()) {
                clientOnly = name;
            }
            client.typeLast = true;
        } else if (name == "--interface" || name == "--server" || name == "--server-id" || name == "--xid" ||
                   name == "--tries" || name == "--wait" || name == "--length") {
            if (!takeValue()) {
                return false;
            }
            if (clientOnly.empty()) {
                clientOnly = name;
            }
            std::string why;
            bool good = true;
            if (name == "--interface") {
                good = !value->empty() && value->size() < 16;
                why = "not an interface name";
                client.interface = *value;
            } else if (name == "--server-id" && *value == "none") {
                client.noServerId = true;
            } else if (name == "--server" || name == "--server-id") {
                Ip4 ip{};
                good = ParseIp(*value, ip);
                why = "not an IPv4 address";
                if (name == "--server") {
                    client.server = ip;
                } else {
                    client.serverId = ip;
                }
            } else if (name == "--xid") {
                std::uint32_t xid = 0;
                good = Number(*value, 0xFFFFFFFF, xid, why);
                client.xid = xid;
            } else if (name == "--tries") {
                good = Number(*value, kMaxTries, client.tries, why);
                if (good && client.tries == 0) {
                    good = false;
                    why = "not a number from 1 to " + std::to_string(kMaxTries);
                }
            } else if (name == "--length") {
                good = Number(*value, kMaxRequest, client.length, why);
                if (good && client.length < kMinRequest) {
                    good = false;
                    why = "not a number from " + std::to_string(kMinRequest) + " to " + std::to_string(kMaxRequest);
                }
            } else {
                good = Number(*value, kMaxWaitMs, client.waitMs, why);
            }
            if (!good) {
                error = name + " " + *value + ": " + why;
                return false;
            }
        } else {
            error = "unknown option " + args[i];
            return false;
        }
    }
    if (clientMode) {
        if (!options.devices.empty()) {
            error = "a client plays no device: --device and --config go without --dhcp-client and --bootp-client";
            return false;
        }
        client.mode = *clientMode;
        options.client = client;
        return true;
    }
    if (!clientOnly.empty()) {
        error = clientOnly + " needs --dhcp-client or --bootp-client";
        return false;
    }
    if (options.devices.empty()) {
        options.devices.emplace_back();
    }
    return true;
}

const char* UsageText()
{
    return R"(Usage: devicesim [OPTION]...
Plays one or more CV 48x device servers on UDP port 1024, so that the utility can be tried and
tested without hardware. Each device answers the requests addressed to its MAC address: IP find
(0x35), IP clear (0x36), network mode (0x72), serial (0x71), ID/password confirm (0x98) and
ID/password change (0x99), and keeps what they change (cleared IP, new settings, new ID and
password) until the stand-in stops.

Options:
  --device SPEC      add a device (repeatable); SPEC is key=value,key=value,...
  --config FILE      add the devices of FILE, one SPEC per line (# starts a comment line)
  --port N           UDP port to listen on (default 1024)
  --bind ADDR        IPv4 address to listen on (default 0.0.0.0)
  --log FILE         write every datagram received as one line of lower-case hex bytes
                     separated by single blanks (FILE is truncated at start)
  --verbose, -v      describe every request and what the devices did on stderr
  --max-seconds N    stop by itself after N seconds
  --help, -h         show this text

Device keys (defaults in brackets; device n, counted from 0, gets MAC 00:11:22:33:44:55+n and
IP 10.0.0.10+n):
  mac=00:11:22:33:44:55   the device's MAC address
  id=TEXT, password=TEXT  ID and password a request must carry, 8 characters at most [empty]
  ip=A.B.C.D              the device's IP address, reported by IP find, 0.0.0.0 after IP clear
  router=A.B.C.D          default router [10.0.0.1]
  baseport=N              base TCP port [6001]; network mode sets it
  mode=N                  IP/TCP mode byte [5: static, server]; network mode sets it
  tcpstate=N              current TCP state, 1 listen, else connect [1]
  curport=N               current TCP port [6001]
  curmode=N               current TCP mode, 1 server, 2 client [1]
  clientport=N, clientmac=MAC, clientip=A.B.C.D    TCP client [0, 00:00:00:00:00:00, 0.0.0.0]
  servermac=MAC, serverip=A.B.C.D, serverport=N    TCP server [zeros]; network mode sets IP, port
  statetimer=TICKS        TCP state timer, ticks of 5675 ns [0]
  poweron=TICKS           power-on timer, ticks of 5675 ns [counts from the stand-in's start]
Misbehaviour keys:
  behave=refuse           refuse every request (status "NO")
  behave=wrong-code       answer with the complement of the request's command code
  behave=other-mac        answer with another MAC in bytes 0-5 (othermac=MAC, default: the
                          device's own MAC with the last bit flipped)
  behave=silent           never answer
  behave=oversize         answer with the reply padded with zeros to 300 bytes (or size=N)
  behave=garbage          answer with 1 to 22 bytes of noise
  behave=empty            answer with a zero-length datagram
  size=N                  pad the reply with zeros, or cut it, to N bytes
  delay=MS                answer MS milliseconds late (other devices answer meanwhile)
  answer=any              answer requests for any MAC, with the device's own MAC in the reply
  mute=CODE[+CODE...]     carry out these commands (hex, e.g. 99 for the ID/password change)
                          but never answer them, like a device that restarts at once
A misbehaving device still carries the request out; only its reply is spoiled.
In values, write a comma as \, a backslash as \\ and any other byte as \xHH.

A request is answered from the listening socket to the address and port it came from. The
stand-in answers only requests that are exactly as long as their command's and whose reserved
bytes are zero; it says on stderr why it ignored any other datagram.

Playing a device's DHCP/BOOTP client instead (UDP port 68 to port 67):
  --dhcp-client MAC  send a 300-byte DHCPDISCOVER with hardware address MAC, wait for the
                     DHCPOFFER, send the DHCPREQUEST for it, wait for the DHCPACK; the requests
                     carry the message type first (bytes 240-242) and the REQUEST names the
                     server in option 54 at bytes 258-263
  --bootp-client MAC send one 300-byte BOOTREQUEST without the magic cookie, wait for the reply
  --interface IF     send and listen on IF only (a device without an address sends from 0.0.0.0)
  --server ADDR      where the requests go [255.255.255.255]
  --server-id ADDR   the server the REQUEST names [the DHCPOFFER's siaddr]; none: no option 54
  --type-last        put the message type after the other options, as some clients do
  --length N         send requests of N bytes, 300 to 1472, zeros after the options [300]
  --xid N            the transaction ID [0x5A7E0000 plus the MAC's last two bytes]
  --tries N          sends of each request before giving up [3]
  --wait MS          how long each send waits for its answer [1000]
The client prints one line per step: "devicesim: sent DISCOVER ...", and for each answer
"devicesim: got OFFER length=N yiaddr=A siaddr=A giaddr=A mask=A router=A lease=N server=A"
(ACK and BOOTREPLY alike; "-" for what the answer does not carry). It exits with status 0 once
answered, 1 when an answer never came ("devicesim: no OFFER after N tries"). --log FILE then
holds every datagram it received.

Once listening, it prints "devicesim: listening on ADDR:PORT" on stdout. It stops on SIGTERM or
SIGINT (Ctrl-C), exiting with status 0; a bad option exits with status 2, a socket or file
error with status 1.

Example:
  devicesim --device mac=00:11:22:33:44:55,id=abc,ip=10.0.0.5 \
            --device mac=00:11:22:33:44:66,behave=refuse --log requests.log --verbose
)";
}

} // namespace devicesim
