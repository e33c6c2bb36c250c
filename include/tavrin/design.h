// Design hierarchy: session, libraries, projects and files.
#ifndef TAVRIN_DESIGN_H
#define TAVRIN_DESIGN_H

#include "tavrin/containers.h"
#include "tavrin/core.h"
#include "tavrin/export.h"

class SProject;
class SLibrary;
class SPackageLibrary;
class SPinMappingLibrary;
class SPadStackLibrary;
class SPackage;
class SPadStack;
class SPinMapping;
class SCell;
class SFile;
class SConstraintSet;
class SConstraint;
class SConstraintGroup;
class CPxr;
class PersistentFile;

namespace tavrin {
class SessionFiles;
}

// The root of a design database. It owns its heap (deleting the session
// destroys the heap and everything in it at once), its projects and its
// libraries. Obtain one with AllocSession().
//
// Any number of threads may each work in sessions of their own at the same
// time (create, build, save, restore, delete); a session and its objects are
// used by one thread at a time.
class TAVRIN_API SSession : public TavrinObject {
  TAVRIN_CLASS(SSession)
 public:
  // A session in a heap of its own; null when the heap cannot be created.
  static void* operator new(std::size_t size) noexcept;
  // A session placed in the heap of an existing record (used when a file
  // names a session); with a null record, from the general allocator.
  static void* operator new(std::size_t size, HANDLEMA* heap) noexcept;
  static void operator delete(void* p) noexcept;
  static void operator delete(void* p, HANDLEMA*) noexcept;

  SSession();
  ~SSession() override;

  virtual Persistent::Error Serialize(PersistentStore& s);
  virtual int WritePointer(PersistentStore& s);
  void InternalUpdate();
  HANDLEMA* GetHeap() const { return m_heap; }

  long GetId() const { return m_id; }

  // Writes the session to the file. The file is replaced only when all of
  // it reached the disk; 1 on success, 0 otherwise (the previous file is
  // then untouched).
  int Save(const char* path);
  // Adds the projects and libraries of a file to this session (lists come
  // back in reverse order). 1 on success; 0 when the file cannot be read or
  // is damaged, and the session is then unchanged. Prints the time taken
  // to open the file and to read its records on standard output.
  int Restore(const char* path);
  // The end position recorded in a file's header, or -1 when the file
  // cannot be opened or its header is not sound. Reads only the header.
  long GetObjtabPos(const char* path);

  // Projects by name. Create takes over an existing entry of the same name
  // (the older project stays allocated); null for a null name or when
  // memory is exhausted.
  SProject* CreateProject(const char* name);
  SProject* GetProject(const char* name) const;
  bool HasProject(const char* name);
  // Unlinks the project (it is not deleted); false for an absent name.
  bool DestroyProject(const char* name);
  const RelMap<CharM, SProject*>& GetAllProjects() const { return m_projects; }

  // Libraries of all three kinds share one name map; each is also listed in
  // the list of its kind, newest first.
  SPackageLibrary* CreatePackageLibrary(const char* name);
  SPinMappingLibrary* CreatePinMappingLibrary(const char* name);
  SPadStackLibrary* CreatePadStackLibrary(const char* name);
  SLibrary* GetLibrary(const char* name) const;
  bool HasLibrary(const char* name);
  // Unlinks the library from the map and from its kind's list (not deleted).
  bool DestroyLibrary(const char* name);
  const RelMap<CharM, SLibrary*>& GetAllLibraries() const { return m_libraries; }
  const RelLinkedList<SPackageLibrary*>& GetAllPackageLibraries() const { return m_packageLibraries; }
  const RelLinkedList<SPinMappingLibrary*>& GetAllPinMappingLibraries() const { return m_pinMappingLibraries; }
  const RelLinkedList<SPadStackLibrary*>& GetAllPadStackLibraries() const { return m_padStackLibraries; }

  SDesignElement* Find(const char*, const char*) { return nullptr; }
  void SetVersion(const char* version);
  const char* GetVersion() const { return m_version; }

  void SetProjectsAllocationSize(int) {}
  void SetPackageLibrariesAllocationSize(int) {}
  void SetPadStackLibrariesAllocationSize(int) {}
  void SetPinMappingLibrariesAllocationSize(int) {}

 protected:
  void SetId(long id) { m_id = static_cast<int32_t>(id); }

 private:
  friend class tavrin::SessionFiles;
  struct PendingRecord;
  template <class L>
  L* CreateLibrary(const char* name, RelLinkedList<L*>& list);
  // Reading: reads the record into a pending record and links it into the
  // session only when all of it read cleanly (and, for a file, when the data
  // section ends where the object table begins). The pending record's texts
  // come from `heap`, the heap the store creates the objects in.
  Persistent::Error ReadRecord(PersistentStore& s, PersistentFile* file, HANDLEMA* heap);
  bool ReadPending(tavrin::Record& r, PendingRecord& p);
  // Links a pending record into the session; on allocation failure undoes
  // what it linked and returns false.
  bool Commit(PendingRecord& p);

