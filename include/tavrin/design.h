// Design hierarchy: session, libraries, projects and files.
#ifndef TAVRIN_DESIGN_H
#define TAVRIN_DESIGN_H

#include <climits>

#include "tavrin/connect.h"
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
class SModule;
class SPart;
class SPartInstance;
class SGenericCellInstance;
class SModuleInstance;
class SNetScalar;
class SNetBus;
class SNetBundle;
class SSlot;
class SRangeValue;
class SPortScalar;
class SPortBus;
class SPortBundle;
class SConnectivityRepresentation;
class SSchematicRepresentation;
class SSchematicSheet;
class SConfiguration;
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
  // Why the last Save or Restore of this session failed, as one line of
  // text ("out of memory" when memory ran out); empty after a success and
  // before the first call. Valid until the next Save, Restore or deletion.
  const char* GetLastError() const;
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
  TAVRIN_LOCAL L* CreateLibrary(const char* name, RelLinkedList<L*>& list);
  // Reading: reads the record into a pending record and links it into the
  // session only when all of it read cleanly (and, for a file, when the data
  // section ends where the object table begins). The pending record's texts
  // come from `heap`, the heap the store creates the objects in.
  TAVRIN_LOCAL Persistent::Error ReadRecord(PersistentStore& s, PersistentFile* file, HANDLEMA* heap);
  TAVRIN_LOCAL bool ReadPending(tavrin::Record& r, PendingRecord& p);
  // Links a pending record into the session; on allocation failure undoes
  // what it linked and returns false.
  TAVRIN_LOCAL bool Commit(PendingRecord& p);

  HANDLEMA* m_heap;
  int32_t m_id;
  RelMap<CharM, SProject*> m_projects;
  RelMap<CharM, SLibrary*> m_libraries;
  RelLinkedList<SPackageLibrary*> m_packageLibraries;
  RelLinkedList<SPinMappingLibrary*> m_pinMappingLibraries;
  RelLinkedList<SPadStackLibrary*> m_padStackLibraries;
  char* m_version = nullptr;
  // The reason of the last failed Save or Restore (null: none, or it could
  // not be kept, see m_lastErrorLost).
  char* m_lastError = nullptr;
  bool m_lastErrorLost = false;
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

  // A new package of this library, filed under its name (taking over an
  // existing entry; the older package stays allocated); null for a null
  // name or when memory is exhausted. Destroy only unlinks.
  SPackage* CreatePackage(const char* name);
  SPackage* GetPackage(const char* name) const;
  bool HasPackage(const char* name) const;
  bool DestroyPackage(const char* name);
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

  // As the package library's family, for pad stacks.
  SPadStack* CreatePadStack(const char* name);
  SPadStack* GetPadStack(const char* name) const;
  bool HasPadStack(const char* name) const;
  bool DestroyPadStack(const char* name);
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

  // A new pin mapping of this library, filed under its name (taking over
  // an existing entry; the older mapping stays allocated); null for a null
  // name or when memory is exhausted. Destroy only unlinks.
  SPinMapping* CreatePinMapping(const char* name);
  SPinMapping* GetPinMapping(const char* name) const;
  bool HasPinMapping(const char* name) const;
  bool DestroyPinMapping(const char* name);
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

  // Designs (cells) by name. Create sets the cell's project and takes over
  // an existing entry of the same name (the older cell stays allocated);
  // null for a null name or when memory is exhausted.
  SCell* CreateDesignCell(const char* name);
  SCell* GetDesign(const char* name) const;
  bool HasDesign(const char* name);
  // Unlinks (also from the top cells) and deletes the cell when it exists
  // and has no instances; the cells that its deleted cell instances
  // instantiate each lose one count.
  bool DestroyDesign(const char* name);
  const RelMap<CharM, SCell*>& GetAllDesigns() const { return m_designs; }

  // References to some of the designs, in insertion order.
  bool InsertTopCell(SCell* cell);  // false when null or already listed
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
  TAVRIN_LOCAL void SerializeTopCells(tavrin::Record& r);
  TAVRIN_LOCAL void SerializeDesigns(tavrin::Record& r);
  TAVRIN_LOCAL void SerializeConstraintFamilies(tavrin::Record& r);
  TAVRIN_LOCAL void DestroyDesigns();
  TAVRIN_LOCAL void DestroyConstraintFamilies();

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

// ---- cells, representations, configurations, interfaces, ports, sheets

class SInstantiator;
class SRepresentation;
class SInterface;
class SPort;
class SCellInstance;
class SNet;
class SOATContext;

// The direction or kind of a port. Its values belong to the caller; the
// library stores them unchanged.
enum TavrinPortType : int32_t { TAVRIN_PORT_TYPE_NONE = 0 };

// Base of everything that can be instantiated: cells, ports, slots.
class TAVRIN_API SInstantiator : public SDesignElement {
  TAVRIN_CLASS(SInstantiator)
 public:
  Persistent::Error Serialize(PersistentStore& s) override;

 protected:
  SInstantiator() {}
};

// A design block of a project: at most one interface, representations of
// four kinds, global ports of its own and numbered member slots. The name
// maps are lookups; the kind lists carry the order and are what is saved.
class TAVRIN_API SCell : public SInstantiator {
  TAVRIN_CLASS(SCell)
  TAVRIN_ID_ACCESSORS
 public:
  SCell();
  // Deletes its representations and global ports (every one its kind lists
  // hold), its interface and the member slots of its map; unlinks nothing
  // elsewhere.
  ~SCell() override;

  void InternalUpdate() override;
  Persistent::Error Serialize(PersistentStore& s) override;

  // Deletes the current interface, if any, and makes a new one for this
  // cell; null (the old one kept) when memory is exhausted.
  SInterface* CreateInterface();
  SInterface* GetInterface() const { return m_interface; }
  // Deletes the interface; always true.
  bool DestroyInterface();

