#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace kelvanto
{

// The file and folder pickers of the wizard pages, behind one interface so that tests can
// answer them in advance. Every method returns empty when the user cancels.
class FileChooser
{
public:
    virtual ~FileChooser() = default;

    // A folder, with a '/' at its end.
    virtual QString ChooseFolder(QWidget* parent, const QString& prompt, const QString& start) = 0;
    // Existing files to read: one, or several when multiple is set.
    virtual QStringList ChooseOpenFiles(QWidget* parent, const QString& filter, bool multiple) = 0;
    // A file to write.
    virtual QString ChooseSaveFile(QWidget* parent, const QString& filter, const QString& start) = 0;
};

} // namespace kelvanto
