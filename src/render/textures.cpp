#include "render/textures.h"

#include <algorithm>
#include <new>

#include "base/byte_order.h"
#include "base/frontend.h"
#include "base/paths.h"
#include "codecs/image_io.h"
#include "codecs/targa.h"

namespace kalvenor {

namespace {

constexpr const char* kSelectAnother = "Select another texture";
constexpr const char* kSkipIt = "Skip it";

std::uint32_t channel(std::uint32_t texel, int shift) { return (texel >> shift) & 255u; }

std::size_t levelTexels(const TextureLevelSize& l) { return static_cast<std::size_t>(l.width) * static_cast<std::size_t>(l.height); }

// The name goes into the entry as the stored form keeps it: at most 255
// characters, so the terminator always comes before level 0's record.
void storeName(TextureSlot& slot, const std::string& name)
{
    const std::size_t length = std::min(name.size(), kTextureNameLimit - kTextureNameOffset - 1);
    std::fill(slot.entry.begin() + kTextureNameOffset, slot.entry.begin() + kTextureNameLimit, std::uint8_t{0});
    std::copy_n(name.begin(), length, slot.entry.begin() + kTextureNameOffset);
}

// The entry's level records and the data bytes from the texel block.
void storeTexture(TextureSlot& slot, int classCode, const TextureLayout& layout, std::span<const std::uint32_t> texels)
{
    slot.data.resize(texels.size() * 4);
    for (std::size_t i = 0; i < texels.size(); ++i) put32le(slot.data.data() + i * 4, texels[i]);
    for (int level = 0; level < kTextureLevelCount; ++level) {
        std::uint8_t* record = slot.entry.data() + textureLevelRecord(level);
        const TextureLevelSize& l = layout[static_cast<std::size_t>(level)];
        put32le(record, static_cast<std::uint32_t>(l.width));
        put32le(record + 4, static_cast<std::uint32_t>(l.height));
        put32le(record + 8, level == 0 ? static_cast<std::uint32_t>(slot.data.size()) : 0u);
        put32le(record + kTextureLevelWord, static_cast<std::uint32_t>(l.start * 4));
    }
    slot.entry[0] = static_cast<std::uint8_t>(classCode);
}

void clearSlot(TextureSlot& slot)
{
    slot.entry.fill(0);
    slot.data.clear();
    slot.data.shrink_to_fit();
}

} // namespace

TextureLayout textureLayout(int width, int height)
{
    TextureLayout layout = {};
    std::size_t start = 0;
    for (int level = 0; level < kTextureLevelCount; ++level) {
        layout[static_cast<std::size_t>(level)] = {width, height, start};
        start += static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
        width = std::max(1, width / 2);
        height = std::max(1, height / 2);
    }
    return layout;
}

std::size_t textureTexels(const TextureLayout& layout)
{
    const TextureLevelSize& last = layout[kTextureLevelCount - 1];
    return last.start + levelTexels(last);
}

std::uint32_t averageTexels(std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d)
{
    const std::uint32_t block[4] = {a, b, c, d};
    std::uint32_t alphaSum = 0;
    for (const std::uint32_t t : block) alphaSum += channel(t, 24);
    const std::uint32_t total = alphaSum == 0 ? 1 : alphaSum;
    std::uint32_t out = ((alphaSum + 2) >> 2) << 24;
    for (const int shift : {0, 8, 16}) {
        std::uint32_t sum = 0;
        for (const std::uint32_t t : block) sum += channel(t, shift) * channel(t, 24);
        out |= std::min<std::uint32_t>((sum + total / 2) / total, 255u) << shift; // rounds to nearest
    }
    return out;
}

void buildTextureLevels(std::span<std::uint32_t> texels, const TextureLayout& layout)
{
    for (int level = 1; level < kTextureLevelCount; ++level) {
        const TextureLevelSize& from = layout[static_cast<std::size_t>(level - 1)];
        const TextureLevelSize& to = layout[static_cast<std::size_t>(level)];
        const std::uint32_t* src = texels.data() + from.start;
        std::uint32_t* dst = texels.data() + to.start;
        for (int y = 0; y < to.height; ++y) {
            // Past the right or bottom edge the edge texel stands in for its missing neighbour.
            const int y0 = std::min(2 * y, from.height - 1), y1 = std::min(2 * y + 1, from.height - 1);
            for (int x = 0; x < to.width; ++x) {
                const int x0 = std::min(2 * x, from.width - 1), x1 = std::min(2 * x + 1, from.width - 1);
                const auto at = [&](int col, int row) { return src[static_cast<std::size_t>(row) * from.width + col]; };
                dst[static_cast<std::size_t>(y) * to.width + x] = averageTexels(at(x0, y0), at(x1, y0), at(x0, y1), at(x1, y1));
            }
        }
    }
}

int loadTexture(TextureSlots& slots, int classCode, const std::string& name, Frontend& ui)
{
    if (classCode < 0 || classCode >= static_cast<int>(kTextureSlots)) return 0;
    TextureSlot& slot = slots[static_cast<std::size_t>(classCode)];
    if (name.empty()) {
        clearSlot(slot);
        return 1;
    }

    // The map is read whole before the slot changes: a file that cannot be read keeps what the class had.
    const std::string path = resolveExisting(name);
    int width = 0, height = 0;
    if (readTargaSize(path, width, height) != ImageStatus::Ok) {
        ui.message("Error reading file \"" + name + "\".");
        return 0;
    }

    const TextureLayout layout = textureLayout(width, height);
    const std::size_t count = textureTexels(layout);
    const std::uint64_t bytes = std::uint64_t{count} * 4;
    std::vector<std::uint32_t> texels;
    try {
        if (bytes > kMaxTextureBytes) throw std::bad_alloc();
        texels.assign(count, 0u);
    } catch (const std::bad_alloc&) {
        ui.message("Insufficient memory  (" + std::to_string(bytes) + " bytes needed).");
        return 0;
    }

    // A file that changed or ends early after its header is as unreadable as a bad header.
    const PixelView level0{texels.data(), width, height, width};
    TargaHeader header;
    if (loadTarga(path, level0, TargaMode::Keep, header) != ImageStatus::Ok || header.width != width ||
        header.height != height) {
        ui.message("Error reading file \"" + name + "\".");
        return 0;
    }
    buildTextureLevels(texels, layout);
    clearSlot(slot);
    storeName(slot, name);
    storeTexture(slot, classCode, layout, texels);
    return 1;
}

int findTexture(TextureSlots& slots, int classCode, const std::string& name, Frontend& ui,
                const std::string& directory)
{
    if (name.empty() || fileExists(name)) return loadTexture(slots, classCode, name, ui);
    freeTexture(slots, classCode);
    if (!ui.ask("Unable to locate " + name, kSelectAnother, kSkipIt)) return 0;
    const std::optional<std::string> chosen = ui.chooseFile({"Select texture map", directory, "*.TGA", "", false});
    if (!chosen || chosen->empty()) return 0;
    return loadTexture(slots, classCode, *chosen, ui);
}

void freeTexture(TextureSlots& slots, int classCode)
{
    if (classCode < 0 || classCode >= static_cast<int>(kTextureSlots)) return;
    clearSlot(slots[static_cast<std::size_t>(classCode)]);
}

void freeAllTextures(TextureSlots& slots)
{
    for (TextureSlot& slot : slots) clearSlot(slot);
}

void loadNamedTextures(TextureSlots& slots, Frontend& ui, const std::string& directory)
{
    for (std::size_t k = 0; k < kTextureSlots; ++k) {
        TextureSlot& slot = slots[k];
        if (!slot.inUse() || !slot.data.empty()) continue;
        const std::string name = slot.name();
        if (findTexture(slots, static_cast<int>(k), name, ui, directory) != 1 || name.empty()) clearSlot(slot);
    }
}

void prepareFrameTextures(const TextureSlots& slots, FrameTextures& frame)
{
    frame.byClass.fill(nullptr);
    if (!anyTextureInUse(slots)) return;
    frame.maps.resize(kTextureSlots);
    for (std::size_t k = 0; k < kTextureSlots; ++k) {
        const TextureSlot& slot = slots[k];
        ClassTexture& out = frame.maps[k];
        out.shadeKey = 0;
        const SlotLevel first = slotLevel(slot, 0);
        if (first.width == 0) {
            out.texels.clear();
            continue;
        }
        out.texels.resize(slot.data.size() / 4);
        for (std::size_t i = 0; i < out.texels.size(); ++i) out.texels[i] = get32le(slot.data.data() + i * 4);
        // A level that is missing from the slot falls back on the smallest one before it.
        for (int level = 0; level < kTextureLevelCount; ++level) {
            const SlotLevel l = slotLevel(slot, level);
            TextureView& view = out.levels[static_cast<std::size_t>(level)];
            if (l.width != 0) view = TextureView{out.texels.data() + l.start / 4, l.width, l.height, 0, 0, 0};
            else view = out.levels[static_cast<std::size_t>(level - 1)];
        }
        out.scale = slot.scale() != 0 ? slot.scale() : kDefaultTextureScale;
        for (TextureView& view : out.levels) view.scale = out.scale;
        frame.byClass[k] = &out;
    }
}

namespace {

// The mottle: a tiled value noise of two octaves, -1 .. 1, the same every time.
const std::vector<float>& shadePattern()
{
    static const std::vector<float> pattern = [] {
        constexpr int n = kShadeTextureSide;
        const auto lattice = [](int x, int y, int period) {
            std::uint32_t h = static_cast<std::uint32_t>((x % period + period) % period) * 73856093u ^
                              static_cast<std::uint32_t>((y % period + period) % period) * 19349663u ^
                              static_cast<std::uint32_t>(period) * 83492791u;
            h ^= h >> 13;
            h *= 0x5bd1e995u;
            h ^= h >> 15;
            return static_cast<float>(h & 0xFFFF) / 32767.5f - 1.0f;
        };
        const auto octave = [&](int x, int y, int cell) {
            const int period = n / cell;
            const float fx = static_cast<float>(x % cell) / static_cast<float>(cell);
            const float fy = static_cast<float>(y % cell) / static_cast<float>(cell);
            const int gx = x / cell, gy = y / cell;
            const float top = lattice(gx, gy, period) * (1 - fx) + lattice(gx + 1, gy, period) * fx;
            const float bottom = lattice(gx, gy + 1, period) * (1 - fx) + lattice(gx + 1, gy + 1, period) * fx;
            return top * (1 - fy) + bottom * fy;
        };
        std::vector<float> p(static_cast<std::size_t>(n) * n);
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x)
                p[static_cast<std::size_t>(y) * n + x] = 0.6f * octave(x, y, 16) + 0.4f * octave(x, y, 4);
        return p;
    }();
    return pattern;
}

bool takesShadeTexture(int k) { return (k >= 38 && k <= 50) || (k >= 56 && k <= 59) || (k >= 88 && k <= 91); }

} // namespace

