#include "gui/MessageRecorder.h"

MessageRecorder::MessageRecorder()
{
    m_previous = CMessageBox::SetPresenter([this](QWidget*, const QString& text, const QString& caption) {
        m_messages.append({text, caption});
        if (m_whileOpen) {
            m_whileOpen(m_messages.last());
        }
    });
}

MessageRecorder::~MessageRecorder()
{
    CMessageBox::SetPresenter(m_previous);
}
