#pragma once

#include <QIcon>
#include <QImage>
#include <memory>

// Pictures of the program's own resources (never of a language library): bitmaps 323 (the
// thumbnail overlay mark, 20 x 14), 325 (the placeholder page, 84 x 120), 326 (the header
// filter icon, 20 x 20, pure green 0x00FF00 to be masked) and icon 320 (the page-image window).

// True and a new image of bitmap `id` in `image`; false, `image` untouched, when the program
// has no such bitmap or it cannot be decoded.
bool LoadBitmapResource(unsigned id, std::unique_ptr<QImage>& image);

// Icon `id` in all its sizes; a null icon when the program has none.
QIcon LoadIconResource(unsigned id);
