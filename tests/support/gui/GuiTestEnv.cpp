#include "gui/GuiTestEnv.h"

#include "gui/stores/Profile.h"
#include "gui/stores/StoreHooks.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QSettings>
#include <QTableWidget>
#include <QTest>
#include <QWidget>

GuiTestEnv::GuiTestEnv()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_configDir.path());
    CProfile::WriteString(CProfile::kSection, CProfile::kPathKey, m_storeDir.path());
    InstallStoreHooks();
}

QWidget* WaitForActiveModal(const char* className, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!deadline.hasExpired()) {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->inherits(className)) {
            return modal;
        }
        QTest::qWait(5);
    }
    return nullptr;
}

void ClickTableRow(QTableWidget* list, int row, int column)
{
    const QPoint at =
        row >= 0 ? list->visualItemRect(list->item(row, column)).center() : QPoint(10, list->viewport()->height() - 3);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
}
