#include "render/span.h"

#include <algorithm>
#include <type_traits>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "render/line_stepper.h"

namespace kalvenor {

namespace {

constexpr int kCloudBlendClass = 192; // a cloud over a cloud takes the class only above this alpha
constexpr int kClassBlend = 127;      // a translucent pixel takes its class above this alpha

SpanPixel spanPixel(std::int64_t r, std::int64_t g, std::int64_t b, std::int64_t a, std::int64_t k)
{
    return {static_cast<std::uint16_t>(r), static_cast<std::uint16_t>(g), static_cast<std::uint16_t>(b),
            static_cast<std::uint8_t>(a & 255), static_cast<std::uint8_t>(k & 255)};
}

// Remainder in 0..m-1 whatever the sign of v, so negative texture coordinates wrap into the map.
std::int64_t wrap(std::int64_t v, std::int64_t m)
{
    const std::int64_t r = v % m;
    return r < 0 ? r + m : r;
}

void fillUntextured(const EdgeRecord& l, const EdgeRecord& r, int steps, int count, SpanPixel* out)
{
    if (sameLook(l, r)) {
        std::fill_n(out, count, spanPixel(l.red, l.green, l.blue, l.alpha, l.classCode));
        return;
    }
    LineStepper red(l.red, r.red, steps), green(l.green, r.green, steps), blue(l.blue, r.blue, steps);
    LineStepper alpha(l.alpha, r.alpha, steps), cls(l.classCode, r.classCode, steps);
    for (int i = 0; i < count; ++i) {
        out[i] = spanPixel(red.value, green.value, blue.value, alpha.value, cls.value);
        red.next();
        green.next();
        blue.next();
        alpha.next();
        cls.next();
    }
}

// One texel lit and laid over the polygon's own colour by the texel's alpha.
SpanPixel texturedPixel(const TextureView& tex, const SurfaceLight& light, std::int64_t s, std::int64_t t, int red,
                        int green, int blue, int alpha, int cls, int intensity)
{
    const std::int64_t column = wrap(s, std::int64_t{tex.width} * 256) >> 8;
    const std::int64_t row = wrap(t, std::int64_t{tex.height} * 256) >> 8;
    const std::uint32_t texel = tex.texels[column + std::int64_t{tex.width} * row];
    const int a = static_cast<int>(texel >> 24);
    const std::uint32_t c = litColour(light, static_cast<int>(texel & 255u), static_cast<int>((texel >> 8) & 255u),
                                      static_cast<int>((texel >> 16) & 255u), intensity >> 8, tex.hiliteStrength,
                                      tex.hiliteValue);
    const int cr = static_cast<int>(c & 255u), cg = static_cast<int>((c >> 8) & 255u), cb = static_cast<int>((c >> 16) & 255u);
    if (a == 255) return spanPixel(cr << 8, cg << 8, cb << 8, 255, cls);
    if ((alpha & 255) == 0) return spanPixel(cr << 8, cg << 8, cb << 8, a, cls);
    const auto mix = [a](int polygon, int lit) { return (polygon * (255 - a) + lit * 256 * a) / 255; };
    return spanPixel(mix(red, cr), mix(green, cg), mix(blue, cb), 255, cls);
}

void fillTextured(const EdgeRecord& l, const EdgeRecord& r, int steps, int count, const TextureView& tex,
                  const SurfaceLight& light, SpanPixel* out)
{
    LineStepper red(l.red, r.red, steps), green(l.green, r.green, steps), blue(l.blue, r.blue, steps);
    LineStepper alpha(l.alpha, r.alpha, steps), cls(l.classCode, r.classCode, steps);
    LineStepper intensity(l.intensity, r.intensity, steps), s(l.s, r.s, steps), t(l.t, r.t, steps);
    for (int i = 0; i < count; ++i) {
        out[i] = texturedPixel(tex, light, s.value, t.value, static_cast<int>(red.value), static_cast<int>(green.value),
                               static_cast<int>(blue.value), static_cast<int>(alpha.value),
                               static_cast<int>(cls.value), static_cast<int>(intensity.value));
        for (LineStepper* stepper : {&red, &green, &blue, &alpha, &cls, &intensity, &s, &t}) stepper->next();
    }
}

// The dither offsets of an opaque span, pixel by pixel, in 8.8 fixed point.
struct NoOffsets {
    void next(int& r, int& g, int& b) { r = g = b = 0; }
};
struct OrderedOffsets {
    const PixelDither& dither;
    int x, y;
    void next(int& r, int& g, int& b) { r = g = b = orderedDitherEntry(dither, x++, y) << 8; }
};
struct RandomOffsets {
    const PixelDither& dither;
    unsigned index;
    void next(int& r, int& g, int& b)
    {
        r = dither.random[(index + 1) & 255u] << 8;
        g = dither.random[(index + 2) & 255u] << 8;
        b = dither.random[(index + 3) & 255u] << 8;
        index += 3;
    }
};

// A channel of the span buffer (16 bits), dithered and cut to 8 bits.
std::uint8_t opaqueChannel(std::int64_t value, int offset)
{
    return static_cast<std::uint8_t>(std::clamp(static_cast<int>(static_cast<std::uint16_t>(value)) + offset, 0, 65535) >> 8);
}

#if defined(__SSE2__)
// A one-coloured span randomly dithered: the colour's top bytes moved by the
// table's rise and fall with saturation, all channels of a pixel at once (the
// class byte neither rises nor falls), four pixels at a time; the 8-bit
// row, when there is one, takes the class.
void writeFlatRandom(std::uint32_t colour, const PixelDither& dither, unsigned index, int count, std::uint32_t* out24,
                     std::uint8_t* out8)
{
    if (out8 != nullptr) std::fill_n(out8, count, static_cast<std::uint8_t>(colour >> 24));
    const auto lanes = [&](const std::array<std::uint32_t, 256>& table, unsigned at) {
        return _mm_set_epi32(static_cast<int>(table[(at + 9) & 255u]), static_cast<int>(table[(at + 6) & 255u]),
                             static_cast<int>(table[(at + 3) & 255u]), static_cast<int>(table[at & 255u]));
    };
    const __m128i base = _mm_set1_epi32(static_cast<int>(colour));
    int i = 0;
    for (; i + 4 <= count; i += 4, index += 12) {
        const __m128i up = _mm_adds_epu8(base, lanes(dither.rise, index));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out24 + i), _mm_subs_epu8(up, lanes(dither.fall, index)));
    }
    for (; i < count; ++i, index += 3) {
        const unsigned p = index & 255u;
        const __m128i up = _mm_adds_epu8(base, _mm_cvtsi32_si128(static_cast<int>(dither.rise[p])));
        out24[i] = static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_subs_epu8(up, _mm_cvtsi32_si128(static_cast<int>(dither.fall[p])))));
    }
}
#endif

