// The files of a package's cabinet, taken into memory by their entry names. Every entry name
// passes the archiver's rules for one name before anything is read; a cabinet with a name
// that does not, or with one name twice, is refused whole.
#pragma once

#include "installer/InstallerPackage.h"

#include <cstdint>
#include <map>
#include <string>

namespace installer {

struct CabinetFile
{
    std::string bytes;
    std::uint32_t attributes = 0; // the cabinet's: 0x40 marks an executable
};

inline constexpr std::uint32_t kCabinetExecutable = 0x40;

// Reads the entries named in `wanted` (entry name -> size the package expects) from the
// cabinet `bytes`. An entry of another size is not read; a failure names what went wrong.
Outcome<std::map<std::string, CabinetFile>>
ReadCabinetFiles(const std::string& bytes, const std::map<std::string, std::uint32_t>& wanted);

} // namespace installer
