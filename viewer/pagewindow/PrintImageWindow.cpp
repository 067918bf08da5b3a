#include "viewer/pagewindow/PrintImageWindow.h"

#include "formats/pagestream/DornPageImageInfo.h"
#include "viewer/app/CMainFrame.h"
#include "viewer/app/CPYRNApp.h"
#include "viewer/document/CPYRNDoc.h"
#include "viewer/pagewindow/PrintImageFrame.h"
#include "viewer/pagewindow/PrintImageView.h"

#include <memory>

PrintImageFrame* MakePrintImageFrame(CPYRNDoc& document)
{
    auto frame = std::make_unique<PrintImageFrame>(&document);
    if (frame->OnCreate() != 0) {
        return nullptr;
    }
    return frame.release();
}

PrintImageFrame* OpenPrintImageWindow(CPYRNDoc& document, std::uint32_t page)
{
    document.m_nPageToOpen = page;
    if (!document.LoadPrintImage()) {
        return nullptr;
    }
    return CreatePrintImageWindow(document);
}

PrintImageFrame* CreatePrintImageWindow(CPYRNDoc& document, const PrintImageFrameMaker& makeFrame)
{
    PrintImageFrame* frame = makeFrame ? makeFrame(document) : nullptr;
    if (frame == nullptr) {
        // Nobody would ever see or free the page; the main window was never hidden.
        document.m_pPrintImage.reset();
        document.m_nZoom = 100;
        document.m_nPageToOpen = 0;
        return nullptr;
    }
    if (CMainFrame* main = theApp.GetMainFrame()) {
        main->hide();
    }
    if (PrintImageView* view = frame->GetView()) {
        view->OnInitialUpdate();
    }
    frame->show();
    frame->raise();
    frame->activateWindow();
    return frame;
}
