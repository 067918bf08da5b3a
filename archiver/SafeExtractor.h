// Writes the entries of an archive below one destination folder and nowhere else.
#pragma once

#include "archiver/ZipReader.h"

#include <set>
#include <string>
#include <vector>

namespace archiver {

// Every path is opened component by component from the destination's descriptor with
// O_NOFOLLOW, and files are created with O_EXCL, so neither a link in the destination nor an
// entry name can lead outside it. Links, devices and the like are refused, and so are names
// that SplitEntryName refuses and names that occur twice.
class SafeExtractor : public EntryVisitor
{
public:
    // `skipExisting`: an existing file is kept and its entry only verified; otherwise an
    // existing file fails the extraction.
    explicit SafeExtractor(bool skipExisting);
    ~SafeExtractor() override;
    SafeExtractor(const SafeExtractor&) = delete;
    SafeExtractor& operator=(const SafeExtractor&) = delete;

    // kArchiverOk, or kArchiverWriteFailed when `folder` is not an existing folder.
    int OpenDestination(const std::string& folder);

    int BeginEntry(const EntryInfo& entry) override;
    int WriteData(const void* data, std::size_t size) override;
    int EndEntry() override;

    // Removes every file and folder this extraction created, newest first. The folders on the
    // way stay open, so each removal opens only those its path does not share with the one
    // before (at most kMaxEntryDepth), never the whole path from the top.
    void RemoveCreated();

private:
    struct Created
    {
        std::string path; // below the destination, components joined by '/'
        bool isFolder = false;
    };

    // Opens (creating when missing) the folders components[0, count) below the destination;
    // a descriptor, or -1 with `result` set.
    int OpenFolders(const std::vector<std::string>& components, std::size_t count, int& result);

    bool m_skipExisting;
    int m_destination = -1;
    int m_file = -1; // the entry being written; -1 while a folder or kept file is read
    std::set<std::string> m_names;
    std::vector<Created> m_created;
};

} // namespace archiver
