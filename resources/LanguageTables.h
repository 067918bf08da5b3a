// The tables that a language library hands over, and the built-in set that has the same
// layout. Plain C data so that a library and the program need share nothing but this header.
#pragma once

#include <cstddef>

extern "C" {

// Raised whenever the layout below changes; a library of another layout is refused.
constexpr unsigned kPyrnResourceTablesVersion = 1;

// Texts are UTF-8 and never empty.
struct PyrnStringEntry
{
    unsigned id;
    const char* text;
};

// One menu entry, flattened in tree order: an entry of `level` n + 1 belongs to the last
// entry of level n before it. A separator has command 0 and an empty text.
struct PyrnMenuEntry
{
    unsigned menuId;
    unsigned level;
    unsigned command;
    const char* text;
};

// Control `control` of dialog or form `dialogId`; control 0 is the caption.
struct PyrnDialogEntry
{
    unsigned dialogId;
    unsigned control;
    const char* text;
};

struct PyrnResourceTables
{
    unsigned version;
    const char* language; // "EN", "JP", ...
    const PyrnStringEntry* strings;
    std::size_t stringCount;
    const PyrnMenuEntry* menus;
    std::size_t menuCount;
    const PyrnDialogEntry* dialogs;
    std::size_t dialogCount;
};

// The one function that every language library exports.
using PyrnLanguageResourceTablesFunction = const PyrnResourceTables*();
constexpr const char* kPyrnLanguageResourceTablesSymbol = "PyrnLanguageResourceTables";
}

// The program's own set, compiled in from the Japanese source.
const PyrnResourceTables* PyrnBuiltInResourceTables();
