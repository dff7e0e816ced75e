// Leaves the machine's free memory in small pieces, as on a machine that has
// run for a while, so that benchmarks see what a used machine gives them:
//
//   bench_fragment_memory [GB]   touches GB (default: all available memory
//                                but 0.5 GB) page by page, gives every other
//                                4 KB page back, prints "ready" and holds the
//                                rest until its standard input closes.
//
// Free memory is then as large as before minus half of GB, but hardly any
// of it forms an aligned 2 MB block: a 2 MB page now costs the kernel a
// compaction.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace {

constexpr std::size_t kPage = 4096;

long AvailableKb() {
  std::ifstream meminfo("/proc/meminfo");
  std::string key;
  long kb = 0;
  while (meminfo >> key >> kb) {
    if (key == "MemAvailable:") {
      return kb;
    }
    meminfo.ignore(64, '\n');
  }
  return 0;
}

// Free blocks of 2 MB or more, counted in 2 MB units, over all zones.
long FreeHugeBlocks() {
  std::ifstream buddy("/proc/buddyinfo");
  std::string line;
  long blocks = 0;
  while (std::getline(buddy, line)) {
    std::istringstream in(line.substr(line.find("zone") + 4));
    std::string zone;
    in >> zone;
    long count = 0;
    for (int order = 0; in >> count; ++order) {
      if (order >= 9) {
        blocks += count << (order - 9);
      }
    }
  }
  return blocks;
}

}  // namespace

int main(int argc, char** argv) {
  double gb =
      argc > 1 ? std::atof(argv[1]) : (static_cast<double>(AvailableKb()) / 1048576.0 - 0.5);
  if (gb <= 0) {
    std::fprintf(stderr, "nothing to fragment\n");
    return 1;
  }
  const std::size_t size = static_cast<std::size_t>(gb * 1073741824.0) / kPage * kPage;
  std::fprintf(stderr, "free 2 MB blocks before: %ld\n", FreeHugeBlocks());
  void* block = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (block == MAP_FAILED) {
    std::perror("mmap");
    return 1;
  }
  auto* bytes = static_cast<char*>(block);
  (void)madvise(block, size, MADV_NOHUGEPAGE);
  for (std::size_t at = 0; at < size; at += kPage) {
    bytes[at] = 1;
  }
  for (std::size_t at = kPage; at < size; at += 2 * kPage) {
    (void)madvise(bytes + at, kPage, MADV_DONTNEED);
  }
  std::fprintf(stderr, "held %.1f GB; free 2 MB blocks now: %ld\n",
               static_cast<double>(size / 2) / 1073741824.0, FreeHugeBlocks());
  std::printf("ready\n");
  std::fflush(stdout);
  char c;
  while (read(0, &c, 1) > 0) {
  }
  return 0;
}
