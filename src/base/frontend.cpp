#include "base/frontend.h"

#include <cstdio>

namespace kalvenor {

std::string progressText(const std::string& label, int percent)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, ": %2d%%", percent);
    return label + buffer;
}

std::string fileMessage(const std::string& message, const std::string& path)
{
    return message + " \"" + path + "\"";
}

} // namespace kalvenor
