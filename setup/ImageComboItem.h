// One item of the language combobox: its two pictures and the size it is painted at.
#pragma once

#include <QPixmap>

struct ImageComboItem
{
    QPixmap normal;      // shown in the closed field and for items not under the selection
    QPixmap highlighted; // shown for the item under the selection in the open list
    int width = 279;
    int height = 19; // also the list's item height
};
