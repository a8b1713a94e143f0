#include "ActionBinding.h"

#include <QAbstractButton>
#include <QAction>

void bindToAction(QAbstractButton* button, QAction* action, const QString& ownHint)
{
    const auto follow = [button, action, ownHint] {
        if (!action->text().isEmpty())
            button->setText(action->text());
        button->setEnabled(action->isEnabled());
        button->setCheckable(action->isCheckable());
        if (action->isCheckable())
            button->setChecked(action->isChecked());
        button->setToolTip(ownHint.isEmpty() ? action->statusTip() : ownHint);
    };
    follow();
    QObject::connect(action, &QAction::changed, button, follow);
    QObject::connect(action, &QAction::toggled, button, &QAbstractButton::setChecked);
    // A check box has taken its new state when it reports the click; the action is run so
    // that it takes the same state and its handler sees the box as the user left it.
    QObject::connect(button, &QAbstractButton::clicked, action, [button, action] {
        if (!action->isCheckable() || action->isChecked() != button->isChecked())
            action->trigger();
    });
}
