// The altitude display on a 258 x 258 grid at 30 m spacing, flat at 100 m
// unless a test raises cells. The display's inside is 200 columns (101 ..
// 300) by 137 rows (101 .. 237); between the two label bands of 18 rows the
// scale spans the 100 rows from 219 (the lowest altitude) up to 119 (the
// highest), which makes the rows easy to work out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "model/landscape.h"
#include "model/path_state.h"
#include "panels/altitude_display.h"

namespace kalvenor {
namespace {

namespace ac = altitude_colour;

constexpr int kX0 = 100, kY0 = 100, kX1 = 301, kY1 = 238;
constexpr int kLeft = kX0 + 1, kRight = kX1 - 1, kTop = kY0 + 1, kBottom = kY1 - 1;
constexpr Colour kSentinel = rgb(1, 2, 3);

class AltitudeDisplay : public ::testing::Test {
protected:
    Landscape land;
    Surface surface;
    PathState path;

    void SetUp() override
    {
        flatten(kSmallGrid);
        std::fill(surface.pixels.begin(), surface.pixels.end(), kSentinel);
    }

    void flatten(int grid)
    {
        ASSERT_EQ(allocateGrid(land, grid, grid), 1);
        for (int r = 0; r < land.gridHeight; ++r)
            for (int c = 0; c < land.gridWidth; ++c) land.elevation[r][c] = 100;
    }

    // count points eastward along grid row 100, point k over the middle of cell k, at altitude z(k).
    template <typename Altitude>
    void fly(int count, Altitude z)
    {
        path.points.clear();
        for (int k = 0; k < count; ++k) {
            PathPoint p;
            p.x = static_cast<float>(land.spacingX * (k + 0.5));
            p.y = static_cast<float>(land.spacingY * 100.5);
            p.z = static_cast<float>(z(k));
            path.points.push_back(p);
        }
    }

    void draw(AltitudeView view = {}, int current = 0)
    {
        drawAltitudeDisplay(surface, kX0, kY0, kX1, kY1, path, land, view, current);
    }

    std::vector<int> rowsOf(int x, Colour c) const
    {
        std::vector<int> rows;
        for (int y = kTop; y <= kBottom; ++y)
            if (surface.at(x, y) == c) rows.push_back(y);
        return rows;
    }
};

TEST_F(AltitudeDisplay, LevelFlightOverFlatGroundIsOneRowAboveTheEarth)
{
    std::vector<DrawnText> texts;
    surface.textLog = &texts;
    fly(200, [](int) { return 300.0; }); // one point a column
    const int current = 50, marker = kLeft + current;
    draw({}, current);

    // Lowest ground 100 m and highest flight 300 m: the flight on the top row of the scale, the ground's top on the bottom one.
    const int flightRow = kTop + kAltitudeLabelBand, groundRow = kBottom - kAltitudeLabelBand;
    for (int x = kLeft; x <= kRight; ++x) {
        EXPECT_EQ(rowsOf(x, ac::kFlight), std::vector<int>{flightRow}) << "column " << x;
        if (x == marker) continue;
        EXPECT_EQ(surface.at(x, groundRow), ac::kEarth) << "column " << x;
        EXPECT_EQ(surface.at(x, groundRow - 1), ac::kBack) << "column " << x;
        EXPECT_EQ(surface.at(x, kBottom), ac::kEarth) << "column " << x;
    }
    // The marker runs the whole height, under the flight.
    for (int y = kTop; y <= kBottom; ++y)
        EXPECT_EQ(surface.at(marker, y), y == flightRow ? ac::kFlight : ac::kMarker) << "row " << y;
    EXPECT_EQ(surface.at(marker - 1, kTop), ac::kBack);
    EXPECT_EQ(surface.at(marker + 1, kTop), ac::kBack);

    // The two altitudes as text, each inside its band.
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "300 m");
    EXPECT_GE(texts[0].y, kTop);
    EXPECT_LT(texts[0].y + 16, flightRow);
    EXPECT_EQ(texts[1].text, "100 m");
    EXPECT_GT(texts[1].y, groundRow);
    EXPECT_LE(texts[1].y + 15, kBottom);

