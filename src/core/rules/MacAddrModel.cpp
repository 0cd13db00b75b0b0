#include "core/rules/MacAddrModel.h"

#include <cstdio>

namespace {

std::string HexByte(int value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02X", static_cast<unsigned>(value));
    return text;
}

char UpperCase(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

} // namespace

CMacAddrModel::CMacAddrModel()
    : m_bytes{CIntField(0, 255), CIntField(0, 255), CIntField(0, 255),
              CIntField(0, 255), CIntField(0, 255), CIntField(0, 255)}
{
    Initialize(std::vector<std::string>(kBytes, "00"), {":"});
}

bool CMacAddrModel::SetAddress(const std::array<int, kBytes>& bytes)
{
    for (const int value : bytes) {
        if (value < 0 || value > 255) {
            return false;
        }
    }
    for (std::size_t k = 0; k < bytes.size(); ++k) {
        m_bytes[k].SetValue(bytes[k]);
    }
    Redraw();
    return true;
}

std::string CMacAddrModel::GetAddressText() const
{
    std::string text;
    for (std::size_t k = 0; k < m_bytes.size(); ++k) {
        text += (k > 0 ? ":" : "") + HexByte(m_bytes[k].GetValue());
    }
    return text;
}

int CMacAddrModel::GetByte(int k) const
{
    if (k < 0 || k >= kBytes) {
        return -1;
    }
    return m_bytes[static_cast<std::size_t>(k)].GetValue();
}

bool CMacAddrModel::OnChar(char c)
{
    const bool accepted = Current().AddHexDigit(UpperCase(c));
    if (int* counter = CurrentCounter(); accepted && counter) {
        if (++*counter == 2) {
            *counter = 0;
            SetCurrentField(GetCurrentField() + 1);
        }
    }
    Redraw();
    return accepted;
}

void CMacAddrModel::OnKeyDown(FieldKey key)
{
    int* counter = CurrentCounter();
    if (StepField(Current(), key)) {
        if (counter) {
            *counter = 0;
        }
        Redraw();
    }
    CMultiFieldModel::OnKeyDown(key);
}

void CMacAddrModel::Redraw()
{
    std::vector<std::string> texts;
    for (const CIntField& field : m_bytes) {
        texts.push_back(HexByte(field.GetValue()));
    }
    SetFields(texts);
}

int* CMacAddrModel::CurrentCounter()
{
    const int field = GetCurrentField();
    return field >= 0 && field < kBytes - 1 ? &m_typedDigits[static_cast<std::size_t>(field)] : nullptr;
}
