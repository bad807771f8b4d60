#include "App_actions.h"

#include "Rtl_exceptions.h"

#include <QApplication>
#include <QCursor>

TOverrideCursor::TOverrideCursor(Qt::CursorShape shape) {
    QApplication::setOverrideCursor(shape);
}

TOverrideCursor::~TOverrideCursor() {
    QApplication::restoreOverrideCursor();
}

TAction::TAction(const QString& name, QObject* parent) : QAction(parent) {
    setObjectName(name);
    connect(this, &QAction::triggered, this, [this] { ExecuteAction(*this); });
}

bool TAction::Execute() {
    if (!OnExecute)
        return false;
    TOverrideCursor cursor(Qt::WaitCursor);
    OnExecute(*this);
    return true;
}

void ExecuteAction(TAction& action) {
    // The enabled state is the one of the last refresh, as for a key or a menu entry.
    if (!action.isEnabled())
        return;
    try {
        action.Execute();
    } catch (...) {
        rtl::HandleException();
    }
}

QAction* NewShortcutlessEntry(TAction& action, QObject* parent) {
    auto* entry = new QAction(parent);
    auto follow = [entry, &action] {
        entry->setText(action.text());
        entry->setIcon(action.icon());
        entry->setToolTip(action.toolTip());
        entry->setStatusTip(action.statusTip());
        entry->setEnabled(action.isEnabled());
        entry->setCheckable(action.isCheckable());
        entry->setChecked(action.isChecked());
    };
    follow();
    QObject::connect(&action, &QAction::changed, entry, follow);
    QObject::connect(entry, &QAction::triggered, &action, [&action] { ExecuteAction(action); });
    return entry;
}

TAction* TActionList::Add(TAction* action) {
    action->setParent(this);
    FActions.push_back(action);
    return action;
}

void TActionList::UpdateAll() {
    for (TAction* action : FActions)
        if (action->OnUpdate)
            action->OnUpdate(*action);
}

TFileDropFilesAction::TFileDropFilesAction(QObject* parent, const QString& name)
    : TAction(name, parent) {}
