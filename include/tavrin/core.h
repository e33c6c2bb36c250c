// Object core: session heap records and pools, the object root, design
// elements, identifiers, the class registry and checked casts.
#ifndef TAVRIN_CORE_H
#define TAVRIN_CORE_H

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "tavrin/containers.h"
#include "tavrin/export.h"
#include "tavrin/platform.h"

namespace tavrin {
struct PrivateHeap;
class Record;
}

// The heap record of a session. It lives inside the session's own heap; every
// object of the session points to it and takes its children, texts and
// container nodes from it.
struct HANDLEMA {
  tavrin::PrivateHeap* heap;  // the session's private heap
  void* mapNodeFree;          // first free map-node cell, null when empty
  void* listNodeFree;         // first free list-node cell, null when empty
  void** sizeClassHeads;      // one free-list head per size class; null until first use
};

class PersistentStore;
class SAssignment;
// Classes the visitor names.
class SAttribute;
class SBooleanValue;
class SCell;
class SConfiguration;
class SConnectivityRepresentation;
class SConnectorPinInstance;
class SConstraint;
class SConstraintGroup;
class SConstraintInstance;
class SConstraintOverride;
class SConstraintSet;
class SElectricalNet;
class SEnumeratedValue;
class SFile;
class SFromTo;
class SGenericCellInstance;
class SInsulatorRegion;
class SIntegerValue;
class SInterface;
class SLayer;
class SLayout;
class SListValue;
class SModule;
class SModuleInstance;
class SNetBundle;
class SNetBus;
class SNetScalar;
class SOATContext;
class SPackage;
class SPackageLibrary;
class SPackagePin;
class SPad;
class SPadStack;
class SPadStackLibrary;
class SPart;
class SPartInstance;
class SPartPin;
class SPartPinInstance;
class SPhysicalNode;
class SPinMapping;
class SPinMappingLibrary;
class SPinPair;
class SPortBundle;
class SPortBus;
class SPortInstanceBundle;
class SPortInstanceBus;
class SPortInstanceScalar;
class SPortScalar;
class SPowerPlaneRegion;
class SProject;
class SProperty;
class SRangeValue;
class SRealValue;
class SSchematicRepresentation;
class SSchematicSheet;
class SSegment;
class SSession;
class SSignalRegion;
class SSlot;
class SSlotInstance;
class SStackUp;
class SStringValue;
class SUnitlessValue;
class SVirtualPin;

namespace Persistent {
// Result of every Serialize: 0 means success.
typedef int Error;
}

// ---- pools and counters (exported) ----------------------------------------

// Allocates and constructs a session in a heap of its own; null when the heap
// cannot be created. Delete the session to destroy its heap and everything in it.
TAVRIN_API SSession* AllocSession();
TAVRIN_API SSession* AllocateSession();
// Sets the first output to the number of counted large allocations, the second
// to 0, the third to the number of size classes (0 until the first session is
// created, 9 from then on) and the fourth to the per-class chunk counters
// (null while no session lives). The counters count the chunks of every
// thread's sessions; read while other threads allocate, they are a snapshot.
TAVRIN_API int GetCntTavrin(int& largeCount, int& zero, int& classCount, int*& chunkCounts);
// Sets all four outputs to 0.
TAVRIN_API void GetTavrinCnts(int& a, int& b, int& c, int& d);

namespace tavrin {
// Pooled allocation of objects: an 8-byte header precedes every block.
// A null record takes the block from the general allocator. Null on failure.
TAVRIN_API void* ObjectAlloc(HANDLEMA* heap, std::size_t size) noexcept;
// Releases a block from ObjectAlloc to where it came from. Null is ignored.
TAVRIN_API void ObjectFree(void* block) noexcept;
// Handed from an allocation operator to the root constructor of the object
// (kept per thread).
TAVRIN_API HANDLEMA* ClaimPendingHeap() noexcept;
}  // namespace tavrin

