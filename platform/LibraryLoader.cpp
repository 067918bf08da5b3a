#include "platform/LibraryLoader.h"

#include <dlfcn.h>
#include <unistd.h>
#include <vector>

namespace platform {

bool GetProgramFolder(std::string& folder)
{
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) {
            return false;
        }
        if (static_cast<std::size_t>(n) < buffer.size()) {
            const std::string path(buffer.data(), static_cast<std::size_t>(n));
            const std::size_t slash = path.rfind('/');
            if (slash == std::string::npos) {
                return false;
            }
            folder = path.substr(0, slash);
            return true;
        }
        if (buffer.size() >= 64 * 1024) {
            return false;
        }
        buffer.resize(buffer.size() * 2);
    }
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
