// GLib objects (of libmsi and libgcab) owned by unique_ptr, and their errors as failures.
#pragma once

#include "msipackage/Outcome.h"

#include <glib-object.h>
#include <memory>
#include <string>

namespace installer {

struct GObjectUnref
{
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T>
using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

// Takes `error` (may be null) and names what was being done.
inline msitransform::Failure GlibFailure(const std::string& what, GError* error)
{
    std::string message = what;
    if (error != nullptr) {
        message += ": " + std::string(error->message);
        g_error_free(error);
    }
    return msitransform::Failure{message};
}

} // namespace installer
