#pragma once

#include <QWidget>

class CIPPage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CIPPage)

public:
    explicit CIPPage(QWidget* parent = nullptr);
};
