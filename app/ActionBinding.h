#pragma once

#include <QString>

class QAbstractButton;
class QAction;

// A button or check box bound to an action shows the action's caption (unless the action has
// none), follows its enabled and checked state and runs it when clicked. Its tool tip is its
// own hint when it has one, else the action's hint; actions keep their hint as status tip,
// so an action without a hint gives the button none.
void bindToAction(QAbstractButton* button, QAction* action, const QString& ownHint = QString());
