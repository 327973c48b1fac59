// The tree of curls: recursion, draw order, the start-up list and its join
// with the live drawing; the fast evaluation (vector loops, helper thread,
// the tree kept between frames) against the plain per-vertex recursion.
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "RecordingGL.h"
#include "SceneTest.h"
#include "UMMath.h"
#include "UMOgl.h"
#include "UMTypes.h"
#include "scenes/BranchTree.h"
#include "scenes/Branches.h"
#include "scenes/CarriedState.h"
#include "scenes/CurlArc.h"

namespace {
class BranchesTest : public TSceneTest {
protected:
  // The timeline's call for a curl radius, from seed 8181.
  const std::vector<TGLPrimitive> &DrawTree(Single CurlRadius) {
    ResetRecording();
    const Extended H = View.ViewHeight;
    RandSeed = 8181;
    DrawBranches(0, static_cast<Single>(H * 0.8L), static_cast<Single>(H * 0.65L),
                 static_cast<Single>(H * 0.65L), CurlRadius);
    return RecordedGL().Primitives;
  }
};

// The recursion exactly as the film states it, every vertex from the
// extended-precision formula.
void PlainBranches(Single StartX, Single StartY, Single Length, Single FullLength,
                   Single CurlRadius) {
  if (Length < 5) return;
  const Single SubLength = static_cast<Single>(Length * 0.7L);
  for (int Arc = 0; Arc < 2; ++Arc) {
    glColor4f(0, 0, 0, static_cast<Single>(Extended(Length) / FullLength));
    glBegin(GL_LINE_STRIP);
    Single ex = 0, ey = 0;
    for (int i = 0; i <= 20; ++i) {
      const Extended Theta = (Extended(i) / 20) / CurlRadius * Length + Pi;
      const Single cx = static_cast<Single>(std::cos(Theta) * CurlRadius);
      const Single sy = static_cast<Single>(std::sin(Theta) * CurlRadius);
      ex = static_cast<Single>(Extended(StartX) + cx + CurlRadius);
      ey = static_cast<Single>(Extended(StartY) + sy);
      glVertex2f(ex, ey);
    }
    glEnd();
    PlainBranches(ex, ey, SubLength, FullLength, CurlRadius);
    CurlRadius = static_cast<Single>(CurlRadius * (Random(400) / 1000.0L + 0.1L));
  }
}

// What the recording GL holds, as the bits of (x, y, alpha) per vertex with
// a mode marker per primitive, then forgotten.
std::vector<uint32_t> TakeRecording() {
  std::vector<uint32_t> Bits;
  auto Push = [&Bits](float v) {
    uint32_t b;
    std::memcpy(&b, &v, sizeof b);
    Bits.push_back(b);
  };
  for (const TGLPrimitive &p : RecordedGL().Primitives) {
    Bits.push_back(0xFFFF0000u | p.Mode);
    for (const TGLVertex &v : p.Vertices) {
      Push(static_cast<float>(v.X));
      Push(static_cast<float>(v.Y));
      Push(v.A);
    }
  }
  ResetRecording();
  return Bits;
}

uint32_t SeedAfterDraws(uint32_t Seed, int Draws) {
  RandSeed = Seed;
  for (int i = 0; i < Draws; ++i) Random(400);
  return RandSeed;
}
}  // namespace

TEST_F(BranchesTest, ShortBranchesDrawTwoArcsOrNothing) {
  struct Case {
    Single Length;
    size_t Arcs;
  };
  // Below 5 nothing; from 5 up to just under 5 / 0.7 two arcs whose
  // sub-calls return at once; above that the sub-branches draw too.
  const Case Cases[] = {{4.99f, 0}, {-1, 0}, {5, 2}, {6, 2}, {7.1f, 2}, {7.2f, 6}};
  for (const Case &c : Cases) {
    ResetRecording();
    RandSeed = 42;
    DrawBranches(100, 100, c.Length, 10, 20);
    EXPECT_EQ(RecordedGL().Primitives.size(), c.Arcs) << "Length " << c.Length;
    EXPECT_EQ(RandSeed, SeedAfterDraws(42, static_cast<int>(c.Arcs))) << "Length " << c.Length;
  }
}

