// The program's entry.
#include <cstdio>

int main() {
  std::puts("quillmoor: not yet built");
  return 0;
}
