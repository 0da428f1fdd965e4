#include "ui/wizard/RestoreFilesList.h"

#include "schedule/DateFormat.h"
#include "ui/wizard/ReadOnlyTexts.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QTreeWidget>

namespace kelvanto
{

QTreeWidget* makeRestoreFilesList(QWidget* parent)
{
    auto* list = new QTreeWidget(parent);
    list->setObjectName("files");
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->setHeaderLabels({QCoreApplication::translate("kelvanto::wizard", "SN"),
        QCoreApplication::translate("kelvanto::wizard", "File Name"),
        QCoreApplication::translate("kelvanto::wizard", "Full Path"),
        QCoreApplication::translate("kelvanto::wizard", "File Size"),
        QCoreApplication::translate("kelvanto::wizard", "Date & Time")});
    list->header()->setStretchLastSection(false);
    list->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    return list;
}

void fillRestoreFilesList(QTreeWidget* list, const std::vector<RestoreFile>& files, int dateFormat, int timeFormat)
{
    list->clear();
    int number = 0;
    for (const RestoreFile& file : files) {
        const std::string modified
            = file.modified.isNever() ? std::string() : FormatDateTime(file.modified, dateFormat, timeFormat, true);
        auto* item = new QTreeWidgetItem(list,
            {QString::number(++number), QString::fromStdString(file.fileName), QString::fromStdString(file.path),
                wizard::fileSizeText(file.size), QString::fromStdString(modified)});
        item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    }
}

} // namespace kelvanto