  HANDLEMA* m_heap;
  int32_t m_id;
  RelMap<CharM, SProject*> m_projects;
  RelMap<CharM, SLibrary*> m_libraries;
  RelLinkedList<SPackageLibrary*> m_packageLibraries;
  RelLinkedList<SPinMappingLibrary*> m_pinMappingLibraries;
  RelLinkedList<SPadStackLibrary*> m_padStackLibraries;
  char* m_version = nullptr;
  // The heaps of the files restored into this session, destroyed with it.
  void* m_restoredHeaps = nullptr;
};

// A named collection of reusable definitions of one kind.
class TAVRIN_API SLibrary : public TavrinObject {
  TAVRIN_CLASS(SLibrary)
 public:
  TAVRIN_ALLOCATION_OPERATORS
  ~SLibrary() override;

  virtual SDesignElement* CreateEntry(char*) { return nullptr; }
  virtual SDesignElement* GetEntry(const char*) { return nullptr; }
  virtual Persistent::Error Serialize(PersistentStore& s);
  virtual int WritePointer(PersistentStore& s);
  virtual long GetId() const = 0;

  long GetAccessType() const { return m_accessType; }
  void SetAccessType(long t) { m_accessType = static_cast<int32_t>(t); }
  const char* GetLocation() const { return m_location; }
  void SetLocation(const char* location);
  char* GetName() const { return m_name; }
  void SetName(const char* name);
  HANDLEMA* GetHeap() const { return m_heap; }

 protected:
  SLibrary();
  void SetId(long id) { m_id = static_cast<int32_t>(id); }

  HANDLEMA* m_heap;
  int32_t m_accessType = 0;
  char* m_location = nullptr;
  char* m_name = nullptr;
  int32_t m_id;
};

class TAVRIN_API SPackageLibrary : public SLibrary {
  TAVRIN_CLASS(SPackageLibrary)
 public:
  SPackageLibrary();
  ~SPackageLibrary() override;
  Persistent::Error Serialize(PersistentStore& s) override;
  long GetId() const override { return m_id; }
  void InternalUpdate() { m_packages.SetHeap(m_heap); }

  const RelMap<CharM, SPackage*>& GetAllPackages() const { return m_packages; }
  void SetPackagesAllocationSize(int) {}

 private:
  RelMap<CharM, SPackage*> m_packages;
};

class TAVRIN_API SPadStackLibrary : public SLibrary {
  TAVRIN_CLASS(SPadStackLibrary)
 public:
  SPadStackLibrary();
  ~SPadStackLibrary() override;
  Persistent::Error Serialize(PersistentStore& s) override;
  long GetId() const override { return m_id; }
  void InternalUpdate() { m_padStacks.SetHeap(m_heap); }

  const RelMap<CharM, SPadStack*>& GetAllPadStacks() const { return m_padStacks; }
  void SetPadStacksAllocationSize(int) {}

 private:
  RelMap<CharM, SPadStack*> m_padStacks;
};

class TAVRIN_API SPinMappingLibrary : public SLibrary {
  TAVRIN_CLASS(SPinMappingLibrary)
 public:
  SPinMappingLibrary();
  ~SPinMappingLibrary() override;
  Persistent::Error Serialize(PersistentStore& s) override;
  long GetId() const override { return m_id; }
  void InternalUpdate() { m_pinMappings.SetHeap(m_heap); }

  const RelMap<CharM, SPinMapping*>& GetAllPinMappings() const { return m_pinMappings; }
  void SetPinMappingsAllocationSize(int) {}

 private:
  RelMap<CharM, SPinMapping*> m_pinMappings;
};

// A named design element of a session: its designs (cells), files, top
// cells, constraints, constraint sets and constraint groups.
class TAVRIN_API SProject : public SDesignElement {
  TAVRIN_CLASS(SProject)
  TAVRIN_ID_ACCESSORS
 public:
  SProject();
  ~SProject() override;

  void InternalUpdate() override;
  Persistent::Error Serialize(PersistentStore& s) override;

  // Files by name. Create takes over an existing entry of the same name (the
  // older file stays allocated); null for a null name or when memory is
  // exhausted. Destroy only unlinks.
  SFile* CreateFile(const char* name);
  SFile* GetFile(const char* name) const;
  bool HasFile(const char* name);
  bool DestroyFile(const char* name);
  const RelMap<CharM, SFile*>& GetAllFiles() const { return m_files; }

  // Designs (cells) by name; they are created with the cell class.
  SCell* GetDesign(const char* name) const;
  bool HasDesign(const char* name);
  // Unlinks and deletes the cell when it exists and has no instances.
  bool DestroyDesign(const char* name);
  const RelMap<CharM, SCell*>& GetAllDesigns() const { return m_designs; }