  // Representations by name. Create takes over an existing entry of the same
  // name (the older one stays in its kind list); null for a null name or
  // when memory is exhausted. Destroy only unlinks.
  SConnectivityRepresentation* CreateConnectivityRepresentation(const char* name);
  SSchematicRepresentation* CreateSchematicRepresentation(const char* name);
  // The board view: appended at the tail of the module list.
  SModule* CreateModule(const char* name);
  SPart* CreatePart(const char* name);
  SRepresentation* GetRepresentation(const char* name) const;
  bool HasRepresentation(const char* name);
  bool DestroyRepresentation(const char* name);

  // Global ports: owned by the cell, no back-reference to it.
  SPortScalar* CreateGlobalPortPortScalar(const char* name);
  SPortBus* CreateGlobalPortPortBus(const char* name);
  SPortBundle* CreateGlobalPortPortBundle(const char* name);
  SPort* GetGlobalPort(const char* name) const;
  bool HasGlobalPort(const char* name);
  bool DestroyGlobalPort(const char* name);

  // Member slots by number; Create replaces an existing entry (the older
  // slot stays allocated). Destroy only unlinks.
  SSlot* CreateMemberSlotSlot(int number);
  SSlot* GetMemberSlot(int number) const;
  bool HasMemberSlot(int number);
  bool DestroyMemberSlot(int number);

  // References kept for the caller.
  bool InsertAggregateSlot(SSlot* slot);  // false when null or already listed
  bool RemoveAggregateSlot(SSlot* slot);
  bool HasAggregateSlot(SSlot* slot);
  // Empties the aggregate-slot list and the member-slot map; deletes nothing.
  void RemoveSlots();

  // The count comes from files too, so it stops at the int range rather
  // than overflow.
  int AddCellRef() { return m_instanceCount < INT_MAX ? ++m_instanceCount : m_instanceCount; }
  int RemoveCellRef() { return m_instanceCount > INT_MIN ? --m_instanceCount : m_instanceCount; }
  int GetInstanceCount() const { return m_instanceCount; }
  void SetInstanceCount(int n) { m_instanceCount = n; }

  SRepresentation* GetDefaultRepresentation() const { return m_defaultRepresentation; }
  bool SetDefaultRepresentation(SRepresentation* r) {
    m_defaultRepresentation = r;
    return true;
  }
  SProject* GetProject() const { return m_project; }

  const RelMap<CharM, SRepresentation*>& GetAllRepresentations() const { return m_representations; }
  const RelLinkedList<SConnectivityRepresentation*>& GetAllConnectivityRepresentations() const {
    return m_connectivityRepresentations;
  }
  const RelLinkedList<SModule*>& GetAllModules() const { return m_modules; }
  const RelLinkedList<SPart*>& GetAllParts() const { return m_parts; }
  const RelLinkedList<SSchematicRepresentation*>& GetAllSchematicRepresentations() const {
    return m_schematicRepresentations;
  }
  const RelMap<CharM, SPort*>& GetAllGlobalPorts() const { return m_globalPorts; }
  const RelLinkedList<SPortScalar*>& GetAllPortScalars() const { return m_portScalars; }
  const RelLinkedList<SPortBus*>& GetAllPortBi() const { return m_portBi; }
  const RelLinkedList<SPortBundle*>& GetAllPortBundles() const { return m_portBundles; }
  const RelMap<int, SSlot*>& GetAllMemberSlots() const { return m_memberSlots; }
  const RelLinkedList<SSlot*>& GetAllAggregateSlots() const { return m_aggregateSlots; }

  void SetConnectivityRepresentationsAllocationSize(int) {}
  void SetModulesAllocationSize(int) {}
  void SetPartsAllocationSize(int) {}
  void SetSchematicRepresentationsAllocationSize(int) {}
  void SetPortScalarsAllocationSize(int) {}
  void SetPortBiAllocationSize(int) {}
  void SetPortBundlesAllocationSize(int) {}
  void SetMemberSlotsAllocationSize(int) {}
  void SetAggregateSlotsAllocationSize(int) {}

 protected:
  friend class SProject;
  bool SetProject(SProject* project) {
    m_project = project;
    return true;
  }

 private:
  template <class R>
  R* CreateRepresentation(const char* name, RelLinkedList<R*>& list);
  template <class P>
  P* CreateGlobalPort(const char* name, RelLinkedList<P*>& list);
  int32_t m_instanceCount = 0;
  RelMap<CharM, SRepresentation*> m_representations;
  RelLinkedList<SConnectivityRepresentation*> m_connectivityRepresentations;
  RelLinkedList<SModule*> m_modules;
  RelLinkedList<SPart*> m_parts;
  RelLinkedList<SSchematicRepresentation*> m_schematicRepresentations;
  SRepresentation* m_defaultRepresentation = nullptr;
  SInterface* m_interface = nullptr;
  RelMap<CharM, SPort*> m_globalPorts;
  RelLinkedList<SPortScalar*> m_portScalars;
  RelLinkedList<SPortBus*> m_portBi;
  RelLinkedList<SPortBundle*> m_portBundles;
  RelMap<int, SSlot*> m_memberSlots;
  SProject* m_project = nullptr;
  RelLinkedList<SSlot*> m_aggregateSlots;
};

// The contents of one view of a cell: cell instances and nets (name maps
// for lookup, kind lists for order), configurations and OAT contexts.
class TAVRIN_API SRepresentation : public SDesignElement {
  TAVRIN_CLASS(SRepresentation)
 public:
  // Deletes its cell instances and nets (every one its kind lists hold) and
  // the configurations and OAT contexts of its maps; the files it lists stay.
  ~SRepresentation() override;

