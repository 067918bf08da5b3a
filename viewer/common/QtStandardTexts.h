#pragma once

#include <QString>

// Qt's own texts, those of the standard file dialogs above all (their buttons, labels and
// menus), in the language of the viewer's current resource set, from Qt's translations.
namespace QtStandardTexts {

// Installs Qt's texts for the current set in place of any installed before. A language that
// Qt has no translation for keeps Qt's English texts.
void Install();

// Removes them again: Qt's English texts.
void Remove();

} // namespace QtStandardTexts
