#pragma once

#include "gui/shell/PropSheet.h"

// The host of the operator's window. It never shows itself: it records the start directory in
// the profile and opens the property sheet.
class CRuvelDlg final
{
public:
    CRuvelDlg() = default;
    Q_DISABLE_COPY_MOVE(CRuvelDlg)

    // Writes the profile value "path" with the current directory, initialises the pages and shows
    // the sheet.
    bool OnInitDialog();

    CPropSheet& PropSheet() { return m_propSheet; }

private:
    CPropSheet m_propSheet;
};
