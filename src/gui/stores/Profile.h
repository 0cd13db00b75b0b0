#pragma once

#include <QString>

// The per-user profile: QSettings of the organisation "Tamsel" and the application name
// (on Linux $XDG_CONFIG_HOME/Tamsel/Corvane.conf, by default ~/.config/Tamsel/Corvane.conf).
class CProfile final
{
public:
    static inline const QString kSection = QStringLiteral("Corvane Utility Software for CV 48x");
    static inline const QString kPathKey = QStringLiteral("path");

    // The value, or `defaultValue` when the entry is missing.
    static QString GetString(const QString& section, const QString& key, const QString& defaultValue = QString());
    static bool WriteString(const QString& section, const QString& key, const QString& value);
    // The file the profile is kept in.
    static QString FileName();

    CProfile() = delete;
};
