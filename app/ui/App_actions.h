// The window's commands: each action has an execute rule, which calls one operation of a
// handler, and an update rule, which sets its enabled state and check mark from the handler's
// query. Menus and toolbar buttons show the actions; the action list refreshes them all at once.
#pragma once

#include <QAction>

#include <functional>
#include <string>
#include <vector>

// One cursor over every window of the program for a scope: the wait cursor while a command runs,
// the arrow while a dialog it opened waits for the user. Scopes nest.
class TOverrideCursor {
public:
    explicit TOverrideCursor(Qt::CursorShape shape);
    ~TOverrideCursor();
    TOverrideCursor(const TOverrideCursor&) = delete;
    TOverrideCursor& operator=(const TOverrideCursor&) = delete;
};

class TAction : public QAction {
    Q_OBJECT
public:
    using TActionEvent = std::function<void(TAction& sender)>;

    explicit TAction(const QString& name, QObject* parent = nullptr);

    TActionEvent OnExecute;
    TActionEvent OnUpdate;

    // The execute hook: false without an execute rule; otherwise the rule runs under the wait
    // cursor, which is restored on every path, and an exception goes on to the caller.
    bool Execute();
};

// Runs an action as a key, menu entry or button does: nothing while it is disabled, and every
// exception to the error display.
void ExecuteAction(TAction& action);

// A menu entry that shows action without its key, for pop-up menus: it follows the action's
// caption, image, enabled state and check mark and executes the action.
QAction* NewShortcutlessEntry(TAction& action, QObject* parent);

// The window's actions in the order they were added, which is the order of every refresh.
class TActionList : public QObject {
    Q_OBJECT
public:
    explicit TActionList(QObject* parent = nullptr) : QObject(parent) {}

    // Takes ownership through Qt's parent.
    TAction* Add(TAction* action);
    const std::vector<TAction*>& Actions() const { return FActions; }
    // Calls every update rule once, first to last.
    void UpdateAll();

private:
    std::vector<TAction*> FActions;
};

// Carries a list of files, from a drop or the command line, to its execute rule.
class TFileDropFilesAction : public TAction {
    Q_OBJECT
public:
    explicit TFileDropFilesAction(QObject* parent = nullptr,
                                  const QString& name = QStringLiteral("FileDropFilesAction"));

    std::vector<std::string> Files;
};
