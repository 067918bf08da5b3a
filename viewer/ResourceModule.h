#pragma once

#include <QList>
#include <QString>

// The current resource module: strings, menus and dialog texts by id, from the language
// library chosen at start-up, else from the built-in Japanese set.
namespace ResourceModule {

// One menu entry: a popup (id 0, with items), a command (its id) or a separator (empty text, id 0).
struct MenuItem
{
    QString text;
    unsigned id = 0;
    QList<MenuItem> items;
};

// The text of string `id`; empty when the set has none.
QString String(unsigned id);

// Menu `menuId` (128 main frame, 320 page-image window) as its top-level popups.
QList<MenuItem> Menu(unsigned menuId);

// The text of control `controlId` of dialog or form `dialogId`; 0 gives the dialog's caption.
QString DialogText(unsigned dialogId, unsigned controlId);

} // namespace ResourceModule
