#pragma once

#include "ui/wizard/FileChooser.h"

namespace kelvanto
{

// The desktop's file dialogs.
class QtFileChooser final : public FileChooser
{
public:
    QString ChooseFolder(QWidget* parent, const QString& prompt, const QString& start) override;
    QStringList ChooseOpenFiles(QWidget* parent, const QString& filter, bool multiple) override;
    QString ChooseSaveFile(QWidget* parent, const QString& filter, const QString& start) override;
};

} // namespace kelvanto