  void InternalUpdate() override;
  Persistent::Error Serialize(PersistentStore& s) override;

  // Cell instances by name; Create counts the instance in `cell`. Null, and
  // nothing changes, for a null name or cell or when memory is exhausted.
  SGenericCellInstance* CreateGenericCellInstance(const char* name, SCell* cell);
  SModuleInstance* CreateModuleInstance(const char* name, SCell* cell);
  SPartInstance* CreatePartInstance(const char* name, SCell* cell);
  SCellInstance* GetCellInstance(const char* name) const;
  bool HasCellInstance(const char* name);
  // Unlinks the instance from every configuration, the sheets of this view,
  // its kind list and the map, uncounts it in its cell, and deletes it;
  // false for an absent name.
  bool DestroyCellInstance(const char* name);

  // Nets by name; no back-reference is set. Destroy only unlinks.
  SNetScalar* CreateNetScalar(const char* name);
  SNetBus* CreateNetBus(const char* name);
  SNetBundle* CreateNetBundle(const char* name);
  SNet* GetNet(const char* name) const;
  bool HasNet(const char* name);
  bool DestroyNet(const char* name);

  SConfiguration* CreateConfiguration(const char* name);
  SConfiguration* GetConfiguration(const char* name) const;
  bool HasConfiguration(const char* name);
  bool DestroyConfiguration(const char* name);

  // A new context named `name`, filed under it (no back-reference); null
  // for a null name or when memory is exhausted. Destroy only unlinks.
  SOATContext* CreateOATContext(const char* name);
  SOATContext* GetOATContext(const char* name) const;
  bool HasOATContext(const char* name);
  bool DestroyOATContext(const char* name);

  // References to project files.
  bool InsertFile(SFile* file);  // false when null or already listed
  bool RemoveFile(SFile* file);
  bool HasFile(SFile* file);

  char* GetUnits() const { return m_units; }
  void SetUnits(const char* text);
  SCell* GetCell() const { return m_cell; }
  // Makes this the cell's default representation when it has none, then
  // stores the cell. A null cell is stored as it is.
  bool SetCell(SCell* cell);
  SConfiguration* GetDefaultConfiguration() const { return m_defaultConfiguration; }
  bool SetDefaultConfiguration(SConfiguration* c) {
    m_defaultConfiguration = c;
    return true;
  }

  const RelMap<CharM, SCellInstance*>& GetAllCellInstances() const { return m_cellInstances; }
  const RelLinkedList<SGenericCellInstance*>& GetAllGenericCellInstances() const { return m_genericCellInstances; }
  const RelLinkedList<SModuleInstance*>& GetAllModuleInstances() const { return m_moduleInstances; }
  const RelLinkedList<SPartInstance*>& GetAllPartInstances() const { return m_partInstances; }
  const RelMap<CharM, SNet*>& GetAllNets() const { return m_nets; }
  const RelLinkedList<SNetScalar*>& GetAllNetScalars() const { return m_netScalars; }
  const RelLinkedList<SNetBus*>& GetAllNetBi() const { return m_netBi; }
  const RelLinkedList<SNetBundle*>& GetAllNetBundles() const { return m_netBundles; }
  const RelMap<CharM, SConfiguration*>& GetAllConfigurations() const { return m_configurations; }
  const RelMap<CharM, SOATContext*>& GetAllOATContexts() const { return m_oatContexts; }
  const RelLinkedList<SFile*>& GetAllFiles() const { return m_files; }

  void SetGenericCellInstancesAllocationSize(int) {}
  void SetModuleInstancesAllocationSize(int) {}
  void SetPartInstancesAllocationSize(int) {}
  void SetNetScalarsAllocationSize(int) {}
  void SetNetBiAllocationSize(int) {}
  void SetNetBundlesAllocationSize(int) {}
  void SetConfigurationsAllocationSize(int) {}
  void SetOATContextsAllocationSize(int) {}
  void SetFilesAllocationSize(int) {}

 protected:
  SRepresentation();

 private:
  template <class I>
  I* CreateCellInstance(const char* name, SCell* cell, RelLinkedList<I*>& list);
  template <class N>
  N* CreateNet(const char* name, RelLinkedList<N*>& list);

  char* m_units = nullptr;
  RelLinkedList<SFile*> m_files;
  SCell* m_cell = nullptr;
  RelMap<CharM, SCellInstance*> m_cellInstances;
  RelLinkedList<SGenericCellInstance*> m_genericCellInstances;
  RelLinkedList<SModuleInstance*> m_moduleInstances;
  RelLinkedList<SPartInstance*> m_partInstances;
  RelMap<CharM, SNet*> m_nets;
  RelLinkedList<SNetScalar*> m_netScalars;
  RelLinkedList<SNetBus*> m_netBi;
  RelLinkedList<SNetBundle*> m_netBundles;
  RelMap<CharM, SConfiguration*> m_configurations;
  RelMap<CharM, SOATContext*> m_oatContexts;
  SConfiguration* m_defaultConfiguration = nullptr;
};

// A view of connectivity only.
class TAVRIN_API SConnectivityRepresentation : public SRepresentation {
  TAVRIN_CLASS(SConnectivityRepresentation)
  TAVRIN_ID_ACCESSORS
 public:
  SConnectivityRepresentation() {}
  Persistent::Error Serialize(PersistentStore& s) override;
  using SDesignElement::SetId;
};

// Representation choices inside one representation: for a cell instance,
// the representation of its cell that is used. Keys and values are references.
class TAVRIN_API SConfiguration : public SDesignElement {
  TAVRIN_CLASS(SConfiguration)
  TAVRIN_ID_ACCESSORS
 public:
  SConfiguration();
  ~SConfiguration() override;
  Persistent::Error Serialize(PersistentStore& s) override;
  using SDesignElement::SetId;

