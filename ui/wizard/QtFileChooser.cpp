#include "ui/wizard/QtFileChooser.h"

#include <QFileDialog>

namespace kelvanto
{

QString QtFileChooser::ChooseFolder(QWidget* parent, const QString& prompt, const QString& start)
{
    QString folder = QFileDialog::getExistingDirectory(parent, prompt, start);
    if (!folder.isEmpty() && !folder.endsWith('/'))
        folder += '/';
    return folder;
}

QStringList QtFileChooser::ChooseOpenFiles(QWidget* parent, const QString& filter, bool multiple)
{
    if (multiple)
        return QFileDialog::getOpenFileNames(parent, QString(), QString(), filter);
    const QString file = QFileDialog::getOpenFileName(parent, QString(), QString(), filter);
    return file.isEmpty() ? QStringList() : QStringList {file};
}

QString QtFileChooser::ChooseSaveFile(QWidget* parent, const QString& filter, const QString& start)
{
    return QFileDialog::getSaveFileName(parent, QString(), start, filter);
}

} // namespace kelvanto
