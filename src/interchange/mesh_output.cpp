#include "interchange/mesh_output.h"

#include <assimp/Exporter.hpp>
#include <assimp/IOStream.hpp>
#include <assimp/IOSystem.hpp>
#include <assimp/scene.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

#include "base/atomic_file.h"
#include "base/paths.h"

namespace kalvenor {

namespace {

// A file written front to back goes to disk in pieces of this size; one the
// library seeks in (the GLB writer fills in its header last) is held whole.
constexpr std::size_t kFlushBytes = std::size_t{1} << 20;

// One file the exporter may write.
struct Target {
    std::string path; // as the exporter names it
    AtomicFile file;
    bool opened = false;
    bool closed = false;
    std::string problem; // why it failed, when it did
};

// The bytes of one file, from `flushed` on, with the library's position in
// it. Handed to the AtomicFile as they stop changing.
class TargetStream : public Assimp::IOStream {
public:
    explicit TargetStream(Target& target) : target_(target) {}
    ~TargetStream() override
    {
        flush();
        target_.closed = true;
    }

    std::size_t Read(void*, std::size_t, std::size_t) override { return 0; }

    std::size_t Write(const void* data, std::size_t size, std::size_t count) override
    {
        if (size == 0 || count == 0 || !target_.problem.empty()) return 0;
        if (count > std::numeric_limits<std::size_t>::max() / size || position_ < flushed_) return fail("too large");
        const std::size_t bytes = size * count;
        const std::size_t offset = position_ - flushed_;
        if (bytes > std::numeric_limits<std::size_t>::max() - offset) return fail("too large");
        try {
            if (offset + bytes > buffer_.size()) buffer_.resize(offset + bytes);
        } catch (const std::bad_alloc&) {
            return fail("out of memory");
        }
        std::memcpy(buffer_.data() + offset, data, bytes);
        position_ += bytes;
        if (!seeked_ && buffer_.size() >= kFlushBytes && !flush()) return 0;
        return count;
    }

    aiReturn Seek(std::size_t offset, aiOrigin origin) override
    {
        std::size_t base = 0;
        if (origin == aiOrigin_CUR) base = position_;
        if (origin == aiOrigin_END) base = FileSize();
        if (offset > std::numeric_limits<std::size_t>::max() - base) return aiReturn_FAILURE;
        // What went to disk stays as it is.
        if (base + offset < flushed_) return aiReturn_FAILURE;
        seeked_ = true;
        position_ = base + offset;
        return aiReturn_SUCCESS;
    }

    std::size_t Tell() const override { return position_; }
    std::size_t FileSize() const override { return flushed_ + buffer_.size(); }
    void Flush() override {}

private:
    std::size_t fail(const char* why)
    {
        if (target_.problem.empty()) target_.problem = why;
        return 0;
    }

    bool flush()
    {
        if (buffer_.empty()) return true;
        const bool ok = target_.file.write(buffer_.data(), buffer_.size());
        flushed_ += buffer_.size();
        buffer_.clear();
        if (!ok && target_.problem.empty()) target_.problem = "the write failed";
        return ok;
    }

    Target& target_;
    std::vector<char> buffer_;
    std::size_t flushed_ = 0;  // bytes already handed to the file
    std::size_t position_ = 0; // where the next write goes, from the file's start
    bool seeked_ = false;
};

// What the library sees as its file system: only the listed files, written
// once each; nothing can be read.
class TargetFileSystem : public Assimp::IOSystem {
public:
    explicit TargetFileSystem(std::vector<std::unique_ptr<Target>>& targets) : targets_(targets) {}

    // The exporters only write; nothing they might look for exists.
    bool Exists(const char*) const override { return false; }
    char getOsSeparator() const override { return '/'; }

    Assimp::IOStream* Open(const char* file, const char* mode) override
    {
        if (file == nullptr || mode == nullptr || std::strchr(mode, 'w') == nullptr) return nullptr;
        for (auto& target : targets_) {
            if (target->path != file) continue;
            if (target->opened) return nullptr;
            target->opened = true;
            if (!target->file.open(target->path, FileMode::Binary)) {
                const std::string why = writeProblem(target->path);
                target->problem = why.empty() ? "the file or its folder cannot be created" : why;
                return nullptr;
            }
            return new TargetStream(*target);
        }
        return nullptr;
    }

    void Close(Assimp::IOStream* stream) override { delete stream; }

private:
    std::vector<std::unique_ptr<Target>>& targets_;
};

// The first problem any file met, named by the file when there are several.
std::optional<std::string> problemOf(const std::vector<std::unique_ptr<Target>>& targets)
{
    for (const auto& target : targets) {
        if (target->problem.empty()) continue;
        if (targets.size() == 1) return target->problem;
        return target->problem + " (" + target->path + ")";
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> writeScene(const aiScene& scene, const char* exporterId,
                                      const std::vector<std::string>& files)
{
    std::vector<std::unique_ptr<Target>> targets;
    for (const std::string& path : files) {
        targets.push_back(std::make_unique<Target>());
        targets.back()->path = path;
    }
    {
        Assimp::Exporter exporter;
        exporter.SetIOHandler(new TargetFileSystem(targets)); // the exporter owns and deletes it
        const aiReturn result = exporter.Export(&scene, exporterId, files.front());
        if (auto problem = problemOf(targets)) return problem;
        if (result != aiReturn_SUCCESS) {
            const char* error = exporter.GetErrorString();
            return std::string("the exporter failed") + (error != nullptr && *error != '\0' ? ": " + std::string(error) : "");
        }
    }
    for (const auto& target : targets)
        if (!target->opened || !target->closed) return "the exporter left " + target->path + " unwritten";
    // Every file on disk before any is renamed into place: a full disk or a
    // failed write leaves all the previous files as they were.
    for (const auto& target : targets)
        if (!target->file.prepare()) return "the write failed" + (targets.size() > 1 ? " (" + target->path + ")" : "");
    for (const auto& target : targets)
        if (!target->file.commit()) return "the file could not be renamed into place (" + target->path + ")";
    return std::nullopt;
}

} // namespace kalvenor
