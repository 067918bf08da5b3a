// The job log reader on any bytes: Load gives 0 with the job's records or -1 with none, and
// leaves no rows behind.
#include "FuzzScratch.h"
#include "formats/joblog/JobLogFile.h"
#include "formats/joblog/JobRecords.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const FuzzScratch scratch("fuzz_joblog");
    const std::string path = scratch.Write("Job.csv", data, size);

    JobLogFile log;
    const int result = log.Load(path);
    if (result != 0 && result != -1) {
        FuzzFailure("Load gave neither 0 nor -1");
    }
    if (log.m_pRows) {
        FuzzFailure("rows held after Load");
    }
    const bool records = log.m_pSummary && log.m_pMails && log.m_pDetails;
    if (result == 0 ? !records : (log.m_pSummary || log.m_pMails || log.m_pDetails)) {
        FuzzFailure("the records do not match the result");
    }
    if (result == 0 && log.m_pSummary->nResult != kJobFinished &&
        log.m_pSummary->nResult != kJobCanceled) {
        FuzzFailure("a loaded job neither finished nor was canceled");
    }
    // Whoever deletes a reader closes its stream first.
    if (log.m_pStream != nullptr) {
        std::fclose(log.m_pStream);
        log.m_pStream = nullptr;
    }
    return 0;
}
