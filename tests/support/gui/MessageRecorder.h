#pragma once

#include "gui/controls/MessageBox.h"

#include <QList>
#include <QString>

#include <functional>

// Records every message box shown while it lives instead of showing it.
class MessageRecorder
{
public:
    struct Message
    {
        QString text;
        QString caption;
        bool operator==(const Message&) const = default;
    };

    MessageRecorder();
    ~MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    const QList<Message>& Messages() const { return m_messages; }
    int Count() const { return static_cast<int>(m_messages.size()); }
    Message Last() const { return m_messages.isEmpty() ? Message{} : m_messages.last(); }
    void Clear() { m_messages.clear(); }
    // Runs while the box would be open (its event loop would be running), e.g. to deliver more
    // datagrams to a handler that is showing the box.
    void WhileOpen(std::function<void(const Message&)> action) { m_whileOpen = std::move(action); }

private:
    QList<Message> m_messages;
    std::function<void(const Message&)> m_whileOpen;
    CMessageBox::Presenter m_previous;
};
