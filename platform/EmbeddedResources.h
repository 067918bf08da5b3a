// Resources carried inside the program's own file, found by type name and id as in a Windows
// resource module. A generated source of the program hands its table over at start-up
// (before main); tests hand over tables of their own.
#pragma once

#include <span>
#include <string_view>

namespace platform {

struct EmbeddedResource
{
    std::string_view type; // "RT_RCDATA", "RT_STRING", "RT_BITMAP", "RT_DIALOG"
    unsigned id = 0;
    std::span<const unsigned char> bytes;
};

// Replaces the program's table; the entries must outlive their use.
void SetEmbeddedResources(std::span<const EmbeddedResource> table);

// The table handed over last.
std::span<const EmbeddedResource> EmbeddedResources();

// The first entry of `type` and `id`, or null.
const EmbeddedResource* FindEmbeddedResource(std::string_view type, unsigned id);

} // namespace platform
