#pragma once

#include "gui/controls/InitDialog.h"
#include <QString>

class CIPAddressField;
class QLabel;
class QPushButton;

// A small dialog that asks for one IPv4 address (a router of the server settings): a prompt, the
// address field and a button named after what is done with the address. After OK m_strIP holds
// the address as "%d.%d.%d.%d".
class CIPInputDlg final : public CInitDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CIPInputDlg)

public:
    enum Mode
    {
        kAdd = 0,
        kEdit = 1,
        kRemove = 2,
    };

    static inline const QString kNotValid =
        QStringLiteral("0 is not a valid entry. Please specify a value between 1 and 223.");
    static inline const QString kNotValidCaption = QStringLiteral("error");

    CIPInputDlg(QWidget* parent, int nMode, const QString& strTitle, const QString& strPrompt, const QString& strIP);

    // Caption, prompt, button text and address as the mode says.
    void OnInitDialog() override;
    // Refuses an address whose first byte is 0; otherwise keeps it and closes with OK.
    void OnOK();

    CIPAddressField* AddressField() const { return m_ctrlIP; }

    int m_nMode;
    QString m_strTitle;
    QString m_strPrompt;
    QString m_strIP;

private:
    QLabel* m_prompt = nullptr;
    CIPAddressField* m_ctrlIP = nullptr;
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;
    QPushButton* m_historyButton = nullptr;
};
