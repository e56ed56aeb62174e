#include <gtest/gtest.h>

#include <cmath>

#include "render/clipping.h"

namespace kalvenor {
namespace {

PolygonVertex vertex(float u, float v, float w, std::uint16_t red = 0)
{
    PolygonVertex p;
    p.u = u;
    p.v = v;
    p.w = w;
    p.red = red;
    return p;
}

Polygon closed(std::initializer_list<PolygonVertex> corners)
{
    Polygon p;
    for (const PolygonVertex& c : corners) p.vertices[static_cast<std::size_t>(p.count++)] = c;
    p.vertices[static_cast<std::size_t>(p.count++)] = p.vertices[0];
    return p;
}

// A (0,0,1) inside, B (2,0,1) beyond u = w, C (0,0.5,1) inside: both cut
// edges are halved (t = 1 / (1 + 1)) and the new vertices sit exactly on u = w.
TEST(Clipping, OnePassCutsEdgesAndInterpolates)
{
    const Polygon in = closed({vertex(0, 0, 1, 0), vertex(2, 0, 1, 1000), vertex(0, 0.5f, 1, 2001)});
    Polygon out;
    clipPolygon(in, out, ClipPlane::RightU);
    ASSERT_EQ(out.count, 5);
    const float expected[][3] = {{0, 0, 1}, {1, 0, 1}, {1, 0.25f, 1}, {0, 0.5f, 1}, {0, 0, 1}};
    for (int i = 0; i < 5; ++i) {
        const PolygonVertex& p = out.vertices[static_cast<std::size_t>(i)];
        EXPECT_FLOAT_EQ(p.u, expected[i][0]) << i;
        EXPECT_FLOAT_EQ(p.v, expected[i][1]) << i;
        EXPECT_FLOAT_EQ(p.w, expected[i][2]) << i;
    }
    EXPECT_EQ(out.vertices[1].red, 500);  // halfway from 0 to 1000
    EXPECT_EQ(out.vertices[2].red, 1500); // 1000 + 0.5 x 1001 = 1500.5, truncated
}

TEST(Clipping, CameraPlaneCutsAtWZero)
{
    const Polygon in = closed({vertex(0, 0, 1), vertex(0, 0, -1), vertex(0.5f, 0, 1)});
    Polygon out;
    clipPolygon(in, out, ClipPlane::CameraW);
    ASSERT_EQ(out.count, 5);
    EXPECT_FLOAT_EQ(out.vertices[1].w, 0.0f);
    EXPECT_FLOAT_EQ(out.vertices[2].w, 0.0f);
}

TEST(Clipping, TrivialRejectAndWhollyInside)
{
    struct Case {
        const char* what;
        Polygon polygon;
        bool mayBeInView, whollyInView;
    };
    const Case cases[] = {
        {"inside", closed({vertex(0, 0, 1), vertex(0.5f, 0, 1), vertex(0, 0.5f, 2)}), true, true},
        {"behind", closed({vertex(0, 0, -1), vertex(0.5f, 0, -1), vertex(0, 0.5f, -2)}), false, false},
        {"all right of u = w", closed({vertex(2, 0, 1), vertex(3, 0, 1), vertex(2, 0.5f, 1)}), false, false},
        {"all above v = -w", closed({vertex(0, -2, 1), vertex(0.5f, -3, 1), vertex(0, -2, 1)}), false, false},
        {"straddling", closed({vertex(0, 0, 1), vertex(2, 0, 1), vertex(0, 0.5f, 1)}), true, false},
        {"on the plane", closed({vertex(0, 0, 1), vertex(1, 0, 1), vertex(0, 0.5f, 1)}), true, false},
    };
    for (const Case& t : cases) {
        SCOPED_TRACE(t.what);
        EXPECT_EQ(mayBeInView(t.polygon), t.mayBeInView);
        EXPECT_EQ(whollyInView(t.polygon), t.whollyInView);
        Polygon p = t.polygon, scratch;
        EXPECT_EQ(clipToView(p, scratch), t.mayBeInView);
    }
}

// Five passes over a polygon larger than the view leave the view square.
TEST(Clipping, FivePlanesLeaveTheViewSquare)
{
    Polygon p = closed({vertex(-5, -5, 1), vertex(5, -5, 1), vertex(5, 5, 1), vertex(-5, 5, 1)});
    Polygon scratch;
    ASSERT_TRUE(clipToView(p, scratch));
    ASSERT_EQ(p.count, 5);
    for (int i = 0; i < p.count; ++i) {
        const PolygonVertex& v = p.vertices[static_cast<std::size_t>(i)];
        EXPECT_FLOAT_EQ(std::fabs(v.u), 1.0f);
        EXPECT_NEAR(std::fabs(v.v), 1.0f, 1e-6);
    }
}

TEST(Clipping, TooFewOrTooManyEntriesGiveNothing)
{
    Polygon two;
    two.count = 2;
    Polygon out;
    out.count = 9;
    clipPolygon(two, out, ClipPlane::LeftU);
    EXPECT_EQ(out.count, 0);
    Polygon many;
    many.count = kMaxPolygonVertices + 1;
    clipPolygon(many, out, ClipPlane::LeftU);
    EXPECT_EQ(out.count, 0);
    // A zig-zag that crosses the plane on every edge needs more room than there is: dropped, not overrun.
    Polygon zigzag;
    zigzag.count = kMaxPolygonVertices;
    for (int i = 0; i < zigzag.count; ++i)
        zigzag.vertices[static_cast<std::size_t>(i)] = vertex(i % 2 ? 0.0f : 3.0f, 0.01f * i, 1);
    clipPolygon(zigzag, out, ClipPlane::RightU);
    EXPECT_EQ(out.count, 0);
}

} // namespace
} // namespace kalvenor
