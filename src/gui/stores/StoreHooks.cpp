#include "gui/stores/StoreHooks.h"

#include "core/stores/FileDB.h"
#include "core/stores/FileIdentity.h"
#include "gui/controls/MessageBox.h"
#include "gui/stores/Profile.h"

#include <QCoreApplication>
#include <QString>

#include <memory>

namespace {

// The profile value "path", read again only when the profile file may have changed: the DHCP
// server asks for it with every request, and opening the profile costs more than the request.
class CachedStoreDirectory
{
public:
    std::string Get()
    {
        const QString application = QCoreApplication::applicationName();
        if (application != m_application) {
            // The profile's file follows the application name (and the location set before the
            // hooks were installed).
            m_application = application;
            m_file = CProfile::FileName().toStdString();
            m_stamp.Invalidate();
        }
        m_stamp.Read(m_file,
                     [this] { m_value = CProfile::GetString(CProfile::kSection, CProfile::kPathKey).toStdString(); });
        return m_value;
    }

private:
    QString m_application;
    std::string m_file;
    CFileStamp m_stamp;
    std::string m_value;
};

} // namespace

void InstallStoreHooks()
{
    auto directory = std::make_shared<CachedStoreDirectory>();
    CFileDB::SetDirectoryProvider([directory] { return directory->Get(); });
    CFileDB::SetMessageSink([](const std::string& text, const std::string& caption) {
        CMessageBox::Show(nullptr, QString::fromStdString(text), QString::fromStdString(caption));
    });
}
