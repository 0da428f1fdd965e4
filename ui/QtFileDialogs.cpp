#include "ui/QtFileDialogs.h"

#include <QFileDialog>

namespace kelvanto
{

QString QtFileDialogs::saveFile(QWidget* parent, const QString& filter, const QString& defaultSuffix)
{
    QFileDialog dialog(parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().front();
}

QString QtFileDialogs::openFile(QWidget* parent, const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, QString(), QString(), filter);
}

QStringList QtFileDialogs::openFiles(QWidget* parent, const QString& filter)
{
    return QFileDialog::getOpenFileNames(parent, QString(), QString(), filter);
}

QString QtFileDialogs::chooseFolder(QWidget* parent, const QString& title, const QString& start)
{
    return QFileDialog::getExistingDirectory(parent, title, start);
}

} // namespace kelvanto
