// What the thumbnail and page-image tests share: a started viewer with a sample job open whose
// first mail prints pages 5, 4, 3, 2, 1 (simplex letters) and an envelope, 6, in its page of the
// stream; the main frame's thumbnail events recorded; the pane's thumbnails read back.
#pragma once

#include "formats/image/CBitmapData.h"
#include "formats/pagestream/CDornComFile.h"
#include "formats/pagestream/DornPageImageInfo.h"
#include "tests/image/SamePixels.h"
#include "tests/viewer/ViewerFixture.h"
#include "tools/SampleFolder.h"
#include "viewer/app/CMainFrame.h"
#include "viewer/controls/CFlowBar.h"
#include "viewer/controls/CThumbComponentWnd.h"
#include "viewer/dialogs/ProgressDialog.h"
#include "viewer/document/AddThumbnailEvent.h"
#include "viewer/document/CPYRNDoc.h"

#include <QCoreApplication>
#include <cstring>
#include <string>
#include <vector>

// The thumbnail events that reach the main frame, in order: "page 5", "page 9 none",
// "count 1" and so on.
class FrameEventLog : public QObject
{
public:
    explicit FrameEventLog(QObject* frame) : m_frame(frame) { frame->installEventFilter(this); }
    ~FrameEventLog() override { m_frame->removeEventFilter(this); }

    std::vector<std::string> events;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == AddThumbnailEvent::kType) {
            const auto* add = static_cast<AddThumbnailEvent*>(event);
            events.push_back("page " + std::to_string(add->Page()) +
                             (add->Record() != nullptr ? "" : " none"));
        } else if (event->type() == ProgressEvent::kType) {
            events.push_back("count " +
                             std::to_string(static_cast<ProgressEvent*>(event)->value()));
        }
        return false;
    }

private:
    QObject* m_frame;
};

class ThumbnailFixture : public ViewerFixture
{
protected:
    static constexpr std::uint32_t kLetters = 5;

    void SetUp() override
    {
        ASSERT_TRUE(Start());
        samplejob::SampleFolderOptions options;
        options.folder = m_scratch / "job";
        options.log.mails = 2;
        options.log.letters = kLetters;
        options.log.duplex = false;
        options.stream.resolution = 40;
        options.stream.marks = true; // the first printed side of each mail
        ASSERT_EQ(samplejob::WriteSampleFolder(options), 0);
        m_stream = options.folder + "/" + options.baseName + ".prn";
        m_document = theApp.GetDocument();
        m_frame = theApp.GetMainFrame();
        ASSERT_TRUE(m_document->OnOpenDocument(
            QString::fromStdString(options.folder + "/" + options.baseName + ".zip")));
        ASSERT_TRUE(m_document->m_bHasPageImages);
        theApp.ShowMailDetailView();
        m_frame->ShowFlowBar(true);
    }

    // The pages of mail 1 as the detail view would have collected them, its layout loaded.
    void CollectPages(const std::vector<std::uint32_t>& pages)
    {
        m_document->m_nCurrentMailNo = 1;
        // Showing the detail view already ran its own thumbnails: start from an empty cache.
        m_document->ResetPageImageCache(true);
        m_document->FreeMailPageList();
        m_document->m_pMailPages = std::make_unique<std::vector<std::uint32_t>>(pages);
        ASSERT_EQ(m_document->CheckPageImages(), 0);
    }

    CFlowPanel& Panel() const { return *m_frame->m_wndFlowBar->m_pPanel; }
    // Every thumbnail shows a picture the document still owns.
    bool PaneShowsOnlyLiveImages() const
    {
        for (std::size_t i = 0; i < Panel().m_components.size(); ++i) {
            const CBitmapData* image = Button(i).m_pImage;
            bool live = image == m_document->m_pPlaceholderThumb.get();
            if (m_document->m_pPageCache) {
                for (const auto& [page, record] : *m_document->m_pPageCache) {
                    live = live || (record && record->pBitmap.get() == image);
                }
            }
            if (!live) {
                return false;
            }
        }
        return true;
    }
    CThumbButton& Button(std::size_t index) const
    {
        return *static_cast<CThumbComponentWnd*>(Panel().m_components[index])->m_pButton;
    }
    QStringList Captions() const
    {
        QStringList captions;
        for (std::size_t i = 0; i < Panel().m_components.size(); ++i) {
            captions.append(Button(i).m_strCaption);
        }
        return captions;
    }

    // Sub-page `subPage` of mail 1 decoded straight from the stream.
    std::unique_ptr<tagDORNPAGEIMGINFO> Decode(std::uint32_t subPage, int box) const
    {
        CDornComFile file;
        if (file.Open(m_stream) != 0 || file.ReadJobHeader() != 0 || file.BuildPageIndex() != 0 ||
            file.LoadPageLayout(1) != 0) {
            return nullptr;
        }
        return file.ReadPageImage(1, subPage, box, nullptr);
    }

    std::string m_stream;
    CPYRNDoc* m_document = nullptr;
    CMainFrame* m_frame = nullptr;
};
