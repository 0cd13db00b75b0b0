#pragma once

#include "gui/pages/ConfigPage.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

// " Serial   ": baud rate, parity, data bits, stop bits, handshake and serial time of one device
// server, sent as one serial-line request.
class CSerialPage final : public CConfigPage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CSerialPage)

public:
    // The pause after sending, during which the page does nothing; tests shorten it.
    static constexpr int kSendPauseMs = 100;
    static void SetSendPause(int pauseMs) { s_nSendPauseMs = pauseMs; }

    explicit CSerialPage(QWidget* parent = nullptr);

    void OnSend() override;
    long OnReceiveReply() override;
    // "Serial Time Unlimited" clicked: the time becomes -1 (unlimited) or 4.
    void OnUnlimited();

    // Choice indexes into the five lists.
    int m_nBaud = 8;     // "9600"
    int m_nParity = 0;   // "NONE"
    int m_nDataBits = 3; // "8 bits"
    int m_nStopBits = 0; // "1"
    int m_nFlow = 0;     // "NONE"
    // 2 to 100, or -1 for unlimited.
    int m_nSerialTime = corvane::kDefaultSerialTime;
    bool m_bUnlimited = false;

protected:
    void DoDataExchange(CDataExchange& dx) override;

private:
    bool Validate();

    static inline int s_nSendPauseMs = kSendPauseMs;

    QComboBox* m_ctrlBaud = nullptr;
    QComboBox* m_ctrlParity = nullptr;
    QComboBox* m_ctrlDataBits = nullptr;
    QComboBox* m_ctrlStopBits = nullptr;
    QComboBox* m_ctrlFlow = nullptr;
    QLineEdit* m_editTime = nullptr;
    QCheckBox* m_checkUnlimited = nullptr;
};
