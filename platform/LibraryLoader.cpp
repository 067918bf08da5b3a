#include "platform/LibraryLoader.h"

#include "platform/FileSystem.h"

#include <dlfcn.h>

namespace platform {

bool GetProgramFolder(std::string& folder)
{
    std::string program;
    if (!GetExecutablePath(program)) {
        return false;
    }
    const std::size_t slash = program.rfind('/');
    if (slash == std::string::npos) {
        return false;
    }
    folder = program.substr(0, slash);
    return true;
}

LibraryHandle LoadProgramLibrary(std::string_view fileName)
{
    std::string folder;
    if (fileName.empty() || fileName.find('/') != std::string_view::npos ||
        fileName.find('\0') != std::string_view::npos || fileName == "." || fileName == ".." ||
        !GetProgramFolder(folder)) {
        return nullptr;
    }
    return LoadLibraryFromPath(folder + "/" + std::string(fileName));
}

LibraryHandle LoadLibraryFromPath(const std::string& path)
{
    // Only an absolute path: a bare name would make dlopen search the system's folders.
    if (path.empty() || path.front() != '/') {
        return nullptr;
    }
    return ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
}

void* ResolveSymbol(LibraryHandle library, const char* name)
{
    if (library == nullptr || name == nullptr) {
        return nullptr;
    }
    return ::dlsym(library, name);
}

void FreeLibrary(LibraryHandle library)
{
    if (library != nullptr) {
        ::dlclose(library);
    }
}

} // namespace platform
