// Replays saved fuzz inputs (files, or every file of the folders given)
// through the fuzz target, without the fuzzing engine.
#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  std::vector<std::string> files;
  for (int i = 1; i < argc; ++i) {
    struct stat st;
    if (stat(argv[i], &st) != 0) {
      std::fprintf(stderr, "cannot read %s\n", argv[i]);
      return 1;
    }
    if (!S_ISDIR(st.st_mode)) {
      files.push_back(argv[i]);
      continue;
    }
    std::vector<std::string> inDir;
    if (DIR* d = opendir(argv[i])) {
      while (dirent* e = readdir(d))
        if (e->d_name[0] != '.') inDir.push_back(std::string(argv[i]) + "/" + e->d_name);
      closedir(d);
    }
    std::sort(inDir.begin(), inDir.end());
    files.insert(files.end(), inDir.begin(), inDir.end());
  }
  if (files.empty()) {
    std::fprintf(stderr, "no inputs\n");
    return 1;
  }
  for (const std::string& f : files) {
    std::ifstream in(f, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    std::string bytes = ss.str();
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size());
  }
  std::printf("replayed %zu inputs\n", files.size());
  return 0;
}
