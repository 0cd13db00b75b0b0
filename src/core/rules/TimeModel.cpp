#include "core/rules/TimeModel.h"

#include <cstdio>

CTimeModel::CTimeModel()
{
    Initialize({"0", "00"}, {" (h) "}, " ", " (min) ");
}

bool CTimeModel::SetTime(int hours, int minutes)
{
    if (hours < m_hours.GetMinimum() || hours > m_hours.GetMaximum() || minutes < m_minutes.GetMinimum() ||
        minutes > m_minutes.GetMaximum()) {
        return false;
    }
    m_hours.SetValue(hours);
    m_minutes.SetValue(minutes);
    Redraw();
    return true;
}

bool CTimeModel::OnChar(char c)
{
    // Upper-casing changes no digit, and AddDigit takes nothing else, so the character goes as typed.
    const bool accepted = Current().AddDigit(c);
    if (accepted && GetCurrentField() == kHoursField) {
        SetCurrentField(kMinutesField);
    }
    Redraw();
    return accepted;
}

void CTimeModel::OnKeyDown(FieldKey key)
{
    if (StepField(Current(), key)) {
        Redraw();
    }
    CMultiFieldModel::OnKeyDown(key);
}

void CTimeModel::Redraw()
{
    char hours[16];
    char minutes[16];
    std::snprintf(hours, sizeof hours, "%d", m_hours.GetValue());
    std::snprintf(minutes, sizeof minutes, "%02d", m_minutes.GetValue());
    SetFields({hours, minutes});
}
