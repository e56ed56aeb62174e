#include "codecs/image_io.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "base/frontend.h"
#include "base/paths.h"

namespace kalvenor {

PixelView viewOf(ImagePlane<std::uint32_t>& plane, ImageSize size)
{
    if (!plane.allocated()) return {};
    PixelView view;
    view.pixels = plane[0];
    view.width = std::clamp(size.width, 0, plane.width);
    view.height = std::clamp(size.height, 0, plane.height);
    view.stride = plane.width;
    return view;
}

ImageSize clippedSize(const ImagePlane<std::uint8_t>& plane, ImageSize size)
{
    if (!plane.allocated()) return {};
    return {std::clamp(size.width, 0, plane.width), std::clamp(size.height, 0, plane.height)};
}

ImageSize clippedSize(const ImagePlane<std::uint32_t>& plane, ImageSize size)
{
    if (!plane.allocated()) return {};
    return {std::clamp(size.width, 0, plane.width), std::clamp(size.height, 0, plane.height)};
}

void clearView(const PixelView& view)
{
    if (!view.valid()) return;
    for (int y = 0; y < view.height; ++y) std::fill_n(view.row(y), view.width, 0u);
}

MappedFile::MappedFile(const std::string& path)
{
    const std::string resolved = resolveExisting(path);
    const int fd = openRegularFile(resolved, O_RDONLY);
    if (fd < 0) return;
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        return;
    }
    size_ = static_cast<std::size_t>(st.st_size);
    if (size_ > 0) {
        void* p = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd, 0);
        if (p == MAP_FAILED) {
            ::close(fd);
            size_ = 0;
            return;
        }
        data_ = static_cast<const std::uint8_t*>(p);
        mapped_ = true;
    }
    ::close(fd); // the mapping stays valid without the descriptor
    ok_ = true;
}

MappedFile::~MappedFile()
{
    if (mapped_) ::munmap(const_cast<std::uint8_t*>(data_), size_);
}

} // namespace kalvenor
