#include "tests/TestArchives.h"

#include <algorithm>
#include <array>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <spawn.h>
#include <sys/wait.h>
#include <zip.h>

extern char** environ;

namespace testing_archives {
namespace {

uint32_t Crc32Byte(uint32_t crc, unsigned char byte)
{
    crc ^= byte;
    for (int i = 0; i < 8; ++i) {
        crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return crc;
}

// The traditional PKWARE cipher's key schedule.
struct PkwareKeys
{
    uint32_t k0 = 0x12345678;
    uint32_t k1 = 0x23456789;
    uint32_t k2 = 0x34567890;

    void Update(unsigned char c)
    {
        k0 = Crc32Byte(k0, c);
        k1 = (k1 + (k0 & 0xFF)) * 134775813u + 1;
        k2 = Crc32Byte(k2, static_cast<unsigned char>(k1 >> 24));
    }
    unsigned char Decrypt(unsigned char c)
    {
        const uint32_t t = (k2 | 2) & 0xFFFF;
        const auto plain = static_cast<unsigned char>(c ^ ((t * (t ^ 1)) >> 8));
        Update(plain);
        return plain;
    }
};

uint16_t Le16(const std::string& d, std::size_t p)
{
    return static_cast<uint16_t>(static_cast<unsigned char>(d[p]) |
                                 (static_cast<unsigned char>(d[p + 1]) << 8));
}

} // namespace

bool WriteZip(const std::string& path, const std::vector<Member>& members, Encryption encryption,
              const std::string& password)
{
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (archive == nullptr) {
        return false;
    }
    bool ok = true;
    for (const Member& member : members) {
        zip_int64_t index = -1;
        if (member.folder) {
            index = zip_dir_add(archive, member.name.c_str(), ZIP_FL_ENC_RAW);
        } else {
            zip_source_t* source =
                zip_source_buffer(archive, member.data.data(), member.data.size(), 0);
            index = source != nullptr
                        ? zip_file_add(archive, member.name.c_str(), source, ZIP_FL_ENC_RAW)
                        : -1;
            if (index < 0) {
                zip_source_free(source);
            }
        }
        ok = ok && index >= 0;
        if (!ok) {
            break;
        }
        const auto at = static_cast<zip_uint64_t>(index);
        if (member.unixMode != 0) {
            ok = ok && zip_file_set_external_attributes(archive, at, 0, ZIP_OPSYS_UNIX,
                                                        member.unixMode << 16) == 0;
        }
        if (member.stored) {
            ok = ok && zip_set_file_compression(archive, at, ZIP_CM_STORE, 0) == 0;
        }
        if (encryption != Encryption::None && !member.folder) {
            const uint16_t method =
                encryption == Encryption::Pkware ? ZIP_EM_TRAD_PKWARE : ZIP_EM_AES_256;
            ok = ok && zip_file_set_encryption(archive, at, method, password.c_str()) == 0;
        }
    }
    if (!ok) {
        zip_discard(archive);
        return false;
    }
    return zip_close(archive) == 0;
}

bool Run7zz(const std::filesystem::path& folder, const std::vector<std::string>& arguments)
{
    std::vector<std::string> words{"7zz"};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, "7zz", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) {
        return false;
    }
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const std::filesystem::path& path, const std::string& content)
{
    std::ofstream(path, std::ios::binary) << content;
}

int PatchFile(const std::string& path, const std::string& from, const std::string& to)
{
    std::string data = ReadFile(path);
    int count = 0;
    for (std::size_t at = data.find(from); at != std::string::npos;
         at = data.find(from, at + to.size())) {
        data.replace(at, from.size(), to);
        ++count;
    }
    WriteFile(path, data);
    return count;
}

int SetAesVendorVersion(const std::string& path, uint16_t version)
{
    std::string data = ReadFile(path);
    const std::string header("\x01\x99\x07\x00", 4);
    int count = 0;
    for (std::size_t at = data.find(header); at != std::string::npos;
         at = data.find(header, at + 1)) {
        data[at + 4] = static_cast<char>(version & 0xFF);
        data[at + 5] = static_cast<char>(version >> 8);
        ++count;
    }
    WriteFile(path, data);
    return count;
}

std::string FindPkwareCheckCollision(const std::string& path, const std::string& rightPassword)
{
    const std::string data = ReadFile(path);
    if (data.size() < 30 || data.compare(0, 4, "PK\x03\x04") != 0) {
        return {};
    }
    const uint16_t flags = Le16(data, 6);
    const std::size_t header = 30 + Le16(data, 26) + Le16(data, 28);
    if (data.size() < header + 12) {
        return {};
    }
    // With sizes after the data, the check byte is the high byte of the time, else of the CRC.
    const auto expected = static_cast<unsigned char>(
        (flags & 0x08) != 0 ? Le16(data, 10) >> 8 : static_cast<unsigned char>(data[17]));
    for (int i = 0; i < 100000; ++i) {
        const std::string candidate = "wrong" + std::to_string(i);
        if (candidate == rightPassword) {
            continue;
        }
        PkwareKeys keys;
        for (const char c : candidate) {
            keys.Update(static_cast<unsigned char>(c));
        }
        unsigned char last = 0;
        for (std::size_t b = 0; b < 12; ++b) {
            last = keys.Decrypt(static_cast<unsigned char>(data[header + b]));
        }
        if (last == expected) {
            return candidate;
        }
    }
    return {};
}

std::vector<std::string> ListTree(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        std::string name = std::filesystem::relative(entry.path(), folder).string();
        if (entry.is_directory() && !entry.is_symlink()) {
            name += '/';
        }
        names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace testing_archives
