#pragma once

// What the Find IP and Clear IP end-to-end tests share: credentials in the password store, the
// MAC typed into a dialog's six fields, and the stand-in's devices.

#include "core/stores/PwdFDB.h"

#include <QDialog>
#include <QFile>
#include <QLineEdit>
#include <QStringList>

#include <string>

namespace discovery_e2e {

// The device most tests talk to, and the ID and password it expects.
inline const QString kMac55 = QStringLiteral("00:11:22:33:44:55");
inline const QStringList kParts55{"00", "11", "22", "33", "44", "55"};

// Records `id` and `password` for the MAC key (twelve upper-case digits) in "pwd.ini".
inline void GiveCredentials(const std::string& key, const std::string& id, const std::string& password)
{
    CPwdFDB store;
    store.Load();
    store.Append();
    store.SetRecord(key, id, password, -1);
    store.Save();
}

inline void TypeMac(QDialog& dlg, const QStringList& parts)
{
    for (int k = 0; k < 6; ++k) {
        dlg.findChild<QLineEdit*>(QStringLiteral("macByte%1").arg(k + 1))->setText(parts[k]);
    }
}

// "--device mac=...,id=...,..." for each spec.
inline QStringList Devices(const QStringList& specs)
{
    QStringList args;
    for (const QString& spec : specs) {
        args << QStringLiteral("--device") << spec;
    }
    return args;
}

inline QByteArray ReadStoreFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace discovery_e2e