TEST_F(BranchesTest, ArcStartsUpwardOnItsCircleAndSubTreesStartAtItsEnd) {
  const auto &Arcs = DrawTree(static_cast<Single>(768 * 0.1L));
  ASSERT_EQ(Arcs.size(), 16382u);  // 8191 drawing calls of 13 depths
  EXPECT_EQ(RandSeed, SeedAfterDraws(8181, 16382));

  // The top arc: on the circle of radius 76.8 right of the start point,
  // heading up, sweeping 6.5 radians, opaque.
  const TGLPrimitive &Top = Arcs[0];
  ASSERT_EQ(Top.Vertices.size(), 21u);
  EXPECT_EQ(Top.Vertices[0].X, 0);
  EXPECT_EQ(Top.Vertices[0].Y, static_cast<float>(768 * 0.8L));
  EXPECT_LT(Top.Vertices[1].Y, Top.Vertices[0].Y);
  for (const TGLVertex &v : Top.Vertices)
    EXPECT_NEAR(std::hypot(v.X - 76.8, v.Y - 614.4), 76.8, 1e-3);
  const double EndAngle = std::atan2(Top.Vertices[20].Y - 614.4, Top.Vertices[20].X - 76.8);
  EXPECT_NEAR(std::remainder(EndAngle - (M_PI + 6.5), 2 * M_PI), 0, 1e-4);
  EXPECT_EQ(Top.Vertices[0].A, 1.0f);

  // Depth-first order: an arc is followed by its sub-tree's first arc, which
  // starts on its last vertex with 0.7 of its alpha, down to depth 12.
  for (size_t k = 0; k < 12; ++k) {
    const TGLPrimitive &Parent = Arcs[k];
    const TGLPrimitive &Child = Arcs[k + 1];
    EXPECT_EQ(Parent.Mode, static_cast<GLenum>(GL_LINE_STRIP));
    EXPECT_EQ(Child.Vertices[0].X, Parent.Vertices[20].X) << "depth " << k;
    EXPECT_EQ(Child.Vertices[0].Y, Parent.Vertices[20].Y) << "depth " << k;
    EXPECT_NEAR(Child.Vertices[0].A, std::pow(0.7, k + 1), 1e-5) << "depth " << k;
  }
  // The deepest branch's second arc starts from the same point as its first.
  EXPECT_EQ(Arcs[13].Vertices[0].X, Arcs[12].Vertices[0].X);
  EXPECT_EQ(Arcs[13].Vertices[0].Y, Arcs[12].Vertices[0].Y);
  // The top call's second arc (after the whole first sub-tree of 8190 arcs)
  // starts at the start point again, curling more tightly.
  const TGLPrimitive &Second = Arcs[8191];
  EXPECT_EQ(Second.Vertices[0].X, 0);
  EXPECT_EQ(Second.Vertices[0].A, 1.0f);
}

