#pragma once

// What the end-to-end tests of the configuration pages share: the MAC typed into a page's MAC
// edit, the page's Send, and the requests the stand-in received.

#include "DiscoveryE2E.h"
#include "WireGolden.h"

#include "gui/controls/IPAddressField.h"
#include "gui/controls/MacAddrEdit.h"
#include "gui/pages/ConfigPage.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace pages_e2e {

using discovery_e2e::Devices;
using discovery_e2e::GiveCredentials;
using discovery_e2e::ReadStoreFile;

inline const QString kDevice55 = QStringLiteral("mac=00:11:22:33:44:55,id=abc,password=pw,ip=10.0.0.5");
inline const QString kDevice66 = QStringLiteral("mac=00:11:22:33:44:66,id=abc,password=pw,ip=10.0.0.6");
using wire::kHeader55;
// "mach.ini" after a Send to 00:11:22:33:44:55.
inline const QByteArray kHistory55("[1]\t 0:17:34:51:68:85\n");

// Types the twelve digits into the page's MAC edit, as the operator would.
inline void TypeMac(CConfigPage& page, const QString& digits)
{
    CMacAddrEdit* mac = page.MacEdit();
    mac->setFocus();
    mac->SetCurrentField(0);
    QTest::keyClicks(mac, digits);
}

// Types a dotted address into the four octets of `field`.
inline void TypeAddress(CIPAddressField* field, const QString& address)
{
    field->ClearAddress();
    const QStringList octets = address.split(QLatin1Char('.'));
    for (int i = 0; i < 4 && i < octets.size(); ++i) {
        QTest::keyClicks(field->Octet(i), octets[i]);
    }
}

inline void Send(CConfigPage& page)
{
    QTest::mouseClick(page.SendButton(), Qt::LeftButton);
}

inline QLineEdit* Field(const QWidget& page, const char* name)
{
    return page.findChild<QLineEdit*>(QString::fromLatin1(name));
}

// Long enough for a reply the stand-in sends at once to have been handled.
inline void Settle()
{
    QTest::qWait(300);
}

} // namespace pages_e2e
