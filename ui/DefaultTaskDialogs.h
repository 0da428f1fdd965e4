#pragma once

#include "ui/TaskDialogs.h"

namespace kelvanto
{

// The real wizard and sheet (the functions above).
class DefaultTaskDialogs final : public TaskDialogs
{
public:
    std::optional<Task> newTask(QWidget* parent, TaskDialogContext& context) override;
    bool editTask(QWidget* parent, TaskDialogContext& context, Task& task) override;
    void showProperties(QWidget* parent, TaskDialogContext& context, const Task& task) override;
};

} // namespace kelvanto
