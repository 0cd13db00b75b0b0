#include "gui/controls/IPAddressField.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

CIPAddressField::CIPAddressField(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* validator = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,3}")), this);
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            layout->addWidget(new QLabel(QStringLiteral("."), this));
        }
        auto* octet = new QLineEdit(this);
        octet->setObjectName(QStringLiteral("octet%1").arg(i + 1));
        octet->setValidator(validator);
        octet->setMaxLength(3);
        octet->setAlignment(Qt::AlignCenter);
        octet->setFixedWidth(octet->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 8);
        octet->installEventFilter(this);
        connect(octet, &QLineEdit::textEdited, this, [this, i] { OnOctetEdited(i); });
        connect(octet, &QLineEdit::textChanged, this,
                [this, i](const QString& text) { emit fieldChanged(i, text.isEmpty() ? -1 : text.toInt()); });
        layout->addWidget(octet);
        m_octets[static_cast<std::size_t>(i)] = octet;
    }
    layout->addStretch();
    setFocusProxy(m_octets[0]);
}

int CIPAddressField::GetAddress(std::array<std::uint8_t, 4>& address) const
{
    int filled = 0;
    for (std::size_t i = 0; i < 4; ++i) {
        const QString text = m_octets[i]->text();
        address[i] = static_cast<std::uint8_t>(qBound(0, text.toInt(), 255));
        filled += text.isEmpty() ? 0 : 1;
    }
    return filled;
}

std::array<std::uint8_t, 4> CIPAddressField::Address() const
{
    std::array<std::uint8_t, 4> address{};
    GetAddress(address);
    return address;
}

void CIPAddressField::SetAddress(const std::array<std::uint8_t, 4>& address)
{
    for (std::size_t i = 0; i < 4; ++i) {
        m_octets[i]->setText(QString::number(address[i]));
    }
}

void CIPAddressField::ClearAddress()
{
    for (QLineEdit* octet : m_octets) {
        octet->clear();
    }
}

bool CIPAddressField::IsBlank() const
{
    for (const QLineEdit* octet : m_octets) {
        if (!octet->text().isEmpty()) {
            return false;
        }
    }
    return true;
}

QString CIPAddressField::Text() const
{
    const auto a = Address();
    return QStringLiteral("%1.%2.%3.%4").arg(a[0]).arg(a[1]).arg(a[2]).arg(a[3]);
}

void CIPAddressField::SetFieldName(const QString& name)
{
    setAccessibleName(name);
    for (int i = 0; i < 4; ++i) {
        m_octets[static_cast<std::size_t>(i)]->setAccessibleName(QStringLiteral("%1 octet %2").arg(name).arg(i + 1));
    }
}

void CIPAddressField::OnOctetEdited(int index)
{
    QLineEdit* octet = m_octets[static_cast<std::size_t>(index)];
    if (octet->text().toInt() > 255) {
        octet->setText(QStringLiteral("255"));
    }
    if (octet->text().size() == 3 && index < 3) {
        QLineEdit* next = m_octets[static_cast<std::size_t>(index + 1)];
        next->setFocus();
        next->selectAll();
    }
}

bool CIPAddressField::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        for (int i = 0; i < 4; ++i) {
            if (watched != m_octets[static_cast<std::size_t>(i)]) {
                continue;
            }
            QLineEdit* octet = m_octets[static_cast<std::size_t>(i)];
            const bool dot = key->text() == QStringLiteral(".");
            const bool backAtStart = key->key() == Qt::Key_Backspace && octet->cursorPosition() == 0;
            if (dot && i < 3 && !octet->text().isEmpty()) {
                m_octets[static_cast<std::size_t>(i + 1)]->setFocus();
                m_octets[static_cast<std::size_t>(i + 1)]->selectAll();
                return true;
            }
            if (backAtStart && i > 0) {
                QLineEdit* previous = m_octets[static_cast<std::size_t>(i - 1)];
                previous->setFocus();
                previous->setCursorPosition(static_cast<int>(previous->text().size()));
                return true;
            }
            return dot; // a dot never lands in an octet
        }
    }
    return QWidget::eventFilter(watched, event);
}
