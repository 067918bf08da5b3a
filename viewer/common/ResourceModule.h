#pragma once

#include "platform/LibraryLoader.h"

#include <QList>
#include <QString>
#include <string>

// The current resource module: strings, menus and dialog texts by id, from the language
// library chosen at start-up, else from the built-in Japanese set. Sets are switched on the
// UI thread only (at start-up and shutdown; tests anywhere between).
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

// Loads the language library at the absolute `path` and makes its texts current. Returns the
// library (to keep until FreeLanguageLibrary), or null when it cannot be loaded or hands over
// no usable tables; the current texts then stay as they were.
platform::LibraryHandle LoadLanguageLibrary(const std::string& path);

// Makes the built-in set current again and frees `library` (null is ignored).
void FreeLanguageLibrary(platform::LibraryHandle library);

// Makes the built-in Japanese set current, whatever was loaded before.
void UseBuiltInSet();

// The language code of the current set ("DE", "EN", ...; "JP" for the built-in set).
QString Language();

} // namespace ResourceModule
