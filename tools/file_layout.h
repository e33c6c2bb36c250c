// The frame of a saved file read by the inspector itself: the header lines
// and the object table, without creating any object. The inspector links
// only the library's public interface, so it reads the layout on its own.
#ifndef TAVRIN_TOOLS_FILE_LAYOUT_H
#define TAVRIN_TOOLS_FILE_LAYOUT_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace tool {

struct FileLayout {
  int64_t size = 0;
  bool hasVersionLine = false;
  int version = 0;
  bool hasRevisionLines = false;
  bool positionsRead = false;
  int64_t tablePos = -1;  // where the object table begins
  int64_t endPos = -1;    // the end the header records
  int64_t dataStart = -1;
  bool headerSound = false;
  // The object table: distinct class names in order of first occurrence,
  // and for each index from 1 on the position of its class among them.
  std::vector<std::string> classNames;
  std::vector<uint32_t> entries;
  int64_t tableEnd = -1;
};

// Reads the header (and, when it is sound, the object table) of the file
// at path. False, with a reason, when the file cannot be opened or its
// frame is not sound; `out` then holds what was read.
bool ReadFileLayout(const char* path, FileLayout& out, std::string* error);

}  // namespace tool

#endif
