#pragma once

#include "gui/pages/ConfigPage.h"

class CIPAddressField;
class CTimeEdit;
class QComboBox;
class QLabel;
class QLineEdit;

// "Network Mode": static or dynamic IP, the TCP role, the device's port, the remote server and the
// notifier of one device server, sent as one network-mode request.
class CNetworkModePage final : public CConfigPage
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CNetworkModePage)

public:
    explicit CNetworkModePage(QWidget* parent = nullptr);

    void OnSend() override;
    long OnReceiveReply() override;
    // The TCP mode list's selection changed: which fields the role uses.
    void OnSelchangeTcpMode();

    // Choice indexes: 0 "Static IP", 1 "Dynamic IP"; 0 "Server", 1 "Client", 2 "Server & Client".
    int m_nIpMode = 0;
    int m_nTcpMode = 0;
    int m_nDevicePort = corvane::kDefaultTcpPort;
    int m_nServerPort = corvane::kDefaultTcpPort;

protected:
    void DoDataExchange(CDataExchange& dx) override;

private:
    bool Validate();
    void EnableFields(int tcpMode);

    QComboBox* m_ctrlIpMode = nullptr;
    QComboBox* m_ctrlTcpMode = nullptr;
    QLabel* m_devicePortLabel = nullptr;
    QLineEdit* m_editDevicePort = nullptr;
    QLabel* m_serverIpLabel = nullptr;
    CIPAddressField* m_ctrlServerIp = nullptr;
    QLabel* m_serverPortLabel = nullptr;
    QLineEdit* m_editServerPort = nullptr;
    CIPAddressField* m_ctrlDataServerIp = nullptr;
    CTimeEdit* m_ctrlNotifierTime = nullptr;
};
