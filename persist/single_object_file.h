// Files that hold one object (the server's and the visitor's): the object's
// reference, then its record, in the usual frame.
#ifndef TAVRIN_PERSIST_SINGLE_OBJECT_FILE_H
#define TAVRIN_PERSIST_SINGLE_OBJECT_FILE_H

#include "tavrin/persist.h"

namespace tavrin {

// False when obj is null or the file cannot be written completely.
template <class T>
bool SaveSingleObject(const char* path, T* obj) {
  if (!obj) return false;
  PersistentFile file(path, 1, nullptr);
  if (!file.IsOK()) return false;
  file.WritePointer(obj);
  obj->Serialize(file);
  return file.Close();
}

// The file's object, created outside any session; null when the file cannot
// be read, its first reference is not a T, or its data is damaged.
template <class T>
T* RestoreSingleObject(const char* path) {
  PersistentFile file(path, 0, nullptr);
  if (!file.IsOK()) return nullptr;
  TavrinObject* o = file.ReadPointer();
  T* obj = T::Cast(o);
  if (!obj || !file.ClaimOwned(o)) {
    delete o;  // handed to nobody else
    return nullptr;
  }
  if (obj->Serialize(file) != 0 || !file.FinishData()) {
    delete obj;
    return nullptr;
  }
  file.Close();
  return obj;
}

}  // namespace tavrin

#endif
