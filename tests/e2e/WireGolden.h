#pragma once

// The requests the window sends for the end-to-end tests' standard inputs, byte for byte as the
// stand-in logs them: lower-case hex bytes separated by single blanks. The window's tests and the
// command line's tests check against the same bytes.

#include <QString>

namespace wire {

// The first 22 bytes of every request to 00:11:22:33:44:55 with ID abc and password pw.
inline const QString kHeader55 = QStringLiteral("00 11 22 33 44 55 61 62 63 00 00 00 00 00 70 77 00 00 00 00 00 00");

// The IP-find and IP-clear requests for 00:11:22:33:44:55 with ID abc and password pw.
inline const QString kFindRequest55 = kHeader55 + QStringLiteral(" 35 00 11 22 33 44 55 00 00 00");
inline const QString kClearRequest55 = kHeader55 + QStringLiteral(" 36 00 11 22 33 44 55 00 00 00");

// Notifier 0 h 5 min, "Static IP", "Server", port 6001, server 10.0.0.2:6001, data server 10.0.0.3.
inline const QString kNetworkModeRequest =
    kHeader55 + QStringLiteral(" 72 03 05 17 71 0a 00 00 02 17 71 0a 00 00 03 00 00 00 00 00 00 00 00");
// "9600", "NONE", "8 bits", "1", "NONE", time 4.
inline const QString kSerialRequest = kHeader55 + QStringLiteral(" 71 00 0c 03 01 00 0a 00");

// Settings other than the pages' first ones, with the servers above.
// Notifier 6 h 0 min (237 units of 91 s).
inline const QString kNetworkModeNotifier6h =
    kHeader55 + QStringLiteral(" 72 ed 05 17 71 0a 00 00 02 17 71 0a 00 00 03 00 00 00 00 00 00 00 00");
// "Server & Client", both ports 2000.
inline const QString kNetworkModeBothPorts2000 =
    kHeader55 + QStringLiteral(" 72 03 06 07 d0 0a 00 00 02 07 d0 0a 00 00 03 00 00 00 00 00 00 00 00");
// "Dynamic IP", "Client", device port 0.
inline const QString kNetworkModeDynamicClientPort0 =
    kHeader55 + QStringLiteral(" 72 03 00 00 00 0a 00 00 02 17 71 0a 00 00 03 00 00 00 00 00 00 00 00");
// "9600", "EVEN", "7 bits", "2", "XON/XOFF", unlimited.
inline const QString kSerialEven7Bits2XonXoffUnlimited = kHeader55 + QStringLiteral(" 71 00 0c 1e 03 00 ff 00");
// "150", "ODD", "5 bits", "1 1/2", "Hardware", time 4.
inline const QString kSerial150Odd5Bits15Hardware = kHeader55 + QStringLiteral(" 71 03 00 0c 02 00 0a 00");

// Confirmation of abc / pw, the change to new / secret, and the verification with new / secret.
inline const QString kConfirm55 = kHeader55 + QStringLiteral(" 98 00 00 00 00 00 00 00");
inline const QString kChange55 = kHeader55 + QStringLiteral(" 99 6e 65 77 00 00 00 00 00 73 65 63 72 65 74 00 00 00 "
                                                            "00 00 00 00 00");
inline const QString kVerify55 = QStringLiteral("00 11 22 33 44 55 6e 65 77 00 00 00 00 00 73 65 63 72 65 74 00 00 98 "
                                                "00 00 00 00 00 00 00");

} // namespace wire
