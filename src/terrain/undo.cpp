#include "terrain/undo.h"

#include "base/frontend.h"
#include "terrain/edit_grid.h"

namespace kalvenor {

namespace {

bool copyMapsExist(const Landscape& land, UndoKind kind)
{
    if (!coversGrid(land.work, land)) return false;
    return kind == UndoKind::Erosion || coversGrid(land.shadow, land);
}

} // namespace

std::optional<UndoCopy> prepareUndo(Landscape& land, UndoKind kind, Frontend& ui)
{
    UndoCopy undo{kind, false};
    if (!copyMapsExist(land, kind)) {
        if (!ui.ask(kNoUndoMemory, "Continue", "Cancel")) return std::nullopt;
        return undo;
    }
    if (kind == UndoKind::Water) {
        copyMap(land.work, land.terrain, land);
        copyMap(land.shadow, land.elevation, land);
    } else {
        copyMap(land.work, land.elevation, land);
    }
    undo.taken = true;
    return undo;
}

bool restoreUndo(Landscape& land, const UndoCopy& undo)
{
    if (!undo.taken || !copyMapsExist(land, undo.kind)) return false;
    if (undo.kind == UndoKind::Water) {
        copyMap(land.terrain, land.work, land);
        copyMap(land.elevation, land.shadow, land);
    } else {
        copyMap(land.elevation, land.work, land);
    }
    return true;
}

} // namespace kalvenor
