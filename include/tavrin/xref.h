// Cross-reference loader: reads text files that pair physical net and
// component names with logical ones and answers look-ups both ways. It is
// independent of the object database and keeps its pairs in maps of its own.
#ifndef TAVRIN_XREF_H
#define TAVRIN_XREF_H

#include <cstdio>

#include "tavrin/export.h"
#include "tavrin/platform.h"

class TAVRIN_API CPxr {
 public:
  CPxr();
  virtual ~CPxr();
  CPxr(const CPxr&) = delete;             // owns the name lists: never shared
  CPxr& operator=(const CPxr&) = delete;

  // Reads the file at path and adds its pairs to those already held. A
  // non-zero internalNets makes "Internal_Net_Cross_Reference" the net
  // section title instead of "Net_Cross_Reference". Returns 0, changing
  // nothing, when the file cannot be opened or is no regular file (errno
  // EISDIR for a folder, EINVAL for a FIFO, device or socket); 1 otherwise.
  int LoadFile(const char* path, int internalNets);
  // 1 when path equals the path loaded last, ignoring letter case.
  int FileAlreadyLoaded(const char* path);
  // The logical names held, nets and components together: 0 when nothing
  // was loaded (an empty file, or one without the sections looked for).
  int GetPairCount() const;

  // Each returns non-zero when the name is known and then sets out; a
  // list handed out stays owned by this object. Look-ups are case-sensitive.
  int NetPhysToLogNames(const char* phys, CStringList*& out);
  int NetLogToPhysName(const char* log, CString& out);
  int CompPhysToLogNames(const char* phys, CStringList*& out);
  int CompLogToPhysName(const char* log, CString& out);

 private:
  TAVRIN_LOCAL void ReadSections(std::FILE* file, int internalNets);
  TAVRIN_LOCAL void AddNetLine(CString line);
  TAVRIN_LOCAL static void AddPair(CMapStringToString& logToPhys, CMapStringToOb& physToLog,
                      const CString& phys, const CString& log);
  TAVRIN_LOCAL static int LookupList(const CMapStringToOb& map, const char* key, CStringList*& out);
  TAVRIN_LOCAL static int LookupName(const CMapStringToString& map, const char* key, CString& out);

  CMapStringToString netLogToPhys;  // logical net -> physical net
  CMapStringToOb netPhysToLog;      // physical net -> CStringList* of logical nets
  CMapStringToString compLogToPhys; // logical component -> physical component
  CMapStringToOb compPhysToLog;     // physical component -> CStringList* of logical ones
  CString loadedFile;               // path of the file loaded last
};

#endif
