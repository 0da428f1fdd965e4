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
    virtual QString SaveFile(QWidget* parent, const QString& filter, const QString& defaultSuffix) = 0;
    // An open dialog for an existing file. Empty when cancelled.
    virtual QString OpenFile(QWidget* parent, const QString& filter) = 0;
    // An open dialog for one or more existing files. Empty when cancelled.
    virtual QStringList OpenFiles(QWidget* parent, const QString& filter) = 0;
    // A folder picker with the given title, starting at start. Empty when cancelled.
    virtual QString ChooseFolder(QWidget* parent, const QString& title, const QString& start) = 0;
};

// The desktop's own dialogs (QFileDialog).
class QtFileDialogs final : public FileDialogs
{
public:
    QString SaveFile(QWidget* parent, const QString& filter, const QString& defaultSuffix) override;
    QString OpenFile(QWidget* parent, const QString& filter) override;
    QStringList OpenFiles(QWidget* parent, const QString& filter) override;
    QString ChooseFolder(QWidget* parent, const QString& title, const QString& start) override;
};

} // namespace kelvanto
