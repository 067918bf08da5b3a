// Opening the page-image window, as the thumbnail pane and the mail detail view both do.
#pragma once

#include <cstdint>
#include <functional>

class CPYRNDoc;
class PrintImageFrame;

// Makes a page window's frame for `document`, built but not shown; null when it cannot be
// made.
using PrintImageFrameMaker = std::function<PrintImageFrame*(CPYRNDoc& document)>;
PrintImageFrame* MakePrintImageFrame(CPYRNDoc& document);

// Opens page `page` of the current mail in a page window: the page becomes the document's
// m_nPageToOpen and is decoded by LoadPrintImage (which reports its own failure), the main
// window is hidden and the window shown. The window, or null when the page was not loaded or
// the window could not be made; the main window is then visible.
PrintImageFrame* OpenPrintImageWindow(CPYRNDoc& document, std::uint32_t page);

// The steps after the page was loaded into the document's m_pPrintImage: the frame made by
// `makeFrame`, the main window hidden, the view's initial update (title, size, place) and the
// window shown. When no frame is made the document is left as a closed page window leaves it
// (no page image, zoom 100, page 0) and the main window stays visible.
PrintImageFrame*
CreatePrintImageWindow(CPYRNDoc& document,
                       const PrintImageFrameMaker& makeFrame = MakePrintImageFrame);