// Allocation operators shared by a hierarchy: `new (heap) X()` takes the object
// from the session pool of `heap` (general allocator for a null heap) and
// returns null on exhaustion, in which case no constructor runs.
#define TAVRIN_ALLOCATION_OPERATORS                                             \
  static void* operator new(std::size_t size, HANDLEMA* heap) noexcept {      \
    return ::tavrin::ObjectAlloc(heap, size);                                  \
  }                                                                            \
  static void* operator new(std::size_t size) noexcept {                      \
    return ::tavrin::ObjectAlloc(nullptr, size);                               \
  }                                                                            \
  static void operator delete(void* p, HANDLEMA*) noexcept { ::tavrin::ObjectFree(p); } \
  static void operator delete(void* p) noexcept { ::tavrin::ObjectFree(p); }

// Every class: its class name text and a checked cast from an untyped pointer
// (which must be null or point to a TavrinObject).
#define TAVRIN_CLASS(X)                                                        \
 public:                                                                       \
  static constexpr const char* kClassName = "class " #X;                       \
  const char* GetClassName() const override { return kClassName; }            \
  static X* Cast(void* p) {                                                    \
    return p ? dynamic_cast<X*>(static_cast<TavrinObject*>(p)) : nullptr;      \
  }

// ---- object root --------------------------------------------------------------

class TAVRIN_API TavrinObject {
 public:
  TavrinObject() {}
  TavrinObject(const TavrinObject&) {}
  TavrinObject& operator=(const TavrinObject&) { return *this; }
  virtual ~TavrinObject();
  // "class " followed by the class name; a literal, never freed.
  virtual const char* GetClassName() const = 0;
  static TavrinObject* Cast(void* p) { return static_cast<TavrinObject*>(p); }
};

namespace tavrin {
// One process-wide observer of object destruction, for bindings whose
// handles must learn that the library deleted an object (a Destroy that
// deletes, an owner deleting its children). Called on the deleting thread
// with the object's first root (its own address) as that root is
// destroyed; objects reclaimed with their session's heap are not
// announced. Null (the default) turns it off; replacing it while objects
// are being deleted on other threads is allowed.
typedef void (*DestroyObserver)(const TavrinObject* object);
TAVRIN_API void SetDestroyObserver(DestroyObserver observer) noexcept;

// The root of an object's first base. A class with two TavrinObject bases
// names its first one as `FirstBase`; the factories, the read table and the
// owned-child claims hold an object through this view, and references
// written through either view are numbered by the complete object.
template <class T, class = void>
struct FirstObjectOf {
  static const TavrinObject* Of(const T* p) { return p; }
};
template <class T>
struct FirstObjectOf<T, std::void_t<typename T::FirstBase>> {
  static const TavrinObject* Of(const T* p) { return static_cast<const typename T::FirstBase*>(p); }
};
template <class T>
const TavrinObject* AsObject(const T* p) {
  return FirstObjectOf<T>::Of(p);
}
template <class T>
TavrinObject* AsObject(T* p) {
  return const_cast<TavrinObject*>(FirstObjectOf<T>::Of(p));
}
inline const TavrinObject* AsObject(std::nullptr_t) { return nullptr; }
}  // namespace tavrin

// ---- class registry -------------------------------------------------------------

