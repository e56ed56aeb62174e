#include "platform/frontend.h"

#include <cstdio>

namespace kalvenor {

std::string progressText(const std::string& label, int percent)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, ": %2d%%", percent);
    return label + buffer;
}

} // namespace kalvenor
