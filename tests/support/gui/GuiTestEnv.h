#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QWidget>

class QTableWidget;

// A private profile and store directory for one test: QSettings writes under a temporary
// directory, the profile value "path" points at a second one, and the stores are wired to the
// message seam, as the shell does at start.
class GuiTestEnv
{
public:
    GuiTestEnv();

    QString StoreDir() const { return m_storeDir.path(); }
    QString StoreFile(const QString& name) const { return m_storeDir.filePath(name); }
    QString ConfigDir() const { return m_configDir.path(); }

private:
    QTemporaryDir m_configDir;
    QTemporaryDir m_storeDir;
};

// Waits (running the event loop) until a modal widget of type T is active, then returns it;
// nullptr after `timeoutMs`.
template <class T>
T* WaitForModal(int timeoutMs = 5000);

QWidget* WaitForActiveModal(const char* className, int timeoutMs);

// A mouse click on row `row` of `list` (in its column `column`); -1 clicks the empty area below
// the rows.
void ClickTableRow(QTableWidget* list, int row, int column = 0);

// The first child of `root` of type T whose accessible name is `name`, as a screen reader finds
// it; nullptr when there is none.
template <class T>
T* FindByAccessibleName(const QWidget* root, const QString& name)
{
    for (T* child : root->findChildren<T*>()) {
        if (child->accessibleName() == name) {
            return child;
        }
    }
    return nullptr;
}

template <class T>
T* WaitForModal(int timeoutMs)
{
    return static_cast<T*>(WaitForActiveModal(T::staticMetaObject.className(), timeoutMs));
}