namespace Dynamic {

class AbstractFactory;

class TAVRIN_API FactoryListElement {
 public:
  virtual ~FactoryListElement() {}
  FactoryListElement* next = nullptr;
  AbstractFactory* factory = nullptr;
};

class TAVRIN_API AbstractFactory {
 public:
  // Creates an empty object of this factory's class on `heap` when `name`
  // (without the "class " prefix) is that class; otherwise null.
  virtual TavrinObject* Create(const char* name, HANDLEMA* heap) = 0;
  virtual ~AbstractFactory() {}
  virtual const char* ClassName() const = 0;  // with the "class " prefix
};

// Links a factory at the head of the registry / unlinks it.
TAVRIN_API void Register(FactoryListElement* element);
TAVRIN_API void Unregister(FactoryListElement* element);
// Newest registration first; null when empty.
TAVRIN_API FactoryListElement* RegistryHead();
// The factory whose class is `name` (without prefix), or null.
TAVRIN_API AbstractFactory* FindFactory(const char* name);
// Creates an empty object of the class `name` (without prefix) on `heap`;
// null for an unknown name or when the allocation fails.
TAVRIN_API TavrinObject* CreateByClassName(const char* name, HANDLEMA* heap);
// Number of registered class names.
TAVRIN_API int RegisteredCount();

}  // namespace Dynamic

// The factories of the library's own classes, registered when the library
// loads; compiled into the library (and its tests) only.
#ifdef TAVRIN_BUILDING_LIBRARY
namespace Dynamic {

template <class T>
class Factory : public AbstractFactory {
 public:
  Factory() { m_element.factory = this; Register(&m_element); }
  ~Factory() override { Unregister(&m_element); }
  TavrinObject* Create(const char* name, HANDLEMA* heap) override {
    if (!name || std::strcmp(name, T::kClassName + 6) != 0) return nullptr;
    return ::tavrin::AsObject(new (heap) T());
  }
  const char* ClassName() const override { return T::kClassName; }

 private:
  FactoryListElement m_element;
};

}  // namespace Dynamic

// One line in a class's source file makes it restorable by name.
#define TAVRIN_REGISTER_FACTORY(X) static ::Dynamic::Factory<X> s_tavrinFactory_##X
#endif


// ---- server ---------------------------------------------------------------------

// Holds the identifier counter that object constructions raise. The current
// server is process-wide: constructions on every thread raise its counter
// (atomically). Save and Restore work on the current server; Restore
// replaces and deletes it, so run it while no other thread creates objects.
class TAVRIN_API GTavrinServer : public TavrinObject {
  TAVRIN_CLASS(GTavrinServer)
 public:
  TAVRIN_ALLOCATION_OPERATORS
  GTavrinServer();
  ~GTavrinServer() override;

  // Raises the current server's counter, if any; always returns 0.
  static long GetNewId();
  static GTavrinServer* GetCurrent();

  long GetIdCounter() const { return m_idCounter.load(std::memory_order_relaxed); }
  void SetIdCounter(long v) { m_idCounter.store(static_cast<int32_t>(v), std::memory_order_relaxed); }
  bool GetRunning() const { return m_running; }
  void SetRunning(bool v) { m_running = v; }
  void InternalUpdate() {}

  virtual Persistent::Error Serialize(PersistentStore& s);
  virtual int WritePointer(PersistentStore& s);

  // Writes the current server to its own file; false when there is none or
  // the file cannot be written completely (the previous file then stays).
  static bool Save(const char* path);
  // Makes the server of the file current and deletes the previous one; false
  // (the current server unchanged) when the file cannot be read, holds no
  // server first or is damaged.
  static bool Restore(const char* path);

 protected:
  friend class ServerTestAccess;
  static void SetCurrent(GTavrinServer* server);

 private:
  HANDLEMA* m_heap;
  std::atomic<int32_t> m_idCounter{0};  // raised by constructions on any thread
  bool m_running = false;
  int32_t m_reserved = 0;
};

// ---- visitor --------------------------------------------------------------------

// A visitor interface with one empty Visit operation per persistent class,
// a free counter and a random visitor identifier. The current visitor is
// process-wide; Restore replaces and deletes it, so run it while no other
// thread uses it.
class TAVRIN_API GVisitor : public TavrinObject {
  TAVRIN_CLASS(GVisitor)
 public:
  TAVRIN_ALLOCATION_OPERATORS
  GVisitor();
  ~GVisitor() override;

