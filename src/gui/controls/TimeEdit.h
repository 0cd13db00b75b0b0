#pragma once

#include "core/rules/TimeModel.h"
#include "gui/controls/GCMultiFieldEdit.h"

// The notifier time of the Network Mode page: " 0 (h) 00 (min) " at first, an hours digit and two
// minute digits.
class CTimeEdit final : public CGCMultiFieldEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CTimeEdit)

public:
    explicit CTimeEdit(QWidget* parent = nullptr);

    // False, changing nothing, unless hours lie in 0 to 6 and minutes in 0 to 59.
    bool SetTime(int hours, int minutes);
    // The hours as shown: a digit typed by the operator may lie past 6 (7 to 9).
    int GetHours() const { return m_model.GetHours(); }
    int GetMinutes() const { return m_model.GetMinutes(); }

private:
    CTimeModel m_model;
};
