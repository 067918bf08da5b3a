// Loading shared libraries that lie beside the program, and finding their functions.
#pragma once

#include <string>
#include <string_view>

namespace platform {

// An open library; null when none. Freed with FreeLibrary by whoever loaded it.
using LibraryHandle = void*;

// The folder that holds the running program, without a trailing '/'; false when unknown.
bool GetProgramFolder(std::string& folder);

// Loads `fileName` (a plain file name, no folder) from the program's folder, never through
// the system's search path; null when it is missing or cannot be loaded.
LibraryHandle LoadProgramLibrary(std::string_view fileName);

// Loads the library at an absolute `path`; null on failure.
LibraryHandle LoadLibraryFromPath(const std::string& path);

// The address of the exported function `name`, or null.
void* ResolveSymbol(LibraryHandle library, const char* name);

// The exported function `name` as a pointer to `Function` (a function type), or null.
template <typename Function>
Function* ResolveFunction(LibraryHandle library, const char* name)
{
    return reinterpret_cast<Function*>(ResolveSymbol(library, name));
}

// Releases one load of `library`; null is ignored.
void FreeLibrary(LibraryHandle library);

} // namespace platform
