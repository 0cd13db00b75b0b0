#include "gui/controls/ColorStaticST.h"

#include <QApplication>
#include <QEvent>
#include <QPalette>

CColorStaticST::CColorStaticST(QWidget* parent) : CColorStaticST(QString(), parent) {}

CColorStaticST::CColorStaticST(const QString& text, QWidget* parent) : QLabel(text, parent)
{
    setAutoFillBackground(true);
    ApplyColors();
}

void CColorStaticST::SetTextColor(const QColor& color)
{
    m_crTextColor = color;
    ApplyColors();
}

void CColorStaticST::SetBkColor(const QColor& color)
{
    m_crBkColor = color;
    ApplyColors();
}

QColor CColorStaticST::TextColor() const
{
    return m_crTextColor.isValid() ? m_crTextColor : QApplication::palette().color(QPalette::ButtonText);
}

QColor CColorStaticST::BkColor() const
{
    return m_crBkColor.isValid() ? m_crBkColor : QApplication::palette().color(QPalette::Button);
}

void CColorStaticST::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    // The palette handed down from the application changed: where the label follows the system's
    // colours it takes the new ones.
    if (event->type() == QEvent::PaletteChange && !m_bApplying) {
        ApplyColors();
    }
}

void CColorStaticST::ApplyColors()
{
    QPalette colors = palette();
    colors.setColor(QPalette::Window, BkColor());
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        colors.setColor(group, QPalette::WindowText, TextColor());
    }
    m_bApplying = true;
    setPalette(colors);
    m_bApplying = false;
    update();
}
