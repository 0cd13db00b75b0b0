#pragma once

#include "core/link/ConfigCodec.h"
#include "core/rules/ConfigChecks.h"
#include "gui/controls/ExchangeSupport.h"
#include "net/link/ClientSocket.h"

#include <QWidget>

#include <memory>
#include <optional>
#include <string>

class CIPAddressField;
class CMacAddrEdit;
class QGridLayout;
class QLabel;
class QPushButton;

// What the Password, Network Mode and Serial pages share: the band with the device's MAC, the
// destination and the MAC history buttons, the Send button, how a request is addressed and sent,
// and how its one reply is read. Each page keeps its own copy of all of it.
//
// Every accepted Send starts an exchange of its own with a new socket; the socket of the previous
// one is closed then, so that nothing more is read from it. Store boxes keep the event loop
// running, so a second Send can start while a first one waits for such a box: the first one then
// gives up and sends nothing.
class CConfigPage : public QWidget, public CExchangeSupport, public IClientSocketOwner
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CConfigPage)

public:
    ~CConfigPage() override;

    // "History": the picked MAC (all zero when none was picked) and the page's values shown again.
    void OnHistory();
    // "Delete History": empties the MAC history without asking.
    void OnDeleteHistory();
    // "Send": the page's checks, then its request.
    virtual void OnSend() = 0;

    bool IsUnicast() const { return m_bUnicast; }
    bool IsValidated() const { return m_bValidated; }
    CMacAddrEdit* MacEdit() const { return m_ctrlMac; }
    CIPAddressField* DestinationField() const { return m_ctrlDestination; }
    QPushButton* SendButton() const { return m_sendButton; }
    // The socket of the latest accepted Send; null before the first one.
    CClientSocket* Socket() const { return m_pSocket.get(); }

protected:
    explicit CConfigPage(QWidget* parent);

    // Where a page puts its own controls: below the band, above the Send button.
    QGridLayout* Body() const { return m_body; }
    // A label for `field`, made its buddy; the field is named after the label's text, trimmed.
    QLabel* AddLabel(const QString& text, QWidget* field);

    // The first step of every page's checks: reads the fields; refuses an all-zero MAC.
    bool ValidatePrefix();
    // A page check failed: says why and clears the validated flag.
    void Refuse(const corvane::PageMessage& message);
    // The last step of every page's checks, reached when all passed: a new socket for this
    // exchange, connected to a single destination or broadcasting, and the MAC in the history.
    // False when another Send has started an exchange while a store box was open.
    bool PrepareLink();
    // Called as an exchange starts, before the previous exchange's socket is closed.
    virtual void OnNewExchange() {}
    // The number of the latest exchange; a newer one has begun when it changes.
    unsigned CurrentExchange() const { return m_nExchange; }
    // The ID and password stored for the MAC. Without an entry: "You must set the ID and
    // Password !!" and false; also false when another exchange has started meanwhile.
    bool LookupCredentials(std::string& id, std::string& password);
    // Sends `request` on the page's socket: on the connected socket or broadcast to port 1024.
    void SendRequest(const corvane::Datagram& request);
    // Reads one datagram of at most 210 bytes from `socket`; nothing when the read failed.
    static std::optional<corvane::ConfigReply> ReceiveReply(CClientSocket* socket);
    // The reply of a Network Mode or Serial exchange: `done` for "OK", "Wrong Password!!" for any
    // other status, nothing for another command; the first datagram read ends the exchange.
    void HandleReply(std::uint8_t command, const corvane::PageMessage& done);
    void Show(const corvane::PageMessage& message);

    corvane::MacAddress Mac() const;

    void keyPressEvent(QKeyEvent* event) override;

    bool m_bUnicast = false;
    bool m_bValidated = false;
    std::unique_ptr<CClientSocket> m_pSocket;

private:
    void OnDestinationChanged();
    void DropSocket();

    // Numbers the exchanges, so that a step can tell whether a newer one has begun.
    unsigned m_nExchange = 0;
    // Whether the socket of the current exchange is connected to a single address.
    bool m_bSocketConnected = false;

    CMacAddrEdit* m_ctrlMac = nullptr;
    CIPAddressField* m_ctrlDestination = nullptr;
    QPushButton* m_historyButton = nullptr;
    QPushButton* m_deleteHistoryButton = nullptr;
    QPushButton* m_sendButton = nullptr;
    QGridLayout* m_body = nullptr;
};