    // Zoomed into the middle of the flight (25 points, 8 columns each), the line still runs from edge to edge.
    draw({8}, 100);
    for (int x = kLeft; x <= kRight; ++x) EXPECT_EQ(rowsOf(x, ac::kFlight), std::vector<int>{flightRow}) << "column " << x;
}

TEST_F(AltitudeDisplay, GroundAndFlightFollowTheScale)
{
    for (int c = 60; c < 70; ++c) land.elevation[100][c] = 200; // a ridge under points 60 .. 69
    // Dips at points 120, 150 and 170.
    fly(200, [](int k) { return k == 120 ? 250.0 : k == 150 ? 251.4 : k == 170 ? 250.8 : 300.0; });
    draw({}, 0);

    // 100 .. 300 m over the 100 rows from 219 up to 119: 2 m a row. The dips
    // 75, 75.7 and 75.4 rows over the lowest ground, to the nearest row; the
    // ridge's top 50.
    EXPECT_EQ(rowsOf(kLeft + 120, ac::kFlight).back(), 144);
    EXPECT_EQ(rowsOf(kLeft + 121, ac::kFlight).front(), 119);
    EXPECT_EQ(rowsOf(kLeft + 150, ac::kFlight).back(), 143);
    EXPECT_EQ(rowsOf(kLeft + 170, ac::kFlight).back(), 144);
    for (const int x : {kLeft + 60, kLeft + 65, kLeft + 69}) {
        EXPECT_EQ(surface.at(x, 169), ac::kEarth) << "column " << x;
        EXPECT_EQ(surface.at(x, 168), ac::kBack) << "column " << x;
    }
    for (const int x : {kLeft + 59, kLeft + 70}) {
        EXPECT_EQ(surface.at(x, 219), ac::kEarth) << "column " << x;
        EXPECT_EQ(surface.at(x, 218), ac::kBack) << "column " << x;
    }
}

TEST_F(AltitudeDisplay, APeakUnderOnePointOfAColumnStillShows)
{
    // 15 m cells and 400 points, two a column (on a grid long enough for
    // them). Column 40 shows point 81, the nearest its middle, and its middle
    // lies over cell 81, yet point 80's cell is the higher: 250 m, 75 rows up.
    flatten(kLargeGrid);
    land.spacingX = 15.0f;
    land.elevation[100][80] = 250;
    fly(400, [](int) { return 300.0; });
    draw();
    EXPECT_EQ(altitudeDisplayPoint(kLeft + 40, kX0, kX1, altitudeWindow({}, 400, 0)), 81);
    EXPECT_EQ(surface.at(kLeft + 40, 144), ac::kEarth);
    EXPECT_EQ(surface.at(kLeft + 40, 143), ac::kBack);
    EXPECT_EQ(surface.at(kLeft + 39, 144), ac::kBack);
    EXPECT_EQ(surface.at(kLeft + 41, 144), ac::kBack);
}

TEST(AltitudeZoom, ButtonsStayInRange)
{
    AltitudeView view;
    const int in[] = {2, 4, 8, 16, 32, 64, 64};
    for (const int zoom : in) {
        view = zoomAltitudeIn(view);
        EXPECT_EQ(view.zoom, zoom);
    }
    view = zoomAltitudeOut(view);
    EXPECT_EQ(view.zoom, 32);
    EXPECT_EQ(unzoomAltitude(view).zoom, 1);
    EXPECT_EQ(zoomAltitudeOut(AltitudeView{1}).zoom, 1);
    EXPECT_EQ(zoomAltitudeIn(AltitudeView{1000}).zoom, 64);
}

TEST(AltitudeZoom, WindowIsCentredOnTheCurrentPointWithinTheList)
{
    const struct {
        int zoom, points, current, first, count;
    } cases[] = {
        {1, 1000, 500, 0, 1000},
        {4, 1000, 500, 375, 250},
        {4, 1000, 10, 0, 250},
        {4, 1000, 990, 750, 250},
        {4, 1000, 5000, 750, 250}, // a current point past the end is the last
        {4, 1000, -3, 0, 250},
        {4, 999, 500, 375, 250},   // rounded up
        {64, 50, 20, 19, 2},       // never fewer than two points
        {64, 1, 0, 0, 1},
        {8, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        const AltitudeWindow w = altitudeWindow({c.zoom}, c.points, c.current);
        EXPECT_EQ(w.first, c.first) << c.zoom << " " << c.points << " " << c.current;
        EXPECT_EQ(w.count, c.count) << c.zoom << " " << c.points << " " << c.current;
    }
}

TEST_F(AltitudeDisplay, AClickedPointIsMarkedInTheClickedColumn)
{
    // Windows denser than the columns: every column picks a point marked in that same column.
    for (const AltitudeWindow w : {AltitudeWindow{0, 200}, AltitudeWindow{0, 201}, AltitudeWindow{0, 399},
                                   AltitudeWindow{1234, 5000}}) {
        for (int x = kLeft; x <= kRight; ++x) {
            const int p = altitudeDisplayPoint(x, kX0, kX1, w);
            ASSERT_GE(p, w.first);
            ASSERT_LT(p, w.first + w.count);
            EXPECT_EQ(altitudeDisplayColumn(p, kX0, kX1, w), x) << w.count << " points, column " << x;
        }
    }
    // Sparser windows: every point is picked back from its column.
    for (const AltitudeWindow w : {AltitudeWindow{0, 2}, AltitudeWindow{0, 7}, AltitudeWindow{30, 199}}) {
        for (int p = w.first; p < w.first + w.count; ++p)
            EXPECT_EQ(altitudeDisplayPoint(altitudeDisplayColumn(p, kX0, kX1, w), kX0, kX1, w), p) << w.count;
    }
    // Clicks on the frame and beyond reach the ends of the window; nothing in an empty one.
    EXPECT_EQ(altitudeDisplayPoint(kX0 - 50, kX0, kX1, {10, 7}), 10);
    EXPECT_EQ(altitudeDisplayPoint(kX1, kX0, kX1, {10, 7}), 16);
    EXPECT_EQ(altitudeDisplayPoint(kLeft, kX0, kX1, {}), -1);

    // And the drawing puts its marker there: the whole column but the flight's row, and no other.
    fly(250, [](int) { return 300.0; });
    const AltitudeWindow whole = altitudeWindow({}, 250, 0);
    for (const int x : {kLeft, kLeft + 77, kRight}) {
        draw({}, altitudeDisplayPoint(x, kX0, kX1, whole));
        EXPECT_EQ(rowsOf(x, ac::kMarker).size(), static_cast<std::size_t>(kBottom - kTop)) << "column " << x;
        EXPECT_TRUE(x == kLeft || rowsOf(x - 1, ac::kMarker).empty()) << "column " << x;
        EXPECT_TRUE(x == kRight || rowsOf(x + 1, ac::kMarker).empty()) << "column " << x;
    }
}

TEST_F(AltitudeDisplay, AnEmptyPathSaysSoInTheMiddle)
{
    std::vector<DrawnText> texts;
    surface.textLog = &texts;
    draw();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "No path");
    EXPECT_EQ(texts[0].x, kLeft + (200 - 7 * 8) / 2);
    EXPECT_EQ(texts[0].y, kTop + (137 - 16) / 2);
    for (int x = kLeft; x <= kRight; ++x) EXPECT_TRUE(rowsOf(x, ac::kEarth).empty());

    // Too small for it: no text.
    texts.clear();
    drawAltitudeDisplay(surface, 10, 10, 60, 40, path, land, {}, 0);
    EXPECT_TRUE(texts.empty());
}

TEST_F(AltitudeDisplay, NothingIsDrawnOutsideTheRectangle)
{
    // Ground far above and below, points off the grid, a flight far out of the landscape's range.
    land.elevation[100][3] = 30000;
    land.elevation[100][5] = -30000;
    fly(12, [](int k) { return k == 7 ? 1.0e6 : -50.0; });
    path.points[9].x = -1.0e6f;
    path.points[10].y = 1.0e7f;
    const struct {
        int x0, y0, x1, y1, current;
    } rects[] = {
        {kX0, kY0, kX1, kY1, 5}, {200, 300, 202, 302, 0}, {200, 300, 201, 301, 0}, {40, 50, 80, 60, 11},
        {700, 500, 787, 551, 3}, {0, 0, 9, 200, 99},    {300, 10, 304, 100, 4},
    };
    for (const bool empty : {false, true}) {
        PathState shown = empty ? PathState{} : path;
        for (const auto& r : rects) {
            std::fill(surface.pixels.begin(), surface.pixels.end(), kSentinel);
            drawAltitudeDisplay(surface, r.x0, r.y0, r.x1, r.y1, shown, land, {2}, r.current);
            int outside = 0, frame = 0, unpainted = 0;
            for (int y = 0; y < surface.height; ++y)
                for (int x = 0; x < surface.width; ++x) {
                    const bool in = x >= r.x0 && x <= r.x1 && y >= r.y0 && y <= r.y1;
                    const bool edge = in && (x == r.x0 || x == r.x1 || y == r.y0 || y == r.y1);
                    if (!in && surface.at(x, y) != kSentinel) ++outside;
                    if (edge && surface.at(x, y) != ac::kFrame) ++frame;
                    if (in && !edge && surface.at(x, y) == kSentinel) ++unpainted;
                }
            EXPECT_EQ(outside, 0) << r.x0 << ", " << r.y0 << " empty " << empty;
            EXPECT_EQ(frame, 0) << r.x0 << ", " << r.y0 << " empty " << empty;
            EXPECT_EQ(unpainted, 0) << r.x0 << ", " << r.y0 << " empty " << empty;
        }
    }
}

} // namespace
} // namespace kalvenor
