#pragma once

#include "core/link/ProtocolTypes.h"
#include "core/rules/MacAddrModel.h"
#include "gui/controls/GCMultiFieldEdit.h"

#include <QString>

#include <array>

// The MAC address edit of the configuration pages: 00:00:00:00:00:00 at first, six hexadecimal
// fields the operator fills by typing digits (two per field, moving on by itself) or steps with Up
// and Down.
class CMacAddrEdit final : public CGCMultiFieldEdit
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMacAddrEdit)

public:
    explicit CMacAddrEdit(QWidget* parent = nullptr);

    // False, changing nothing, when any value lies outside 0 to 255.
    bool SetAddress(const std::array<int, CMacAddrModel::kBytes>& bytes);
    // "00:0A:1B:2C:3D:4E".
    QString GetAddressText() const;
    // The byte of field k (0 to 5); -1 for any other k.
    int GetByte(int k) const { return m_model.GetByte(k); }
    // The six bytes in transmission order.
    corvane::MacAddress GetAddress() const;

private:
    CMacAddrModel m_model;
};
