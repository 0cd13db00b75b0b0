#pragma once

#include "core/rules/IntField.h"

#include <string>
#include <vector>

// The fixed text of a multi-field edit and the navigation between its fields, without any widget.
//
// The text is a prefix, the fields with separators between them, and a suffix. Each field keeps the
// width of its initial text, so every field lies at fixed character positions; one field is current
// (the edit shows it selected). The operator never edits the text: keys move between the fields,
// and the concrete models turn typed characters into field values.
class CMultiFieldModel
{
public:
    // The keys the model reacts to; everything else is Other.
    enum class FieldKey
    {
        Other,
        Space,
        Right,
        Left,
        Back,
        Delete,
        Up,
        Down,
    };

    CMultiFieldModel() = default;
    virtual ~CMultiFieldModel() = default;
    CMultiFieldModel(const CMultiFieldModel&) = delete;
    CMultiFieldModel& operator=(const CMultiFieldModel&) = delete;

    // Lays out the fields. False, changing nothing, with fewer than two fields, with a number of
    // separators other than one (used in every gap) or one per gap, or with an empty initial text.
    // Otherwise field 0 becomes current.
    bool Initialize(const std::vector<std::string>& initialTexts, const std::vector<std::string>& separators,
                    const std::string& prefix = {}, const std::string& suffix = {});
    // Each field shows its text cut to the field's width (a shorter text is padded with blanks so
    // the fields keep their positions); entries past the field count are not used. False, changing
    // nothing, with fewer texts than fields.
    bool SetFields(const std::vector<std::string>& texts);
    // The displayed text: prefix, fields and separators, suffix.
    std::string GetText() const;
    std::string GetFieldText(int field) const;

    int GetFieldCount() const { return static_cast<int>(m_fieldTexts.size()); }
    // Where field `field` starts and ends in the displayed text; -1 for an index outside the fields.
    int GetFieldStart(int field) const;
    int GetFieldEnd(int field) const;

    // False, changing nothing, for an index outside the fields.
    bool SetCurrentField(int field);
    // -1 before Initialize.
    int GetCurrentField() const { return m_nCurrentField; }
    bool IsInitialized() const { return m_bInitialized; }

    // The field a click at `characterPosition` selects: up to the end of field 0 it is field 0, at
    // or past the end of the last field the last one, otherwise the highest field i from 1 with
    // end(i - 1) <= position <= end(i), so a click on a separator or exactly at the end of a middle
    // field selects the field after it. -1 before Initialize.
    int FieldAtPosition(int characterPosition) const;

    // A typed character. The base takes none: false.
    virtual bool OnChar(char c);
    // A key press. Space and Right move to the next field (from the last to field 0), Left to the
    // previous one (from field 0 to the last); other keys do not move.
    virtual void OnKeyDown(FieldKey key);

protected:
    // What the value keys do to a field: Backspace and Delete set it to 0, Up and Down step it by
    // one with wrap-around. False, changing nothing, for any other key.
    static bool StepField(CIntField& field, FieldKey key);

private:
    struct FieldPosition
    {
        int start;
        int end;
    };

    const std::string& SeparatorBefore(int field) const;

    bool m_bInitialized = false;
    int m_nCurrentField = -1;
    std::vector<std::string> m_fieldTexts;
    std::vector<int> m_fieldWidths;
    std::vector<std::string> m_separators;
    std::string m_strPrefix;
    std::string m_strSuffix;
    std::vector<FieldPosition> m_positions;
};
