#include "render/texture_slots.h"

#include <algorithm>

namespace kalvenor {

std::string TextureSlot::name() const
{
    const auto* begin = entry.data() + kTextureNameOffset;
    const auto* end = std::find(begin, begin + kTextureNameBytes, std::uint8_t{0});
    return std::string(begin, end);
}

void resetTextureSlots(TextureSlots& slots)
{
    for (TextureSlot& slot : slots) {
        slot.entry.fill(0);
        slot.data.clear();
        slot.data.shrink_to_fit();
    }
}

bool anyTextureInUse(const TextureSlots& slots)
{
    return std::any_of(slots.begin(), slots.end(), [](const TextureSlot& s) { return s.inUse(); });
}

} // namespace kalvenor
