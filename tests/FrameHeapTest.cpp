// The heap readied for the frames: blocks up to the prepared size, allocated,
// written and freed again and again, never wait on a page fault.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdlib>
#include <cstring>

#include "platform/FrameHeap.h"

namespace {
long MinorFaults() {
  rusage Usage{};
  getrusage(RUSAGE_SELF, &Usage);
  return Usage.ru_minflt;
}

// Writes every byte of a fresh block of Bytes, as a frame's buffer is
// written, and frees it.
void UseBlock(std::size_t Bytes, int Fill) {
  char *Block = static_cast<char *>(std::malloc(Bytes));
  ASSERT_NE(Block, nullptr);
  std::memset(Block, Fill, Bytes);
  // Keeps the compiler from leaving out the writes to a block it frees.
  asm volatile("" : : "r"(Block) : "memory");
  std::free(Block);
}
}  // namespace

// A 32 MB block is 8192 pages: without the prepared heap its first use
// faults every one of them in, and without the fixed thresholds every use
// maps it afresh.
TEST(FrameHeap, BlocksWithinThePreparedSizeFaultNoPageIn) {
#ifdef __SANITIZE_ADDRESS__
  GTEST_SKIP() << "AddressSanitizer's allocator replaces glibc's heap";
#endif
  constexpr std::size_t Prepared = std::size_t(64) << 20;
  PrepareFrameHeap(Prepared);
  const long Before = MinorFaults();
  for (int Use = 0; Use < 4; ++Use) UseBlock(Prepared / 2, Use);
  EXPECT_LT(MinorFaults() - Before, 256);
}
