#pragma once

#include "ui/FileDialogs.h"

#include <QStringList>

namespace kelvanto::test
{

// File pickers for tests: each call takes the next queued answer (empty = cancelled) and
// records the filter or title it was shown with.
class ScriptedFileDialogs final : public FileDialogs
{
public:
    void choose(const QString& path) { m_answers << path; }

    QString saveFile(QWidget*, const QString& filter, const QString& defaultSuffix) override
    {
        asked << "save " + filter + " ." + defaultSuffix;
        return next();
    }
    QString openFile(QWidget*, const QString& filter) override
    {
        asked << "open " + filter;
        return next();
    }
    // Several files: the next answer, its paths separated by '\n'.
    QStringList openFiles(QWidget*, const QString& filter) override
    {
        asked << "open " + filter;
        const QString answer = next();
        return answer.isEmpty() ? QStringList() : answer.split('\n');
    }
    QString chooseFolder(QWidget*, const QString& title, const QString&) override
    {
        asked << "folder " + title;
        return next();
    }

    QStringList asked;

private:
    QString next() { return m_answers.isEmpty() ? QString() : m_answers.takeFirst(); }

    QStringList m_answers;
};

} // namespace kelvanto::test
