// Why: wixl and msibuild decide much of the package silently; a new msitools version could drop
// or alter rows again. Every table as msidump writes it is compared with the reviewed copy in
// golden/, so no tool upgrade changes the package unnoticed.
//
// After a deliberate change: PYRN_UPDATE_GOLDEN=1 ctest --preset checked -R PackageGolden
// writes golden/ again; review the diff.
#include "tests/ScratchFolder.h"
#include "tests/installer/InstallerFixtures.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <set>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace installer_test;

// Cells that change with every build or with the payload: the package code and dates, file
// sizes and hashes. Rows are compared in sorted order: their order in a table means nothing
// and wixl's varies from run to run.
const std::map<std::string, std::set<std::size_t>> kVolatileColumns = {
    {"File.idt", {3}},
    {"MsiFileHash.idt", {2, 3, 4, 5}},
};
const std::set<std::string> kVolatileSummary = {"9", "12", "13"};

std::vector<std::string> Split(const std::string& text, const std::string& separator)
{
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string::npos;
         start = at + separator.size()) {
        parts.push_back(text.substr(start, at - start));
    }
    parts.push_back(text.substr(start));
    return parts;
}

std::string Masked(const std::string& table, const std::string& text)
{
    std::vector<std::string> lines = Split(text, "\r\n");
    const auto columns = kVolatileColumns.find(table);
    for (std::size_t i = 3; i < lines.size(); ++i) {
        std::vector<std::string> cells = Split(lines[i], "\t");
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const bool summary =
                table == "_SummaryInformation.idt" && c == 1 && kVolatileSummary.contains(cells[0]);
            if (summary || (columns != kVolatileColumns.end() && columns->second.contains(c))) {
                cells[c] = "*";
            }
        }
        std::string line;
        for (std::size_t c = 0; c < cells.size(); ++c) {
            line += (c == 0 ? "" : "\t") + cells[c];
        }
        lines[i] = line;
    }
    const bool lastLineEnded = !lines.empty() && lines.back().empty();
    if (lastLineEnded) {
        lines.pop_back();
    }
    if (lines.size() > 3) {
        std::sort(lines.begin() + 3, lines.end());
    }
    if (lastLineEnded) {
        lines.emplace_back();
    }
    std::string joined;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        joined += (i == 0 ? "" : "\r\n") + lines[i];
    }
    return joined;
}

std::map<std::string, std::string> IdtFiles(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().extension() == ".idt") {
            files[entry.path().filename().string()] = ReadBytes(entry.path());
        }
    }
    return files;
}

std::string FirstDifference(const std::string& expected, const std::string& actual)
{
    const std::vector<std::string> a = Split(expected, "\r\n");
    const std::vector<std::string> b = Split(actual, "\r\n");
    for (std::size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        const std::string left = i < a.size() ? a[i] : "<end>";
        const std::string right = i < b.size() ? b[i] : "<end>";
        if (left != right) {
            return "line " + std::to_string(i + 1) + ":\n  golden: " + left +
                   "\n  built:  " + right;
        }
    }
    return "";
}

TEST(PackageGoldenTest, EveryTableMatchesTheReviewedDump)
{
    ScratchFolder folder("installer_dump");
    const ToolRun run =
        RunTool("msidump", {"-t", "-d", QString::fromStdString(folder.Path().string()),
                            QString::fromStdString(PackagePath())});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();

    std::map<std::string, std::string> built;
    for (const auto& [name, text] : IdtFiles(folder.Path())) {
        built[name] = Masked(name, text);
    }
    ASSERT_GT(built.size(), 30U);

    const fs::path golden(PYRN_GOLDEN_DIR);
    const char* update = std::getenv("PYRN_UPDATE_GOLDEN");
    if (update != nullptr && std::string(update) == "1") {
        fs::remove_all(golden);
        fs::create_directories(golden);
        for (const auto& [name, text] : built) {
            std::ofstream(golden / name, std::ios::binary) << text;
        }
        GTEST_SKIP() << "golden dump written to " << golden;
    }

    const std::map<std::string, std::string> expected = IdtFiles(golden);
    std::set<std::string> builtNames;
    std::set<std::string> expectedNames;
    for (const auto& entry : built) {
        builtNames.insert(entry.first);
    }
    for (const auto& entry : expected) {
        expectedNames.insert(entry.first);
    }
    EXPECT_EQ(builtNames, expectedNames);
    for (const auto& [name, text] : expected) {
        const auto found = built.find(name);
        if (found != built.end()) {
            EXPECT_TRUE(found->second == text)
                << name << " " << FirstDifference(text, found->second);
        }
    }
}

} // namespace
