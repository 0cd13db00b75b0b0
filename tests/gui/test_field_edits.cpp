#include "gui/controls/ColorStaticST.h"
#include "gui/controls/GCColorEdit.h"
#include "gui/controls/MacAddrEdit.h"
#include "gui/controls/TimeEdit.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>

#include <functional>
#include <map>
#include <memory>
#include <utility>

namespace {

// A parent that records the keys and context-menu requests its children leave to it.
class KeyRecorder final : public QWidget
{
    Q_DISABLE_COPY_MOVE(KeyRecorder)

public:
    KeyRecorder() = default;

    QList<int> keys;
    int contextMenus = 0;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        keys << event->key();
        event->accept();
    }
    void contextMenuEvent(QContextMenuEvent* event) override
    {
        ++contextMenus;
        event->accept();
    }
};

// The MAC edit and the time edit side by side in a recording parent.
struct Host
{
    Host()
    {
        auto* layout = new QHBoxLayout(&parent);
        mac = new CMacAddrEdit(&parent);
        time = new CTimeEdit(&parent);
        for (CGCMultiFieldEdit* edit : {static_cast<CGCMultiFieldEdit*>(mac), static_cast<CGCMultiFieldEdit*>(time)}) {
            edit->setMinimumWidth(260);
            layout->addWidget(edit);
        }
    }

    CGCMultiFieldEdit* Edit(const QString& which) const
    {
        return which == QLatin1String("mac") ? static_cast<CGCMultiFieldEdit*>(mac) : time;
    }

    bool Show()
    {
        parent.show();
        QApplication::setActiveWindow(&parent);
        return QTest::qWaitForWindowActive(&parent);
    }

    KeyRecorder parent;
    CMacAddrEdit* mac = nullptr;
    CTimeEdit* time = nullptr;
};

using Range = std::pair<int, int>; // selection start and length

// Where each field lies: the MAC fields at 3k, two wide; the hours at 1 and the minutes at 7.
Range FieldRange(const QString& which, int field)
{
    if (which == QLatin1String("mac")) {
        return {3 * field, 2};
    }
    return field == 0 ? Range{1, 1} : Range{7, 2};
}

Range Selection(const QLineEdit& edit)
{
    return {edit.selectionStart(), edit.selectionLength()};
}

// The x at which a click lands on character position `position` of `edit`.
int XOfPosition(QLineEdit& edit, int position)
{
    for (int x = 0; x < edit.width(); ++x) {
        if (edit.cursorPositionAt(QPoint(x, edit.height() / 2)) == position) {
            return x;
        }
    }
    return -1;
}

// Plays `input` on `edit` as the operator would: characters are typed, "[Right]", "[Paste]" ...
// press that key, "[MiddleClick]" clicks the middle button. `step` runs after each of them.
void Play(QWidget* edit, const QString& input, const std::function<void()>& step = {})
{
    static const std::map<QString, std::pair<Qt::Key, Qt::KeyboardModifiers>> kKeys{
        {QStringLiteral("Right"), {Qt::Key_Right, Qt::NoModifier}},
        {QStringLiteral("Left"), {Qt::Key_Left, Qt::NoModifier}},
        {QStringLiteral("Up"), {Qt::Key_Up, Qt::NoModifier}},
        {QStringLiteral("Down"), {Qt::Key_Down, Qt::NoModifier}},
        {QStringLiteral("Back"), {Qt::Key_Backspace, Qt::NoModifier}},
        {QStringLiteral("Delete"), {Qt::Key_Delete, Qt::NoModifier}},
        {QStringLiteral("Home"), {Qt::Key_Home, Qt::NoModifier}},
        {QStringLiteral("End"), {Qt::Key_End, Qt::NoModifier}},
        {QStringLiteral("Keypad7"), {Qt::Key_7, Qt::KeypadModifier}},
        {QStringLiteral("SelectAll"), {Qt::Key_A, Qt::ControlModifier}},
        {QStringLiteral("Ctrl1"), {Qt::Key_1, Qt::ControlModifier}},
        {QStringLiteral("Paste"), {Qt::Key_V, Qt::ControlModifier}},
        {QStringLiteral("ShiftInsert"), {Qt::Key_Insert, Qt::ShiftModifier}},
        {QStringLiteral("Cut"), {Qt::Key_X, Qt::ControlModifier}},
        {QStringLiteral("Undo"), {Qt::Key_Z, Qt::ControlModifier}},
        {QStringLiteral("Redo"), {Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier}},
    };
    for (qsizetype i = 0; i < input.size(); ++i) {
        if (input[i] != QLatin1Char('[')) {
            QTest::keyClick(edit, input[i].toLatin1());
        } else {
            const qsizetype close = input.indexOf(QLatin1Char(']'), i);
            const QString name = input.mid(i + 1, close - i - 1);
            i = close;
            if (name == QLatin1String("MiddleClick")) {
                QTest::mouseClick(edit, Qt::MiddleButton, Qt::NoModifier, edit->rect().center());
            } else {
                const auto& [key, modifiers] = kKeys.at(name);
                QTest::keyClick(edit, key, modifiers);
            }
        }
        if (step) {
            step();
        }
    }
}

