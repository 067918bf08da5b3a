// One static text of a form laid out in dialog units.
#pragma once

struct FormControl
{
    unsigned id;
    int x, y, width, height;
    unsigned stringId; // the label's string; 0 for a value
};
