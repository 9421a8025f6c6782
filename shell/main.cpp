// Process entry. Until the run modes land, it reports what exists.
#include <cstdio>

int main(int, char**) {
  std::puts("kiru: the saver window is not built yet; the settings store and module table are.");
  return 0;
}
