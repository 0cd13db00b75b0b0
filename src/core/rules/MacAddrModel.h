#pragma once

#include "core/rules/IntField.h"
#include "core/rules/MultiFieldModel.h"

#include <array>
#include <string>

// A MAC address as six two-digit hexadecimal fields separated by colons, 00:00:00:00:00:00 at
// first. Typed hexadecimal digits (either case) fill the current field; after two digits the next
// field becomes current, except in the last one. Up and Down step the field's byte with wrap-around;
// Backspace and Delete set it to 00.
class CMacAddrModel final : public CMultiFieldModel
{
public:
    static constexpr int kBytes = 6;

    CMacAddrModel();

    // False, changing nothing, when any value lies outside 0 to 255.
    bool SetAddress(const std::array<int, kBytes>& bytes);
    // "00:0A:1B:2C:3D:4E": six upper-case two-digit hexadecimal numbers.
    std::string GetAddressText() const;
    // The byte of field k (0 to 5); -1 for any other k.
    int GetByte(int k) const;

    bool OnChar(char c) override;
    void OnKeyDown(FieldKey key) override;

private:
    // Each field shows its byte as "%02X".
    void Redraw();
    CIntField& Current() { return m_bytes[static_cast<std::size_t>(GetCurrentField())]; }
    // The typed-digit counter of the current field; fields 0 to 4 have one, the last does not.
    int* CurrentCounter();

    std::array<CIntField, kBytes> m_bytes;
    std::array<int, kBytes - 1> m_typedDigits{};
};