  // False, and nothing changes, when the instance already has a selection.
  bool SetSelectedRepresentation(SCellInstance* ci, SRepresentation* rep);
  SRepresentation* GetSelectedRepresentation(SCellInstance* ci) const;
  bool HasSelectedRepresentation(SCellInstance* ci);
  bool RemoveSelectedRepresentation(SCellInstance* ci);
  const RelMap<SCellInstance*, SRepresentation*>& GetAllSelectedRepresentations() const { return m_selected; }

  SRepresentation* GetRepresentation() const { return m_representation; }
  bool SetRepresentation(SRepresentation* r) {
    m_representation = r;
    return true;
  }
  RelLinkedList<SDesignElement*> Find(char*) { return RelLinkedList<SDesignElement*>(); }
  void SetSelectedRepresentationsAllocationSize(int) {}

 private:
  RelMap<SCellInstance*, SRepresentation*> m_selected;
  SRepresentation* m_representation = nullptr;
};

// The ports of a cell's pin-out and a one-directional map of swappable ports.
class TAVRIN_API SInterface : public TavrinObject {
  TAVRIN_CLASS(SInterface)
 public:
  TAVRIN_ALLOCATION_OPERATORS
  SInterface();
  // Deletes its ports (every one its kind lists hold).
  ~SInterface() override;

  virtual Persistent::Error Serialize(PersistentStore& s);
  virtual int WritePointer(PersistentStore& s);
  void InternalUpdate();
  HANDLEMA* GetHeap() const { return m_heap; }

  // Ports by name; Create sets the port's interface and takes over an
  // existing entry of the same name. Null for a null name or when memory is
  // exhausted. Destroy only unlinks.
  SPortScalar* CreatePortScalar(const char* name);
  SPortBus* CreatePortBus(const char* name);
  SPortBundle* CreatePortBundle(const char* name);
  SPort* GetPort(const char* name) const;
  bool HasPort(const char* name);
  bool DestroyPort(const char* name);

  // False, and nothing changes, when `port` already has a partner.
  bool SetSwappablePort(SPort* port, SPort* partner);
  SPort* GetSwappablePort(SPort* port) const;
  bool HasSwappablePort(SPort* port);
  bool RemoveSwappablePort(SPort* port);

  const RelMap<CharM, SPort*>& GetAllPorts() const { return m_ports; }
  const RelLinkedList<SPortScalar*>& GetAllPortScalars() const { return m_portScalars; }
  const RelLinkedList<SPortBus*>& GetAllPortBi() const { return m_portBi; }
  const RelLinkedList<SPortBundle*>& GetAllPortBundles() const { return m_portBundles; }
  const RelMap<SPort*, SPort*>& GetAllSwappablePorts() const { return m_swappable; }

  SCell* GetCell() const { return m_cell; }
  bool SetCell(SCell* cell) {
    m_cell = cell;
    return true;
  }
  long GetId() const { return m_id; }
  void SetId(long id) { m_id = static_cast<int32_t>(id); }

  void SetPortScalarsAllocationSize(int) {}
  void SetPortBiAllocationSize(int) {}
  void SetPortBundlesAllocationSize(int) {}
  void SetSwappablePortsAllocationSize(int) {}

 private:
  template <class P>
  P* CreatePort(const char* name, RelLinkedList<P*>& list);

  HANDLEMA* m_heap;
  int32_t m_id;
  SCell* m_cell = nullptr;
  RelMap<CharM, SPort*> m_ports;
  RelLinkedList<SPortScalar*> m_portScalars;
  RelLinkedList<SPortBus*> m_portBi;
  RelLinkedList<SPortBundle*> m_portBundles;
  RelMap<SPort*, SPort*> m_swappable;
};

// Common data of the three kinds of port.
class TAVRIN_API SPort : public SInstantiator {
  TAVRIN_CLASS(SPort)
 public:
  ~SPort() override;
  Persistent::Error Serialize(PersistentStore& s) override;

  TavrinPortType GetSignalType() const { return m_signalType; }
  void SetSignalType(TavrinPortType t) { m_signalType = t; }
  bool GetbIsGlobal() const { return m_isGlobal; }
  void SetbIsGlobal(bool on) { m_isGlobal = on; }
  SInterface* GetInterface() const { return m_interface; }
  bool SetInterface(SInterface* i) {
    m_interface = i;
    return true;
  }

  // The bundles this port belongs to (references).
  bool InsertPortBundle(SPortBundle* bundle);  // false when null or already listed
  bool RemovePortBundle(SPortBundle* bundle);
  bool HasPortBundle(SPortBundle* bundle);
  const RelLinkedList<SPortBundle*>& GetAllPortBundles() const { return m_portBundles; }
  void SetPortBundlesAllocationSize(int) {}

 protected:
  SPort() {}

 private:
  TavrinPortType m_signalType = TAVRIN_PORT_TYPE_NONE;
  bool m_isGlobal = false;
  RelLinkedList<SPortBundle*> m_portBundles;
  SInterface* m_interface = nullptr;
};

class TAVRIN_API SPortScalar : public SPort {
  TAVRIN_CLASS(SPortScalar)
  TAVRIN_ID_ACCESSORS
 public:
  SPortScalar() {}
  ~SPortScalar() override;
  Persistent::Error Serialize(PersistentStore& s) override;
  using SDesignElement::SetId;

  // The buses this scalar belongs to and the scalars it fans out to
  // (references; Insert refuses null and one already listed).
  bool InsertPortBus(SPortBus* bus);
  bool RemovePortBus(SPortBus* bus);
  bool HasPortBus(SPortBus* bus);
  bool InsertPortScalarFan(SPortScalar* fan);
  bool RemovePortScalarFan(SPortScalar* fan);
  bool HasPortScalarFan(SPortScalar* fan);
  const RelLinkedList<SPortBus*>& GetAllPortBi() const { return m_portBi; }
  const RelLinkedList<SPortScalar*>& GetAllPortScalarFans() const { return m_fans; }
  void SetPortBiAllocationSize(int) {}
  void SetPortScalarFansAllocationSize(int) {}

