#pragma once

#include "core/rules/MultiFieldModel.h"
#include "gui/controls/GCColorEdit.h"

#include <QString>

class QContextMenuEvent;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;
class QFocusEvent;
class QInputMethodEvent;
class QKeyEvent;
class QMouseEvent;

// An edit box split into fixed fields (a MAC address, a time): it shows the text of its field model,
// always with the current field selected and without a caret, and never lets the operator edit the
// text freely. Keys and typed characters go to the model; a left click selects the field under the
// pointer. Return, Enter and Escape are left to the page or dialog, Tab and Backtab move the focus;
// pasting, cutting, undo, drag and drop, the context menu and input-method text do nothing.
//
// The edit is not read-only, so assistive technology presents it as an editable field whose value
// is the text shown. The model belongs to the concrete control, which passes it here before the model
// is constructed; this class does not touch it until the concrete constructor calls UpdateText.
class CGCMultiFieldEdit : public CGCColorEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CGCMultiFieldEdit)

public:
    // Shows the model's text again and selects the current field.
    void UpdateText();
    // False, changing nothing, for an index outside the fields; otherwise the field is selected.
    bool SetCurrentField(int field);
    int GetCurrentField() const { return m_model.GetCurrentField(); }

signals:
    // The text shown has changed (a field value changed, by the operator or the program).
    void fieldsChanged();

protected:
    CGCMultiFieldEdit(CMultiFieldModel& model, QWidget* parent);

    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    // Any text that did not come from the model (set by a program or by assistive technology) is
    // replaced by the model's text at once.
    void OnTextChanged(const QString& text);

    CMultiFieldModel& m_model;
    // The text last reported through fieldsChanged.
    QString m_strShown;
};
