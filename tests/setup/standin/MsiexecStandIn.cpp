// Stands in for the installer program in setup's tests: records what setup handed over and
// ends with the result the test chose.
//   SETUP_STANDIN_RECORD          folder that receives "arguments" (one per line), "folder"
//                                 (the working folder) and "seen/" (a copy of every file in it)
//   SETUP_STANDIN_RESULT          the 32-bit result to hand back (default 0)
//   SETUP_STANDIN_REMOVE_PRODUCT  when set, deletes the product's registry keys, as a removal does
#include "platform/ProcessLauncher.h"
#include "platform/RegistryStore.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace fs = std::filesystem;

namespace {

void Record(const fs::path& record, int argc, char** argv)
{
    std::error_code error;
    fs::create_directories(record / "seen", error);
    std::ofstream arguments(record / "arguments", std::ios::binary);
    for (int i = 1; i < argc; ++i) {
        arguments << argv[i] << '\n';
    }
    std::ofstream(record / "folder", std::ios::binary) << fs::current_path(error).string();
    for (const fs::directory_entry& entry : fs::directory_iterator(".", error)) {
        if (entry.is_regular_file(error)) {
            fs::copy_file(entry.path(), record / "seen" / entry.path().filename(),
                          fs::copy_options::overwrite_existing, error);
        }
    }
}

void RemoveProduct()
{
    platform::RegistryStore store;
    if (store.Load(platform::RegistryHive::LocalMachine)) {
        store.DeleteKey("Software\\TARV MOLTEK CORPORATION\\TARV Post Log Viewer");
        store.DeleteKey("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall");
        store.Save(platform::RegistryHive::LocalMachine);
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (const char* record = std::getenv("SETUP_STANDIN_RECORD")) {
        Record(record, argc, argv);
    }
    if (std::getenv("SETUP_STANDIN_REMOVE_PRODUCT") != nullptr) {
        RemoveProduct();
    }
    const char* chosen = std::getenv("SETUP_STANDIN_RESULT");
    const auto result =
        static_cast<uint32_t>(std::strtoul(chosen != nullptr ? chosen : "0", nullptr, 10));
    platform::ReportProcessResult(result);
    return static_cast<int>(result & 0xFF);
}