 private:
  RelLinkedList<SPortBus*> m_portBi;
  RelLinkedList<SPortScalar*> m_fans;
};

// Scalar ports under integer indices, its own index ranges, and sub-ranges
// bound to other buses.
class TAVRIN_API SPortBus : public SPort {
  TAVRIN_CLASS(SPortBus)
  TAVRIN_ID_ACCESSORS
 public:
  SPortBus();
  // Deletes its index ranges; members and sub-buses are references.
  ~SPortBus() override;
  void InternalUpdate() override;
  Persistent::Error Serialize(PersistentStore& s) override;
  using SDesignElement::SetId;

  // Members by exact index; Set refuses a taken index.
  bool SetPortScalar(int index, SPortScalar* scalar);
  SPortScalar* GetPortScalar(int index) const;
  bool HasPortScalar(int index);
  bool RemovePortScalar(int index);

  // A new empty range at the head of the indices; null when memory is exhausted.
  SRangeValue* CreateIndicesRangeValue();
  bool HasIndices(SRangeValue* range);
  // Unlinks and deletes one of this bus's ranges; false for any other.
  bool DestroyIndices(SRangeValue* range);

  // Sub-buses keyed by range object; Set refuses a bound range object.
  bool SetSubPortBus(SRangeValue* range, SPortBus* bus);
  SPortBus* GetSubPortBus(SRangeValue* range) const;
  // Whether any bound range matches `range` by value; false for null.
  bool HasSubPortBus(SRangeValue* range);
  bool RemoveSubPortBus(SRangeValue* range);

  int GetSize() const { return m_size; }
  void SetSize(int size) { m_size = size; }
  const RelLinkedList<SRangeValue*>& GetAllIndiceses() const { return m_indices; }
  const RelMap<int, SPortScalar*>& GetAllPortScalars() const { return m_portScalars; }
  const RelMap<SRangeValue*, SPortBus*>& GetAllSubPortBi() const { return m_subPortBi; }
  void SetIndicesesAllocationSize(int) {}
  void SetPortScalarsAllocationSize(int) {}
  void SetSubPortBiAllocationSize(int) {}

 private:
  int32_t m_size = 0;
  RelLinkedList<SRangeValue*> m_indices;
  RelMap<int, SPortScalar*> m_portScalars;
  RelMap<SRangeValue*, SPortBus*> m_subPortBi;
};

// Member ports of any kind (references).
class TAVRIN_API SPortBundle : public SPort {
  TAVRIN_CLASS(SPortBundle)
  TAVRIN_ID_ACCESSORS
 public:
  SPortBundle() {}
  ~SPortBundle() override;
  Persistent::Error Serialize(PersistentStore& s) override;
  using SDesignElement::SetId;

  bool InsertPort(SPort* port);  // false when null or already a member
  bool RemovePort(SPort* port);
  bool HasPort(SPort* port);
  const RelLinkedList<SPort*>& GetAllPorts() const { return m_ports; }
  void SetPortsAllocationSize(int) {}

 private:
  RelLinkedList<SPort*> m_ports;
};

// The drawing view of a cell, divided into sheets under integer keys.
class TAVRIN_API SSchematicRepresentation : public SRepresentation {
  TAVRIN_CLASS(SSchematicRepresentation)
  TAVRIN_ID_ACCESSORS
 public:
  SSchematicRepresentation();
  // Deletes the sheets its map holds.
  ~SSchematicRepresentation() override;
  void InternalUpdate() override;
  Persistent::Error Serialize(PersistentStore& s) override;
  using SDesignElement::SetId;

  // A new sheet under `key` owned by this representation (number 0);
  // replaces an existing entry. Null when memory is exhausted.
  SSchematicSheet* CreateSchematicSheet(int key);
  SSchematicSheet* GetSchematicSheet(int key) const;
  bool HasSchematicSheet(int key);
  // Unlinks (does not delete).
  bool DestroySchematicSheet(int key);
  const RelMap<int, SSchematicSheet*>& GetAllSchematicSheets() const { return m_sheets; }
  void SetSchematicSheetsAllocationSize(int) {}

 private:
  RelMap<int, SSchematicSheet*> m_sheets;
};

// One sheet: the generic cell instances and nets drawn on it (references).
class TAVRIN_API SSchematicSheet : public SDesignElement {
  TAVRIN_CLASS(SSchematicSheet)
  TAVRIN_ID_ACCESSORS
 public:
  SSchematicSheet() {}
  ~SSchematicSheet() override;
  Persistent::Error Serialize(PersistentStore& s) override;
  using SDesignElement::SetId;

  bool InsertGenericCellInstance(SGenericCellInstance* ci);  // false when null or listed
  bool RemoveGenericCellInstance(SGenericCellInstance* ci);
  bool HasGenericCellInstance(SGenericCellInstance* ci);
  bool InsertNet(SNet* net);  // false when null or listed
  bool RemoveNet(SNet* net);
  bool HasNet(SNet* net);
  const RelLinkedList<SGenericCellInstance*>& GetAllGenericCellInstances() const { return m_instances; }
  const RelLinkedList<SNet*>& GetAllNets() const { return m_nets; }

  int GetNumber() const { return m_number; }
  void SetNumber(int n) { m_number = n; }
  SSchematicRepresentation* GetSchematicRepresentation() const { return m_representation; }
  bool SetSchematicRepresentation(SSchematicRepresentation* r) {
    m_representation = r;
    return true;
  }
  void SetGenericCellInstancesAllocationSize(int) {}
  void SetNetsAllocationSize(int) {}

