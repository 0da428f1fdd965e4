#pragma once

#include <QKeySequence>
#include <QObject>

class QAction;
class QActionGroup;
class QMainWindow;
class QMenu;
class QToolBar;
class QToolButton;

namespace kelvanto
{

struct CommandEnabling;

// The commands of the main window as actions, with their captions, mnemonics, shortcuts and
// icons, and the menu bar, context menu and toolbar built from them. Every action has an
// objectName (its command), so that tests trigger them by name.
class MainActions : public QObject
{
    Q_OBJECT

public:
    explicit MainActions(QMainWindow* window);

    // "&Task"
    QAction* newTask;
    QAction* editTask;
    QAction* deleteTasks;
    QAction* deleteAll;
    QAction* copyTasks;
    QAction* copyTasksContext; // "Copy Task(s)": the context menu's caption has no mnemonic
    QAction* renameTask;
    QAction* viewLog;
    QAction* verifyBackup;
    QAction* saveAs;
    QAction* loadFrom;
    QAction* properties;
    QAction* exit;
    // "&Run"
    QAction* start;
    QAction* stop;
    QAction* runImmediately;
    QAction* startAll;
    QAction* stopAll;
    QAction* selectAll;
    // "Too&ls"
    QAction* servers;
    QAction* options;
    // "&View": 0 Large Icons, 1 Details, 2 Small Icons, 3 List, as the view numbers its modes
    QAction* viewModes[4];
    QActionGroup* viewGroup;
    // "&Help"
    QAction* userManual;
    QAction* tipOfTheDay;
    QAction* webSite;
    QAction* supportPage;
    QAction* supportEmail;
    QAction* about;

    QMenu* contextMenu;
    QToolBar* toolBar;
    // The toolbar's View button: a click cycles the mode, its arrow drops down the four modes.
    QToolButton* viewButton;

    void applyEnabling(const CommandEnabling& enabling);
    void showViewMode(int mode);

signals:
    // The View button was clicked: the next mode (Details, Large Icons, Small Icons, List).
    void cycleViewMode();

private:
    QAction* make(const char* name, const QString& caption, const QKeySequence& shortcut = {});
    void buildMenuBar(QMainWindow* window);
    void buildContextMenu(QMainWindow* window);
    void buildToolBar(QMainWindow* window);

    QMainWindow* m_window;
};

} // namespace kelvanto
