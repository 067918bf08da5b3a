// Writer of an OLE compound file (version 3, 512-byte sectors) holding streams directly under
// its root storage, the root carrying a class id: the container of installer transforms.
#pragma once

#include "msipackage/CompoundFile.h"
#include "msipackage/Outcome.h"

#include <string>
#include <vector>

namespace msitransform {

class CompoundFileWriter
{
public:
    explicit CompoundFileWriter(const ClassId& rootClassId) : m_rootClassId(rootClassId) {}

    // `name` in UTF-16 code units, at most 31, unique.
    void AddStream(std::u16string name, std::string bytes);
    // The whole file; fails on a bad or repeated name or when the file would need more than
    // the header's 109 allocation sectors (about 7 MB).
    Outcome<std::string> Write() const;

private:
    struct Stream
    {
        std::u16string name;
        std::string bytes;
    };

    ClassId m_rootClassId;
    std::vector<Stream> m_streams;
};

} // namespace msitransform
