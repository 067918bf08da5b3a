#include "viewer/common/WindowShortcut.h"

#include <QAction>
#include <QWidget>

QAction* AddWindowShortcut(QWidget& window, const QKeySequence& keys, std::function<void()> command)
{
    auto* action = new QAction(&window);
    action->setShortcut(keys);
    action->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(action, &QAction::triggered, &window, std::move(command));
    window.addAction(action);
    return action;
}