  // References to some of the designs, in insertion order.
  bool InsertTopCell(SCell* cell);  // false when already listed
  bool RemoveTopCell(SCell* cell);
  bool HasTopCell(SCell* cell);
  const RelLinkedList<SCell*>& GetAllTopCells() const { return m_topCells; }

  // Project-wide constraint definitions by name. Create takes over an
  // existing entry of the same name (the older object stays allocated); null
  // for a null name or when memory is exhausted. Destroy only unlinks.
  SConstraintSet* CreateConstraintSet(const char* name);
  SConstraint* CreateConstraint(const char* name);
  SConstraintGroup* CreateConstraintGroup(const char* name);
  SConstraintSet* GetConstraintSet(const char* name) const;
  bool HasConstraintSet(const char* name);
  bool DestroyConstraintSet(const char* name);
  const RelMap<CharM, SConstraintSet*>& GetAllConstraintSets() const { return m_constraintSets; }
  SConstraint* GetConstraint(const char* name) const;
  // The constraint-instance getters of every design element stay reachable.
  using SDesignElement::GetConstraint;
  bool HasConstraint(const char* name);
  bool DestroyConstraint(const char* name);
  const RelMap<CharM, SConstraint*>& GetAllConstraints() const { return m_constraints; }
  SConstraintGroup* GetConstraintGroup(const char* name) const;
  bool HasConstraintGroup(const char* name);
  bool DestroyConstraintGroup(const char* name);
  const RelMap<CharM, SConstraintGroup*>& GetAllConstraintGroups() const { return m_constraintGroups; }

  const char* GetHostCAD() const { return m_hostCAD; }
  void SetHostCAD(const char* text);
  const char* GetUnits() const { return m_units; }
  void SetUnits(const char* text);
  // The cross-reference loader attached by the caller; not owned, not saved.
  CPxr* GetPxr() const { return m_pxr; }
  void SetPxr(CPxr* pxr) { m_pxr = pxr; }

  SDesignElement* Find(const char*, const char*) { return nullptr; }

  void SetDesignsAllocationSize(int) {}
  void SetTopCellsAllocationSize(int) {}
  void SetFilesAllocationSize(int) {}
  void SetConstraintsAllocationSize(int) {}
  void SetConstraintSetsAllocationSize(int) {}
  void SetConstraintGroupsAllocationSize(int) {}

 private:
  // Record items 4 and 7 (top cells, designs) and 8 to 10 (constraint
  // sets, constraints, constraint groups), and the deletion of those
  // children; each family completes its part when its class exists.
  void SerializeTopCells(tavrin::Record& r);
  void SerializeDesigns(tavrin::Record& r);
  void SerializeConstraintFamilies(tavrin::Record& r);
  void DestroyDesigns();
  void DestroyConstraintFamilies();

  char* m_hostCAD = nullptr;
  char* m_units = nullptr;
  RelMap<CharM, SFile*> m_files;
  RelMap<CharM, SCell*> m_designs;
  RelMap<CharM, SConstraintSet*> m_constraintSets;
  RelLinkedList<SCell*> m_topCells;
  RelMap<CharM, SConstraint*> m_constraints;
  RelMap<CharM, SConstraintGroup*> m_constraintGroups;
  CPxr* m_pxr = nullptr;
};

// A file recorded with a project: name, alias, kind and time stamp.
class TAVRIN_API SFile : public TavrinObject {
  TAVRIN_CLASS(SFile)
 public:
  TAVRIN_ALLOCATION_OPERATORS
  SFile();
  ~SFile() override;

  virtual Persistent::Error Serialize(PersistentStore& s);
  virtual int WritePointer(PersistentStore& s);
  void InternalUpdate() {}
  HANDLEMA* GetHeap() const { return m_heap; }

  long GetId() const { return m_id; }
  const char* GetAlias() const { return m_alias; }
  void SetAlias(const char* text);
  const char* GetKind() const { return m_kind; }
  void SetKind(const char* text);
  char* GetName() const { return m_name; }
  void SetName(const char* text);
  long GetTimeStamp() const { return m_timeStamp; }
  void SetTimeStamp(long t) { m_timeStamp = static_cast<int32_t>(t); }
  // Whether the time stamp is in GMT; not saved.
  bool GetIsGMT() const { return m_gmt; }
  void SetGMT(bool gmt) { m_gmt = gmt; }

 protected:
  void SetId(long id) { m_id = static_cast<int32_t>(id); }

 private:
  HANDLEMA* m_heap;
  char* m_alias = nullptr;
  char* m_kind = nullptr;
  char* m_name = nullptr;
  int32_t m_timeStamp = 0;
  int32_t m_id;
  bool m_gmt = false;
};

#endif
