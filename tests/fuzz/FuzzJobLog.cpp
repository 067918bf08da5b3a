// The job log reader on any bytes: Load gives 0 or -1 and leaves no rows behind.
#include "FuzzScratch.h"
#include "formats/JobLogFile.h"

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
    // Whoever deletes a reader closes its stream first.
    if (log.m_pStream != nullptr) {
        std::fclose(log.m_pStream);
        log.m_pStream = nullptr;
    }
    return 0;
}
