#include "gui/shell/AboutDlg.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("aboutDlg"));
    setWindowTitle(QStringLiteral("Corvane Utility for Windows Info."));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
    icon->setAccessibleName(QStringLiteral("Application icon"));

    auto* product = new QLabel(QStringLiteral("Corvane Utility Software for CV 48x"), this);
    product->setObjectName(QStringLiteral("product"));
    auto* version = new QLabel(QStringLiteral("version 1.02"), this);
    version->setObjectName(QStringLiteral("version"));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* texts = new QVBoxLayout;
    texts->addWidget(product);
    texts->addWidget(version);
    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addLayout(texts, 1);
    row->addWidget(ok, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
