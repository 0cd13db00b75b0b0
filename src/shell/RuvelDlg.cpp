#include "shell/RuvelDlg.h"

#include "stores/Profile.h"

#include <QDir>
#include <QGuiApplication>
#include <QScreen>

bool CRuvelDlg::OnInitDialog()
{
    CProfile::WriteString(CProfile::kSection, CProfile::kPathKey, QDir::currentPath());

    m_propSheet.setWindowTitle(CPropSheet::kCaption);
    m_propSheet.adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = m_propSheet.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        m_propSheet.move(frame.topLeft());
    }
    m_propSheet.show();
    m_propSheet.activateWindow();
    return true;
}
