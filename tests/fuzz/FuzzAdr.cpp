// The page index file reader on any bytes: 0 or -1; a read index is sorted by distinct page
// numbers, and writing it and reading it back gives the same records.
#include "FuzzScratch.h"
#include "formats/pagestream/PageOffsetFile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace {

bool SameRecords(const std::vector<tagDORNPAGEPOS>& a, const std::vector<tagDORNPAGEPOS>& b)
{
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].nPage != b[i].nPage || a[i].nStart != b[i].nStart ||
            a[i].nLength != b[i].nLength) {
            return false;
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const FuzzScratch scratch("fuzz_adr");
    const std::string path = scratch.Write("Job.adr", data, size);

    std::unique_ptr<std::vector<tagDORNPAGEPOS>> index;
    const int result = ReadPageOffsetFile(path, index);
    if (result == -1) {
        if (index) {
            FuzzFailure("a failed read handed back an index");
        }
        return 0;
    }
    if (result != 0 || !index) {
        FuzzFailure("ReadPageOffsetFile gave neither 0 with an index nor -1");
    }
    for (std::size_t i = 1; i < index->size(); ++i) {
        if (!((*index)[i - 1].nPage < (*index)[i].nPage)) {
            FuzzFailure("the index is not sorted by distinct page numbers");
        }
    }
    const std::string copy = (scratch.Path() / "Copy.adr").string();
    std::unique_ptr<std::vector<tagDORNPAGEPOS>> again;
    if (WritePageOffsetFile(copy, *index) != 0 || ReadPageOffsetFile(copy, again) != 0 ||
        !SameRecords(*index, *again)) {
        FuzzFailure("the index does not read back as written");
    }
    return 0;
}
