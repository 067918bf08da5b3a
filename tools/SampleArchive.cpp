#include "tools/SampleArchive.h"

#include <cstdio>
#include <ctime>
#include <zip.h>

namespace samplejob {
namespace {

// Built from local calendar fields, so that the DOS time stored (local time again) is the
// same in every time zone.
time_t FixedMemberTime()
{
    std::tm fields{};
    fields.tm_year = 2024 - 1900;
    fields.tm_mon = 0;
    fields.tm_mday = 15;
    fields.tm_hour = 12;
    fields.tm_isdst = -1;
    return std::mktime(&fields);
}

zip_uint16_t MethodOf(ArchiveEncryption encryption)
{
    switch (encryption) {
    case ArchiveEncryption::Pkware:
        return ZIP_EM_TRAD_PKWARE;
    case ArchiveEncryption::Aes256:
        return ZIP_EM_AES_256;
    case ArchiveEncryption::None:
        break;
    }
    return ZIP_EM_NONE;
}

int AddMember(zip_t* archive, const ArchiveMember& member, ArchiveEncryption encryption,
              const std::string& password)
{
    zip_int64_t index = -1;
    if (member.folder) {
        index = zip_dir_add(archive, member.name.c_str(), ZIP_FL_ENC_UTF_8);
    } else {
        zip_source_t* source =
            zip_source_buffer(archive, member.bytes.data(), member.bytes.size(), 0);
        if (!source) {
            return -1;
        }
        index = zip_file_add(archive, member.name.c_str(), source, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(source);
            return -1;
        }
    }
    if (index < 0) {
        return -1;
    }
    if (encryption == ArchiveEncryption::None) {
        // Setting the time of an encrypted entry makes this libzip encrypt with the wrong
        // check value, so only plain entries get the fixed time.
        if (zip_file_set_mtime(archive, static_cast<zip_uint64_t>(index), FixedMemberTime(), 0) !=
            0) {
            return -1;
        }
    } else if (!member.folder &&
               zip_file_set_encryption(archive, static_cast<zip_uint64_t>(index),
                                       MethodOf(encryption), password.c_str()) != 0) {
        return -1;
    }
    return 0;
}

} // namespace

int WriteZipArchive(const std::string& path, const std::vector<ArchiveMember>& members,
                    ArchiveEncryption encryption, std::string_view password)
{
    if (path.empty() || (encryption != ArchiveEncryption::None && password.empty())) {
        return -1;
    }
    const std::string passwordText(password);
    int error = 0;
    zip_t* archive = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    if (!archive) {
        return -1;
    }
    for (const ArchiveMember& member : members) {
        if (AddMember(archive, member, encryption, passwordText) != 0) {
            zip_discard(archive);
            std::remove(path.c_str());
            return -1;
        }
    }
    if (zip_close(archive) != 0) {
        zip_discard(archive);
        std::remove(path.c_str());
        return -1;
    }
    return 0;
}

std::vector<ArchiveMember> LogArchiveMembers(std::string_view baseName, std::string log,
                                             std::string digest, ArchiveLayout layout)
{
    const std::string base(baseName);
    const std::string folder = layout == ArchiveLayout::MembersInSubFolder ? base + "/" : "";
    std::vector<ArchiveMember> members;
    if (!folder.empty()) {
        members.push_back({folder, {}, true});
    }
    members.push_back({folder + base + ".csv", std::move(log), false});
    members.push_back({folder + base + ".mll", std::move(digest), false});
    if (layout == ArchiveLayout::ThirdMember) {
        members.push_back({base + ".txt", "Printed by the night shift.\r\n", false});
    } else if (layout == ArchiveLayout::EmptySubFolder) {
        members.push_back({"Backup/", {}, true});
    }
    return members;
}

} // namespace samplejob
