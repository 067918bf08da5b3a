#include "platform/EmbeddedResources.h"

namespace platform {
namespace {

// Constant-initialised, so a table handed over during static initialisation is never lost.
std::span<const EmbeddedResource> g_table;

} // namespace

void SetEmbeddedResources(std::span<const EmbeddedResource> table)
{
    g_table = table;
}

std::span<const EmbeddedResource> EmbeddedResources()
{
    return g_table;
}

const EmbeddedResource* FindEmbeddedResource(std::string_view type, unsigned id)
{
    for (const EmbeddedResource& resource : g_table) {
        if (resource.id == id && resource.type == type) {
            return &resource;
        }
    }
    return nullptr;
}

} // namespace platform