 private:
  int32_t m_number = 0;
  RelLinkedList<SGenericCellInstance*> m_instances;
  RelLinkedList<SNet*> m_nets;
  SSchematicRepresentation* m_representation = nullptr;
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

// ---- instances, port instances and slots

class SInstantiator;
class SRepresentation;
class SPort;
class SNetScalar;
class SPhysicalNode;
class SPartPinInstance;
class SConnectorPinInstance;
class SSchematicSheet;
class SRangeValue;
class SPortInstance;
class SPortInstanceScalar;
class SPortInstanceBus;
class SPortInstanceBundle;
class SSlot;
class SSlotInstance;

// Base of everything that is an instance of something.
class TAVRIN_API SInstance : public SDesignElement {
  TAVRIN_CLASS(SInstance)
 public:
  ~SInstance() override;

 protected:
  SInstance();
};

// A use of a cell inside a representation of another cell. It owns its
// port instances (named; one kind list per class) and its member slot
// instances (numbered).
class TAVRIN_API SCellInstance : public SInstance {
  TAVRIN_CLASS(SCellInstance)
 public:
  // Deletes the owned port instances and slot instances; uncounts nothing.
  ~SCellInstance() override;
  void InternalUpdate() override;
  Persistent::Error Serialize(PersistentStore& s) override;

  // Port instances by name. Create takes over an existing entry of the same
  // name (the older one stays in its kind list, still owned and saved); null
  // for a null name or when memory is exhausted.
  SPortInstanceScalar* CreatePortInstanceScalar(const char* name);
  SPortInstanceBus* CreatePortInstanceBus(const char* name);
  SPortInstanceBundle* CreatePortInstanceBundle(const char* name);
  SPortInstance* GetPortInstance(const char* name) const;
  bool HasPortInstance(const char* name);
  // Unlinks from the map and its kind list (not deleted); false when absent.
  bool DestroyPortInstance(const char* name);

  // Member slot instances by number. A slot instance sits under one number
  // of one cell instance, which owns it. Create replaces the entry of a
  // taken number (the older slot instance is then no longer reached from
  // here, nor owned); null when memory is exhausted.
  SSlotInstance* CreateMemberSlotInstanceSlotInstance(int number);
  // Enters an existing slot instance (null is ignored), taking it out of
  // the entry that held it before, here or in another cell instance, and
  // makes this instance its aggregate cell instance.
  void CreateMemberSlotInstanceSlotInstance2(int number, SSlotInstance* si);
  SSlotInstance* GetMemberSlotInstance(int number) const;
  bool HasMemberSlotInstance(int number);
  // Unlinks (not deleted); false when absent.
  bool DestroyMemberSlotInstance(int number);

  // For a representation, the slot instance this instance fills there.
  // Set refuses a representation that already has an entry.
  bool SetAggregateSlotInstance(SRepresentation* rep, SSlotInstance* si);
  SSlotInstance* GetAggregateSlotInstance(SRepresentation* rep) const;
  bool HasAggregateSlotInstance(SRepresentation* rep);
  bool RemoveAggregateSlotInstance(SRepresentation* rep);

  SCell* GetCell() const { return m_cell; }
  // Moves one instance count from the previous cell to `cell`; false (and
  // nothing changes) for a null cell.
  bool SetCell(SCell* cell);
  char* GetUID() const { return m_uid; }
  // A null text leaves the UID as it is.
  void SetUID(const char* uid);

  const RelMap<CharM, SPortInstance*>& GetAllPortInstances() const { return m_portInstances; }
  const RelLinkedList<SPortInstanceScalar*>& GetAllPortInstanceScalars() const { return m_portInstanceScalars; }
  const RelLinkedList<SPortInstanceBus*>& GetAllPortInstanceBi() const { return m_portInstanceBi; }
  const RelLinkedList<SPortInstanceBundle*>& GetAllPortInstanceBundles() const { return m_portInstanceBundles; }
  const RelMap<int, SSlotInstance*>& GetAllMemberSlotInstances() const { return m_memberSlotInstances; }
  const RelMap<SRepresentation*, SSlotInstance*>& GetAllAggregateSlotInstances() const {
    return m_aggregateSlotInstances;
  }

  void SetPortInstanceScalarsAllocationSize(int) {}
  void SetPortInstanceBiAllocationSize(int) {}
  void SetPortInstanceBundlesAllocationSize(int) {}
  void SetMemberSlotInstancesAllocationSize(int) {}
  void SetAggregateSlotInstancesAllocationSize(int) {}

 protected:
  SCellInstance();

 private:
  template <class T>
  T* CreatePortInstance(const char* name, RelLinkedList<T*>& list);
  // Record item 6 while reading: a number already taken moves up to the
  // next free one.
  TAVRIN_LOCAL void ReadMemberSlotInstances(tavrin::Record& r);
  // Files `si` under `number` as its owner; false (nothing changed) when
  // memory is exhausted.
  TAVRIN_LOCAL bool EnterSlotInstance(int number, SSlotInstance* si);
  // Takes the entry holding `si` out of this instance's map (except one
  // under `*keep`); `si` is then no longer owned.
  TAVRIN_LOCAL void LeaveSlotInstance(SSlotInstance* si, const int* keep);

  char* m_uid = nullptr;
  RelMap<CharM, SPortInstance*> m_portInstances;
  RelLinkedList<SPortInstanceScalar*> m_portInstanceScalars;
  RelLinkedList<SPortInstanceBus*> m_portInstanceBi;
  RelLinkedList<SPortInstanceBundle*> m_portInstanceBundles;
  SCell* m_cell = nullptr;
  RelMap<int, SSlotInstance*> m_memberSlotInstances;
  RelMap<SRepresentation*, SSlotInstance*> m_aggregateSlotInstances;
};

// A cell instance in a schematic, placed on a sheet.
class TAVRIN_API SGenericCellInstance : public SCellInstance {
  TAVRIN_CLASS(SGenericCellInstance)
  TAVRIN_ID_ACCESSORS
 public:
  SGenericCellInstance();
  ~SGenericCellInstance() override;
  Persistent::Error Serialize(PersistentStore& s) override;

