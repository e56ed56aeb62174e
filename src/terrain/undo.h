// The undo copy of the interactive terrain edits. Rivers, lakes and seas copy
// the terrain map into the work map and the elevations into the shadow map;
// erosion copies the elevations into the work map. The copy lives only until
// the acceptance question is answered.
#pragma once

#include <optional>

#include "model/landscape.h"

namespace kalvenor {

class Frontend;

enum class UndoKind { Water, Erosion };

struct UndoCopy {
    UndoKind kind = UndoKind::Water;
    bool taken = false; // false: the user chose to go on without undo
};

inline constexpr const char* kNoUndoMemory = "Not Enough memory for UNDO buffer.";

// Takes the copy. When the maps for it are missing, asks kNoUndoMemory with
// "Continue" and "Cancel": Cancel gives nothing (the edit must not start),
// Continue an UndoCopy that restores nothing.
std::optional<UndoCopy> prepareUndo(Landscape& land, UndoKind kind, Frontend& ui);

// Puts the copied maps back. Returns true when there was a copy to restore.
bool restoreUndo(Landscape& land, const UndoCopy& undo);

} // namespace kalvenor
