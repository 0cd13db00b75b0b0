#pragma once

#include "gui/controls/DataExchange.h"

// Mixed into every dialog and page that keeps its values in members: UpdateData(true) reads the
// controls into the members, UpdateData(false) shows the members in the controls.
class CExchangeSupport
{
public:
    virtual ~CExchangeSupport() = default;

    bool UpdateData(bool bSaveAndValidate = true)
    {
        CDataExchange dx(bSaveAndValidate);
        DoDataExchange(dx);
        return !dx.Failed();
    }

protected:
    virtual void DoDataExchange(CDataExchange& dx) = 0;
};
