// The front end of a frame worked out on several threads: each thread draws
// pieces of the scene into a frame of its own that records the polygons
// instead of rasterising them, and the thread that called draws the recorded
// batches in piece order. The picture is the one a single thread draws.
#pragma once

#include <functional>

namespace kalvenor {

struct SceneFrame;

// Draws pieces 0 .. count - 1 of frame on `threads` threads: piece(f, k)
// draws piece k into f, a frame with the records of frame and its own view,
// light and scratch state (what frame.state keeps between frames). After
// each piece is drawn, progress(k, lastPercent) may report it. Polls for
// abort between pieces; 1 when done, -1 when aborted.
int drawPiecesTogether(SceneFrame& frame, int count, int threads, const std::function<void(SceneFrame&, int)>& piece,
                       const std::function<void(int, int&)>& progress);

// Runs draw(frame) on the calling thread with its polygons recorded instead
// of rasterised, then draws them with every thread, a band of the image each
// (or whole, on the calling thread, while the dither tables are not built).
// For a step that draws many pixels from few polygons, such as the sky:
// the frame's own state changes as if draw had drawn directly. Returns what
// draw returns.
int drawRecordedTogether(SceneFrame& frame, int threads, const std::function<int(SceneFrame&)>& draw);

} // namespace kalvenor
