// A package opened for installing: its tables in memory (with the transforms applied) and its
// streams (the embedded cabinet, the custom-action library) read from the file on demand.
#pragma once

#include "msipackage/MsiDatabase.h"
#include "msipackage/Outcome.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace installer {

using msitransform::Failure;
using msitransform::Outcome;

class InstallerPackage
{
public:
    static Outcome<InstallerPackage> Open(const std::string& path);

    // Applies the transform file at `path` to the tables in memory.
    Outcome<msitransform::Done> ApplyTransform(const std::string& path);

    const msitransform::MsiDatabase& Database() const { return m_database; }
    const std::string& Path() const { return m_path; }
    // The summary's word count: bit 2 means the files are compressed unless marked otherwise.
    int WordCount() const { return m_wordCount; }
    std::string Property(std::string_view name) const;

    // A stream of the package by its stream name ("media.cab"), at most `limit` bytes.
    Outcome<std::string> ReadStream(std::string_view name, std::size_t limit) const;
    // The data of the Binary table's row `name`.
    Outcome<std::string> ReadBinary(std::string_view name, std::size_t limit) const;
    // The picture of the Icon table's row `name`.
    Outcome<std::string> ReadIcon(std::string_view name, std::size_t limit) const;

private:
    Outcome<std::string> ReadFirstStream(const char* sql, std::string_view key,
                                         std::size_t limit) const;

    msitransform::MsiDatabase m_database;
    std::string m_path;
    int m_wordCount = 0;
};

} // namespace installer
