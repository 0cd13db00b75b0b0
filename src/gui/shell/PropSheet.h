#pragma once

#include <QMainWindow>

class CIPPage;
class CPasswordPage;
class CNetworkModePage;
class CSerialPage;
class QAction;
class QTabWidget;

// The operator's window: the four pages as tabs and the About entry in the window's menu. It is a
// main window, so assistive technology announces it as an application window. Closing it ends the
// process with exit status 1.
class CPropSheet final : public QMainWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CPropSheet)

public:
    static inline const QString kCaption = QStringLiteral("Corvane Utility Software for CV 48x");
    static inline const QString kAboutEntry = QStringLiteral("About  Corvane (&A)...");
    static constexpr int kExitStatus = 1;

    explicit CPropSheet(QWidget* parent = nullptr);

    QTabWidget* Tabs() const { return m_tabs; }
    QAction* AboutAction() const { return m_aboutAction; }
    CIPPage* IPPage() const { return m_ipPage; }

    // Initialises the pages once the store directory is recorded: the IP Address page fills its
    // list from the table in that directory.
    void OnInitDialog();
    void OnAbout();
    // The IP Address page in front, then its "DHCP Start".
    void OnDhcpStart();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QTabWidget* m_tabs = nullptr;
    QAction* m_aboutAction = nullptr;
    CIPPage* m_ipPage = nullptr;
    CPasswordPage* m_passwordPage = nullptr;
    CNetworkModePage* m_networkModePage = nullptr;
    CSerialPage* m_serialPage = nullptr;
};
