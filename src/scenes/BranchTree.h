// The branch tree computed ahead of its drawing calls. The shape of the
// recursion (which arcs come in which order, at which depth, with which
// random radius factor) depends only on the top length and the seed, so it
// is kept while those stay. The vertices of every arc are filled into a
// buffer in drawing order, by the drawing thread and a helper thread
// together, while the drawing thread hands the finished arcs to GL; a frame
// with the same arguments as the last one reuses the buffer.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "UMMath.h"
#include "scenes/CurlArc.h"

// How a tree fills its arcs' vertices: the processor's widest loop with a
// helper thread taking part, unless a test asks for another way (every way
// gives the same bytes).
struct TTreeFilling {
  TArcFiller Arcs = ArcVertices;
  bool ShareWithHelper = true;
};

struct TBranchArguments {
  Single StartX, StartY, Length, FullLength, CurlRadius;
  uint32_t Seed;  // RandSeed on entry
};

class TBranchTree {
public:
  // Deepest tree that is buffered (2^17 - 1 drawing calls, 50 MB of
  // vertices); deeper ones are left to the plain recursion.
  static constexpr int DeepestBufferedDepth = 16;

  explicit TBranchTree(TTreeFilling Filling = TTreeFilling());
  ~TBranchTree();
  TBranchTree(const TBranchTree &) = delete;
  TBranchTree &operator=(const TBranchTree &) = delete;

  // Starts filling the tree of these arguments; false (and nothing started)
  // when it is too deep to buffer. Every Begin is followed by End.
  bool Begin(const TBranchArguments &Arguments);
  size_t ArcCount() const { return Arcs.size(); }
  // Arc Index in drawing order, once filled (earlier arcs first): helps to
  // fill it if it is not yet.
  const TArcPoints &Arc(size_t Index) {
    if (Index >= ReadyEnd) WaitForArc(Index);
    return Arcs[Index];
  }
  // The alpha of arc Index: its branch's length over the top length.
  Single Alpha(size_t Index) const { return DepthAlpha[ArcDepth[Index]]; }
  // The arguments of the tree begun last.
  const TBranchArguments &Arguments() const { return Last; }
  // RandSeed after the recursion's two draws per drawing call.
  uint32_t FinalSeed() const { return EndSeed; }
  // Waits until the helper has left this tree's work.
  void End();

private:
  struct TNode {
    uint32_t FirstArc, SecondArc;  // positions in drawing order
    uint8_t Depth;
    int16_t Draw;  // the Random(400) that reduces the second arc's radius
  };
  // A sub-tree filled as one piece of work, its arcs contiguous in drawing
  // order.
  struct TTask {
    uint32_t Root;
    size_t Begin, End;
    Single StartX, StartY, CurlRadius;
  };

  void BuildShape(const TBranchArguments &Arguments);
  void BuildNode(int Depth, uint32_t &NextArc);
  template <bool MakeTasks>
  void Fill(uint32_t Node, Single StartX, Single StartY, Single CurlRadius);
  void RunTask(size_t Task);
  bool ClaimAndRunTask();
  void WaitForArc(size_t Index);

  const TTreeFilling Filling;

  // Shape, kept while the top length and the seed stay.
  bool HasShape = false;
  Single ShapeLength = 0;
  uint32_t ShapeSeed = 0, EndSeed = 0;
  int Deepest = -1;   // depth of the last drawn level
  int TaskDepth = 0;  // depth of the task roots
  std::vector<Single> DepthLength;
  std::vector<uint32_t> NodesBelow;  // nodes in a sub-tree rooted at a depth
  std::vector<TNode> Nodes;          // in the recursion's order
  std::vector<uint8_t> ArcDepth;     // per arc in drawing order

  // Vertices, kept while all the arguments stay.
  bool Filled = false;
  TBranchArguments Last{};
  std::vector<Single> DepthAlpha;
  std::vector<TArcPoints> Arcs;
  std::vector<TTask> Tasks;
  std::unique_ptr<std::atomic<bool>[]> TaskDone;
  std::atomic<size_t> NextTask{0};
  size_t ReadyEnd = 0;  // arcs before this are filled
  size_t WaitTask = 0;  // first task not yet seen finished
  bool HelperStarted = false;
};
