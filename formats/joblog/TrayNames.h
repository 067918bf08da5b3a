// Feed tray names as sheet rows give them.
#pragma once

#include <cstdint>
#include <string_view>

// 1 "Feed Tray 1", 2 "Feed Tray 2", 3 "Feed Tray 3", 4 "Standard Tray", 5 "High Capacity
// Feeder", compared without regard to (ASCII) case; 6 for any other text.
std::int32_t TrayNameToNumber(std::string_view name);
