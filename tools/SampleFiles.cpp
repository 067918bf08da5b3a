#include "tools/SampleFiles.h"

#include <fstream>
#include <iterator>

namespace samplejob {

int WriteWholeFile(const std::string& path, std::string_view bytes)
{
    OutputFile out(path);
    if (!out.IsOpen()) {
        return -1;
    }
    out.Write(bytes);
    return out.Close();
}

std::string ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

OutputFile::OutputFile(const std::string& path) : m_file(std::fopen(path.c_str(), "wb"))
{
    if (m_file) {
        // Large sequential writes; a big buffer keeps the 1 GiB stream quick.
        std::setvbuf(m_file.get(), nullptr, _IOFBF, 1 << 20);
    }
}

void OutputFile::Write(std::string_view bytes)
{
    if (!m_file || bytes.empty()) {
        return;
    }
    if (std::fwrite(bytes.data(), 1, bytes.size(), m_file.get()) != bytes.size()) {
        m_failed = true;
    }
    m_position += bytes.size();
}

int OutputFile::Close()
{
    if (!m_file) {
        return -1;
    }
    bool failed = m_failed;
    if (std::fclose(m_file.release()) != 0) {
        failed = true;
    }
    return failed ? -1 : 0;
}

} // namespace samplejob