  void SetId(long id) { SDesignElement::SetId(id); }
  SSchematicSheet* GetSchematicSheet() const { return m_schematicSheet; }
  bool SetSchematicSheet(SSchematicSheet* sheet) {
    m_schematicSheet = sheet;
    return true;
  }

 private:
  SSchematicSheet* m_schematicSheet = nullptr;
};

// A cell instance in a module.
class TAVRIN_API SModuleInstance : public SCellInstance {
  TAVRIN_CLASS(SModuleInstance)
  TAVRIN_ID_ACCESSORS
 public:
  SModuleInstance();
  ~SModuleInstance() override;
  Persistent::Error Serialize(PersistentStore& s) override;

  void SetId(long id) { SDesignElement::SetId(id); }
};

// Common part of the port instances: the owning cell instance, the port it
// instantiates and the bundles it belongs to.
class TAVRIN_API SPortInstance : public SInstance {
  TAVRIN_CLASS(SPortInstance)
 public:
  ~SPortInstance() override;
  Persistent::Error Serialize(PersistentStore& s) override;

  SCellInstance* GetCellInstance() const { return m_cellInstance; }
  bool SetCellInstance(SCellInstance* ci) {
    m_cellInstance = ci;
    return true;
  }
  SPort* GetPort() const { return m_port; }
  bool SetPort(SPort* port) {
    m_port = port;
    return true;
  }

  // Insert refuses a bundle already listed.
  bool InsertPortInstanceBundle(SPortInstanceBundle* bundle);
  bool RemovePortInstanceBundle(SPortInstanceBundle* bundle);
  bool HasPortInstanceBundle(SPortInstanceBundle* bundle);
  const RelLinkedList<SPortInstanceBundle*>& GetAllPortInstanceBundles() const { return m_portInstanceBundles; }
  void SetPortInstanceBundlesAllocationSize(int) {}

 protected:
  SPortInstance();

 private:
  SCellInstance* m_cellInstance = nullptr;
  RelLinkedList<SPortInstanceBundle*> m_portInstanceBundles;
  SPort* m_port = nullptr;
};

// The instance of a scalar port: a pin of the connectivity model. Net,
// physical node, part pin instance and connector pin instance are plain
// references set by the classes that own those objects.
class TAVRIN_API SPortInstanceScalar : public SPortInstance, public SPin {
  TAVRIN_CLASS(SPortInstanceScalar)
  TAVRIN_ID_ACCESSORS
 public:
  typedef SPortInstance FirstBase;
  TAVRIN_ALLOCATION_OPERATORS
  SPortInstanceScalar();
  ~SPortInstanceScalar() override;
  // Through either view, the port instance record (the pin adds nothing).
  Persistent::Error Serialize(PersistentStore& s) override;
  int WritePointer(PersistentStore& s) override;

  void SetId(long id) { SDesignElement::SetId(id); }

  // Insert refuses a bus already listed.
  bool InsertPortInstanceBus(SPortInstanceBus* bus);
  bool RemovePortInstanceBus(SPortInstanceBus* bus);
  bool HasPortInstanceBus(SPortInstanceBus* bus);
  const RelLinkedList<SPortInstanceBus*>& GetAllPortInstanceBi() const { return m_portInstanceBi; }
  void SetPortInstanceBiAllocationSize(int) {}

  SNetScalar* GetNetScalar() const { return m_netScalar; }
  bool SetNetScalar(SNetScalar* net) {
    m_netScalar = net;
    return true;
  }
  SPhysicalNode* GetPhysicalNode() const { return m_rare ? m_rare->physicalNode : nullptr; }
  // False when the block the physical node and the connector pin instance
  // share cannot be had (the reference is then unchanged).
  bool SetPhysicalNode(SPhysicalNode* node);
  SPartPinInstance* GetPartPinInstance() const { return m_partPinInstance; }
  bool SetPartPinInstance(SPartPinInstance* pin) {
    m_partPinInstance = pin;
    return true;
  }
  SConnectorPinInstance* GetConnectorPinInstance() const { return m_rare ? m_rare->connectorPinInstance : nullptr; }
  bool SetConnectorPinInstance(SConnectorPinInstance* pin);

 private:
  // The two references few instances have live in a pool block of their
  // own, made when one is first set: without them an instance fits the
  // 120-byte pool class, where boards hold hundreds of thousands.
  struct RareLinks {
    SPhysicalNode* physicalNode;
    SConnectorPinInstance* connectorPinInstance;
  };
  // Sets one of them, making the block for a first non-null value.
  template <class T>
  TAVRIN_LOCAL bool SetRare(T* RareLinks::*field, T* value);

  RelLinkedList<SPortInstanceBus*> m_portInstanceBi;
  SNetScalar* m_netScalar = nullptr;
  SPartPinInstance* m_partPinInstance = nullptr;
  RareLinks* m_rare = nullptr;
};

// The instance of a bus port: member scalars by index, owned index ranges
// and range-keyed sub-buses.
class TAVRIN_API SPortInstanceBus : public SPortInstance {
  TAVRIN_CLASS(SPortInstanceBus)
  TAVRIN_ID_ACCESSORS
 public:
  SPortInstanceBus();
  // Deletes the index ranges; members and sub-buses are only referred to.
  ~SPortInstanceBus() override;
  void InternalUpdate() override;
  Persistent::Error Serialize(PersistentStore& s) override;

