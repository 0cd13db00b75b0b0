#include "gui/discovery/MacPartFields.h"

#include "core/stores/MacHistoryFDB.h"
#include "gui/controls/DataExchange.h"
#include "gui/stores/MacDBDlg.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

namespace {

// Lets everything through and turns the letters a to z to upper case as they are typed or set.
class CUpperCaseValidator final : public QValidator
{
public:
    using QValidator::QValidator;

    State validate(QString& input, int& /*pos*/) const override
    {
        for (QChar& c : input) {
            if (c >= QLatin1Char('a') && c <= QLatin1Char('z')) {
                c = QChar(c.unicode() - 'a' + 'A');
            }
        }
        return Acceptable;
    }
};

} // namespace

CMacPartFields::CMacPartFields(int maxPartLength, QWidget* parent, Buttons buttons) : QWidget(parent)
{
    setObjectName(QStringLiteral("macFields"));
    setAccessibleName(QStringLiteral("MAC"));

    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    auto* label = new QLabel(QStringLiteral("MAC"), this);
    label->setObjectName(QStringLiteral("macLabel"));
    layout->addWidget(label);
    layout->addSpacing(6);

    auto* validator = new CUpperCaseValidator(this);
    for (int k = 0; k < kParts; ++k) {
        if (k > 0) {
            layout->addWidget(new QLabel(QStringLiteral(":"), this));
        }
        auto* part = new QLineEdit(this);
        part->setObjectName(QStringLiteral("macByte%1").arg(k + 1));
        part->setAccessibleName(QStringLiteral("MAC byte %1").arg(k + 1));
        part->setValidator(validator);
        if (maxPartLength != kUnlimited) {
            part->setMaxLength(maxPartLength);
        }
        part->setAlignment(Qt::AlignCenter);
        part->setFixedWidth(part->fontMetrics().horizontalAdvance(QStringLiteral("WWW")) + 8);
        connect(part, &QLineEdit::textChanged, this, [this, k] { OnChangeMacPart(k); });
        part->installEventFilter(this);
        layout->addWidget(part);
        m_parts[static_cast<std::size_t>(k)] = part;
    }
    if (buttons == Buttons::None) {
        layout->addStretch();
        setFocusProxy(m_parts[0]);
        return;
    }
    layout->addSpacing(12);

    m_historyButton = new QPushButton(QStringLiteral("History"), this);
    m_historyButton->setObjectName(QStringLiteral("historyButton"));
    m_historyButton->setAutoDefault(false);
    m_deleteHistoryButton = new QPushButton(QStringLiteral("Delete History"), this);
    m_deleteHistoryButton->setObjectName(QStringLiteral("deleteHistoryButton"));
    m_deleteHistoryButton->setAutoDefault(false);
    connect(m_historyButton, &QPushButton::clicked, this, &CMacPartFields::OnHistory);
    connect(m_deleteHistoryButton, &QPushButton::clicked, this, &CMacPartFields::OnDeleteHistory);
    layout->addWidget(m_historyButton);
    layout->addWidget(m_deleteHistoryButton);
    layout->addStretch();
    setFocusProxy(m_parts[0]);
}

void CMacPartFields::Exchange(CDataExchange& dx, corvane::MacPartTexts& parts)
{
    for (std::size_t k = 0; k < parts.size(); ++k) {
        dx.Text(m_parts[k], parts[k]);
    }
}

void CMacPartFields::OnHistory()
{
    CMacDBDlg history(this);
    const bool picked = history.exec() == QDialog::Accepted;
    for (std::size_t k = 0; k < m_parts.size(); ++k) {
        const std::string text = picked ? corvane::HistoryPartText(history.m_anByte[k]) : std::string("00");
        m_parts[k]->setText(QString::fromStdString(text));
    }
}

void CMacPartFields::OnDeleteHistory()
{
    CMacHistoryFDB history;
    history.Clear();
}

void CMacPartFields::FocusPart(int k)
{
    QLineEdit* part = m_parts[static_cast<std::size_t>(k)];
    part->setFocus(Qt::TabFocusReason);
    part->selectAll();
}

bool CMacPartFields::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool typing = !key->text().isEmpty() && key->text().at(0).isPrint() &&
                            !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
        for (int k = 0; k < kParts && typing; ++k) {
            QLineEdit* part = m_parts[static_cast<std::size_t>(k)];
            if (watched == part && part->text().size() >= part->maxLength() && !part->hasSelectedText()) {
                // The character would not fit: it is dropped and the owner decides where to go on.
                emit partFull(k);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CMacPartFields::OnChangeMacPart(int k)
{
    if (m_bCutting) {
        return;
    }
    QLineEdit* field = m_parts[static_cast<std::size_t>(k)];
    int& p = m_nFieldPos[static_cast<std::size_t>(k)];
    const QString text = field->text();
    const auto n = static_cast<int>(text.size());
    if (n - 1 == p) {
        // The character just typed at the expected place: a letter that cannot be hexadecimal is
        // taken out again and the caret stays in this field.
        const QChar typed = text.at(p);
        if (typed >= QLatin1Char('G') && typed <= QLatin1Char('Z')) {
            m_bCutting = true;
            field->setText(text.left(p));
            m_bCutting = false;
            if (p == 1) {
                field->setCursorPosition(static_cast<int>(field->text().size()));
            }
            return;
        }
    } else {
        // After a deletion, a paste or a change by the program.
        p = n - 1;
    }
    const bool pairDone = ++p == 2;
    if (pairDone) {
        p = 0;
    }
    emit partChanged(k);
    if (pairDone && k + 1 < kParts) {
        FocusPart(k + 1);
    }
}
