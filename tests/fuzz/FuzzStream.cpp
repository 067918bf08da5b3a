// The page-image stream road on any bytes: open and read the job header, as the open pipeline
// does. Every reader gives 0 or -1.
#include "FuzzScratch.h"
#include "formats/CDornComFile.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const FuzzScratch scratch("fuzz_stream");
    const std::string path = scratch.Write("Job.prn", data, size);

    CDornComFile stream;
    if (stream.Open(path) != 0) {
        FuzzFailure("a plain file did not open");
    }
    const int header = stream.ReadJobHeader();
    if (header != 0 && header != -1) {
        FuzzFailure("ReadJobHeader gave neither 0 nor -1");
    }
    if ((header == 0) != (stream.m_pJobHeader != nullptr)) {
        FuzzFailure("the job header does not match the result");
    }
    return 0;
}
