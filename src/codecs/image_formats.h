// The image file formats the program writes and reads, in one table: the word
// that names each on the command line, the extension of its files, where its
// picture comes from (the 24-bit image, the 8-bit image with the display
// palette, or every frame of an animation in one file), its title, and the
// reader and writer of a still picture. The command line, the animation
// output and the image keywords all go through it.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "codecs/display_palette.h"
#include "codecs/image_buffers.h"
#include "codecs/image_io.h"
#include "codecs/png.h"
#include "model/scene_settings.h"

namespace kalvenor {

// One value per row of the table, in the order of the rows.
enum class ImageFormat { Targa, Bmp, Jpeg, Pcx, Png, Kanim, Flc, Avi };

enum class ImageFamily {
    Still24,   // one picture of the 24-bit image
    Still8,    // one picture of the 8-bit image with the display palette
    Animation, // one file that holds every frame of an animation
};

// The setting a writer takes beyond the picture, which the save command may ask.
enum class WriterSetting {
    None,
    RunLength, // Targa: run-length compression or not
    Quality,   // JPEG: the quality, 25 to 100
};

// What a still picture is read into or written from: the two image planes at
// the image size, the display palette of the 8-bit picture, and the writers'
// settings. A plane or palette the format does not use may be null.
struct ImageFileContext {
    ImagePlane<std::uint32_t>* vidmem24 = nullptr;
    ImagePlane<std::uint8_t>* vidmem8 = nullptr;
    ImageSize size;
    DisplayPalette* palette = nullptr;
    bool targaCompress = false;
    int jpegQuality = 90; // as a new scene has it
    int pngLevel = kPngDefaultLevel;
};

// Reads the file into the picture (the 24-bit image opaque, without clearing
// it first); info receives the file's width, height and bits per pixel when
// it was read.
using ImageLoader = ImageStatus (*)(const std::string& path, const ImageFileContext& context, LoadedImageInfo& info);
// Writes the picture; the previous file stays when anything fails.
using ImageSaver = ImageStatus (*)(const std::string& path, const ImageFileContext& context);

struct ImageFormatRow {
    ImageFormat format;
    const char* name;           // the word of the command line: "tga"
    const char* extension;      // as numbered frames are named: ".TGA"
    const char* otherExtension; // another extension taken for the format's files, or null
    ImageFamily family;
    const char* title;          // in requesters and status lines: "Targa24"
    WriterSetting setting;
    ImageLoader load;           // null when the program does not read the format
    ImageSaver save;            // null for the animation files, which are written frame by frame
};

// Every row, in the order of ImageFormat.
std::span<const ImageFormatRow> imageFormatTable();

const ImageFormatRow& imageFormatRow(ImageFormat format);

// The format of a command-line word, as written ("tga", not "TGA").
std::optional<ImageFormat> imageFormatNamed(std::string_view name);

// The format whose extension (with its dot) this is, in any letter case:
// ".tga", ".JPG", ".jpeg".
std::optional<ImageFormat> imageFormatOfExtension(std::string_view extension);

// True for KANIM, FLC and AVI, which keep every frame in one file.
bool isAnimationFile(ImageFormat format);

// The context of the program's own image: both planes, the display palette,
// the size the caller works at and the writer settings of render.
ImageFileContext imageFileContext(ImageBuffers& images, DisplayPalette& palette, ImageSize size,
                                  const RenderSettings& render);

} // namespace kalvenor
