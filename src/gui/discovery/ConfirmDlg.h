#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

// Asks the operator to confirm an operation that may harm the device: the caller's message, a
// fixed warning and "Yes" / "No". Accepted means "Yes".
class CConfirmDlg final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CConfirmDlg)

public:
    CConfirmDlg(const QString& subject, const QString& message, QWidget* parent = nullptr);

    int DoModal() { return exec(); }

    QString m_strSubject;
    QString m_strMessage;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnInitDialog();

    QLabel* m_message = nullptr;
    QPushButton* m_yesButton = nullptr;
    QPushButton* m_noButton = nullptr;
};
