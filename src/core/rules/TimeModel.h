#pragma once

#include "core/rules/IntField.h"
#include "core/rules/MultiFieldModel.h"

// A duration of up to six hours as " <h> (h) <mm> (min) ", " 0 (h) 00 (min) " at first. A digit
// typed into the hours sets them and moves on to the minutes; digits typed into the minutes build
// the minutes (a number past 59 starts again with the last digit). Up and Down step the current
// field with wrap-around (hours 0 to 6, minutes 0 to 59); Backspace and Delete set it to 0.
//
// The hours take any single digit as typed, 7 to 9 included, although they lie past 6: they are
// shown as typed and GetHours gives them, so the page that reads the time can refuse it.
class CTimeModel final : public CMultiFieldModel
{
public:
    static constexpr int kHoursField = 0;
    static constexpr int kMinutesField = 1;

    CTimeModel();

    // False, changing nothing, unless hours lie in 0 to 6 and minutes in 0 to 59.
    bool SetTime(int hours, int minutes);
    int GetHours() const { return m_hours.GetValue(); }
    int GetMinutes() const { return m_minutes.GetValue(); }

    bool OnChar(char c) override;
    void OnKeyDown(FieldKey key) override;

private:
    // Hours as "%d", minutes as "%02d".
    void Redraw();
    CIntField& Current() { return GetCurrentField() == kHoursField ? m_hours : m_minutes; }

    CIntField m_hours{0, 6};
    CIntField m_minutes{0, 59};
};