  virtual void VisitAttribute(SAttribute*);
  virtual void VisitBooleanValue(SBooleanValue*);
  virtual void VisitCell(SCell*);
  virtual void VisitConfiguration(SConfiguration*);
  virtual void VisitConnectivityRepresentation(SConnectivityRepresentation*);
  virtual void VisitConnectorPinInstance(SConnectorPinInstance*);
  virtual void VisitConstraint(SConstraint*);
  virtual void VisitConstraintGroup(SConstraintGroup*);
  virtual void VisitConstraintInstance(SConstraintInstance*);
  virtual void VisitConstraintOverride(SConstraintOverride*);
  virtual void VisitConstraintSet(SConstraintSet*);
  virtual void VisitElectricalNet(SElectricalNet*);
  virtual void VisitEnumeratedValue(SEnumeratedValue*);
  virtual void VisitFile(SFile*);
  virtual void VisitFromTo(SFromTo*);
  virtual void VisitGenericCellInstance(SGenericCellInstance*);
  virtual void VisitInsulatorRegion(SInsulatorRegion*);
  virtual void VisitIntegerValue(SIntegerValue*);
  virtual void VisitInterface(SInterface*);
  virtual void VisitLayer(SLayer*);
  virtual void VisitLayout(SLayout*);
  virtual void VisitListValue(SListValue*);
  virtual void VisitModule(SModule*);
  virtual void VisitModuleInstance(SModuleInstance*);
  virtual void VisitNetBundle(SNetBundle*);
  virtual void VisitNetBus(SNetBus*);
  virtual void VisitNetScalar(SNetScalar*);
  virtual void VisitOATContext(SOATContext*);
  virtual void VisitPackage(SPackage*);
  virtual void VisitPackageLibrary(SPackageLibrary*);
  virtual void VisitPackagePin(SPackagePin*);
  virtual void VisitPad(SPad*);
  virtual void VisitPadStack(SPadStack*);
  virtual void VisitPadStackLibrary(SPadStackLibrary*);
  virtual void VisitPart(SPart*);
  virtual void VisitPartInstance(SPartInstance*);
  virtual void VisitPartPin(SPartPin*);
  virtual void VisitPartPinInstance(SPartPinInstance*);
  virtual void VisitPhysicalNode(SPhysicalNode*);
  virtual void VisitPinMapping(SPinMapping*);
  virtual void VisitPinMappingLibrary(SPinMappingLibrary*);
  virtual void VisitPinPair(SPinPair*);
  virtual void VisitPortBundle(SPortBundle*);
  virtual void VisitPortBus(SPortBus*);
  virtual void VisitPortInstanceBundle(SPortInstanceBundle*);
  virtual void VisitPortInstanceBus(SPortInstanceBus*);
  virtual void VisitPortInstanceScalar(SPortInstanceScalar*);
  virtual void VisitPortScalar(SPortScalar*);
  virtual void VisitPowerPlaneRegion(SPowerPlaneRegion*);
  virtual void VisitProject(SProject*);
  virtual void VisitProperty(SProperty*);
  virtual void VisitRangeValue(SRangeValue*);
  virtual void VisitRealValue(SRealValue*);
  virtual void VisitSchematicRepresentation(SSchematicRepresentation*);
  virtual void VisitSchematicSheet(SSchematicSheet*);
  virtual void VisitSegment(SSegment*);
  virtual void VisitSession(SSession*);
  virtual void VisitSignalRegion(SSignalRegion*);
  virtual void VisitSlot(SSlot*);
  virtual void VisitSlotInstance(SSlotInstance*);
  virtual void VisitStackUp(SStackUp*);
  virtual void VisitStringValue(SStringValue*);
  virtual void VisitTavrinServer(GTavrinServer*);
  virtual void VisitUnitlessValue(SUnitlessValue*);
  virtual void VisitVirtualPin(SVirtualPin*);

