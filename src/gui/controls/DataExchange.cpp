#include "gui/controls/DataExchange.h"

#include "gui/controls/MessageBox.h"

#include <QAbstractButton>
#include <QLineEdit>

#include <limits>

void CDataExchange::Text(QLineEdit* edit, QString& value)
{
    if (m_bFailed) {
        return;
    }
    if (m_bSaveAndValidate) {
        value = edit->text();
    } else if (edit->text() != value) {
        edit->setText(value);
    }
}

void CDataExchange::Text(QLineEdit* edit, std::string& value)
{
    QString text = QString::fromStdString(value);
    Text(edit, text);
    if (m_bSaveAndValidate && !m_bFailed) {
        value = text.toStdString();
    }
}

void CDataExchange::Int(QLineEdit* edit, int& value)
{
    if (m_bFailed) {
        return;
    }
    if (!m_bSaveAndValidate) {
        edit->setText(QString::number(value));
        return;
    }
    if (!ParseIntegerField(edit->text(), value)) {
        CMessageBox::Show(edit->window(), QStringLiteral("Please enter an integer."));
        edit->setFocus();
        edit->selectAll();
        m_bFailed = true;
    }
}

void CDataExchange::Check(QAbstractButton* box, bool& value)
{
    if (m_bFailed) {
        return;
    }
    if (m_bSaveAndValidate) {
        value = box->isChecked();
    } else {
        box->setChecked(value);
    }
}

bool ParseIntegerField(const QString& text, int& value)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty()) {
        return false;
    }
    bool ok = false;
    const qlonglong parsed = trimmed.toLongLong(&ok, 10);
    if (!ok || parsed < std::numeric_limits<int>::min() || parsed > std::numeric_limits<int>::max()) {
        return false;
    }
    value = static_cast<int>(parsed);
    return true;
}
