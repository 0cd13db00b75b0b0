#include "gui/controls/GCColorEdit.h"

#include <QPalette>

CGCColorEdit::CGCColorEdit(QWidget* parent) : QLineEdit(parent)
{
    ApplyColors();
}

QColor CGCColorEdit::SetBkColor(const QColor& color)
{
    const QColor previous = m_bkColor;
    m_bkColor = color;
    ApplyColors();
    return previous;
}

QColor CGCColorEdit::SetTextColor(const QColor& color)
{
    const QColor previous = m_textColor;
    m_textColor = color;
    ApplyColors();
    return previous;
}

void CGCColorEdit::ApplyColors()
{
    QPalette colors = palette();
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        colors.setColor(group, QPalette::Base, m_bkColor);
        colors.setColor(group, QPalette::Text, m_textColor);
    }
    setPalette(colors);
    update();
}