  // Draws a new visitor identifier (the generator is seeded once per process).
  virtual void Initialize();
  virtual Persistent::Error Serialize(PersistentStore& s);
  virtual int WritePointer(PersistentStore& s);
  void InternalUpdate() {}

  int GetCounter() const { return m_counter; }
  void SetCounter(int v) { m_counter = v; }
  int GetVisitorID() const { return m_visitorId; }
  void SetVisitorID(int v) { m_visitorId = v; }

  static GVisitor* GetCurrent();
  // As GTavrinServer::Save and Restore, for the current visitor.
  static bool Save(const char* path);
  static bool Restore(const char* path);

 protected:
  friend class VisitorTestAccess;
  static void SetCurrent(GVisitor* visitor);

 private:
  HANDLEMA* m_heap;
  int m_counter = 0;
  int m_visitorId = 0;
};

// ---- design element -------------------------------------------------------------

// Base of named design objects: name, pin number, client flags, and the owned
// attributes and constraint instances.
class TAVRIN_API SDesignElement : public TavrinObject {
  TAVRIN_CLASS(SDesignElement)
 public:
  TAVRIN_ALLOCATION_OPERATORS
  ~SDesignElement() override;

  virtual void InternalUpdate();
  virtual Persistent::Error Serialize(PersistentStore& s);
  virtual int WritePointer(PersistentStore& s);
  virtual long GetId() const = 0;

  char* GetName() const { return m_name; }
  // Replaces the name with a copy; a null text clears it.
  void SetName(const char* name);
  char* GetPinNum() const { return m_pinNum; }
  void SetPinNum(const char* pinNum);
  long GetClientFlags() const { return m_clientFlags; }
  void SetClientFlags(long flags) { m_clientFlags = static_cast<int32_t>(flags); }
  HANDLEMA* GetHeap() const { return m_heap; }

  const RelLinkedList<SAttribute*>& GetAllAttributes() const { return m_attributes; }
  const RelLinkedList<SConstraintInstance*>& GetAllConstraintInstances() const {
    return m_constraintInstances;
  }
  SDesignElement* Find(char*) { return nullptr; }

  // ---- attributes and assignments ----
  // To look up a name means: search the constraint instances, then the
  // attributes, each from the front, by exact case-sensitive name; the first
  // match wins. A null name is never found.

  // A new attribute at the front of the list (duplicates are not checked);
  // null for a null name or when memory is exhausted.
  SAttribute* CreateAttribute(const char* name);
  // The attribute list only.
  SAssignment* GetAttribute(const char* name) const;
  // The constraint-instance list only.
  SAssignment* GetConstraint(const char* name) const;
  SAssignment* GetAssignment(const char* name) const;
  bool HasAssignment(const char* name);
  // Unlinks an attribute or constraint instance (not deleted); always true.
  bool RemoveAssignment(SAssignment* a);
  // Looks up and unlinks (not deleted); false when nothing is found.
  bool DestroyAssignment(const char* name);
  // Looks up; destroys the found assignment's value and unlinks it.
  void RemoveAttribute(const char* name);
  // Look up or create an attribute; the value becomes a new string value.
  void SetAttribute(const char* name, const char* text);
  // Native mode off: the "%d" / "%f" text. On: an integer / real value,
  // reusing one of that class already held.
  void SetAttribute(const char* name, int v);
  void SetAttribute(const char* name, float v);
  // Text form of the value: string text, "%.12lf" of a real, "%ld" of an
  // integer; no value leaves out unchanged (true); anything else or nothing
  // found empties out (false).
  bool GetAttribute(const char* name, CString& out) const;
  // An integer (real) value or no value (0); false, out unchanged, otherwise.
  bool GetAttribute(const char* name, int& out) const;
  bool GetAttribute(const char* name, float& out) const;
  // Sets each attribute of source (front first, except "LASTSYSCONFIG") here
  // as text: its string value's text, or the empty text.
  void CopyAttributes(SDesignElement* source);

