#pragma once

#include <QStringList>
#include <QWidget>

#include <cstdint>
#include <vector>

class QCheckBox;

namespace kelvanto
{

// A grid of day check boxes (the days of the week or of the month) with "Select All",
// "Deselect All" and "Invert".
class DayChecksBox : public QWidget
{
    Q_OBJECT

public:
    // One box per label, named by names, laid out in columns.
    DayChecksBox(const QStringList& labels, const QStringList& names, int columns, QWidget* parent = nullptr);

    template <typename Flags>
    void load(const Flags& flags)
    {
        for (std::size_t i = 0; i < flags.size() && i < m_boxes.size(); ++i)
            setChecked(i, flags[i] != 0);
    }
    template <typename Flags>
    void save(Flags& flags) const
    {
        for (std::size_t i = 0; i < flags.size() && i < m_boxes.size(); ++i)
            flags[i] = isChecked(i) ? 1 : 0;
    }

private:
    void setChecked(std::size_t index, bool checked);
    bool isChecked(std::size_t index) const;

    std::vector<QCheckBox*> m_boxes;
};

} // namespace kelvanto
