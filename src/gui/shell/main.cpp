#include "gui/controls/MessageBox.h"
#include "gui/shell/RuvelApp.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

#include <pwd.h>
#include <unistd.h>

namespace {

// The utility's own directory under the user's data home: $XDG_DATA_HOME/corvane, or
// ~/.local/share/corvane when XDG_DATA_HOME is unset, empty or not an absolute path.
std::filesystem::path DataHomeDirectory()
{
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && dataHome[0] == '/') {
        return std::filesystem::path(dataHome) / "corvane";
    }
    std::filesystem::path home;
    if (const char* env = std::getenv("HOME"); env != nullptr && env[0] == '/') {
        home = env;
    } else if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        home = entry->pw_dir;
    }
    if (home.empty()) {
        return {};
    }
    return home / ".local" / "share" / "corvane";
}

// Creates `dir` when it is missing (for its owner only: "pwd.ini" holds the devices' passwords)
// and makes it the current directory. Returns why it could not, or an empty text.
std::string EnterDirectory(const std::filesystem::path& dir)
{
    if (dir.empty()) {
        return "neither XDG_DATA_HOME nor HOME names a directory";
    }
    std::error_code error;
    if (std::filesystem::create_directories(dir, error)) {
        std::filesystem::permissions(dir, std::filesystem::perms::owner_all, error);
    }
    if (!error) {
        std::filesystem::current_path(dir, error);
    }
    return error ? error.message() : std::string();
}

} // namespace

// Options, before Qt's own:
//   --data-home   keep the stores in $XDG_DATA_HOME/corvane (created when missing) instead of the
//                 directory the utility was started from; the menu entry starts it so.
//   --dhcp-start  once the window is up, show the IP Address page and press "DHCP Start".
int main(int argc, char** argv)
{
    bool dataHome = false;
    CRuvelApp::StartAction action = CRuvelApp::StartAction::None;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--data-home") == 0) {
            dataHome = true;
        } else if (std::strcmp(argv[i], "--dhcp-start") == 0) {
            action = CRuvelApp::StartAction::DhcpStart;
        }
    }

    std::string failure;
    std::filesystem::path dir;
    if (dataHome) {
        dir = DataHomeDirectory();
        failure = EnterDirectory(dir);
    }

    CRuvelApp app(argc, argv);
    if (!failure.empty()) {
        const std::string text = "Cannot use the data directory " + dir.string() + ": " + failure;
        std::fprintf(stderr, "Corvane: %s\n", text.c_str());
        CMessageBox::Show(nullptr, QString::fromStdString(text));
        return 2;
    }
    return app.InitInstance(action);
}
