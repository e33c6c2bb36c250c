// The frame of a saved file: the header lines in front of the data section
// and the object table behind it. Shared by the file store, GetObjtabPos and
// the inspector, which reads the table without creating objects.
#ifndef TAVRIN_PERSIST_FILE_FRAME_H
#define TAVRIN_PERSIST_FILE_FRAME_H

#include <cstdint>
#include <string>
#include <vector>

#include "persist/input_file.h"
#include "tavrin/core.h"

namespace tavrin {

constexpr int kFormatVersion = 12;
constexpr const char* kFormatVersionText = "12";
constexpr int32_t kRevision = 33199;
constexpr int32_t kPlaceholder = 2147483647;
constexpr const char* kTableMarker = "@@@@";
// The two placeholder lines take 22 bytes; the patched lines must leave at
// least one line feed of them in front of the data section.
constexpr int kPlaceholderBytes = 22;

// The version of the last header read, for GetCurrentDBVersion (process-wide).
void SetFileVersion(int version);

struct FrameHeader {
  bool hasVersionLine = false;
  int version = 0;
  bool hasRevisionLines = false;  // the "VV" and revision lines
  bool positionsRead = false;     // lines 5 and 6 were read
  int64_t tablePos = -1;          // line 5: where the object table begins
  int64_t endPos = -1;            // line 6: the end of the object table
  int64_t dataStart = -1;         // the first byte of the data section
};

// Reads the header from the start of the file. False, with a reason, when
// the header is not sound; `h` then holds what was read.
bool ReadFrameHeader(InputFile& in, FrameHeader& h, std::string* error);

struct ObjectTable {
  std::vector<std::string> names;  // distinct class names, in order of first occurrence
  std::vector<uint32_t> entries;   // per index: position in names, or in factories (entry 0 unused)
  // Read with resolving: the registered classes, null (an unknown class) first.
  std::vector<Dynamic::AbstractFactory*> factories;
  int64_t end = -1;                // position after the last class line
};

// Reads the object table at h.tablePos. False, with a reason, when it is
// missing, incomplete or inconsistent. With `resolve` (a restore) the class
// names are not kept: each entry gives the position of its class among
// t.factories, so the table costs its entries whatever its class lines say.
bool ReadObjectTable(InputFile& in, const FrameHeader& h, ObjectTable& t, std::string* error,
                     bool resolve = false);

}  // namespace tavrin

#endif
