#include "gui/shell/PropSheet.h"

#include "gui/dhcp/IPPage.h"
#include "gui/pages/NetworkModePage.h"
#include "gui/pages/PasswordPage.h"
#include "gui/pages/SerialPage.h"
#include "gui/shell/AboutDlg.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMenuBar>
#include <QTabWidget>

CPropSheet::CPropSheet(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("propSheet"));
    setWindowTitle(kCaption);

    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("menuBar"));
    m_aboutAction = bar->addAction(kAboutEntry);
    m_aboutAction->setObjectName(QStringLiteral("aboutAction"));
    connect(m_aboutAction, &QAction::triggered, this, &CPropSheet::OnAbout);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("tabs"));
    m_tabs->setAccessibleName(QStringLiteral("Pages"));
    // All four tabs stay in view: the window is never narrower than the tab row.
    m_tabs->setUsesScrollButtons(false);
    m_ipPage = new CIPPage(m_tabs);
    m_passwordPage = new CPasswordPage(m_tabs);
    m_networkModePage = new CNetworkModePage(m_tabs);
    m_serialPage = new CSerialPage(m_tabs);
    m_tabs->addTab(m_ipPage, QStringLiteral("IP Address"));
    m_tabs->addTab(m_passwordPage, QStringLiteral("Password"));
    m_tabs->addTab(m_networkModePage, QStringLiteral("Network Mode"));
    m_tabs->addTab(m_serialPage, QStringLiteral(" Serial   "));
    m_tabs->setCurrentIndex(0);

    setCentralWidget(m_tabs);
}

void CPropSheet::OnInitDialog()
{
    m_ipPage->OnInitDialog();
}

void CPropSheet::OnAbout()
{
    CAboutDlg about(this);
    about.exec();
}

void CPropSheet::OnDhcpStart()
{
    m_tabs->setCurrentWidget(m_ipPage);
    m_ipPage->OnDhcpStart();
}

void CPropSheet::closeEvent(QCloseEvent* event)
{
    QMainWindow::closeEvent(event);
    if (event->isAccepted()) {
        QCoreApplication::exit(kExitStatus);
    }
}
