#include "gui/controls/GCMultiFieldEdit.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProxyStyle>

namespace {

// The edit's own style: the application's style with a caret of no width. QLineEdit asks for the
// caret width on every paint, so the caret never shows while the edit stays editable.
class CCaretlessStyle final : public QProxyStyle
{
public:
    using QProxyStyle::QProxyStyle;

    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        if (metric == PM_TextCursorWidth) {
            return 0;
        }
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

using FieldKey = CMultiFieldModel::FieldKey;

FieldKey MapKey(int key)
{
    switch (key) {
    case Qt::Key_Space:
        return FieldKey::Space;
    case Qt::Key_Right:
        return FieldKey::Right;
    case Qt::Key_Left:
        return FieldKey::Left;
    case Qt::Key_Backspace:
        return FieldKey::Back;
    case Qt::Key_Delete:
        return FieldKey::Delete;
    case Qt::Key_Up:
        return FieldKey::Up;
    case Qt::Key_Down:
        return FieldKey::Down;
    default:
        return FieldKey::Other;
    }
}

} // namespace

CGCMultiFieldEdit::CGCMultiFieldEdit(CMultiFieldModel& model, QWidget* parent) : CGCColorEdit(parent), m_model(model)
{
    auto* caretless = new CCaretlessStyle(style()->name());
    caretless->setParent(this);
    setStyle(caretless);
    setContextMenuPolicy(Qt::PreventContextMenu);
    setDragEnabled(false);
    setAcceptDrops(false);
    // Characters arrive as key presses; an input method could only insert text of its own.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    connect(this, &QLineEdit::textChanged, this, &CGCMultiFieldEdit::OnTextChanged);
}

void CGCMultiFieldEdit::UpdateText()
{
    const QString composed = QString::fromStdString(m_model.GetText());
    if (text() != composed) {
        setText(composed);
    }
    const int field = m_model.GetCurrentField();
    if (field >= 0) {
        const int start = m_model.GetFieldStart(field);
        setSelection(start, m_model.GetFieldEnd(field) - start);
    }
    if (composed != m_strShown) {
        m_strShown = composed;
        emit fieldsChanged();
    }
}

bool CGCMultiFieldEdit::SetCurrentField(int field)
{
    if (!m_model.SetCurrentField(field)) {
        return false;
    }
    UpdateText();
    return true;
}

void CGCMultiFieldEdit::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        // QLineEdit reports returnPressed and leaves the key to the page or dialog.
        QLineEdit::keyPressEvent(event);
        event->ignore();
        return;
    case Qt::Key_Escape:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        event->ignore();
        return;
    default:
        break;
    }
    const FieldKey key = MapKey(event->key());
    const bool typing = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (key != FieldKey::Other) {
        m_model.OnKeyDown(key);
    } else if (typing && !event->text().isEmpty()) {
        for (const QChar c : event->text()) {
            if (c.unicode() >= 0x20 && c.unicode() < 0x7f) {
                m_model.OnChar(static_cast<char>(c.unicode()));
            }
        }
    } else {
        m_model.OnKeyDown(FieldKey::Other);
    }
    UpdateText();
    event->accept();
}

void CGCMultiFieldEdit::inputMethodEvent(QInputMethodEvent* event)
{
    event->accept();
}

void CGCMultiFieldEdit::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QLineEdit::mousePressEvent(event);
    m_model.SetCurrentField(m_model.FieldAtPosition(cursorPositionAt(event->position().toPoint())));
    UpdateText();
}

void CGCMultiFieldEdit::mouseReleaseEvent(QMouseEvent* event)
{
    // Only the left button's release reaches QLineEdit: the middle button would paste, the right
    // one belongs to no context menu.
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
    UpdateText();
}

void CGCMultiFieldEdit::mouseMoveEvent(QMouseEvent* event)
{
    event->accept();
}

void CGCMultiFieldEdit::mouseDoubleClickEvent(QMouseEvent* event)
{
    event->accept();
}

void CGCMultiFieldEdit::contextMenuEvent(QContextMenuEvent* event)
{
    event->accept();
}

void CGCMultiFieldEdit::focusInEvent(QFocusEvent* event)
{
    QLineEdit::focusInEvent(event);
    UpdateText();
}

void CGCMultiFieldEdit::focusOutEvent(QFocusEvent* event)
{
    // QLineEdit drops the selection when the focus leaves; the current field stays selected.
    QLineEdit::focusOutEvent(event);
    UpdateText();
}

void CGCMultiFieldEdit::dragEnterEvent(QDragEnterEvent* event)
{
    event->ignore();
}

void CGCMultiFieldEdit::dragMoveEvent(QDragMoveEvent* event)
{
    event->ignore();
}

void CGCMultiFieldEdit::dropEvent(QDropEvent* event)
{
    event->ignore();
}

void CGCMultiFieldEdit::OnTextChanged(const QString& text)
{
    if (text != QString::fromStdString(m_model.GetText())) {
        UpdateText();
    }
}
