// Files that hold one object (the server's and the visitor's): the object's
// reference, then its record, in the usual frame.
#ifndef TAVRIN_PERSIST_SINGLE_OBJECT_FILE_H
#define TAVRIN_PERSIST_SINGLE_OBJECT_FILE_H

#include <new>

#include "persist/record.h"
#include "tavrin/persist.h"

namespace tavrin {

// False when obj is null or the file cannot be written completely.
template <class T>
bool SaveSingleObject(const char* path, T* obj) {
  if (!obj) return false;
  try {
    PersistentFile file(path, 1, nullptr);
    if (!file.IsOK()) return false;
    try {
      file.WritePointer(obj);
      obj->Serialize(file);
    } catch (const std::bad_alloc&) {
      file.MarkOutOfMemory();  // the incomplete file does not replace the target
    }
    return file.Close();
  } catch (const std::bad_alloc&) {
    return false;
  }
}

// The file's object, created outside any session; null when the file cannot
// be read, its first reference is not a T, or its data is damaged. Only the
// first reference is resolved, so whatever the object table lists, the read
// creates one object at most (and deletes it when the read fails).
template <class T>
T* RestoreSingleObject(const char* path) {
  try {
    PersistentFile file(path, 0, nullptr);
    if (!file.IsOK()) return nullptr;
    T* obj = nullptr;
    try {
      obj = Record(file, nullptr).Root<T>();
      if (obj && !file.FinishData()) obj = nullptr;
    } catch (const std::bad_alloc&) {
      file.MarkOutOfMemory();
      obj = nullptr;
    }
    return file.Close() ? obj : nullptr;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace tavrin

#endif
