#pragma once

#include "ui/FileDialogs.h"

namespace kelvanto
{

// The desktop's own dialogs (QFileDialog).
class QtFileDialogs final : public FileDialogs
{
public:
    QString saveFile(QWidget* parent, const QString& filter, const QString& defaultSuffix) override;
    QString openFile(QWidget* parent, const QString& filter) override;
    QStringList openFiles(QWidget* parent, const QString& filter) override;
    QString chooseFolder(QWidget* parent, const QString& title, const QString& start) override;
};

} // namespace kelvanto
