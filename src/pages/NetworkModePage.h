#pragma once

#include <QWidget>

class CNetworkModePage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CNetworkModePage)

public:
    explicit CNetworkModePage(QWidget* parent = nullptr);
};
