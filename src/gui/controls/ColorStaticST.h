#pragma once

#include <QColor>
#include <QLabel>

class QEvent;

// A static text whose text and background colours are chosen by the program. Until a colour is
// chosen, and again after an invalid QColor, it follows the system's colours of a button: button
// text on button face, from the application palette. The background is filled over the whole
// label.
class CColorStaticST final : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CColorStaticST)

public:
    explicit CColorStaticST(QWidget* parent = nullptr);
    explicit CColorStaticST(const QString& text, QWidget* parent = nullptr);

    // An invalid colour means the system's button text colour.
    void SetTextColor(const QColor& color);
    // An invalid colour means the system's button face colour.
    void SetBkColor(const QColor& color);

    // The colours in use (the system's colours when none was chosen).
    QColor TextColor() const;
    QColor BkColor() const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void ApplyColors();

    bool m_bApplying = false;

    // Invalid while the label follows the system's colour.
    QColor m_crTextColor;
    QColor m_crBkColor;
};
