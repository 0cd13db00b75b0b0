#pragma once

#include <QWidget>

#include <array>
#include <cstdint>

class QLineEdit;

// An IPv4 address typed in four octet fields. A blank field reads as 0; typing a dot or a third
// digit moves on to the next field; a number above 255 is cut back to 255.
class CIPAddressField final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CIPAddressField)

public:
    explicit CIPAddressField(QWidget* parent = nullptr);

    // Fills `address` (blank fields give 0) and returns how many fields are not blank.
    int GetAddress(std::array<std::uint8_t, 4>& address) const;
    std::array<std::uint8_t, 4> Address() const;
    void SetAddress(const std::array<std::uint8_t, 4>& address);
    void ClearAddress();
    bool IsBlank() const;
    // "%d.%d.%d.%d" of the four octets.
    QString Text() const;
    // Names the field for assistive technology and tests; the octets read "<name> octet 1" to 4.
    void SetFieldName(const QString& name);
    QLineEdit* Octet(int index) const { return m_octets[static_cast<std::size_t>(index)]; }

signals:
    // An octet was edited by the operator or the program: its index and its value (-1 when blank).
    void fieldChanged(int field, int value);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnOctetEdited(int index);

    std::array<QLineEdit*, 4> m_octets{};
};
