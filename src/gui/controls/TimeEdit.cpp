#include "gui/controls/TimeEdit.h"

CTimeEdit::CTimeEdit(QWidget* parent) : CGCMultiFieldEdit(m_model, parent)
{
    UpdateText();
}

bool CTimeEdit::SetTime(int hours, int minutes)
{
    if (!m_model.SetTime(hours, minutes)) {
        return false;
    }
    UpdateText();
    return true;
}
