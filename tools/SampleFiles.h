// File output helpers of the generator.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace samplejob {

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Replaces the file at `path` with `bytes`; 0, or -1 on any failure.
int WriteWholeFile(const std::string& path, std::string_view bytes);
std::string ReadWholeFile(const std::string& path);

// Buffered writer that remembers the first failure, so long writers check once at the end.
class OutputFile
{
public:
    explicit OutputFile(const std::string& path);
    bool IsOpen() const { return m_file != nullptr; }
    void Write(std::string_view bytes);
    uint64_t Position() const { return m_position; }
    // Flushes and closes; 0, or -1 when any write failed.
    int Close();

private:
    FilePtr m_file;
    uint64_t m_position = 0;
    bool m_failed = false;
};

} // namespace samplejob
