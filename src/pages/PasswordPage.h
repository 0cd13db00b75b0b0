#pragma once

#include <QWidget>

class CPasswordPage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CPasswordPage)

public:
    explicit CPasswordPage(QWidget* parent = nullptr);
};
