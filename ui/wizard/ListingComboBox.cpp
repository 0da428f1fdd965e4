#include "ui/wizard/ListingComboBox.h"

namespace kelvanto
{

ListingComboBox::ListingComboBox(QWidget* parent)
    : QComboBox(parent)
{
    setMinimumContentsLength(20);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
}

void ListingComboBox::setChosen(const QString& name)
{
    clear();
    if (!name.isEmpty()) {
        addItem(name);
        setCurrentIndex(0);
    }
}

void ListingComboBox::showPopup()
{
    if (m_lister) {
        const std::optional<QStringList> names = m_lister();
        if (!names)
            return;
        const QString chosen = currentIndex() >= 0 ? currentText() : QString();
        clear();
        addItems(*names);
        setCurrentIndex(chosen.isNull() ? -1 : findText(chosen));
    }
    QComboBox::showPopup();
}

} // namespace kelvanto
