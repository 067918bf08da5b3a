#pragma once

#include <memory>

class CJobResultView;
class JobSummaryView;
class JobDetailView;
class CZipFile;

// The viewer's application state: start-up and shutdown, and what the whole viewer reaches
// through `theApp` (the three views, the archiver wrapper, the page-image window size).
class CPYRNApp
{
public:
    CPYRNApp();
    ~CPYRNApp();
    CPYRNApp(const CPYRNApp&) = delete;
    CPYRNApp& operator=(const CPYRNApp&) = delete;

    bool InitInstance();
    int ExitInstance();

    CJobResultView* m_pJobResultView = nullptr; // not owned: the frame owns its views
    JobSummaryView* m_pJobSummaryView = nullptr;
    JobDetailView* m_pJobDetailView = nullptr;
    int m_nPrintImageWidth = 0;
    int m_nPrintImageHeight = 0;
    std::unique_ptr<CZipFile> m_pZipFile;
};

extern CPYRNApp theApp;
