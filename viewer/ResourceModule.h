#pragma once

#include <QString>

// The current resource module: strings, menu texts and dialog texts by id, from the language
// library chosen at start-up, else from the built-in Japanese set.
namespace ResourceModule {

// The text of string `id`; empty when the set has none.
QString String(unsigned id);

} // namespace ResourceModule