template <typename Offsets>
void writeOpaque(const EdgeRecord& l, const EdgeRecord& r, int steps, int count, Offsets offsets, std::uint32_t* out24,
                 std::uint8_t* out8)
{
    int dr = 0, dg = 0, db = 0;
    if (sameLook(l, r)) {
        const auto k = static_cast<std::uint8_t>(l.classCode & 255);
#if defined(__SSE2__)
        if constexpr (std::is_same_v<Offsets, RandomOffsets>) {
            writeFlatRandom(packPixel(opaqueChannel(l.red, 0), opaqueChannel(l.green, 0), opaqueChannel(l.blue, 0), k),
                            offsets.dither, offsets.index, count, out24, out8);
            return;
        }
#endif
        for (int i = 0; i < count; ++i) {
            offsets.next(dr, dg, db);
            out24[i] = packPixel(opaqueChannel(l.red, dr), opaqueChannel(l.green, dg), opaqueChannel(l.blue, db), k);
            if (out8 != nullptr) out8[i] = k;
        }
        return;
    }
    LineStepper red(l.red, r.red, steps), green(l.green, r.green, steps), blue(l.blue, r.blue, steps);
    LineStepper cls(l.classCode, r.classCode, steps);
    for (int i = 0; i < count; ++i) {
        offsets.next(dr, dg, db);
        const auto k = static_cast<std::uint8_t>(cls.value & 255);
        out24[i] = packPixel(opaqueChannel(red.value, dr), opaqueChannel(green.value, dg), opaqueChannel(blue.value, db), k);
        if (out8 != nullptr) out8[i] = k;
        red.next();
        green.next();
        blue.next();
        cls.next();
    }
}

