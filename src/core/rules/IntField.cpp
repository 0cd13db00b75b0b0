#include "core/rules/IntField.h"

namespace {

// The digit `c` stands for in `base` (10 or 16, upper-case letters only), or -1.
int DigitValue(char c, int base)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (base == 16 && c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace

CIntField::CIntField(int minimum, int maximum)
    : m_nMinimum(minimum), m_nMaximum(maximum), m_bNegativeAllowed(minimum < 0)
{}

bool CIntField::SetValue(int value)
{
    if (value < m_nMinimum || value > m_nMaximum) {
        return false;
    }
    m_nValue = value;
    if (value == 0) {
        m_bNegative = false;
    }
    m_strTyped.clear();
    return true;
}

void CIntField::Increment(int step)
{
    const long long next = static_cast<long long>(m_nValue) + step;
    m_nValue = next > m_nMaximum ? m_nMinimum : static_cast<int>(next);
    m_strTyped.clear();
}

void CIntField::Decrement(int step)
{
    const long long next = static_cast<long long>(m_nValue) - step;
    m_nValue = next < m_nMinimum ? m_nMaximum : static_cast<int>(next);
    m_strTyped.clear();
}

bool CIntField::AddDigit(char c)
{
    return AddDigitInBase(c, DigitValue(c, 10), 10);
}

bool CIntField::AddHexDigit(char c)
{
    return AddDigitInBase(c, DigitValue(c, 16), 16);
}

bool CIntField::AddDigitInBase(char c, int digit, int base)
{
    if (c == '-' && m_bNegativeAllowed) {
        m_bNegative = !m_bNegative;
        m_nValue = -m_nValue;
        return true;
    }
    if (digit < 0) {
        return false;
    }
    m_strTyped.push_back(c);
    int value = 0;
    if (!TypedValue(base, value)) {
        m_strTyped.assign(1, c);
        value = m_bNegative ? -digit : digit;
    }
    m_nValue = value;
    return true;
}

bool CIntField::TypedValue(int base, int& value) const
{
    // The bound on the side of the sign, as a magnitude; the number is built digit by digit and
    // given up as soon as it passes that bound, so it never overflows.
    const long long limit = m_bNegative ? -static_cast<long long>(m_nMinimum) : m_nMaximum;
    long long number = 0;
    for (const char c : m_strTyped) {
        number = number * base + DigitValue(c, base);
        if (number > limit) {
            return false;
        }
    }
    value = static_cast<int>(m_bNegative ? -number : number);
    return true;
}
