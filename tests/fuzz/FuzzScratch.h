// A private folder for one fuzzing process, and the fuzzed bytes written into it as a file, so
// the readers see the input as they would see it on disk.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <unistd.h>

class FuzzScratch
{
public:
    explicit FuzzScratch(std::string_view tag)
        : m_path(std::filesystem::temp_directory_path() /
                 (std::string(tag) + "_" + std::to_string(::getpid())))
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
        std::filesystem::create_directories(m_path);
    }
    ~FuzzScratch()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    FuzzScratch(const FuzzScratch&) = delete;
    FuzzScratch& operator=(const FuzzScratch&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

    // Writes the bytes exactly; the process stops (a finding) when it cannot, since every
    // later result would be meaningless.
    std::string Write(std::string_view name, const void* data, std::size_t size) const
    {
        const std::string path = (m_path / name).string();
        std::FILE* file = std::fopen(path.c_str(), "wb");
        if (file == nullptr || (size != 0 && std::fwrite(data, 1, size, file) != size) ||
            std::fclose(file) != 0) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            std::abort();
        }
        return path;
    }

private:
    std::filesystem::path m_path;
};

// Stops the process with a message: libFuzzer reports the input as a finding.
[[noreturn]] inline void FuzzFailure(const char* what)
{
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}
