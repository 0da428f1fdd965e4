#pragma once

#include "model/Task.h"

#include <vector>

class QTreeWidget;
class QWidget;

namespace kelvanto
{

// The list of restore files that the edit and the read-only pages show: "SN" (from 1), "File
// Name", "Full Path", "File Size" (as "%d KB") and "Date & Time" (the file's modification time
// under the date and time display options).
QTreeWidget* makeRestoreFilesList(QWidget* parent);
void fillRestoreFilesList(QTreeWidget* list, const std::vector<RestoreFile>& files, int dateFormat, int timeFormat);

} // namespace kelvanto
