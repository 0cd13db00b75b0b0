#pragma once

#include "core/rules/MacParts.h"

#include <QWidget>

#include <array>

class CDataExchange;
class QLineEdit;
class QPushButton;

// The MAC address of the Find IP and Clear IP dialogs and of the DHCP DB entry dialog: six
// hexadecimal parts in their own fields, labelled "MAC", with the "History" and "Delete History"
// buttons unless the owner does without them. The fields turn letters to upper case and refuse the
// letters G to Z; after every second character the focus moves on to the next field, so that the
// twelve digits of an address can be typed in one go.
class CMacPartFields final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CMacPartFields)

public:
    static constexpr int kParts = 6;
    // No limit on the length of a part.
    static constexpr int kUnlimited = 0;

    enum class Buttons
    {
        History, // "History" and "Delete History" after the fields
        None,
    };

    explicit CMacPartFields(int maxPartLength, QWidget* parent = nullptr, Buttons buttons = Buttons::History);

    // Exchanges the six fields with `parts`, first part first.
    void Exchange(CDataExchange& dx, corvane::MacPartTexts& parts);

    QLineEdit* Part(int k) const { return m_parts[static_cast<std::size_t>(k)]; }
    // Null without the history buttons.
    QPushButton* HistoryButton() const { return m_historyButton; }
    QPushButton* DeleteHistoryButton() const { return m_deleteHistoryButton; }

    // "History": the picked address fills the six fields; "00" each when nothing was picked.
    void OnHistory();
    // "Delete History": empties the MAC history without asking.
    void OnDeleteHistory();

    // Gives part `k` the focus with its text selected, as the move after a second character does.
    void FocusPart(int k);
    // Per part, how many characters of the current pair have been typed (0 or 1).
    const std::array<int, kParts>& TypedCounts() const { return m_nFieldPos; }

signals:
    // Part `k` changed and the change was kept (a refused letter is not announced).
    void partChanged(int k);
    // The operator typed into part `k` while it already held as many characters as it takes.
    void partFull(int k);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnChangeMacPart(int k);

    std::array<QLineEdit*, kParts> m_parts{};
    // Per field, where the next typed character is expected (0 or 1).
    std::array<int, kParts> m_nFieldPos{};
    bool m_bCutting = false;
    QPushButton* m_historyButton = nullptr;
    QPushButton* m_deleteHistoryButton = nullptr;
};
