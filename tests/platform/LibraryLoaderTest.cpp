// Why: libraries are loaded only from the program's own folder, never found through the
// system's search path or a relative name.
#include "platform/LibraryLoader.h"

#include "archiver/ArchiverApi.h"

#include <gtest/gtest.h>
#include <string>

namespace {

TEST(LibraryLoaderTest, LoadsFromTheProgramFolderAndResolvesFunctions)
{
    std::string folder;
    ASSERT_TRUE(platform::GetProgramFolder(folder));
    EXPECT_EQ(folder.front(), '/');
    EXPECT_NE(folder.back(), '/');

    const platform::LibraryHandle library = platform::LoadProgramLibrary(kArchiverLibraryName);
    ASSERT_NE(library, nullptr);
    auto* version =
        platform::ResolveFunction<ArchiverGetVersionFn>(library, kArchiverGetVersionName);
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(version(), kArchiverVersion);
    EXPECT_EQ(platform::ResolveSymbol(library, "NoSuchFunction"), nullptr);
    platform::FreeLibrary(library);
}

TEST(LibraryLoaderTest, RefusesNamesWithFoldersAndRelativePaths)
{
    const char* names[] = {
        "", ".", "..", "../tests/lib7-zip32.so", "sub/lib7-zip32.so", "libmissing.so", "libc.so.6"};
    for (const char* name : names) {
        const platform::LibraryHandle library = platform::LoadProgramLibrary(name);
        EXPECT_EQ(library, nullptr) << name;
        platform::FreeLibrary(library);
    }
    EXPECT_EQ(platform::LoadLibraryFromPath("lib7-zip32.so"), nullptr);
    EXPECT_EQ(platform::ResolveSymbol(nullptr, kArchiverGetVersionName), nullptr);
}

} // namespace