// With the array calls the list is kept in a buffer object and drawn from
// it; with the plain calls it is a compiled display list. Either way it is
// made without drawing and draws the live tree at the list's radius.
TEST_F(BranchesTest, ListIsTheLiveTreeAtTheListsRadius) {
  for (bool Arrays : {true, false}) {
    LoadGlArrayCalls(Arrays ? RecordingGLProcAddress : nullptr);
    ResetRecording();
    View.ViewHeight = 600;  // the list takes the view height of its moment
    BuildBranchList();
    EXPECT_TRUE(RecordedGL().Primitives.empty()) << Arrays;  // made, not drawn
    std::vector<TGLPrimitive> List;
    if (Arrays) {
      EXPECT_EQ(RecordedGL().CountCalls("glNewList"), 0u);
      DrawBranchList();
      List = RecordedGL().Primitives;
      EXPECT_EQ(RecordedGL().CountCalls("glMultiDrawArrays"), 1u);
    } else {
      EXPECT_EQ(RecordedGL().CallsNamed("glNewList").at(0).Arg(1), GL_COMPILE);
      List = RecordedGL().Lists.at(Carried.Lists.Branches).Primitives;
    }

    const auto &Live = DrawTree(static_cast<Single>(600 * 0.1L));
    ASSERT_EQ(List.size(), Live.size()) << Arrays;
    for (size_t p = 0; p < Live.size(); ++p) {
      ASSERT_EQ(List[p].Vertices.size(), Live[p].Vertices.size());
      for (size_t i = 0; i < Live[p].Vertices.size(); ++i) {
        const TGLVertex &a = List[p].Vertices[i];
        const TGLVertex &b = Live[p].Vertices[i];
        ASSERT_TRUE(a.X == b.X && a.Y == b.Y && a.A == b.A)
            << "arc " << p << " vertex " << i << " arrays " << Arrays;
      }
    }
  }
}

TEST_F(BranchesTest, UnrollingEaseMeetsBothNeighbours) {
  for (uint32_t Height : {480u, 600u, 768u, 1200u}) {
    const Extended H = Height;
    const Single Start = static_cast<Single>(H * 0.1L);
    const Single End = static_cast<Single>(H * 0.2L + H * 0.2L);
    // 51689: one millisecond into the ease, a hair above the list's radius.
    const Single First =
        CosineInterpolate(Start, End, static_cast<Single>(std::pow(1 / 7408.0L, 1.5L)));
    EXPECT_NEAR(First, Start, 1e-6 * Height) << Height;
    // 59096: the ease reaches the radius of the veiled section exactly.
    EXPECT_EQ(CosineInterpolate(Start, End, static_cast<Single>(std::pow(1.0L, 1.5L))), End)
        << Height;
  }
}

TEST(CurlArcTest, OffsetsEqualTheExtendedFormulaBitForBit) {
  // Log-uniform radii from far below to far above the lengths, covering the
  // tree's tight deep curls (sweeps of 10^5 radians and more) and its wide
  // top arcs, plus the radii of the film's own trees.
  std::mt19937 Generator(5);
  std::uniform_real_distribution<double> LogRadius(-11, 3), LengthDraw(5, 800);
  std::vector<std::pair<Single, Single>> Cases;
  for (int n = 0; n < 40000; ++n)
    Cases.push_back({static_cast<Single>(LengthDraw(Generator)),
                     static_cast<Single>(std::pow(10.0, LogRadius(Generator)))});
  for (Single H : {480.0f, 768.0f, 1200.0f})
    for (Single R : {0.1f * H, 0.4f * H}) Cases.push_back({0.65f * H, R});
  size_t Mismatches = 0;
  for (const auto &[Length, R] : Cases) {
    Single cx[ArcSegments + 1], sy[ArcSegments + 1];
    ArcOffsets(Length, R, cx, sy);
    for (int i = 0; i <= ArcSegments; ++i) {
      const Extended Theta = (Extended(i) / ArcSegments) / R * Length + Pi;
      const Single PlainX = static_cast<Single>(std::cos(Theta) * R);
      const Single PlainY = static_cast<Single>(std::sin(Theta) * R);
      if (std::memcmp(&PlainX, &cx[i], sizeof(Single)) != 0 ||
          std::memcmp(&PlainY, &sy[i], sizeof(Single)) != 0) {
        if (++Mismatches < 5)
          ADD_FAILURE() << "Length " << Length << " radius " << R << " point " << i;
      }
    }
  }
  EXPECT_EQ(Mismatches, 0u);
}

