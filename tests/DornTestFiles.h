// A fresh folder per test process for the page-image stream tests, and byte strings written
// into it as files.
#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

class DornTestFolder
{
public:
    explicit DornTestFolder(std::string_view tag)
        : m_path(std::filesystem::temp_directory_path() /
                 (std::string(tag) + "_" + std::to_string(::getpid())))
    {
        std::filesystem::remove_all(m_path);
        std::filesystem::create_directories(m_path);
    }
    ~DornTestFolder() { std::filesystem::remove_all(m_path); }
    DornTestFolder(const DornTestFolder&) = delete;
    DornTestFolder& operator=(const DornTestFolder&) = delete;

    const std::filesystem::path& Path() const { return m_path; }

    std::string Write(std::string_view name, std::string_view bytes) const
    {
        const std::string path = (m_path / name).string();
        std::ofstream(path, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path;
    }

private:
    std::filesystem::path m_path;
};
