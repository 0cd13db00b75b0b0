#pragma once

#include <QString>

#include <functional>

class QWidget;

// The one way the utility shows a message to the operator: a text, a caption and an OK button.
// Tests replace the presenter with a recorder, so nothing blocks and every box can be read.
class CMessageBox final
{
public:
    using Presenter = std::function<void(QWidget* owner, const QString& text, const QString& caption)>;

    // Shows `text` modally; an empty caption means the application name.
    static void Show(QWidget* owner, const QString& text, const QString& caption = QString());
    // Installs `presenter` (an empty one restores the real message box); returns the previous one.
    static Presenter SetPresenter(Presenter presenter);

    CMessageBox() = delete;
};
