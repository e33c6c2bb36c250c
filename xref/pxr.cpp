#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <new>

#include "persist/input_file.h"
#include "tavrin/xref.h"

namespace {

// Each read takes at most this many characters (the line feed included), so
// a longer line is handled as several lines.
constexpr int kReadChars = 255;

const char kNetTitle[] = "Net_Cross_Reference";
const char kInternalNetTitle[] = "Internal_Net_Cross_Reference";
const char kPinTitle[] = "Pin_Cross_Reference";
const char kSectionEnd[] = "End_";

enum class Section { kNone, kNets, kComponents };
enum class CompState { kExpectComponent, kInComponent, kInBlock };

// The text between the first and the last double quote; empty when the line
// holds fewer than two.
CString QuotedPart(const CString& line) {
  int first = line.Find('"');
  int last = line.ReverseFind('"');
  if (first < 0 || last <= first) return CString();
  return line.Mid(first + 1, last - first - 1);
}

bool StartsWithSectionEnd(const CString& line) {
  return line.Left(4) == kSectionEnd;
}

}  // namespace

CPxr::CPxr() : netLogToPhys(10), netPhysToLog(10), compLogToPhys(10), compPhysToLog(10) {}

CPxr::~CPxr() {
  CMapStringToOb* owners[] = {&netPhysToLog, &compPhysToLog};
  for (CMapStringToOb* map : owners) {
    CString key;
    void* value = nullptr;
    for (POSITION pos = map->GetStartPosition(); pos;) {
      map->GetNextAssoc(pos, key, value);
      delete static_cast<CStringList*>(value);
    }
    map->RemoveAll();
  }
}

void CPxr::AddPair(CMapStringToString& logToPhys, CMapStringToOb& physToLog,
                   const CString& phys, const CString& log) {
  logToPhys.SetAt(log, phys);
  void*& slot = physToLog[phys];
  if (!slot) slot = new CStringList(10);
  if (!static_cast<CStringList*>(slot)->AddTail(log)) throw std::bad_alloc();
}

// One pair line of the net section: "(PHYSICAL [...] LOGICAL)", names
// possibly quoted; the first blank-separated token is the physical name and
// the last the logical one.
void CPxr::AddNetLine(CString line) {
  line.TrimLeft("( \t");
  line.TrimRight(") \t\n");
  int firstBlank = line.Find(' ');
  CString phys = firstBlank < 0 ? line : line.Left(firstBlank);
  int lastBlank = line.ReverseFind(' ');
  CString log = lastBlank < 0 ? line : line.Mid(lastBlank + 1);
  phys.TrimLeft("\"");
  phys.TrimRight("\"");
  log.TrimLeft("\"");
  log.TrimRight("\"");
  AddPair(netLogToPhys, netPhysToLog, phys, log);
}

int CPxr::LoadFile(const char* path, int internalNets) {
  if (!path) return 0;
  // Only a regular file is read: a FIFO would block the open, a folder holds
  // no lines and a device such as /dev/zero never ends.
  int fd = tavrin::OpenRegularFile(path, nullptr);
  if (fd < 0) return 0;
  std::FILE* file = fdopen(fd, "r");
  if (!file) {
    int err = errno;
    close(fd);
    errno = err;
    return 0;
  }
  // Memory running out ends the load with 0; the pairs read so far stay.
  try {
    loadedFile = path;
    ReadSections(file, internalNets);
  } catch (const std::bad_alloc&) {
    std::fclose(file);
    return 0;
  }
  std::fclose(file);
  return 1;
}

void CPxr::ReadSections(std::FILE* file, int internalNets) {
  const char* netTitle = internalNets ? kInternalNetTitle : kNetTitle;
  Section section = Section::kNone;
  CompState state = CompState::kExpectComponent;
  CString component;
  char buffer[kReadChars + 1];
  // fgets stops after kReadChars characters or a line feed and always ends
  // the buffer with a NUL; a NUL byte in the data ends the text early.
  while (std::fgets(buffer, sizeof buffer, file)) {
    CString line(buffer);
    line.Trim();
    if (line == netTitle) {
      section = Section::kNets;
    } else if (line == kPinTitle) {
      section = Section::kComponents;
      state = CompState::kExpectComponent;
    } else if (StartsWithSectionEnd(line)) {
      section = Section::kNone;
    } else if (section == Section::kNets) {
      AddNetLine(line);
    } else if (section == Section::kComponents) {
      bool closes = !line.IsEmpty() && line[0] == ')';
      switch (state) {
        case CompState::kExpectComponent:
          line.TrimLeft("( \t\"");
          line.TrimRight("\" \t\n");
          component = line;
          state = CompState::kInComponent;
          break;
        case CompState::kInComponent:
          if (closes) {
            state = CompState::kExpectComponent;
          } else {
            AddPair(compLogToPhys, compPhysToLog, component, QuotedPart(line));
            state = CompState::kInBlock;
          }
          break;
        case CompState::kInBlock:
          if (closes) state = CompState::kInComponent;
          break;
      }
    }
  }
}

int CPxr::FileAlreadyLoaded(const char* path) {
  // An empty path names no file, so it never counts as loaded.
  if (!path || !*path) return 0;
  return loadedFile.CompareNoCase(path) == 0 ? 1 : 0;
}

int CPxr::GetPairCount() const { return netLogToPhys.GetCount() + compLogToPhys.GetCount(); }

int CPxr::LookupList(const CMapStringToOb& map, const char* key, CStringList*& out) {
  void* value = nullptr;
  if (!key || !map.Lookup(key, value)) return 0;
  out = static_cast<CStringList*>(value);
  return 1;
}

int CPxr::LookupName(const CMapStringToString& map, const char* key, CString& out) {
  if (!key) return 0;
  return map.Lookup(key, out) ? 1 : 0;
}

int CPxr::NetPhysToLogNames(const char* phys, CStringList*& out) {
  return LookupList(netPhysToLog, phys, out);
}

int CPxr::NetLogToPhysName(const char* log, CString& out) {
  return LookupName(netLogToPhys, log, out);
}

int CPxr::CompPhysToLogNames(const char* phys, CStringList*& out) {
  return LookupList(compPhysToLog, phys, out);
}

int CPxr::CompLogToPhysName(const char* log, CString& out) {
  return LookupName(compLogToPhys, log, out);
}
