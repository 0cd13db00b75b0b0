#pragma once

#include <QWidget>

class CSerialPage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CSerialPage)

public:
    explicit CSerialPage(QWidget* parent = nullptr);
};
