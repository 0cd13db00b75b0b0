#include "stores/StoreHooks.h"

#include "controls/MessageBox.h"
#include "stores/FileDB.h"
#include "stores/Profile.h"

#include <QString>

void InstallStoreHooks()
{
    CFileDB::SetDirectoryProvider(
        [] { return CProfile::GetString(CProfile::kSection, CProfile::kPathKey).toStdString(); });
    CFileDB::SetMessageSink([](const std::string& text, const std::string& caption) {
        CMessageBox::Show(nullptr, QString::fromStdString(text), QString::fromStdString(caption));
    });
}
