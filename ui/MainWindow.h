#pragma once

#include "model/Task.h"

#include <QMainWindow>
#include <QTimer>

class QLabel;

namespace kelvanto
{

class TaskListView;
class MainActions;
class TaskViewCommands;
class TrayIcon;
struct MainContext;

// The main window "Kelvanto Standard Edition": the task list, its menus, context menu and
// toolbar, a status bar with a clock, and the icon in the notification area while the window
// is hidden. Minimising hides the window in the notification area; without one (a desktop
// with no tray) the window stays minimised on the task bar. With login protection the window
// is shown again only after the login.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    MainWindow(MainContext& context, bool trayAvailable, QWidget* parent = nullptr);
    ~MainWindow() override;

    TaskListView& view() const { return *m_view; }
    MainActions& mainActions() const { return *m_actions; }
    TaskViewCommands& commands() const { return *m_commands; }
    TrayIcon& tray() const { return *m_tray; }
    QLabel& clock() const { return *m_clock; }
    // The status bar's text about the selected running task: its progress.
    QLabel& progressLabel() const { return *m_progress; }
    // True while the window is shown; false while it lives in the notification area or
    // minimised waiting for the login.
    bool visibleFlag() const { return m_visible; }
    bool trayAvailable() const { return m_trayAvailable; }

    // The window's size, place and column widths: read from the file (a QSettings INI file)
    // now, written back there when the program ends.
    void restoreLayout(const QString& file);
    void saveLayout() const;

    // Start-up: shows the window and brings it to the front.
    void showAtStart();
    // Start-up with a scheduled task: only the notification-area icon (or, without one, the
    // window minimised).
    void startHidden();
    // Left click on the icon, "Sho&w", the hot key, a second start: the login (when the
    // window is protected and hidden), then the window in front.
    void restoreWindow();
    void hideToTray();

    // "E&xit" of the menus and of the icon: the quit question, then Shutdown and close.
    void quit();
    // The end of the session: the same steps without the question.
    void endSession();
    bool quitting() const { return m_quitting; }

    void showOptions();
    void showServers();
    void showTipOfTheDay();
    void showAbout();
    // The task list was changed by something other than this window's commands (a change
    // through the control socket): every row is rebuilt, and the tasks that were selected
    // stay selected where they are now.
    void taskListChangedElsewhere();
    // Updates the enabled state of every command from the tasks and the selection.
    void updateCommands();

signals:
    // The options were accepted in the options sheet (the autostart entry and the hot key follow).
    void optionsApplied();
    // Quit steps that are not the window's: the hot key goes, the inhibitor is let go.
    void aboutToQuit();
    // Every second, from the status bar clock.
    void tick();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Quit steps 2 to 5 after the question (when ask is true); false when refused.
    bool shutDown(bool ask);
    void updateClock();
    // Tells the user of a failed save of the task list (Application::TakeSaveFailure).
    void reportSaveFailure();
    // Writes the options file; a failure is shown, not dropped (the options stay in effect).
    void saveOptions();
    // The status bar's progress text, from the first selected task that is running.
    void updateProgress();
    // The progress of a running task in words; empty when it has reported none.
    QString progressTextOf(const Task& task) const;
    void cycleViewMode();
    void setViewMode(int mode);

    MainContext& m_context;
    bool m_trayAvailable;
    TaskListView* m_view;
    MainActions* m_actions;
    TaskViewCommands* m_commands;
    TrayIcon* m_tray;
    QLabel* m_clock;
    QLabel* m_progress;
    QTimer m_clockTimer;
    QString m_layoutFile;
    bool m_visible = false;
    bool m_quitting = false;
};

} // namespace kelvanto
