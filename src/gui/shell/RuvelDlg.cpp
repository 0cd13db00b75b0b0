#include "gui/shell/RuvelDlg.h"

#include "gui/stores/Profile.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>

namespace {

// Room for the pages' lists and fields at the usual font.
constexpr QSize kInitialSize(640, 440);

} // namespace

bool CRuvelDlg::OnInitDialog()
{
    CProfile::WriteString(CProfile::kSection, CProfile::kPathKey, QDir::currentPath());
    // The pages were built with the sheet, before the directory was known; they read the stores
    // only now.
    m_propSheet.OnInitDialog();

    m_propSheet.setWindowTitle(CPropSheet::kCaption);
    m_propSheet.adjustSize();
    m_propSheet.resize(m_propSheet.size().expandedTo(kInitialSize));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = m_propSheet.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        m_propSheet.move(frame.topLeft());
    }
    m_propSheet.show();
    m_propSheet.activateWindow();
    return true;
}
