#pragma once

#include <QColor>
#include <QLineEdit>

// A single-line edit with a background and a text colour of its own: white text on black at first.
// The colours hold while the edit is enabled, with or without the focus; a disabled edit keeps the
// look of the system's disabled edits.
class CGCColorEdit : public QLineEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CGCColorEdit)

public:
    explicit CGCColorEdit(QWidget* parent = nullptr);

    // Both return the previous colour and repaint the edit.
    QColor SetBkColor(const QColor& color);
    QColor SetTextColor(const QColor& color);

    QColor BkColor() const { return m_bkColor; }
    QColor TextColor() const { return m_textColor; }

private:
    void ApplyColors();

    QColor m_bkColor{Qt::black};
    QColor m_textColor{Qt::white};
};
