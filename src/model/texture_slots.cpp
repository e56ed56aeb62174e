#include "model/texture_slots.h"

#include <algorithm>

#include "base/byte_order.h"

namespace kalvenor {

std::string TextureSlot::name() const
{
    const auto* begin = entry.data() + kTextureNameOffset;
    const auto* end = std::find(begin, begin + (kTextureNameLimit - kTextureNameOffset), std::uint8_t{0});
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

SlotLevel slotLevel(const TextureSlot& slot, int level)
{
    if (!slot.inUse() || level < 0 || level >= kTextureLevelCount) return {};
    const std::uint8_t* record = slot.entry.data() + textureLevelRecord(level);
    const std::uint32_t width = get32le(record);
    const std::uint32_t height = get32le(record + 4);
    const std::uint64_t start = level == 0 ? 0 : get32le(record + kTextureLevelWord);
    constexpr std::uint32_t kMaxSide = 1u << 16;
    if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide) return {};
    if (start % 4 != 0 || start + std::uint64_t{width} * height * 4 > slot.data.size()) return {};
    return {static_cast<int>(width), static_cast<int>(height), static_cast<std::size_t>(start)};
}

bool anyTextureInUse(const TextureSlots& slots)
{
    return std::any_of(slots.begin(), slots.end(), [](const TextureSlot& s) { return s.inUse(); });
}

} // namespace kalvenor
