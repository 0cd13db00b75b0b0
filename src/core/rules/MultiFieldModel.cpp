#include "core/rules/MultiFieldModel.h"

bool CMultiFieldModel::Initialize(const std::vector<std::string>& initialTexts,
                                  const std::vector<std::string>& separators, const std::string& prefix,
                                  const std::string& suffix)
{
    const std::size_t count = initialTexts.size();
    if (count < 2 || (separators.size() != 1 && separators.size() != count - 1)) {
        return false;
    }
    for (const std::string& text : initialTexts) {
        if (text.empty()) {
            return false;
        }
    }
    m_fieldTexts = initialTexts;
    m_separators = separators;
    m_strPrefix = prefix;
    m_strSuffix = suffix;
    m_fieldWidths.clear();
    m_positions.clear();
    int start = static_cast<int>(prefix.size());
    for (int i = 0; i < static_cast<int>(count); ++i) {
        if (i > 0) {
            start = m_positions.back().end + static_cast<int>(SeparatorBefore(i).size());
        }
        const int width = static_cast<int>(initialTexts[static_cast<std::size_t>(i)].size());
        m_fieldWidths.push_back(width);
        m_positions.push_back({start, start + width});
    }
    m_nCurrentField = 0;
    m_bInitialized = true;
    return true;
}

bool CMultiFieldModel::SetFields(const std::vector<std::string>& texts)
{
    if (texts.size() < m_fieldTexts.size()) {
        return false;
    }
    for (std::size_t i = 0; i < m_fieldTexts.size(); ++i) {
        std::string text = texts[i].substr(0, static_cast<std::size_t>(m_fieldWidths[i]));
        text.resize(static_cast<std::size_t>(m_fieldWidths[i]), ' ');
        m_fieldTexts[i] = std::move(text);
    }
    return true;
}

std::string CMultiFieldModel::GetText() const
{
    if (!m_bInitialized) {
        return {};
    }
    std::string text = m_strPrefix;
    for (int i = 0; i < GetFieldCount(); ++i) {
        if (i > 0) {
            text += SeparatorBefore(i);
        }
        text += m_fieldTexts[static_cast<std::size_t>(i)];
    }
    text += m_strSuffix;
    return text;
}

std::string CMultiFieldModel::GetFieldText(int field) const
{
    if (field < 0 || field >= GetFieldCount()) {
        return {};
    }
    return m_fieldTexts[static_cast<std::size_t>(field)];
}

int CMultiFieldModel::GetFieldStart(int field) const
{
    if (field < 0 || field >= GetFieldCount()) {
        return -1;
    }
    return m_positions[static_cast<std::size_t>(field)].start;
}

int CMultiFieldModel::GetFieldEnd(int field) const
{
    if (field < 0 || field >= GetFieldCount()) {
        return -1;
    }
    return m_positions[static_cast<std::size_t>(field)].end;
}

bool CMultiFieldModel::SetCurrentField(int field)
{
    if (field < 0 || field >= GetFieldCount()) {
        return false;
    }
    m_nCurrentField = field;
    return true;
}

int CMultiFieldModel::FieldAtPosition(int characterPosition) const
{
    if (!m_bInitialized) {
        return -1;
    }
    const int last = GetFieldCount() - 1;
    if (characterPosition <= GetFieldEnd(0)) {
        return 0;
    }
    if (characterPosition >= GetFieldEnd(last)) {
        return last;
    }
    for (int i = last; i >= 1; --i) {
        if (GetFieldEnd(i - 1) <= characterPosition && characterPosition <= GetFieldEnd(i)) {
            return i;
        }
    }
    return 0; // not reached: the ends rise from field to field
}

bool CMultiFieldModel::OnChar(char /*c*/)
{
    return false;
}

void CMultiFieldModel::OnKeyDown(FieldKey key)
{
    if (!m_bInitialized) {
        return;
    }
    const int count = GetFieldCount();
    switch (key) {
    case FieldKey::Space:
    case FieldKey::Right:
        m_nCurrentField = (m_nCurrentField + 1) % count;
        break;
    case FieldKey::Left:
        m_nCurrentField = (m_nCurrentField + count - 1) % count;
        break;
    default:
        break;
    }
}

const std::string& CMultiFieldModel::SeparatorBefore(int field) const
{
    return m_separators.size() == 1 ? m_separators.front() : m_separators[static_cast<std::size_t>(field - 1)];
}

bool CMultiFieldModel::StepField(CIntField& field, FieldKey key)
{
    switch (key) {
    case FieldKey::Back:
    case FieldKey::Delete:
        field.SetValue(0);
        return true;
    case FieldKey::Up:
        field.Increment(1);
        return true;
    case FieldKey::Down:
        field.Decrement(1);
        return true;
    default:
        return false;
    }
}
