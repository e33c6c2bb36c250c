// Replays saved fuzz inputs (every file of the folders given) through the
// fuzz target, without the fuzzing engine.
#include <dirent.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    DIR* d = opendir(argv[i]);
    if (!d) return std::fprintf(stderr, "cannot read %s\n", argv[i]), 1;
    while (dirent* e = readdir(d))
      if (e->d_name[0] != '.') files.push_back(std::string(argv[i]) + "/" + e->d_name);
    closedir(d);
  }
  std::sort(files.begin(), files.end());
  for (const std::string& f : files) {
    std::ifstream in(f, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  std::printf("replayed %zu inputs\n", files.size());
  return files.empty() ? 1 : 0;
}
