#pragma once

#include <QDialog>

#include <cstdint>

class QCheckBox;
class QLabel;

namespace kelvanto
{

// "Tip of the Day": nine tips, the counter "Tip %d of %d", "&Previous Tip" and "&Next Tip"
// (both wrap around), "&Show tips on start up" and "&Close". It opens on the tip after the one
// shown last; the caller stores shownIndex() and showOnStartUp() when it closes.
class TipOfTheDayDialog : public QDialog
{
    Q_OBJECT

public:
    static constexpr int kTipCount = 9;
    // The text of tip index (0-8).
    static QString tip(int index);
    // The tip shown first after lastTipIndex: the next one, or the first after the last.
    static int firstTipAfter(std::int32_t lastTipIndex);

    TipOfTheDayDialog(std::int32_t lastTipIndex, bool showTips, QWidget* parent = nullptr);

    int shownIndex() const { return m_index; }
    bool showOnStartUp() const;
    void next();
    void previous();

private:
    void showTip();

    int m_index;
    QLabel* m_text;
    QLabel* m_counter;
    QCheckBox* m_showTips;
};

} // namespace kelvanto
