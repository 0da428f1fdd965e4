#pragma once

#include "app/TaskJson.h"
#include "tests/ui/support/WizardHarness.h"
#include "ui/wizard/TaskPage.h"
#include "ui/wizard/TaskPageSession.h"

#include <QString>

#include <memory>
#include <string>

namespace kelvanto::test
{

// One page under test with the session it shares with no other page.
template <typename Page>
struct PageUnderTest
{
    template <typename... Args>
    PageUnderTest(WizardHarness& harness, SheetMode mode, TaskType type, const Task& task, Args&&... args)
        : session(std::make_unique<TaskPageSession>(harness.context(), mode, type, task.name))
        , page(std::make_unique<Page>(*session, std::forward<Args>(args)...))
    {
        session->setLoadedSource(task.source);
        page->load(task);
    }

    Page* operator->() const { return page.get(); }
    Page& operator*() const { return *page; }

    std::unique_ptr<TaskPageSession> session;
    std::unique_ptr<Page> page;
};

// Types text into the line edit, text box or editable combo named name below root.
void type(QWidget* root, const char* name, const QString& text);
// Clicks the check box or radio button named name until it is set (or cleared).
void tick(QWidget* root, const char* name, bool on = true);
// Clicks the button named name.
void click(QWidget* root, const char* name);

// Runs validate() and checks the outcome: accepted when message is empty, else refused with
// that one warning and the focus on the field named focus. row names the case in failures.
void expectValidation(
    WizardHarness& harness, TaskPage& page, const QString& message, const char* focus, const char* row);

// "" when the two texts are equal, else the first line where they differ, with its number.
QString firstDifference(const std::string& actual, const std::string& expected);

} // namespace kelvanto::test

// Compares two tasks in their JSON form and names the first field that differs.
#define KELVANTO_COMPARE_TASKS(actual, expected)                                                                       \
    do {                                                                                                               \
        const QString difference                                                                                       \
            = ::kelvanto::test::firstDifference(::kelvanto::TaskToJson(actual), ::kelvanto::TaskToJson(expected));     \
        QVERIFY2(difference.isEmpty(), qPrintable(difference));                                                        \
    } while (false)