// An untextured span that is opaque from end to end, written straight into
// the image rows: the same pixels, dither draws and display call as filling
// the span buffer and compositing it. False when the span needs the general
// path (translucent, or no true-colour row to write).
bool fillOpaqueSpan(const RasterTarget& target, int row, const EdgeRecord& l, const EdgeRecord& r, int steps, int x0,
                    int x1)
{
    if (l.alpha != r.alpha || (l.alpha & 255) != 255) return false;
    ImagePlane<std::uint32_t>& plane24 = target.images->vidmem24;
    ImagePlane<std::uint8_t>& plane8 = target.images->vidmem8;
    if (!plane24.allocated() || row < 0 || row >= plane24.height) return false;
    x1 = std::min({x1, target.geometry->width - 1, plane24.width - 1});
    if (plane8.allocated()) x1 = std::min(x1, plane8.width - 1);
    if (x0 < 0 || x1 < x0 || x1 - x0 >= kRasterLimit) return true; // nothing to write
    std::uint32_t* row24 = plane24[row] + x0;
    std::uint8_t* row8 = plane8.allocated() && row < plane8.height ? plane8[row] + x0 : nullptr;
    const int count = x1 - x0 + 1;

    PixelDither* dither = target.dither;
    const int amount = dither != nullptr ? target.ditherAmount : 0;
    if (amount == 0) {
        writeOpaque(l, r, steps, count, NoOffsets{}, row24, row8);
    } else {
        prepareDither(*dither, amount);
        if (target.ditherKind == kDitherOrdered)
            writeOpaque(l, r, steps, count, OrderedOffsets{*dither, x0, row}, row24, row8);
        else
            writeOpaque(l, r, steps, count, RandomOffsets{*dither, static_cast<unsigned>(drawDither(*dither)) & 255u},
                        row24, row8);
    }
    if (target.display != nullptr) target.display(target.displayContext, row, x0, x1);
    return true;
}

std::uint8_t blendByte(std::uint32_t old, int added, int a)
{
    return static_cast<std::uint8_t>((static_cast<int>(old & 255u) * (255 - a) + added * a) / 255);
}

} // namespace

void fillSpan(const RasterTarget& target, int y, const EdgeRecord& first, const EdgeRecord& second,
              const TextureView* texture, SpanPixel* spanBuffer)
{
    const ImageGeometry& g = *target.geometry;
    const int row = y - imageRowOffset(g);
    if (row < 0 || row >= g.height) return;
    // The records are read in place: copies of them cost more than the pixels of a small span.
    const bool swapped = second.x < first.x;
    const EdgeRecord& left = swapped ? second : first;
    const EdgeRecord& right = swapped ? first : second;
    const int x0 = std::max(left.x, 0);
    if (x0 >= g.width || right.x < 0) return;

    // Interpolated over the whole span, filled only as far as the image goes.
    const int steps = right.x - x0;
    const int last = std::min({right.x, g.width - 1, kRasterLimit - 1});
    const int count = last - x0 + 1;
    if (count <= 0) return;
    static const SurfaceLight kDefaultLight;
    const bool textured = texture != nullptr && texture->usable();
    if (!textured && fillOpaqueSpan(target, row, left, right, steps, x0, last)) return;
    if (textured)
        fillTextured(left, right, steps, count, *texture, target.light ? *target.light : kDefaultLight, spanBuffer);
    else
        fillUntextured(left, right, steps, count, spanBuffer);
    outputHzline(target, row, x0, last, spanBuffer);
}

