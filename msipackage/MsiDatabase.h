// An installer database held in memory: every table with its rows, the database's code page
// and the summary information that transforms refer to. Loaded from a package through libmsi;
// transforms are applied to it by TransformReader.
#pragma once

#include "msipackage/MsiTable.h"
#include "msipackage/Outcome.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace msitransform {

struct MsiSummary
{
    std::string templateText; // "Intel;1033"
    std::string packageCode;  // revision number
    int minimumInstaller = 0; // page count
};

class MsiDatabase
{
public:
    // Every table and row of the package at `path`, read-only.
    static Outcome<MsiDatabase> Load(const std::string& path);

    const std::map<std::string, MsiTable, std::less<>>& Tables() const { return m_tables; }
    MsiTable* FindTable(std::string_view name);
    const MsiTable* FindTable(std::string_view name) const;
    void AddTable(MsiTable table);

    int CodePage() const { return m_codePage; }
    void SetCodePage(int codePage) { m_codePage = codePage; }
    const MsiSummary& Summary() const { return m_summary; }
    void SetSummary(MsiSummary summary) { m_summary = std::move(summary); }

    // A value of the Property table, when the row is there.
    std::optional<std::string> Property(std::string_view name) const;

private:
    std::map<std::string, MsiTable, std::less<>> m_tables;
    int m_codePage = 0;
    MsiSummary m_summary;
};

} // namespace msitransform
