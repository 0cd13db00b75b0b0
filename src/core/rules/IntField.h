#pragma once

#include <string>

// The value of one field of a multi-field edit: an integer in a range, built from the digits the
// operator types into the field.
//
// Typed digits are collected until they spell a number above the maximum; the collection then
// restarts with the digit just typed, whose value is taken even when it lies above the maximum
// itself (a 7 typed into a field of 0 to 6). Stepping up or down wraps around the range.
class CIntField final
{
public:
    // Value 0, nothing typed yet. Negative values can be typed only when `minimum` is below 0.
    CIntField(int minimum, int maximum);

    // False, changing nothing, when `value` lies outside the range; otherwise the value is set and
    // the typed text cleared.
    bool SetValue(int value);
    int GetValue() const { return m_nValue; }

    // Value + step; above the maximum it becomes the minimum. Clears the typed text.
    void Increment(int step = 1);
    // Value - step; below the minimum it becomes the maximum. Clears the typed text.
    void Decrement(int step = 1);

    // "0" to "9": appended to the typed text, which gives the new value; when that number would
    // exceed the range, the typed text restarts with this digit. "-" toggles the sign when negative
    // values are allowed. True when the character was taken; anything else changes nothing.
    bool AddDigit(char c);
    // The same with the hexadecimal digits "0" to "9" and "A" to "F" (upper case only: the
    // control upper-cases what the operator types).
    bool AddHexDigit(char c);

    int GetMinimum() const { return m_nMinimum; }
    int GetMaximum() const { return m_nMaximum; }
    // The digits typed since the value was last set or stepped.
    const std::string& GetTypedText() const { return m_strTyped; }

private:
    bool AddDigitInBase(char c, int digit, int base);
    // The number `m_strTyped` spells in `base`, with the sign; false when it leaves the range on
    // its side (above the maximum, or below the minimum when negative).
    bool TypedValue(int base, int& value) const;

    int m_nMinimum;
    int m_nMaximum;
    int m_nValue = 0;
    std::string m_strTyped;
    bool m_bNegativeAllowed;
    bool m_bNegative = false;
};