QString AccessibleValue(QWidget* widget)
{
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Value);
}

QColor PixelInside(QWidget& widget)
{
    const QImage image = widget.grab().toImage();
    return image.pixelColor(image.width() - 6, image.height() / 2);
}

} // namespace

class TestFieldEdits final : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { qApp->setQuitOnLastWindowClosed(false); }

    void keysAndCharactersReachTheModel_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<int>("startField");
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("field");

        QTest::newRow("mac: digits in either case move on") << "mac" << 0 << "0A1b"
                                                            << "0A:1B:00:00:00:00" << 2;
        QTest::newRow("mac: space and right move on") << "mac" << 0 << " [Right]"
                                                      << "00:00:00:00:00:00" << 2;
        QTest::newRow("mac: left on field 0") << "mac" << 0 << "[Left]"
                                              << "00:00:00:00:00:00" << 5;
        QTest::newRow("mac: up, down") << "mac" << 1 << "[Down][Down][Up]"
                                       << "00:FF:00:00:00:00" << 1;
        QTest::newRow("mac: backspace restarts") << "mac" << 0 << "1[Back]23"
                                                 << "23:00:00:00:00:00" << 1;
        QTest::newRow("mac: delete") << "mac" << 3 << "[Up][Delete]"
                                     << "00:00:00:00:00:00" << 3;
        QTest::newRow("mac: keys of no use change nothing") << "mac" << 2 << "G[Home][End][SelectAll][Ctrl1]"
                                                            << "00:00:00:00:00:00" << 2;
        QTest::newRow("time: hours then minutes") << "time" << 0 << "245"
                                                  << " 2 (h) 45 (min) " << 1;
        QTest::newRow("time: keypad digit") << "time" << 1 << "[Keypad7]"
                                            << " 0 (h) 07 (min) " << 1;
        QTest::newRow("time: down on 0 hours") << "time" << 0 << "[Down]"
                                               << " 6 (h) 00 (min) " << 0;
        QTest::newRow("time: right wraps, backspace") << "time" << 1 << "5[Right][Up][Back]"
                                                      << " 0 (h) 05 (min) " << 0;
    }

    void keysAndCharactersReachTheModel()
    {
        QFETCH(QString, which);
        QFETCH(int, startField);
        QFETCH(QString, input);
        QFETCH(QString, text);
        QFETCH(int, field);
        Host host;
        QVERIFY(host.Show());
        CGCMultiFieldEdit* edit = host.Edit(which);
        edit->setFocus();
        QVERIFY(edit->SetCurrentField(startField));
        QSignalSpy changes(edit, &CGCMultiFieldEdit::fieldsChanged);
        QString shown = edit->text();
        int textChanges = 0;
        Play(edit, input, [&] {
            QCOMPARE(Selection(*edit), FieldRange(which, edit->GetCurrentField()));
            textChanges += edit->text() != shown ? 1 : 0;
            shown = edit->text();
        });
        QCOMPARE(edit->text(), text);
        QCOMPARE(edit->GetCurrentField(), field);
        QCOMPARE(Selection(*edit), FieldRange(which, field));
        QCOMPARE(changes.count(), textChanges);
        QCOMPARE(AccessibleValue(edit), text);
        QVERIFY(host.parent.keys.isEmpty());
    }

    void clickSelectsTheFieldUnderThePointer_data()
    {
        QTest::addColumn<QString>("which");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("field");

        QTest::newRow("mac: inside field 4") << "mac" << 13 << 4;
        QTest::newRow("mac: end of field 0") << "mac" << 2 << 0;
        QTest::newRow("mac: right of a colon") << "mac" << 9 << 3;
        QTest::newRow("mac: end of middle field 1") << "mac" << 5 << 2;
        QTest::newRow("time: on the hours") << "time" << 1 << 0;
        QTest::newRow("time: on the separator") << "time" << 4 << 1;
        QTest::newRow("time: on the suffix") << "time" << 12 << 1;
    }

    void clickSelectsTheFieldUnderThePointer()
    {
        QFETCH(QString, which);
        QFETCH(int, position);
        QFETCH(int, field);
        Host host;
        QVERIFY(host.Show());
        CGCMultiFieldEdit* edit = host.Edit(which);
        const QString text = edit->text();
        QVERIFY(edit->SetCurrentField(field == 0 ? 1 : 0));
        const int x = XOfPosition(*edit, position);
        QVERIFY(x >= 0);
        QTest::mouseClick(edit, Qt::LeftButton, Qt::NoModifier, QPoint(x, edit->height() / 2));
        QCOMPARE(edit->GetCurrentField(), field);
        QCOMPARE(Selection(*edit), FieldRange(which, field));
        QCOMPARE(edit->text(), text);
        QVERIFY(edit->hasFocus());
    }

    void otherMouseButtonsAndDraggingKeepTheSelection()
    {
        Host host;
        QVERIFY(host.Show());
        CMacAddrEdit* edit = host.mac;
        const QPoint field1(XOfPosition(*edit, 4), edit->height() / 2);
        const QPoint field4(XOfPosition(*edit, 13), edit->height() / 2);
        QTest::mousePress(edit, Qt::LeftButton, Qt::NoModifier, field1);
        QMouseEvent drag(QEvent::MouseMove, field4, edit->mapToGlobal(field4), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(edit, &drag);
        QCOMPARE(Selection(*edit), FieldRange(QStringLiteral("mac"), 1));
        QTest::mouseRelease(edit, Qt::LeftButton, Qt::NoModifier, field4);
        QCOMPARE(Selection(*edit), FieldRange(QStringLiteral("mac"), 1));
        const QPoint colon(XOfPosition(*edit, 9), edit->height() / 2);
        QMouseEvent doubleClick(QEvent::MouseButtonDblClick, colon, edit->mapToGlobal(colon), Qt::LeftButton,
                                Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(edit, &doubleClick);
        QCOMPARE(Selection(*edit), FieldRange(QStringLiteral("mac"), 1));
        QTest::mouseClick(edit, Qt::RightButton, Qt::NoModifier, field4);
        QTest::mouseClick(edit, Qt::MiddleButton, Qt::NoModifier, field4);
        QTest::mouseDClick(edit, Qt::RightButton, Qt::NoModifier, field4);
        QCOMPARE(edit->GetCurrentField(), 1);
        QCOMPARE(Selection(*edit), FieldRange(QStringLiteral("mac"), 1));
    }

    void noContextMenu()
    {
        Host host;
        QVERIFY(host.Show());
        CMacAddrEdit* edit = host.mac;
        QCOMPARE(edit->contextMenuPolicy(), Qt::PreventContextMenu);
        QContextMenuEvent request(QContextMenuEvent::Mouse, edit->rect().center(),
                                  edit->mapToGlobal(edit->rect().center()));
        QApplication::sendEvent(edit, &request);
        QVERIFY(!QApplication::activePopupWidget());
        QVERIFY(edit->findChildren<QMenu*>().isEmpty());
        QCOMPARE(host.parent.contextMenus, 0); // not handed on to the page either
    }

    void pasteCutAndUndoChangeNothing_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("text");

        QTest::newRow("ctrl+v") << "[Paste]"
                                << "12:34:56:78:9A:BC";
        QTest::newRow("shift+insert") << "[ShiftInsert]"
                                      << "12:34:56:78:9A:BC";
        QTest::newRow("middle click") << "[MiddleClick]"
                                      << "12:34:56:78:9A:BC";
        QTest::newRow("ctrl+x") << "[Cut]"
                                << "12:34:56:78:9A:BC";
        QTest::newRow("ctrl+z after a digit") << "5[Undo][Redo]"
                                              << "12:34:05:78:9A:BC";
    }

    void pasteCutAndUndoChangeNothing()
    {
        QFETCH(QString, input);
        QFETCH(QString, text);
        Host host;
        QVERIFY(host.Show());
        CMacAddrEdit* edit = host.mac;
        edit->setFocus();
        QVERIFY(edit->SetAddress({0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}));
        QVERIFY(edit->SetCurrentField(2));
        const QString pasted = QStringLiteral("FF:FF:FF:FF:FF:FF");
        QApplication::clipboard()->setText(pasted);
        if (QApplication::clipboard()->supportsSelection()) {
            QApplication::clipboard()->setText(pasted, QClipboard::Selection);
        }
        Play(edit, input);
        QCOMPARE(edit->text(), text);
        QCOMPARE(edit->GetCurrentField(), 2);
        QCOMPARE(Selection(*edit), FieldRange(QStringLiteral("mac"), 2));
        QCOMPARE(QApplication::clipboard()->text(), pasted);
    }

    void textFromElsewhereIsReplacedByTheFields_data()
    {
        QTest::addColumn<QString>("route");
        QTest::newRow("setText") << "setText";
        QTest::newRow("accessible insert") << "accessible insert";
        QTest::newRow("accessible value") << "accessible value";
        QTest::newRow("input method commit") << "input method";
        QTest::newRow("drop") << "drop";
    }

    void textFromElsewhereIsReplacedByTheFields()
    {
        QFETCH(QString, route);
        Host host;
        QVERIFY(host.Show());
        CTimeEdit* edit = host.time;
        edit->setFocus();
        QVERIFY(edit->SetTime(3, 25));
        QVERIFY(edit->SetCurrentField(1));
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(edit);
        QVERIFY(!accessible->state().readOnly);
        QVERIFY(accessible->state().editable);
        if (route == QLatin1String("setText")) {
            edit->setText(QStringLiteral("9"));
        } else if (route == QLatin1String("accessible insert")) {
            QVERIFY(accessible->editableTextInterface());
            accessible->editableTextInterface()->insertText(0, QStringLiteral("9"));
        } else if (route == QLatin1String("accessible value")) {
            accessible->setText(QAccessible::Value, QStringLiteral("9"));
        } else if (route == QLatin1String("input method")) {
            QInputMethodEvent commit;
            commit.setCommitString(QStringLiteral("9"));
            QApplication::sendEvent(edit, &commit);
        } else {
            QVERIFY(!edit->acceptDrops());
            QMimeData data;
            data.setText(QStringLiteral("9"));
            QDropEvent drop(QPointF(edit->rect().center()), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(edit, &drop);
            QVERIFY(!drop.isAccepted());
        }
        QCOMPARE(edit->text(), QStringLiteral(" 3 (h) 25 (min) "));
        QCOMPARE(Selection(*edit), FieldRange(QStringLiteral("time"), 1));
        QCOMPARE(edit->GetHours(), 3);
        QCOMPARE(edit->GetMinutes(), 25);
    }

    void noCaretWhileEditable()
    {
        Host host;
        QVERIFY(host.Show());
        for (CGCMultiFieldEdit* edit : {static_cast<CGCMultiFieldEdit*>(host.mac), host.Edit("time")}) {
            QVERIFY(!edit->isReadOnly());
            QCOMPARE(edit->style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, edit), 0);
        }
        // The application's own edits keep their caret.
        QLineEdit plain;
        QVERIFY(plain.style()->pixelMetric(QStyle::PM_TextCursorWidth, nullptr, &plain) > 0);
    }

    void returnEnterAndEscapeReachThePage_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("handedOn");
        QTest::newRow("return") << int(Qt::Key_Return) << true;
        QTest::newRow("enter") << int(Qt::Key_Enter) << true;
        QTest::newRow("escape") << int(Qt::Key_Escape) << true;
        QTest::newRow("a digit is the edit's") << int(Qt::Key_5) << false;
        QTest::newRow("page down is the edit's") << int(Qt::Key_PageDown) << false;
    }

    void returnEnterAndEscapeReachThePage()
    {
        QFETCH(int, key);
        QFETCH(bool, handedOn);
        Host host;
        QVERIFY(host.Show());
        host.mac->setFocus();
        QSignalSpy returns(host.mac, &QLineEdit::returnPressed);
        QTest::keyClick(host.mac, static_cast<Qt::Key>(key));
        QCOMPARE(host.parent.keys, handedOn ? QList<int>{key} : QList<int>{});
        QCOMPARE(returns.count(), key == Qt::Key_Return || key == Qt::Key_Enter ? 1 : 0);
    }

    void tabMovesTheFocusAndSelectsTheCurrentField()
    {
        Host host;
        QVERIFY(host.Show());
        QVERIFY(host.mac->SetCurrentField(3));
        QVERIFY(host.time->SetCurrentField(1));
        host.mac->setFocus(Qt::TabFocusReason);
        QCOMPARE(Selection(*host.mac), FieldRange(QStringLiteral("mac"), 3));
        host.time->deselect(); // even then the focus brings back the field, not the whole text
        QTest::keyClick(host.mac, Qt::Key_Tab);
        QTRY_VERIFY(host.time->hasFocus());
        QCOMPARE(Selection(*host.time), FieldRange(QStringLiteral("time"), 1));
        QCOMPARE(Selection(*host.mac), FieldRange(QStringLiteral("mac"), 3)); // kept while away
        QTest::keyClick(host.time, Qt::Key_Backtab, Qt::ShiftModifier);
        QTRY_VERIFY(host.mac->hasFocus());
        QCOMPARE(Selection(*host.mac), FieldRange(QStringLiteral("mac"), 3));
        QVERIFY(host.parent.keys.isEmpty());
    }

    void programSetsAndReadsTheValues()
    {
        CMacAddrEdit mac;
        QCOMPARE(mac.text(), QStringLiteral("00:00:00:00:00:00"));
        QCOMPARE(mac.GetCurrentField(), 0);
        QCOMPARE(Selection(mac), FieldRange(QStringLiteral("mac"), 0));
        QSignalSpy macChanges(&mac, &CGCMultiFieldEdit::fieldsChanged);
        QVERIFY(mac.SetAddress({0, 10, 27, 44, 61, 78}));
        QCOMPARE(mac.text(), QStringLiteral("00:0A:1B:2C:3D:4E"));
        QCOMPARE(mac.GetAddressText(), QStringLiteral("00:0A:1B:2C:3D:4E"));
        QCOMPARE(mac.GetAddress(), (corvane::MacAddress{0x00, 0x0A, 0x1B, 0x2C, 0x3D, 0x4E}));
        QCOMPARE(mac.GetByte(2), 27);
        QCOMPARE(macChanges.count(), 1);
        QVERIFY(!mac.SetAddress({0, 0, 0, 0, 0, 256}));
        QVERIFY(!mac.SetAddress({-1, 0, 0, 0, 0, 0}));
        QCOMPARE(mac.text(), QStringLiteral("00:0A:1B:2C:3D:4E"));
        QCOMPARE(macChanges.count(), 1);
        QVERIFY(mac.SetCurrentField(4));
        QCOMPARE(Selection(mac), FieldRange(QStringLiteral("mac"), 4));
        QVERIFY(!mac.SetCurrentField(6));
        QCOMPARE(mac.GetCurrentField(), 4);

        CTimeEdit time;
        QCOMPARE(time.text(), QStringLiteral(" 0 (h) 00 (min) "));
        QCOMPARE(Selection(time), FieldRange(QStringLiteral("time"), 0));
        QVERIFY(time.SetTime(6, 59));
        QCOMPARE(time.text(), QStringLiteral(" 6 (h) 59 (min) "));
        QVERIFY(!time.SetTime(7, 0));
        QVERIFY(!time.SetTime(0, 60));
        QCOMPARE(time.text(), QStringLiteral(" 6 (h) 59 (min) "));
        QCOMPARE(time.GetHours(), 6);
        QCOMPARE(time.GetMinutes(), 59);
        QCOMPARE(AccessibleValue(&time), QStringLiteral(" 6 (h) 59 (min) "));
    }

    void editColours_data()
    {
        QTest::addColumn<QString>("which");
        QTest::newRow("colour edit") << "colour";
        QTest::newRow("mac edit") << "mac";
        QTest::newRow("time edit") << "time";
    }

    void editColours()
    {
        QFETCH(QString, which);
        std::unique_ptr<CGCColorEdit> edit;
        if (which == QLatin1String("mac")) {
            edit = std::make_unique<CMacAddrEdit>();
        } else if (which == QLatin1String("time")) {
            edit = std::make_unique<CTimeEdit>();
        } else {
            edit = std::make_unique<CGCColorEdit>();
        }
        edit->resize(260, edit->sizeHint().height());
        QCOMPARE(edit->BkColor(), QColor(Qt::black));
        QCOMPARE(edit->TextColor(), QColor(Qt::white));
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            QCOMPARE(edit->palette().color(group, QPalette::Base), QColor(Qt::black));
            QCOMPARE(edit->palette().color(group, QPalette::Text), QColor(Qt::white));
        }
        QCOMPARE(PixelInside(*edit), QColor(Qt::black));

        QCOMPARE(edit->SetBkColor(Qt::white), QColor(Qt::black));
        QCOMPARE(edit->SetTextColor(Qt::black), QColor(Qt::white));
        QCOMPARE(edit->SetBkColor(QColor(255, 255, 225)), QColor(Qt::white));
        QCOMPARE(edit->BkColor(), QColor(255, 255, 225));
        QCOMPARE(edit->TextColor(), QColor(Qt::black));
        QCOMPARE(edit->palette().color(QPalette::Active, QPalette::Base), QColor(255, 255, 225));
        QCOMPARE(edit->palette().color(QPalette::Inactive, QPalette::Text), QColor(Qt::black));
        QCOMPARE(PixelInside(*edit), QColor(255, 255, 225));
    }

    void staticColours()
    {
        const QColor buttonText = QApplication::palette().color(QPalette::ButtonText);
        const QColor buttonFace = QApplication::palette().color(QPalette::Button);
        QWidget page;
        auto* label = new CColorStaticST(QStringLiteral("Confirm ID and Password"), &page);
        label->resize(200, 30);
        QVERIFY(label->autoFillBackground());
        QCOMPARE(label->TextColor(), buttonText);
        QCOMPARE(label->BkColor(), buttonFace);
        QCOMPARE(label->palette().color(label->foregroundRole()), buttonText);
        QCOMPARE(label->palette().color(label->backgroundRole()), buttonFace);
        QCOMPARE(PixelInside(*label), buttonFace);

        const QColor tipText(0, 0, 128);
        const QColor tipBase(255, 255, 200);
        label->SetTextColor(tipText);
        label->SetBkColor(tipBase);
        QCOMPARE(label->TextColor(), tipText);
        QCOMPARE(label->BkColor(), tipBase);
        QCOMPARE(label->palette().color(label->foregroundRole()), tipText);
        QCOMPARE(PixelInside(*label), tipBase);

        label->SetTextColor(QColor());
        QCOMPARE(label->TextColor(), buttonText);
        QCOMPARE(label->palette().color(label->foregroundRole()), buttonText);
        QCOMPARE(label->BkColor(), tipBase);
        label->SetBkColor(QColor());
        QCOMPARE(label->BkColor(), buttonFace);
        QCOMPARE(PixelInside(*label), buttonFace);
    }

    void staticFollowsTheSystemColoursUntilGivenItsOwn()
    {
        QWidget page;
        auto* following = new CColorStaticST(&page);
        auto* chosen = new CColorStaticST(&page);
        chosen->SetBkColor(Qt::yellow);
        const QPalette saved = QApplication::palette();
        const auto restore = qScopeGuard([&] { QApplication::setPalette(saved); });
        QPalette changed = saved;
        changed.setColor(QPalette::Button, QColor(10, 120, 10));
        changed.setColor(QPalette::ButtonText, QColor(250, 250, 250));
        QApplication::setPalette(changed);
        QCOMPARE(following->BkColor(), QColor(10, 120, 10));
        QTRY_COMPARE(following->palette().color(following->backgroundRole()), QColor(10, 120, 10));
        QCOMPARE(following->palette().color(following->foregroundRole()), QColor(250, 250, 250));
        QCOMPARE(chosen->palette().color(chosen->backgroundRole()), QColor(Qt::yellow));
    }
};

QTEST_MAIN(TestFieldEdits)
#include "test_field_edits.moc"
