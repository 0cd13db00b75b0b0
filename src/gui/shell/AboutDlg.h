#pragma once

#include <QDialog>

// "Corvane Utility for Windows Info.": the icon, the product name, the version and OK.
class CAboutDlg final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CAboutDlg)

public:
    explicit CAboutDlg(QWidget* parent = nullptr);
};