void addShadeTextures(FrameTextures& frame, const std::array<std::uint8_t, 1024>& scheme, int level)
{
    static constexpr int kAlpha[] = {0, 96, 160, 224};
    if (level < 1 || level > 3) return;
    const std::vector<float>& pattern = shadePattern();
    const TextureLayout layout = textureLayout(kShadeTextureSide, kShadeTextureSide);
    frame.maps.resize(kTextureSlots);
    for (int k = 0; k < static_cast<int>(kTextureSlots); ++k) {
        if (!takesShadeTexture(k) || frame.byClass[static_cast<std::size_t>(k)] != nullptr) continue;
        ClassTexture& out = frame.maps[static_cast<std::size_t>(k)];
        const std::size_t at = static_cast<std::size_t>(k) * 4;
        const std::uint32_t alpha = static_cast<std::uint32_t>(kAlpha[level]) << 24;
        const std::uint32_t key = alpha | scheme[at + 1] | (scheme[at + 2] << 8) | (scheme[at + 3] << 16);
        if (out.shadeKey == key && out.texels.size() == textureTexels(layout)) { // made for an earlier frame
            frame.byClass[static_cast<std::size_t>(k)] = &out;
            continue;
        }
        out.shadeKey = key;
        out.texels.assign(textureTexels(layout), 0);
        const float rgb[3] = {static_cast<float>(scheme[at + 1]), static_cast<float>(scheme[at + 2]),
                              static_cast<float>(scheme[at + 3])};
        for (std::size_t i = 0; i < pattern.size(); ++i) {
            const float f = 1.0f + 0.3f * pattern[i];
            std::uint32_t texel = alpha;
            for (int c = 0; c < 3; ++c)
                texel |= static_cast<std::uint32_t>(std::clamp(rgb[c] * f, 0.0f, 255.0f)) << (8 * c);
            out.texels[i] = texel;
        }
        buildTextureLevels(out.texels, layout);
        out.scale = kShadeTextureSide / 8;
        for (int l = 0; l < kTextureLevelCount; ++l) {
            const TextureLevelSize& size = layout[static_cast<std::size_t>(l)];
            out.levels[static_cast<std::size_t>(l)] =
                TextureView{out.texels.data() + size.start, size.width, size.height, out.scale, 0, 0};
        }
        frame.byClass[static_cast<std::size_t>(k)] = &out;
    }
}

} // namespace kalvenor
