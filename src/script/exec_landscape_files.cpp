// Keywords that load landscapes and colour schemes, or save them (the saving
// ones are our extensions). A failed load or save shows the file's message and
// the script goes on with the next line.
#include <string>

#include "app/app.h"
#include "app/landscape_commands.h"
#include "base/frontend.h"
#include "base/paths.h"
#include "files/binary_import.h"
#include "files/dxf_export.h"
#include "files/landscape_file.h"
#include "model/colour_scheme.h"
#include "path/path_generate.h"
#include "script/exec_handlers.h"

namespace kalvenor {

namespace {

void reportBinaryImport(BinaryImportStatus status, const std::string& path, Frontend& ui)
{
    switch (status) {
    case BinaryImportStatus::Ok: break;
    case BinaryImportStatus::OpenFailed: ui.message(fileMessage(kErrorOpeningFile, path)); break;
    case BinaryImportStatus::ReadFailed: ui.message(fileMessage(kErrorReadingFile, path)); break;
    case BinaryImportStatus::BadSize:
    case BinaryImportStatus::BadHeader:
        ui.message("Binary data size must be 1 to " + std::to_string(kMaxBinarySide) + " samples: " + path);
        break;
    }
}

} // namespace

// LoadBinaryDEM name w h: raw 16-bit elevations, no header. The grid keeps its
// size; vertical scale 1.0 and sea level 0 afterwards.
LineResult execLoadBinaryDem(ScriptContext& ctx)
{
    App& app = ctx.app;
    const std::string path = resolveExisting(ctx.args.word);
    const BinaryImportStatus status =
        importBinaryElevations(app.landscape, path, intArg(ctx, 0), intArg(ctx, 1), 0);
    if (status != BinaryImportStatus::Ok) {
        reportBinaryImport(status, path, ctx.ui);
        const bool badSize = status == BinaryImportStatus::BadSize || status == BinaryImportStatus::BadHeader;
        scriptFailure(ctx, badSize ? "width and height must be 1 to " + std::to_string(kMaxBinarySide)
                                   : loadFailureReason(path, "the file holds fewer samples than that"));
        ctx.applyMarks = false;
        return LineResult::Done;
    }
    app.scene.generation.verticalScale = 1.0f;
    app.scene.generation.verticalScale2 = 1.0f;
    app.scene.colouring.seaLevel = 0;
    computeElevationStatistics(app.landscape);
    resetDerivedMaps(app.landscape);
    return LineResult::Done;
}

// LoadDEM / LoadLandscape name: either landscape format. A file that carried
// settings keeps them; otherwise the vertical scale comes from the file (1.0
// when it has none) and the sea level goes back to 0.
LineResult execLoadLandscape(ScriptContext& ctx)
{
    App& app = ctx.app;
    LoadTarget target = loadTargetOf(app);
    const LoadResult loaded = loadLandscapeFile(resolveExisting(ctx.args.word), target, ctx.ui);
    if (loaded.loaded == Loaded::Nothing) {
        scriptFailure(ctx, loadFailureReason(ctx.args.word, loadStatusReason(loaded.status)));
        ctx.applyMarks = false;
        return LineResult::Done;
    }
    if (loaded.loaded == Loaded::Landscape) {
        const float scale = loaded.fileVerticalScale != 0.0f ? loaded.fileVerticalScale : 1.0f;
        app.scene.generation.verticalScale = scale;
        app.scene.generation.verticalScale2 = scale;
        app.scene.colouring.seaLevel = 0;
    }
    computeElevationStatistics(app.landscape);
    // A session carries its image size and its camera path: the flight is rebuilt from its nodes at once.
    if (loaded.loaded == Loaded::WithSettings) {
        applyLoadedImageSize(app, ctx.ui);
        generatePathPoints(app.path, app.landscape, ctx.ui);
    }
    return LineResult::Done;
}

// LoadCMap / LoadScheme name: the colour scheme of an old-format file (or .SCM
// in that layout; unset entries get the default colours), else a scheme file
// of the new layout, as SaveScheme writes it, with its settings.
LineResult execLoadScheme(ScriptContext& ctx)
{
    const std::string path = resolveExisting(ctx.args.word);
    const SchemeLoadStatus status = loadSchemeOldLayout(path, ctx.app.scene.colourScheme);
    if (status == SchemeLoadStatus::Ok) return LineResult::Done;
    if (status == SchemeLoadStatus::OpenFailed) {
        ctx.ui.message(fileMessage(kErrorOpeningFile, path));
    } else if (loadSchemeNewLayout(ctx.app, path, ctx.ui) == Outcome::Done) {
        return LineResult::Done; // the reader showed its own message when it failed
    }
    ctx.applyMarks = false;
    scriptFailure(ctx, loadFailureReason(path, "not a colour scheme file"));
    return LineResult::Done;
}

// SaveDEM, SaveSession, SaveScheme name: the three landscape writers without
// their questions. A failure has already shown its message.
LineResult execSaveLandscapeFile(ScriptContext& ctx)
{
    const std::string path = normaliseSeparators(ctx.args.word);
    Outcome saved = Outcome::Done;
    switch (ctx.param) {
    case kSaveDem: saved = saveDem(ctx.app, path, ctx.ui); break;
    case kSaveSession: saved = saveSession(ctx.app, path, ctx.ui); break;
    default: saved = saveScheme(ctx.app, path, ctx.ui); break;
    }
    if (saved == Outcome::Failed) scriptFailure(ctx, saveFailureReason(path, "the file could not be written"));
    if (saved == Outcome::Cancelled) scriptFailure(ctx, "aborted before it was saved");
    return LineResult::Done;
}

// ExportDXF name step maxPolygons overlap utm: the DXF export without its
// questions. overlap and utm are 0 (no) or not 0 (yes).
LineResult execExportDxf(ScriptContext& ctx)
{
    DxfOptions options;
    options.step = intArg(ctx, 0);
    options.maxPolygons = intArg(ctx, 1);
    options.overlapSeams = intArg(ctx, 2) != 0;
    options.utmBased = intArg(ctx, 3) != 0;
    const std::string& name = ctx.args.word;
    const ExportResult result =
        exportDxf(ctx.app.landscape, ctx.app.scene.render.box, normaliseSeparators(name), options, ctx.ui);
    // The export command reports a file that cannot be created as a write error too.
    if (result == ExportResult::OpenFailed || result == ExportResult::WriteFailed) {
        ctx.ui.message(fileMessage(kErrorWritingFile, name));
        scriptFailure(ctx, saveFailureReason(normaliseSeparators(name), "the file could not be written"));
    }
    return LineResult::Done;
}

} // namespace kalvenor
