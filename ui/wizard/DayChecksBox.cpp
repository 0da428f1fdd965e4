#include "ui/wizard/DayChecksBox.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace kelvanto
{

DayChecksBox::DayChecksBox(const QStringList& labels, const QStringList& names, int columns, QWidget* parent)
    : QWidget(parent)
{
    auto* grid = new QGridLayout;
    for (int i = 0; i < labels.size(); ++i) {
        auto* box = new QCheckBox(labels[i], this);
        box->setObjectName(names.value(i));
        grid->addWidget(box, i / columns, i % columns);
        m_boxes.push_back(box);
    }
    auto* buttons = new QHBoxLayout;
    const std::pair<const char*, QString> kButtons[]
        = {{"selectAll", tr("Select All")}, {"deselectAll", tr("Deselect All")}, {"invert", tr("Invert")}};
    for (const auto& [name, text] : kButtons) {
        auto* button = new QPushButton(text, this);
        button->setObjectName(name);
        buttons->addWidget(button);
        const std::string which = name;
        connect(button, &QPushButton::clicked, this, [this, which] {
            for (QCheckBox* box : m_boxes)
                box->setChecked(which == "invert" ? !box->isChecked() : which == "selectAll");
        });
    }
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(grid);
    layout->addLayout(buttons);
}

void DayChecksBox::setChecked(std::size_t index, bool checked)
{
    m_boxes[index]->setChecked(checked);
}

bool DayChecksBox::isChecked(std::size_t index) const
{
    return m_boxes[index]->isChecked();
}

} // namespace kelvanto
