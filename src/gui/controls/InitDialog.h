#pragma once

#include <QDialog>
#include <QShowEvent>

// A modal dialog whose caller sets its members after construction: OnInitDialog fills the
// controls from them once, when the dialog is first shown. A window the system shows again
// (restored, uncovered) is not a first showing.
class CInitDialog : public QDialog
{
public:
    int DoModal() { return exec(); }

    virtual void OnInitDialog() = 0;

protected:
    explicit CInitDialog(QWidget* parent) : QDialog(parent) {}

    void showEvent(QShowEvent* event) override
    {
        if (!event->spontaneous() && !m_bInitialized) {
            m_bInitialized = true;
            OnInitDialog();
        }
        QDialog::showEvent(event);
    }

private:
    bool m_bInitialized = false;
};
