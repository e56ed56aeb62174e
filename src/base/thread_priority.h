// The program thread's scheduling priority, as the priority command (F2)
// offers it: -1 below normal, 0 normal, 1 above normal.
#pragma once

#include <string>

namespace kalvenor {

// An answer to "Set priority:" as a level: 2 or more is 1, below -1 is -1.
constexpr int clampPriority(long answer) { return answer >= 1 ? 1 : answer <= -1 ? -1 : 0; }

// The calling thread's level: its niceness below, at or above 0.
int threadPriority();

// Sets the calling thread's level (niceness -5, 0 or 10). False with the
// system's reason when it refuses: raising the priority, or bringing a
// lowered one back, needs the privilege to do so.
bool setThreadPriority(int level, std::string& reason);

} // namespace kalvenor
