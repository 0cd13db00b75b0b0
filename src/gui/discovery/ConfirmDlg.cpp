#include "gui/discovery/ConfirmDlg.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>

CConfirmDlg::CConfirmDlg(const QString& subject, const QString& message, QWidget* parent)
    : QDialog(parent), m_strSubject(subject), m_strMessage(message)
{
    setObjectName(QStringLiteral("confirmDlg"));

    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("warningIcon"));
    icon->setAccessibleName(QStringLiteral("Warning"));
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this).pixmap(iconSize, iconSize));
    icon->setAlignment(Qt::AlignTop);

    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("messageText"));
    auto* severe = new QLabel(QStringLiteral("This operation may cause a severe problem. "), this);
    severe->setObjectName(QStringLiteral("severeText"));
    auto* question = new QLabel(QStringLiteral("Do you want to continue? "), this);
    question->setObjectName(QStringLiteral("questionText"));

    m_yesButton = new QPushButton(QStringLiteral("Yes"), this);
    m_yesButton->setObjectName(QStringLiteral("yesButton"));
    m_yesButton->setDefault(true);
    m_noButton = new QPushButton(QStringLiteral("No"), this);
    m_noButton->setObjectName(QStringLiteral("noButton"));
    connect(m_yesButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_noButton, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QGridLayout(this);
    layout->addWidget(icon, 0, 0, 3, 1);
    layout->addWidget(m_message, 0, 1);
    layout->addWidget(severe, 1, 1);
    layout->addWidget(question, 2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_yesButton);
    buttons->addWidget(m_noButton);
    buttons->addStretch();
    layout->addLayout(buttons, 3, 0, 1, 2);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    OnInitDialog();
}

void CConfirmDlg::OnInitDialog()
{
    m_message->setText(m_strMessage);
    setWindowTitle(QStringLiteral("Warning to ") + m_strSubject);
}

void CConfirmDlg::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        OnInitDialog();
    }
    QDialog::showEvent(event);
}