  // ---- constraints ----
  // These search the constraint-instance list only. A non-null drc receives
  // the drcCode of the instance found.

  // A new instance at the front of the list (no duplicate check); null for
  // a null name or when memory is exhausted.
  SConstraintInstance* CreateConstraintInstance(const char* name, SConstraint* c);
  // Finds or creates the instance; its value becomes a new string value and
  // its drcCode drc. 1, or 0 when memory is exhausted.
  int SetConstraint(const char* name, const char* text, int drc);
  // Native mode on: a new integer / real / boolean value and drc. Off: the
  // "%d" / "%f" / "TRUE"-"FALSE" text with drc 0.
  int SetConstraint(const char* name, int v, int drc);
  int SetConstraint(const char* name, float v, int drc);
  int SetBoolConstraint(const char* name, int v, int drc);
  // The text of a string value (1); out empty and 0 otherwise.
  int GetConstraint(const char* name, CString& out, int* drc = nullptr) const;
  // The text of a string, real ("%.12lf") or integer ("%ld") value (1); no
  // value: 1, out unchanged; otherwise out empty and 0.
  int GetConstraintStr(const char* name, CString& out, int* drc = nullptr) const;
  // An integer value, or a string value's decimal conversion (1); otherwise
  // kNoIntConstraint and 0.
  int GetConstraint(const char* name, int& out, int* drc = nullptr) const;
  // A real value, or a string value's decimal conversion (1); otherwise
  // kNoFloatConstraint and 0.
  int GetConstraint(const char* name, float& out, int* drc = nullptr) const;
  // A boolean value as 0 or 1, or a string value: 0 for "FALSE" in any case
  // or "0", else 1 (1); otherwise -1 and 0.
  int GetBoolConstraint(const char* name, int& out, int* drc = nullptr) const;
  // Destroys the found instance's value and unlinks it (not deleted).
  void RemoveConstraint(const char* name);
  // Copies the string, real and integer values of source's instances
  // (front first) by name with drc 0.
  void CopyConstraintInstances(SDesignElement* source);

  // Results of the typed constraint getters when no usable value exists.
  static constexpr int kNoIntConstraint = 2147483646;
  static constexpr float kNoFloatConstraint = 3.4e38f;  // bits 0x7F7FC99E

  // Process-wide; a change applies to the setters that run after it, on
  // any thread.
  static bool GetNativeMode() { return m_bNativeMode.load(std::memory_order_relaxed); }
  static void SetNativeMode(bool on) { m_bNativeMode.store(on, std::memory_order_relaxed); }
  static std::atomic<bool> m_bNativeMode;

  void SetAttributesAllocationSize(int) {}
  void SetConstraintInstancesAllocationSize(int) {}
  void SetConstraintSetsAllocationSize(int) {}
  void SetPropertiesAllocationSize(int) {}

 protected:
  SDesignElement();
  void SetId(long id) { m_id = static_cast<int32_t>(id); }

  HANDLEMA* m_heap;
  int32_t m_clientFlags = 0;
  int32_t m_id;  // beside the flags: no padding, a design element fits 56 bytes
  char* m_name = nullptr;
  char* m_pinNum = nullptr;
  RelLinkedList<SAttribute*> m_attributes;
  RelLinkedList<SConstraintInstance*> m_constraintInstances;

 private:
  // Deletes the owned constraint instances and attributes and frees the list nodes.
  TAVRIN_LOCAL void DestroyAssignmentLists();
  // Record items 7 to 10: the attribute and constraint-instance lists.
  TAVRIN_LOCAL void SerializeAssignmentLists(tavrin::Record& r);
};

// Concrete classes reach the identifier held by their base through GetId.
#define TAVRIN_ID_ACCESSORS \
 public:                    \
  long GetId() const override { return m_id; }

#endif
