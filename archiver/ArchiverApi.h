// The archiver library's exported functions: their names, signatures and results.
// Shared by the library and by the programs that load it, so both agree on one contract.
#pragma once

#include <cstdint>

// The library's file name; programs load it from their own folder.
inline constexpr const char* kArchiverLibraryName = "lib7-zip32.so";

// Runs one command line ("t" test, "x" extract; see archiver/CommandLine.h for the quoting).
// `owner` is unused (always null). Up to `outputSize` bytes of a short, zero-terminated
// report go to `output` (which may be null when `outputSize` is 0).
using ArchiverCommandFn = int(void* owner, const char* commandLine, char* output,
                              uint32_t outputSize);
// The library's version; the low 16 bits are 922.
using ArchiverGetVersionFn = uint32_t();
// Non-zero when `path` names an archive that the library recognises; `mode` is unused.
using ArchiverCheckArchiveFn = int(const char* path, int mode);
// The kind of archive `path` holds (see ArchiveKind); 0 when it is none.
using ArchiverGetArchiveTypeFn = int(const char* path);

inline constexpr const char* kArchiverCommandName = "ArchiverCommand";
inline constexpr const char* kArchiverGetVersionName = "ArchiverGetVersion";
inline constexpr const char* kArchiverCheckArchiveName = "ArchiverCheckArchive";
inline constexpr const char* kArchiverGetArchiveTypeName = "ArchiverGetArchiveType";

inline constexpr uint32_t kArchiverVersion = 922;

// Results of ArchiverCommandFn.
inline constexpr int kArchiverOk = 0;
inline constexpr int kArchiverBadCommand = 1; // command line not understood
inline constexpr int kArchiverCannotOpen =
    2; // missing, not a ZIP file, or its structure is damaged
inline constexpr int kArchiverDamagedData =
    3; // an unencrypted entry fails its CRC or decompression
inline constexpr int kArchiverUnsafeEntry = 4;   // an entry name or kind that is never extracted
inline constexpr int kArchiverLimitExceeded = 5; // too many entries or too many bytes
inline constexpr int kArchiverWriteFailed =
    6; // destination missing, existing file, or a write failed
inline constexpr int kArchiverInternalError = 7; // out of memory or a library failure
inline constexpr int kArchiverPasswordError =
    0x800A; // a password is needed, or the one given is wrong

// Results of ArchiverGetArchiveTypeFn.
enum class ArchiveKind : int
{
    None = 0,
    Zip = 1,
    Other = 2, // recognised, but not a ZIP archive
};

// Defined by the library only; programs resolve them by name at run time.
extern "C" {
[[gnu::visibility("default")]] ArchiverCommandFn ArchiverCommand;
[[gnu::visibility("default")]] ArchiverGetVersionFn ArchiverGetVersion;
[[gnu::visibility("default")]] ArchiverCheckArchiveFn ArchiverCheckArchive;
[[gnu::visibility("default")]] ArchiverGetArchiveTypeFn ArchiverGetArchiveType;
}
