// The range every stored setting may hold, as one table.
//
// Files from elsewhere can carry any bit pattern in a settings word. After a
// file's settings are read, every setting is brought within its limits: a
// number beyond its range is clamped to the nearest end, a choice that names
// nothing known takes its start value, and a float that is not a finite
// number keeps the value it had before the load. The ranges are wide: every
// value a panel, a script or the program itself sets lies inside them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <variant>
#include <vector>

#include "model/scene_settings.h"

namespace kalvenor {

using SettingPtr = std::variant<std::int32_t*, std::uint32_t*, float*, std::uint8_t*>;
using SettingAccess = SettingPtr (*)(SceneSettings&);

enum class OutOfRange : std::uint8_t {
    Clamp, // a number: the nearest end of the range
    Reset, // a choice: the start value
};

struct SettingLimit {
    const char* name; // as docs/ name it
    SettingAccess field;
    double least;
    double most;
    OutOfRange repair = OutOfRange::Clamp;
};

// Every limited setting, grouped as SceneSettings groups them.
std::span<const SettingLimit> settingLimits();

// The limit of the setting at field (an address inside scene), if it has one.
const SettingLimit* limitOf(const SceneSettings& scene, const void* field);

// The limited settings' values in table order (a double holds each exactly).
using SettingValues = std::vector<double>;
SettingValues settingValues(const SceneSettings& scene);

// Brings every setting within its limits as the table says; a float that is
// not a finite number takes its value in before (if that is within limits,
// else its start value). Returns the number of settings changed.
int keepWithinLimits(SceneSettings& scene, const SettingValues& before);

// Every setting outside its limits takes back its value in before; returns
// what the first of them takes ("sky.haze takes values from 0 to 100000"),
// empty when every setting was within its limits.
std::string restoreWithinLimits(SceneSettings& scene, const SettingValues& before);

// The name of the first setting outside its limits (or not a finite number),
// empty when every setting lies within them.
std::string firstSettingOutsideLimits(const SceneSettings& scene);

// The largest image side (and render allocation side) the program makes.
constexpr int kLargestImageSide = 8192;

} // namespace kalvenor
