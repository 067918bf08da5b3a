// A key combination that runs a command while its window is active, whichever child has the
// focus: what a window's accelerator table does.
#pragma once

#include <QKeySequence>
#include <functional>

class QAction;
class QWidget;

// The action, owned by `window`.
QAction* AddWindowShortcut(QWidget& window, const QKeySequence& keys,
                           std::function<void()> command);
