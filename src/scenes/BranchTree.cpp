#include "scenes/BranchTree.h"

#include <algorithm>
#include <cstring>
#include <thread>

#include "UMTypes.h"
#include "scenes/HelperThread.h"

namespace {
// Trees with fewer drawing calls are filled by the drawing thread alone.
constexpr size_t SmallestSharedTree = 1023;
// The sub-trees handed out as pieces of work are rooted this deep (128 of
// them), or shallower in small trees.
constexpr int DeepestTaskRoot = 7;

// The radius factor Random(400) / 1000 + 0.1 for every draw, in extended
// precision as the recursion forms it.
struct TRadiusFactors {
  Extended Factor[400];
  TRadiusFactors() {
    for (int r = 0; r < 400; ++r) Factor[r] = r / 1000.0L + 0.1L;
  }
};
const TRadiusFactors RadiusFactors;

Single ReducedRadius(Single CurlRadius, int Draw) {
  return static_cast<Single>(CurlRadius * RadiusFactors.Factor[Draw]);
}

bool SameBits(const TBranchArguments &a, const TBranchArguments &b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

THelperThread &Helper() {
  static THelperThread Thread;
  return Thread;
}
}  // namespace

TBranchTree::TBranchTree(TTreeFilling HowToFill) : Filling(HowToFill) {}

TBranchTree::~TBranchTree() { End(); }

// The shape follows the recursion: a branch draws while its length is at
// least 5, each level's length is the one above times 0.7 (stored as
// Single), and the draws come after each arc's sub-tree.
void TBranchTree::BuildShape(const TBranchArguments &Arguments) {
  HasShape = false;
  Filled = false;
  DepthLength.clear();
  for (Single Length = Arguments.Length; Length >= 5; Length = static_cast<Single>(Length * 0.7L)) {
    if (static_cast<int>(DepthLength.size()) > DeepestBufferedDepth) return;
    DepthLength.push_back(Length);
  }
  Deepest = static_cast<int>(DepthLength.size()) - 1;
  NodesBelow.assign(DepthLength.size() + 1, 0);
  for (int Depth = Deepest; Depth >= 0; --Depth) NodesBelow[Depth] = 2 * NodesBelow[Depth + 1] + 1;
  const size_t NodeCount = Deepest < 0 ? 0 : NodesBelow[0];
  Nodes.clear();
  Nodes.reserve(NodeCount);
  ArcDepth.assign(2 * NodeCount, 0);
  RandSeed = Arguments.Seed;
  uint32_t NextArc = 0;
  if (NodeCount > 0) BuildNode(0, NextArc);
  EndSeed = RandSeed;
  Arcs.resize(2 * NodeCount);

  TaskDepth = NodeCount < SmallestSharedTree ? Deepest + 1 : std::min(DeepestTaskRoot, Deepest);
  ShapeLength = Arguments.Length;
  ShapeSeed = Arguments.Seed;
  HasShape = true;
}

void TBranchTree::BuildNode(int Depth, uint32_t &NextArc) {
  const size_t Index = Nodes.size();
  Nodes.push_back(TNode{NextArc, 0, static_cast<uint8_t>(Depth), 0});
  ArcDepth[NextArc++] = static_cast<uint8_t>(Depth);
  if (Depth < Deepest) BuildNode(Depth + 1, NextArc);
  Nodes[Index].Draw = static_cast<int16_t>(Random(400));
  Nodes[Index].SecondArc = NextArc;
  ArcDepth[NextArc++] = static_cast<uint8_t>(Depth);
  if (Depth < Deepest) BuildNode(Depth + 1, NextArc);
  Random(400);  // unused, but it advances the generator
}

bool TBranchTree::Begin(const TBranchArguments &Arguments) {
  End();
  const bool SameShape = HasShape &&
                         std::memcmp(&ShapeLength, &Arguments.Length, sizeof(Single)) == 0 &&
                         ShapeSeed == Arguments.Seed;
  if (!SameShape) BuildShape(Arguments);
  if (!HasShape) return false;
  if (Filled && SameBits(Last, Arguments)) {
    ReadyEnd = Arcs.size();
    return true;
  }
  Filled = false;
  Last = Arguments;
  DepthAlpha.resize(DepthLength.size());
  for (size_t Depth = 0; Depth < DepthLength.size(); ++Depth)
    DepthAlpha[Depth] = static_cast<Single>(Extended(DepthLength[Depth]) / Arguments.FullLength);

  // The levels above the task roots first, on this thread; then the
  // sub-trees below them, shared with the helper.
  Tasks.clear();
  ReadyEnd = 0;
  WaitTask = 0;
  if (!Nodes.empty()) Fill<true>(0, Arguments.StartX, Arguments.StartY, Arguments.CurlRadius);
  TaskDone.reset(new std::atomic<bool>[Tasks.size()]);
  for (size_t t = 0; t < Tasks.size(); ++t) TaskDone[t].store(false, std::memory_order_relaxed);
  NextTask.store(0, std::memory_order_relaxed);
  if (!Tasks.empty() && Filling.ShareWithHelper && HelperThreadWorthwhile()) {
    HelperStarted = true;
    Helper().Start([this] {
      while (ClaimAndRunTask()) {
      }
    });
  }
  return true;
}

void TBranchTree::End() {
  if (!HelperStarted) return;
  // Every task is claimed before the last arc is handed out; the helper
  // leaves as soon as it finds none left.
  while (ClaimAndRunTask()) {
  }
  Helper().Wait();
  HelperStarted = false;
}

// The recursion itself: both arcs of Node, each followed by its sub-tree,
// the second with the reduced radius. Each sub-tree starts on the last
// vertex of its arc exactly as it is drawn. With MakeTasks, a sub-tree at the
// task depth is recorded as a piece of work instead of being filled.
template <bool MakeTasks>
void TBranchTree::Fill(uint32_t Node, Single StartX, Single StartY, Single CurlRadius) {
  const TNode &n = Nodes[Node];
  if (MakeTasks && n.Depth == TaskDepth) {
    const size_t First = n.FirstArc;
    Tasks.push_back(
        TTask{Node, First, First + 2 * NodesBelow[n.Depth], StartX, StartY, CurlRadius});
    return;
  }
  const Single Length = DepthLength[n.Depth];
  TArcPoints &First = Arcs[n.FirstArc];
  Filling.Arcs(StartX, StartY, Length, CurlRadius, First);
  if (n.Depth < Deepest)
    Fill<MakeTasks>(Node + 1, First.X[ArcSegments], First.Y[ArcSegments], CurlRadius);
  const Single Reduced = ReducedRadius(CurlRadius, n.Draw);
  TArcPoints &Second = Arcs[n.SecondArc];
  Filling.Arcs(StartX, StartY, Length, Reduced, Second);
  if (n.Depth < Deepest)
    Fill<MakeTasks>(Node + 1 + NodesBelow[n.Depth + 1], Second.X[ArcSegments],
                    Second.Y[ArcSegments], Reduced);
}

void TBranchTree::RunTask(size_t Task) {
  const TTask &t = Tasks[Task];
  Fill<false>(t.Root, t.StartX, t.StartY, t.CurlRadius);
  TaskDone[Task].store(true, std::memory_order_release);
}

bool TBranchTree::ClaimAndRunTask() {
  if (NextTask.load(std::memory_order_relaxed) >= Tasks.size()) return false;
  const size_t Task = NextTask.fetch_add(1, std::memory_order_relaxed);
  if (Task >= Tasks.size()) return false;
  RunTask(Task);
  return true;
}

// Waits for the pieces of work up to the one holding arc Index, filling
// the next unclaimed piece meanwhile rather than idling.
void TBranchTree::WaitForArc(size_t Index) {
  while (Index >= ReadyEnd) {
    if (WaitTask < Tasks.size() && ReadyEnd == Tasks[WaitTask].Begin) {
      for (int Spins = 0; !TaskDone[WaitTask].load(std::memory_order_acquire);)
        if (!ClaimAndRunTask() && ++Spins % 64 == 0) std::this_thread::yield();
      ReadyEnd = Tasks[WaitTask++].End;
    } else {
      // The arcs of the upper levels before the next piece are filled.
      ReadyEnd = WaitTask < Tasks.size() ? Tasks[WaitTask].Begin : Arcs.size();
    }
  }
  if (ReadyEnd == Arcs.size()) Filled = true;
}
