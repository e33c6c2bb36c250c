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
class SConstraintGroup;
class CPxr;

// The root of a design database. It owns its heap (deleting the session
// destroys the heap and everything in it at once), its projects and its
// libraries. Obtain one with AllocSession().
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
  template <class L>
  L* CreateLibrary(const char* name, RelLinkedList<L*>& list);

  HANDLEMA* m_heap;
  int32_t m_id;
  RelMap<CharM, SProject*> m_projects;
  RelMap<CharM, SLibrary*> m_libraries;
  RelLinkedList<SPackageLibrary*> m_packageLibraries;
  RelLinkedList<SPinMappingLibrary*> m_pinMappingLibraries;
  RelLinkedList<SPadStackLibrary*> m_padStackLibraries;
  char* m_version = nullptr;
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

#endif
