#include "gui/controls/MessageBox.h"

#include <QCoreApplication>
#include <QMessageBox>

namespace {

void ShowMessageBox(QWidget* owner, const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner);
    box.setObjectName(QStringLiteral("messageBox"));
    box.exec();
}

CMessageBox::Presenter& CurrentPresenter()
{
    static CMessageBox::Presenter presenter = ShowMessageBox;
    return presenter;
}

} // namespace

void CMessageBox::Show(QWidget* owner, const QString& text, const QString& caption)
{
    const QString shownCaption = caption.isEmpty() ? QCoreApplication::applicationName() : caption;
    // Copy first: a presenter may replace itself while its box is open.
    const Presenter presenter = CurrentPresenter();
    presenter(owner, text, shownCaption);
}

CMessageBox::Presenter CMessageBox::SetPresenter(Presenter presenter)
{
    Presenter previous = CurrentPresenter();
    CurrentPresenter() = presenter ? std::move(presenter) : Presenter(ShowMessageBox);
    return previous;
}