void fillFlatSpans(const RasterTarget& target, int firstRow, int lastRow, const int* left, const int* right,
                   const EdgeRecord& look, SpanPixel* spanBuffer)
{
    const ImageGeometry& g = *target.geometry;
    ImagePlane<std::uint32_t>& plane24 = target.images->vidmem24;
    ImagePlane<std::uint8_t>& plane8 = target.images->vidmem8;
    const auto oneRow = [&](int y) { // through the general path
        EdgeRecord l, r;
        l.red = r.red = look.red, l.green = r.green = look.green, l.blue = r.blue = look.blue;
        l.alpha = r.alpha = look.alpha, l.classCode = r.classCode = look.classCode;
        l.x = left[y];
        r.x = right[y];
        fillSpan(target, y, l, r, nullptr, spanBuffer);
    };
    if ((look.alpha & 255) != 255 || !plane24.allocated()) {
        for (int y = firstRow; y <= lastRow; ++y)
            if (right[y] >= left[y]) oneRow(y);
        return;
    }

    // Opaque: straight into the rows, as fillOpaqueSpan writes them.
    int limit = std::min({g.width - 1, kRasterLimit - 1, plane24.width - 1});
    if (plane8.allocated()) limit = std::min(limit, plane8.width - 1);
    const int offset = imageRowOffset(g);
    const auto k = static_cast<std::uint8_t>(look.classCode & 255);
    PixelDither* dither = target.dither;
    const int amount = dither != nullptr ? target.ditherAmount : 0;
    if (amount != 0) prepareDither(*dither, amount);
    const bool ordered = target.ditherKind == kDitherOrdered;
    const std::uint32_t plain =
        packPixel(opaqueChannel(look.red, 0), opaqueChannel(look.green, 0), opaqueChannel(look.blue, 0), k);
    for (int y = firstRow; y <= lastRow; ++y) {
        if (right[y] < left[y]) continue;
        const int row = y - offset;
        if (row < 0 || row >= g.height) continue;
        if (row >= plane24.height) {
            oneRow(y);
            continue;
        }
        const int x0 = std::max(left[y], 0);
        const int x1 = std::min(right[y], limit);
        if (x1 < x0) continue;
        const int count = x1 - x0 + 1;
        std::uint32_t* row24 = plane24[row] + x0;
        std::uint8_t* row8 = plane8.allocated() && row < plane8.height ? plane8[row] + x0 : nullptr;
        if (amount == 0) {
            std::fill_n(row24, count, plain);
            if (row8 != nullptr) std::fill_n(row8, count, k);
        } else if (ordered) {
            writeOpaque(look, look, 0, count, OrderedOffsets{*dither, x0, row}, row24, row8);
        } else {
            const unsigned start = static_cast<unsigned>(drawDither(*dither)) & 255u;
#if defined(__SSE2__)
            writeFlatRandom(plain, *dither, start, count, row24, row8);
#else
            writeOpaque(look, look, 0, count, RandomOffsets{*dither, start}, row24, row8);
#endif
        }
        if (target.display != nullptr) target.display(target.displayContext, row, x0, x1);
    }
}

void outputHzline(const RasterTarget& target, int row, int x0, int x1, SpanPixel* span)
{
    const ImageGeometry& g = *target.geometry;
    ImagePlane<std::uint32_t>& plane24 = target.images->vidmem24;
    ImagePlane<std::uint8_t>& plane8 = target.images->vidmem8;
    x1 = std::min(x1, g.width - 1);
    if (plane24.allocated()) x1 = std::min(x1, plane24.width - 1);
    if (plane8.allocated()) x1 = std::min(x1, plane8.width - 1);
    if (row < 0 || x0 < 0 || x1 < x0 || x1 - x0 >= kRasterLimit) return;
    const bool has24 = plane24.allocated() && row < plane24.height;
    const bool has8 = plane8.allocated() && row < plane8.height;
    if (!has24 && !has8) return;
    if (target.dither != nullptr) ditherSpan(*target.dither, target.ditherAmount, target.ditherKind, row, x0, x1, span);

    std::uint32_t* row24 = has24 ? plane24[row] : nullptr;
    std::uint8_t* row8 = has8 ? plane8[row] : nullptr;
    for (int x = x0; x <= x1; ++x) {
        const SpanPixel& s = span[x - x0];
        const int a = s.alpha;
        if (a == 0) continue;
        const std::uint8_t k = s.classCode;
        if (row24 == nullptr) { // no true-colour image to blend with: the class alone is kept
            row8[x] = k;
            continue;
        }
        const int r = s.red >> 8, gr = s.green >> 8, b = s.blue >> 8;
        const std::uint32_t old = row24[x];
        const std::uint8_t oldClass = static_cast<std::uint8_t>(old >> 24);
        if (a == 255) {
            row24[x] = packPixel(static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(gr), static_cast<std::uint8_t>(b), k);
        } else if (k == kCloudClass && (row8 ? row8[x] : oldClass) == kCloudClass) {
            // Clouds do not accumulate over clouds: the colour stays, the class only when dense.
            row24[x] = (old & 0x00FFFFFFu) | (static_cast<std::uint32_t>(a > kCloudBlendClass ? k : oldClass) << 24);
        } else {
            row24[x] = packPixel(blendByte(old, r, a), blendByte(old >> 8, gr, a), blendByte(old >> 16, b, a),
                                 a > kClassBlend ? k : oldClass);
        }
        if (row8 != nullptr) row8[x] = k;
    }
    if (target.display != nullptr) target.display(target.displayContext, row, x0, x1);
}

} // namespace kalvenor
