#pragma once

#include <QString>

#include <string>

class QAbstractButton;
class QLineEdit;
class QWidget;

// One read or show pass between a dialog's members and its controls. In a read pass
// (m_bSaveAndValidate) each call copies a control's content into a member; a number field that
// holds no number shows "Please enter an integer.", takes the focus and stops the pass there, so
// the members read before it keep their new values and the later ones their old values.
class CDataExchange final
{
public:
    explicit CDataExchange(bool saveAndValidate) : m_bSaveAndValidate(saveAndValidate) {}

    void Text(QLineEdit* edit, QString& value);
    void Text(QLineEdit* edit, std::string& value);
    void Int(QLineEdit* edit, int& value);
    // A check box's state.
    void Check(QAbstractButton* box, bool& value);

    bool Failed() const { return m_bFailed; }

    const bool m_bSaveAndValidate;

private:
    bool m_bFailed = false;
};

// Parses what a number field holds the way the read pass does: optional blanks, an optional
// sign, decimal digits, optional blanks. Returns false for anything else.
bool ParseIntegerField(const QString& text, int& value);
