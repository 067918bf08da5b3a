// Why: the package's cabinet is the only way the program and its libraries reach a machine;
// msiextract must give back every payload file byte for byte, stripped of what only a debugger
// reads, and an executable must keep its mode on the way.
#include "msipackage/CabinetModes.h"
#include "tests/ScratchFolder.h"
#include "tests/installer/InstallerFixtures.h"

#include <set>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;
using namespace installer_test;

TEST(PackagePayloadTest, ExtractsEveryPayloadFileByteForByte)
{
    ScratchFolder folder("installer_payload");
    const ToolRun run = RunTool("msiextract", {"-C", QString::fromStdString(folder.Path().string()),
                                               QString::fromStdString(PackagePath())});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();

    const fs::path installed = folder.Path() / "Program Files" / "TARV" / "TARV Post Log Viewer";
    std::set<std::string> extracted;
    for (const auto& entry : fs::recursive_directory_iterator(folder.Path())) {
        if (entry.is_regular_file()) {
            extracted.insert(fs::relative(entry.path(), installed).string());
        }
    }
    std::set<std::string> expected = {"PYRN", "lib7-zip32.so", "PYRN.ini"};
    for (const char* language : {"DE", "EN", "ES", "FR", "JP", "KO", "RU", "SC", "TC", "TH"}) {
        expected.insert(std::string("kwel_pyrnLanguageResource") + language + ".so");
    }
    EXPECT_EQ(extracted, expected);
    for (const std::string& name : expected) {
        const std::string payload = ReadBytes(fs::path(PYRN_PAYLOAD_DIR) / name);
        EXPECT_FALSE(payload.empty()) << name;
        EXPECT_TRUE(ReadBytes(installed / name) == payload) << name << " differs from the payload";
    }
    EXPECT_EQ(ReadBytes(installed / "PYRN.ini"), "[PrintImage]\r\nWidth=500\r\nHeight=700\r\n");

    // Debug information and symbol tables stay in the build tree.
    for (const std::string& name : expected) {
        if (ReadBytes(installed / name).starts_with("\177ELF")) {
            const ToolRun sections = RunTool(
                "readelf", {"-S", "-W", QString::fromStdString((installed / name).string())});
            ASSERT_EQ(sections.exitCode, 0) << name;
            EXPECT_FALSE(sections.output.contains(".debug_"))
                << name << " carries debug information";
            EXPECT_FALSE(sections.output.contains(".symtab"))
                << name << " carries its symbol table";
        }
    }
}

// Windows ignores the cabinet's "execute" attribute; our installer makes such files 0755.
TEST(PackagePayloadTest, ExecutablesCarryTheCabinetsExecuteAttribute)
{
    const ToolRun run =
        RunTool("msiinfo", {"extract", QString::fromStdString(PackagePath()), "media.cab"});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    auto attributes =
        msitransform::ReadCabinetAttributes(std::string_view(run.output.data(), run.output.size()));
    ASSERT_TRUE(attributes) << attributes.Error();

    const msitransform::MsiTable* files = Package().FindTable("File");
    ASSERT_NE(files, nullptr);
    ASSERT_EQ(attributes.Value().size(), files->Rows().size());
    for (const msitransform::MsiRow& row : files->Rows()) {
        const std::string& key = row.at(0).text;
        const std::string& name = row.at(*files->ColumnIndex("FileName")).text;
        struct stat status = {};
        ASSERT_EQ(::stat((fs::path(PYRN_PAYLOAD_DIR) / name).c_str(), &status), 0) << name;
        const bool executable = (status.st_mode & S_IXUSR) != 0;
        ASSERT_TRUE(attributes.Value().contains(key)) << key;
        EXPECT_EQ((attributes.Value().at(key) & msitransform::kCabinetExecutable) != 0, executable)
            << name;
        if (name == "PYRN") {
            EXPECT_TRUE(executable) << "the viewer must install as a program";
        }
        if (name == "PYRN.ini") {
            EXPECT_FALSE(executable);
        }
    }
}

} // namespace