TEST(CurlArcTest, VerticesEqualTheExtendedFormulaOnBothPaths) {
  // Start points across the view and beyond, where the sums round at every
  // scale, and radii as in the offsets test, including ones where the
  // double-precision bounds leave points in doubt.
  std::mt19937 Generator(9);
  std::uniform_real_distribution<double> LogRadius(-11, 3), LengthDraw(5, 800),
      StartDraw(-2000, 2000), LogStart(-30, 4);
  const bool HasAvx2 = __builtin_cpu_supports("avx2");
  size_t Mismatches = 0;
  for (int n = 0; n < 20000; ++n) {
    const Single Length = static_cast<Single>(LengthDraw(Generator));
    const Single R = static_cast<Single>(std::pow(10.0, LogRadius(Generator)));
    const Single X =
        static_cast<Single>(n % 2 ? StartDraw(Generator) : std::pow(10.0, LogStart(Generator)));
    const Single Y = static_cast<Single>(n % 3 ? StartDraw(Generator) : 0.0);
    for (bool Avx2 : {false, HasAvx2}) {
      TArcPoints Points;
      (Avx2 ? ArcVerticesAvx2 : ArcVerticesByRotation)(X, Y, Length, R, Points);
      for (int i = 0; i < ArcPoints; ++i) {
        Single PlainX, PlainY;
        ExactArcVertex(i, X, Y, Length, R, PlainX, PlainY);
        if (std::memcmp(&PlainX, &Points.X[i], sizeof(Single)) != 0 ||
            std::memcmp(&PlainY, &Points.Y[i], sizeof(Single)) != 0) {
          if (++Mismatches < 5)
            ADD_FAILURE() << "start " << X << "," << Y << " length " << Length << " radius " << R
                          << " point " << i << " avx2 " << Avx2;
        }
      }
    }
  }
  EXPECT_EQ(Mismatches, 0u);
}

// The fast tree at the film's heights and radii, with and without the vector
// loops and the helper thread, drawn twice in a row (the second time from
// the kept tree), equals the plain recursion bit for bit, and leaves the
// same seed. A tree from another start point and seed in between must not
// be taken from the kept one.
TEST_F(BranchesTest, FastTreeEqualsThePlainRecursion) {
  struct Case {
    Single StartX, StartY, Length, CurlRadius;
    uint32_t Seed;
  };
  std::vector<Case> Cases;
  for (Extended H : {480.0L, 768.0L, 1200.0L}) {
    const Single Length = static_cast<Single>(H * 0.65L);
    for (Extended Radius : {H * 0.1L, H * 0.23L, H * 0.2L + H * 0.2L})
      Cases.push_back(
          {0, static_cast<Single>(H * 0.8L), Length, static_cast<Single>(Radius), 8181});
  }
  Cases.push_back({100.5f, 7.25f, 300, 33.3f, 42});
  Cases.push_back({-50, 600, 90, 1e-3f, 1});  // curls of many turns

  // One thread with the rotation loop; then the vector loops with the helper,
  // and the same frame again from the kept tree.
  TBranchTree Rotation(TTreeFilling{ArcVerticesByRotation, false});
  TBranchTree Vector(
      TTreeFilling{__builtin_cpu_supports("avx2") ? ArcVerticesAvx2 : ArcVerticesByRotation, true});
  TBranchTree *const Trees[] = {&Rotation, &Vector, &Vector};
  for (const Case &c : Cases) {
    RandSeed = c.Seed;
    PlainBranches(c.StartX, c.StartY, c.Length, c.Length, c.CurlRadius);
    const uint32_t PlainSeed = RandSeed;
    const std::vector<uint32_t> Plain = TakeRecording();
    for (int Run = 0; Run < 3; ++Run) {
      RandSeed = c.Seed;
      DrawBranches(*Trees[Run], c.StartX, c.StartY, c.Length, c.Length, c.CurlRadius);
      const bool Same = TakeRecording() == Plain;
      EXPECT_TRUE(Same) << "length " << c.Length << " radius " << c.CurlRadius << " run " << Run;
      EXPECT_EQ(RandSeed, PlainSeed);
    }
  }
}
