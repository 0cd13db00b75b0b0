// devicesim: a stand-in for CV 48x device servers on UDP port 1024, for trying and testing the
// utility without hardware, or a device's own DHCP/BOOTP client. See --help.

#include "DhcpClient.h"
#include "Options.h"
#include "Simulator.h"

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    devicesim::Options options;
    std::string error;
    if (!devicesim::ParseOptions(args, options, error)) {
        std::fprintf(stderr, "devicesim: %s\nTry 'devicesim --help'.\n", error.c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(devicesim::UsageText(), stdout);
        return 0;
    }
    if (options.client) {
        return devicesim::DhcpClient(*options.client, options.logPath, options.verbose).Run();
    }
    return devicesim::Simulator(std::move(options)).Run();
}
