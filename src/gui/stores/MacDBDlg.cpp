#include "gui/stores/MacDBDlg.h"

#include <QEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace {

// The list's size, 80 by 114 dialog units, in pixels of the dialog's font.
QSize DialogUnitsToPixels(const QFontMetrics& metrics, int width, int height)
{
    const QString alphabet = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int baseX = (metrics.horizontalAdvance(alphabet) / 26 + 1) / 2;
    const int baseY = metrics.height();
    return {width * baseX / 4, height * baseY / 8};
}

} // namespace

CMacDBDlg::CMacDBDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("macDBDlg"));
    setWindowTitle(QStringLiteral("History"));

    m_pList = new QListWidget(this);
    m_pList->setObjectName(QStringLiteral("macList"));
    m_pList->setAccessibleName(QStringLiteral("MAC Address"));
    m_pList->setAccessibleDescription(
        QStringLiteral("MAC addresses used before, the latest first; double-click or press Enter to pick one"));
    m_pList->setViewMode(QListView::ListMode);
    m_pList->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pList->viewport()->installEventFilter(this);
    m_pList->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pList);
    resize(DialogUnitsToPixels(fontMetrics(), 80, 114));

    OnInitDialog();
}

QString CMacDBDlg::FormatMac(const MacBytes& mac)
{
    QString text =
        QString::asprintf("%2x:%2x:%2x:%2x:%2x:%2x", static_cast<unsigned>(mac[0]), static_cast<unsigned>(mac[1]),
                          static_cast<unsigned>(mac[2]), static_cast<unsigned>(mac[3]), static_cast<unsigned>(mac[4]),
                          static_cast<unsigned>(mac[5]));
    return text.replace(QLatin1Char(' '), QLatin1Char('0')).toUpper();
}

void CMacDBDlg::OnInitDialog()
{
    CMacHistoryFDB db;
    db.Load();
    db.MoveFirst();
    while (!db.IsEnd()) {
        MacBytes mac{};
        for (int k = 0; k < 6; ++k) {
            mac[static_cast<size_t>(k)] = db.GetByte(k);
        }
        // Every address goes in at the top: the latest comes first.
        m_pList->insertItem(0, FormatMac(mac));
        db.MoveNext();
    }
}

void CMacDBDlg::OnDblclkList(QListWidgetItem* item)
{
    if (!item) {
        m_anByte = MacBytes{};
        reject();
        return;
    }
    const std::string text = item->text().toStdString();
    for (size_t k = 0; k < m_anByte.size(); ++k) {
        const size_t pos = k * 3;
        m_anByte[k] = HexPairToInt(pos < text.size() ? text.substr(pos, 2) : std::string());
    }
    accept();
}

bool CMacDBDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pList->viewport() && event->type() == QEvent::MouseButtonDblClick) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton) {
            OnDblclkList(m_pList->itemAt(mouse->position().toPoint()));
            return true;
        }
    }
    if (watched == m_pList && event->type() == QEvent::KeyPress) {
        // The keyboard's way to pick: Enter on the selected address.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && m_pList->currentItem()) {
            OnDblclkList(m_pList->currentItem());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
