#include "gui/stores/Profile.h"

#include <QCoreApplication>
#include <QSettings>

namespace {

QSettings OpenProfile()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tamsel"),
                     QCoreApplication::applicationName());
}

} // namespace

QString CProfile::GetString(const QString& section, const QString& key, const QString& defaultValue)
{
    QSettings settings = OpenProfile();
    settings.beginGroup(section);
    return settings.value(key, defaultValue).toString();
}

bool CProfile::WriteString(const QString& section, const QString& key, const QString& value)
{
    QSettings settings = OpenProfile();
    settings.beginGroup(section);
    settings.setValue(key, value);
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QString CProfile::FileName()
{
    return OpenProfile().fileName();
}
