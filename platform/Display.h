// Whether a Qt program may open windows. Qt ends the process with an abort when the platform
// it picks has nothing to connect to, so programs ask first.
#pragma once

namespace platform {

// True with a display to connect to ($DISPLAY or $WAYLAND_DISPLAY), or with a Qt platform
// named in $QT_QPA_PLATFORM or by a "-platform NAME" argument (offscreen, ...).
bool HasDisplay(int argc, char** argv);

} // namespace platform
