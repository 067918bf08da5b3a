// What the benchmarks share around their inputs: a folder of their own for the files they
// write, reading a file into the page cache, resident-memory figures, and the header rows of
// the job logs they generate.
#pragma once

#include <cstddef>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <unistd.h>
#include <vector>

// A fresh folder under the temporary folder, unique per process, removed with its files.
class BenchFolder
{
public:
    explicit BenchFolder(std::string_view name)
        : m_path(std::filesystem::temp_directory_path() /
                 (std::string(name) + "_" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(m_path, m_error);
    }
    ~BenchFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    bool Ready() const { return !m_error; }
    const std::filesystem::path& Path() const { return m_path; }
    std::string operator/(std::string_view name) const { return (m_path / name).string(); }

private:
    std::filesystem::path m_path;
    std::error_code m_error;
};

// Reads the file once so that every run finds it in the page cache.
inline void WarmPageCache(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    std::vector<char> buffer(std::size_t{1} << 20);
    while (file != nullptr && std::fread(buffer.data(), 1, buffer.size(), file) > 0) {
    }
    if (file != nullptr) {
        std::fclose(file);
    }
}

// Resident-set figures from /proc ("VmRSS:", "VmHWM:"), in bytes.
inline std::size_t StatusBytes(const char* key)
{
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == key) {
            std::size_t kib = 0;
            status >> kib;
            return kib * 1024;
        }
    }
    return 0;
}

// Makes the next VmHWM reading the peak from now on.
inline void ResetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

// The eight header rows of a 13-comma job log with a byte order mark and CRLF line ends.
inline constexpr std::string_view kBenchLogHeader =
    "\xEF\xBB\xBFMaking Mail History,,2.00,,,,,,,,,,,\r\n"
    "Job name,Monthly statements for customers,,,,,,,,,,,,\r\n"
    "Job ID,J-20200131-0001,,,,,,,,,,,,\r\n"
    "Feed Tray 1,A4 plain 80g,,,,,,,,,,,,\r\n"
    "Feed Tray 2,A4 letterhead,,,,,,,,,,,,\r\n"
    "Feed Tray 3,C5 window envelopes,,,,,,,,,,,,\r\n"
    "High Capacity Feeder,A4 plain 80g,,,,,,,,,,,,\r\n"
    "No.,Time,Result,Error No.,Mail No.,Type,Sheet,Front Page,Back Page,Tray,"
    "Sample,Letter Sheets,Number of making mail,\r\n";
