#include "gui/controls/MacAddrEdit.h"

CMacAddrEdit::CMacAddrEdit(QWidget* parent) : CGCMultiFieldEdit(m_model, parent)
{
    UpdateText();
}

bool CMacAddrEdit::SetAddress(const std::array<int, CMacAddrModel::kBytes>& bytes)
{
    if (!m_model.SetAddress(bytes)) {
        return false;
    }
    UpdateText();
    return true;
}

QString CMacAddrEdit::GetAddressText() const
{
    return QString::fromStdString(m_model.GetAddressText());
}

corvane::MacAddress CMacAddrEdit::GetAddress() const
{
    corvane::MacAddress address{};
    for (int k = 0; k < CMacAddrModel::kBytes; ++k) {
        address[static_cast<std::size_t>(k)] = static_cast<std::uint8_t>(m_model.GetByte(k));
    }
    return address;
}
