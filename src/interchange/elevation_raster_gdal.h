// What the elevation raster import and export share in their dealings with
// GDAL: driver registration, GDAL's messages kept off stderr, datasets closed
// by scope, the failure message, and the PNG encoding.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string>

#include <cpl_error.h>
#include <gdal.h>

#include "base/frontend.h"

namespace kalvenor::raster_gdal {

// The PNG export stores elevation + 32768, so every 16-bit elevation has its
// own value; the sidecar gives this offset (and scale 1) to every GDAL reader.
constexpr double kPngOffset = -32768.0;
// GDAL's sidecar of a file: its name with this appended.
constexpr const char* kSidecarSuffix = ".aux.xml";

constexpr std::size_t kMaxReasonChars = 240;

inline void registerDrivers()
{
    static const bool registered = [] {
        GDALAllRegister();
        return true;
    }();
    (void)registered;
}

// GDAL's text made safe for a message: control characters become spaces and
// a long text is cut.
inline std::string printable(const char* text)
{
    std::string s(text, strnlen(text, kMaxReasonChars));
    for (char& ch : s)
        if (static_cast<unsigned char>(ch) < 0x20 || ch == 0x7f) ch = ' ';
    return s;
}

// While it lives GDAL's errors and warnings on this thread come here instead
// of stderr. The first failure since the last startPhase() is the reason a
// message gives; warnings are counted, since a damaged file may be read with
// no more than a warning about it.
class GdalMessages {
public:
    GdalMessages() { CPLPushErrorHandlerEx(&GdalMessages::collect, this); }
    ~GdalMessages() { CPLPopErrorHandler(); }
    GdalMessages(const GdalMessages&) = delete;
    GdalMessages& operator=(const GdalMessages&) = delete;

    // Forgets what earlier steps heard: a harmless complaint while opening is
    // not the reason a later read failed.
    void startPhase()
    {
        failure_.clear();
        firstProblem_.clear();
        problems_ = 0;
    }
    std::string reason(const std::string& fallback) const
    {
        return !failure_.empty() ? failure_ : !firstProblem_.empty() ? firstProblem_ : fallback;
    }
    bool anyFailure() const { return !failure_.empty(); }
    // Failures and warnings since the last startPhase().
    int problems() const { return problems_; }

private:
    static void CPL_STDCALL collect(CPLErr level, CPLErrorNum, const char* text)
    {
        auto* self = static_cast<GdalMessages*>(CPLGetErrorHandlerUserData());
        if (self == nullptr || text == nullptr || level < CE_Warning) return;
        ++self->problems_;
        if (self->firstProblem_.empty()) self->firstProblem_ = printable(text);
        if (level >= CE_Failure && self->failure_.empty()) self->failure_ = printable(text);
    }

    std::string failure_;
    std::string firstProblem_;
    int problems_ = 0;
};

struct DatasetCloser {
    void operator()(void* ds) const
    {
        if (ds != nullptr) GDALClose(static_cast<GDALDatasetH>(ds));
    }
};
using Dataset = std::unique_ptr<void, DatasetCloser>;

// Shows the failure with the file and the reason; returns 0 for the caller to pass on.
inline int failed(Frontend& ui, const char* message, const std::string& path, const std::string& reason)
{
    ui.message(fileMessage(message, path) + ": " + reason);
    return 0;
}

} // namespace kalvenor::raster_gdal
