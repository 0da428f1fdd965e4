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
    void Choose(const QString& path) { m_answers << path; }

    QString SaveFile(QWidget*, const QString& filter, const QString& defaultSuffix) override
    {
        asked << "save " + filter + " ." + defaultSuffix;
        return Next();
    }
    QString OpenFile(QWidget*, const QString& filter) override
    {
        asked << "open " + filter;
        return Next();
    }
    // Several files: the next answer, its paths separated by '\n'.
    QStringList OpenFiles(QWidget*, const QString& filter) override
    {
        asked << "open " + filter;
        const QString answer = Next();
        return answer.isEmpty() ? QStringList() : answer.split('\n');
    }
    QString ChooseFolder(QWidget*, const QString& title, const QString&) override
    {
        asked << "folder " + title;
        return Next();
    }

    QStringList asked;

private:
    QString Next() { return m_answers.isEmpty() ? QString() : m_answers.takeFirst(); }

    QStringList m_answers;
};

} // namespace kelvanto::test