  void SetId(long id) { SDesignElement::SetId(id); }
  int GetSize() const { return m_size; }
  void SetSize(int size) { m_size = size; }

  // Members by index; Set refuses a taken index.
  bool SetPortInstanceScalar(int index, SPortInstanceScalar* scalar);
  SPortInstanceScalar* GetPortInstanceScalar(int index) const;
  bool HasPortInstanceScalar(int index);
  bool RemovePortInstanceScalar(int index);
  const RelMap<int, SPortInstanceScalar*>& GetAllPortInstanceScalars() const { return m_portInstanceScalars; }

  // Sub-buses keyed by the range object (by pointer). Set refuses a bound
  // range. Has compares by value: any bound range that the given one
  // matches; false for a null range.
  bool SetSubPortInstanceBus(SRangeValue* range, SPortInstanceBus* bus);
  SPortInstanceBus* GetSubPortInstanceBus(SRangeValue* range) const;
  bool HasSubPortInstanceBus(SRangeValue* range);
  bool RemoveSubPortInstanceBus(SRangeValue* range);
  const RelMap<SRangeValue*, SPortInstanceBus*>& GetAllSubPortInstanceBi() const { return m_subPortInstanceBi; }

  // Owned index ranges. Create puts a new empty range at the front (null
  // when memory is exhausted); Destroy unlinks and deletes a listed one.
  SRangeValue* CreateIndicesRangeValue();
  bool DestroyIndices(SRangeValue* range);
  bool HasIndices(SRangeValue* range);
  const RelLinkedList<SRangeValue*>& GetAllIndiceses() const { return m_indices; }

  void SetIndicesesAllocationSize(int) {}
  void SetPortInstanceScalarsAllocationSize(int) {}
  void SetSubPortInstanceBiAllocationSize(int) {}

 private:
  int32_t m_size = 0;
  RelMap<int, SPortInstanceScalar*> m_portInstanceScalars;
  RelMap<SRangeValue*, SPortInstanceBus*> m_subPortInstanceBi;
  RelLinkedList<SRangeValue*> m_indices;
};

// The instance of a bundle port: member port instances of any kind.
class TAVRIN_API SPortInstanceBundle : public SPortInstance {
  TAVRIN_CLASS(SPortInstanceBundle)
  TAVRIN_ID_ACCESSORS
 public:
  SPortInstanceBundle();
  ~SPortInstanceBundle() override;
  Persistent::Error Serialize(PersistentStore& s) override;

  void SetId(long id) { SDesignElement::SetId(id); }

  // Insert refuses a member already listed.
  bool InsertPortInstance(SPortInstance* member);
  bool RemovePortInstance(SPortInstance* member);
  bool HasPortInstance(SPortInstance* member);
  const RelLinkedList<SPortInstance*>& GetAllPortInstances() const { return m_portInstances; }
  void SetPortInstancesAllocationSize(int) {}

 private:
  RelLinkedList<SPortInstance*> m_portInstances;
};

// A numbered member slot of a cell (number 1 when new).
class TAVRIN_API SSlot : public SInstantiator {
  TAVRIN_CLASS(SSlot)
  TAVRIN_ID_ACCESSORS
 public:
  SSlot();
  ~SSlot() override;
  Persistent::Error Serialize(PersistentStore& s) override;

  int GetNumber() const { return m_number; }
  void SetNumber(int number) { m_number = number; }
  // The cell placed in this slot.
  SCell* GetMemberCell() const { return m_memberCell; }
  bool SetMemberCell(SCell* cell) {
    m_memberCell = cell;
    return true;
  }
  // The cell that owns the slot.
  SCell* GetAggregateCell() const { return m_aggregateCell; }
  bool SetAggregateCell(SCell* cell) {
    m_aggregateCell = cell;
    return true;
  }

 private:
  int32_t m_number = 1;
  SCell* m_memberCell = nullptr;
  SCell* m_aggregateCell = nullptr;
};

// A slot of a cell instance: the slot it instantiates, the cell instance
// placed in it and the cell instance that owns it.
class TAVRIN_API SSlotInstance : public SInstance {
  TAVRIN_CLASS(SSlotInstance)
  TAVRIN_ID_ACCESSORS
 public:
  SSlotInstance();
  ~SSlotInstance() override;
  Persistent::Error Serialize(PersistentStore& s) override;

  void SetId(long id) { SDesignElement::SetId(id); }

  // The gate name (UID) when set and not empty; otherwise that of the member
  // cell instance when there is one; otherwise the stored text.
  char* GetGateName() const;
  void SetGateName(const char* name);
  char* GetGateUID() const;
  void SetGateUID(const char* uid);

  SSlot* GetSlot() const { return m_slot; }
  bool SetSlot(SSlot* slot) {
    m_slot = slot;
    return true;
  }
  SCellInstance* GetMemberCellInstance2() const { return m_memberCellInstance; }
  // Stores ci and, when it is not null, copies its name and UID into the
  // gate name and gate UID. Always true.
  bool SetMemberCellInstance(SCellInstance* ci);
  SCellInstance* GetAggregateCellInstance() const { return m_aggregateCellInstance; }
  bool SetAggregateCellInstance(SCellInstance* ci) {
    m_aggregateCellInstance = ci;
    return true;
  }

 private:
  char* m_gateName = nullptr;
  char* m_gateUID = nullptr;
  SSlot* m_slot = nullptr;
  SCellInstance* m_memberCellInstance = nullptr;
  SCellInstance* m_aggregateCellInstance = nullptr;
  // The cell instance whose member map holds this slot instance (and that
  // deletes it), or null. Not saved: a restore sets it from the map read.
  friend class SCellInstance;
  SCellInstance* m_owner = nullptr;
};

#endif
