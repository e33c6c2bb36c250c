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
  // section ends where the object table begins).
  Persistent::Error ReadRecord(PersistentStore& s, PersistentFile* file);
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

  // Member slot instances by number. Create replaces the entry of a taken
  // number (the older slot instance is then no longer reached from here);
  // null when memory is exhausted.
  SSlotInstance* CreateMemberSlotInstanceSlotInstance(int number);
  // Enters an existing slot instance (null is ignored) and makes this
  // instance its aggregate cell instance.
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
  void ReadMemberSlotInstances(tavrin::Record& r);

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
class TAVRIN_API SPortInstanceScalar : public SPortInstance {
  TAVRIN_CLASS(SPortInstanceScalar)
  TAVRIN_ID_ACCESSORS
 public:
  SPortInstanceScalar();
  ~SPortInstanceScalar() override;
  Persistent::Error Serialize(PersistentStore& s) override;

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
  SPhysicalNode* GetPhysicalNode() const { return m_physicalNode; }
  bool SetPhysicalNode(SPhysicalNode* node) {
    m_physicalNode = node;
    return true;
  }
  SPartPinInstance* GetPartPinInstance() const { return m_partPinInstance; }
  bool SetPartPinInstance(SPartPinInstance* pin) {
    m_partPinInstance = pin;
    return true;
  }
  SConnectorPinInstance* GetConnectorPinInstance() const { return m_connectorPinInstance; }
  bool SetConnectorPinInstance(SConnectorPinInstance* pin) {
    m_connectorPinInstance = pin;
    return true;
  }

 private:
  RelLinkedList<SPortInstanceBus*> m_portInstanceBi;
  SNetScalar* m_netScalar = nullptr;
  SPhysicalNode* m_physicalNode = nullptr;
  SPartPinInstance* m_partPinInstance = nullptr;
  SConnectorPinInstance* m_connectorPinInstance = nullptr;
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
};

#endif
