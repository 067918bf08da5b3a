// pyrn-msitransform: the build's tool for the installer package.
//
//   pyrn-msitransform write PACKAGE CHANGES LCID CODEPAGE OUTPUT
//       writes the language transform that the UTF-8 change list CHANGES describes
//   pyrn-msitransform cabinet-modes PACKAGE PAYLOAD_DIR CABINET OUTPUT
//       writes CABINET again with the execute attribute on each file that is executable in
//       PAYLOAD_DIR (found by the package's File table)
#include "msipackage/CabinetModes.h"
#include "msipackage/ChangeList.h"
#include "msipackage/MsiDatabase.h"
#include "msipackage/TransformWriter.h"

#include <charconv>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <set>
#include <string>

namespace {

using namespace msitransform;

std::optional<std::string> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool WriteFile(const std::string& path, const std::string& bytes)
{
    // Written beside the target and renamed, so a failed run leaves no half file behind.
    const std::string temporary = path + ".part";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())).flush()) {
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    return !error;
}

std::optional<int> Number(const std::string& text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

int Fail(const std::string& message)
{
    std::cerr << "pyrn-msitransform: " << message << '\n';
    return 1;
}

int WriteCommand(char** argv)
{
    auto base = MsiDatabase::Load(argv[0]);
    if (!base) {
        return Fail(base.Error());
    }
    const std::optional<std::string> text = ReadFile(argv[1]);
    if (!text) {
        return Fail(std::string("cannot read ") + argv[1]);
    }
    auto changes = ChangeList::Parse(*text);
    const std::optional<int> lcid = Number(argv[2]);
    const std::optional<int> codePage = Number(argv[3]);
    if (!changes || !lcid || !codePage) {
        return Fail(changes ? "LCID and code page must be numbers"
                            : argv[1] + (": " + changes.Error()));
    }
    auto transform = WriteTransform(base.Value(), changes.Value(), *lcid, *codePage);
    if (!transform) {
        return Fail(argv[1] + (": " + transform.Error()));
    }
    return WriteFile(argv[4], transform.Value()) ? 0 : Fail(std::string("cannot write ") + argv[4]);
}

int CabinetModesCommand(char** argv)
{
    auto package = MsiDatabase::Load(argv[0]);
    if (!package) {
        return Fail(package.Error());
    }
    const MsiTable* files = package.Value().FindTable("File");
    const std::optional<std::string> cabinet = ReadFile(argv[2]);
    if (files == nullptr || !cabinet) {
        return Fail("no File table or no cabinet");
    }
    std::set<std::string> executables;
    for (const MsiRow& row : files->Rows()) {
        // The long name of "short|long", as installed.
        const std::string& fileName = row.at(*files->ColumnIndex("FileName")).text;
        const std::filesystem::path source =
            std::filesystem::path(argv[1]) / fileName.substr(fileName.find('|') + 1);
        std::error_code error;
        const auto permissions = std::filesystem::status(source, error).permissions();
        if (error) {
            return Fail("no payload file " + source.string());
        }
        if ((permissions & std::filesystem::perms::owner_exec) != std::filesystem::perms::none) {
            executables.insert(row.at(0).text);
        }
    }
    auto marked = MarkExecutables(*cabinet, executables);
    if (!marked) {
        return Fail(marked.Error());
    }
    return WriteFile(argv[3], marked.Value()) ? 0 : Fail(std::string("cannot write ") + argv[3]);
}

} // namespace

int main(int argc, char** argv)
{
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "write" && argc == 7) {
        return WriteCommand(argv + 2);
    }
    if (command == "cabinet-modes" && argc == 6) {
        return CabinetModesCommand(argv + 2);
    }
    return Fail("usage: pyrn-msitransform write PACKAGE CHANGES LCID CODEPAGE OUTPUT\n"
                "       pyrn-msitransform cabinet-modes PACKAGE PAYLOAD_DIR CABINET OUTPUT");
}
