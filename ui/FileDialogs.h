#pragma once

#include <QString>
#include <QStringList>

class QWidget;

namespace kelvanto
{

// The file and folder pickers, behind one interface so that tests choose the files.
class FileDialogs
{
public:
    virtual ~FileDialogs() = default;

    // A save dialog that asks before replacing a file; the suffix is added to a name typed
    // without one. Empty when cancelled.
    virtual QString saveFile(QWidget* parent, const QString& filter, const QString& defaultSuffix) = 0;
    // An open dialog for an existing file. Empty when cancelled.
    virtual QString openFile(QWidget* parent, const QString& filter) = 0;
    // An open dialog for one or more existing files. Empty when cancelled.
    virtual QStringList openFiles(QWidget* parent, const QString& filter) = 0;
    // A folder picker with the given title, starting at start. Empty when cancelled.
    virtual QString chooseFolder(QWidget* parent, const QString& title, const QString& start) = 0;
};

} // namespace kelvanto
