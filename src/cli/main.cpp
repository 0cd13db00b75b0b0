#include "cli/CliApp.h"

#include <QCoreApplication>

#include <string>
#include <vector>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("corvane-cli"));
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.emplace_back(argv[i]);
    }
    CCliApp cli(std::move(args));
    return cli.Run();
}
