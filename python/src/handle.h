// Handles: how a Python object refers to a library object without ever
// touching it after the library freed it.
//
// Every wrapper holds its session's state (keeping the session alive), the
// object's address and a liveness token shared by all wrappers of that
// object. The tokens live in one process-wide registry keyed by address;
// the library's destroy observer marks the token of a deleted object dead
// and drops its entry, and closing a session marks the tokens of all its
// objects dead. Every call through a wrapper first checks the token and the
// session, and raises tavrin.Error("object no longer exists") otherwise.
#ifndef TAVRIN_PYTHON_HANDLE_H
#define TAVRIN_PYTHON_HANDLE_H

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <typeindex>
#include <vector>

#include <tavrin/tavrin.h>

namespace tvpy {

namespace py = pybind11;

// Raised as tavrin.Error.
struct Error : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The Python side of one session: the session until it is closed, and a
// flag set while a save or restore runs without the interpreter lock.
struct SessionState {
  SSession* session = nullptr;
  bool busy = false;
  ~SessionState();
  // Deletes the session and marks every wrapper of its objects dead.
  void Close();
};
using State = std::shared_ptr<SessionState>;

struct Token {
  std::atomic<bool> alive{true};
  const SessionState* owner = nullptr;
};

// The token of the object at `root` (its first root, which is also its own
// address), shared with the other wrappers of the same object.
std::shared_ptr<Token> Acquire(const TavrinObject* root, const SessionState* owner);
// Installs the destroy observer; called once when the module loads.
void InstallObserver();

// Common part of every wrapper.
struct Handle {
  State state;
  std::shared_ptr<Token> token;
  TavrinObject* root = nullptr;

  // The object, or tavrin.Error when it (or its session) no longer exists
  // or a save or restore of its session runs on another thread.
  TavrinObject* Live() const {
    if (!state || !state->session || !token || !token->alive.load(std::memory_order_acquire))
      throw Error("object no longer exists");
    if (state->busy) throw Error("session is busy saving or restoring on another thread");
    return root;
  }
  SSession* Session() const {
    Live();
    return state->session;
  }
};

// One wrapper type per bound class, deriving as the classes do, so that
// Python sees the same hierarchy.
template <class T>
struct H;
template <>
struct H<TavrinObject> : Handle {
  TavrinObject* get() const { return Live(); }
};
#define TVPY_HANDLE(T, P)                                                   \
  template <>                                                               \
  struct H<T> : H<P> {                                                      \
    T* get() const { return dynamic_cast<T*>(this->Live()); }              \
  };

TVPY_HANDLE(SSession, TavrinObject)
TVPY_HANDLE(SLibrary, TavrinObject)
TVPY_HANDLE(SPackageLibrary, SLibrary)
TVPY_HANDLE(SPadStackLibrary, SLibrary)
TVPY_HANDLE(SPinMappingLibrary, SLibrary)
TVPY_HANDLE(SDesignElement, TavrinObject)
TVPY_HANDLE(SProject, SDesignElement)
TVPY_HANDLE(SFile, TavrinObject)
TVPY_HANDLE(SInstantiator, SDesignElement)
TVPY_HANDLE(SCell, SInstantiator)
TVPY_HANDLE(SInterface, TavrinObject)
TVPY_HANDLE(SPort, SInstantiator)
TVPY_HANDLE(SPortScalar, SPort)
TVPY_HANDLE(SPortBus, SPort)
TVPY_HANDLE(SPortBundle, SPort)
TVPY_HANDLE(SRepresentation, SDesignElement)
TVPY_HANDLE(SConnectivityRepresentation, SRepresentation)
TVPY_HANDLE(SSchematicRepresentation, SRepresentation)
TVPY_HANDLE(SPhysicalRepresentation, SRepresentation)
TVPY_HANDLE(SModule, SPhysicalRepresentation)
TVPY_HANDLE(SPart, SPhysicalRepresentation)
TVPY_HANDLE(SPartPin, SInstantiator)
TVPY_HANDLE(SInstance, SDesignElement)
TVPY_HANDLE(SCellInstance, SInstance)
TVPY_HANDLE(SGenericCellInstance, SCellInstance)
TVPY_HANDLE(SModuleInstance, SCellInstance)
TVPY_HANDLE(SPartInstance, SCellInstance)
TVPY_HANDLE(SPartPinInstance, SInstance)
TVPY_HANDLE(SPortInstance, SInstance)
TVPY_HANDLE(SPortInstanceScalar, SPortInstance)
TVPY_HANDLE(SPortInstanceBus, SPortInstance)
TVPY_HANDLE(SPortInstanceBundle, SPortInstance)
TVPY_HANDLE(SNet, SDesignElement)
TVPY_HANDLE(SNetScalar, SNet)
TVPY_HANDLE(SNetBus, SNet)
TVPY_HANDLE(SNetBundle, SNet)
TVPY_HANDLE(SCollection, SDesignElement)
TVPY_HANDLE(SElectricalNet, SCollection)
TVPY_HANDLE(SDiffPair, SCollection)
TVPY_HANDLE(SPinPair, SCollection)
TVPY_HANDLE(SPackage, SDesignElement)
TVPY_HANDLE(SPackagePin, SDesignElement)
TVPY_HANDLE(SPadStack, SDesignElement)
TVPY_HANDLE(SPad, SDesignElement)
TVPY_HANDLE(SPinMapping, TavrinObject)
TVPY_HANDLE(SLayout, TavrinObject)
TVPY_HANDLE(SStackUp, TavrinObject)
TVPY_HANDLE(SLayer, SDesignElement)
TVPY_HANDLE(SRegion, SDesignElement)
TVPY_HANDLE(SSignalRegion, SRegion)
TVPY_HANDLE(SPowerPlaneRegion, SRegion)
TVPY_HANDLE(SInsulatorRegion, SRegion)
TVPY_HANDLE(SAssignment, TavrinObject)
TVPY_HANDLE(SAttribute, SAssignment)
TVPY_HANDLE(SConstraintInstance, SAssignment)
TVPY_HANDLE(SConstraint, TavrinObject)
TVPY_HANDLE(SConstraintSet, TavrinObject)
TVPY_HANDLE(SConstraintGroup, TavrinObject)
TVPY_HANDLE(SProperty, SAssignment)
TVPY_HANDLE(SVirtualPin, SDesignElement)
TVPY_HANDLE(SFromTo, SDesignElement)
TVPY_HANDLE(SSegment, TavrinObject)
TVPY_HANDLE(SPhysicalNode, SDesignElement)
TVPY_HANDLE(SSchematicSheet, SDesignElement)
TVPY_HANDLE(SSlot, SInstantiator)
TVPY_HANDLE(SSlotInstance, SInstance)
TVPY_HANDLE(SCondRule, TavrinObject)
TVPY_HANDLE(SRuleSet, SDesignElement)
TVPY_HANDLE(SObjectType, TavrinObject)
TVPY_HANDLE(SObject, SDesignElement)
TVPY_HANDLE(SOATContext, TavrinObject)
#undef TVPY_HANDLE

// Makes Python wrappers of the most derived bound class of an object.
using Maker = py::object (*)(Handle&&);
void RegisterMaker(std::type_index type, Maker maker);
py::object MakeWrapper(const State& state, TavrinObject* root);

// The wrapper of `p` (None for null), in the session of `state`.
// On the Itanium C++ ABI an object's first root sits at the object's own
// address, whichever base `p` points into; that root is the key of its token.
template <class T>
py::object Wrap(const State& state, T* p) {
  if (!p) return py::none();
  return MakeWrapper(state, static_cast<TavrinObject*>(dynamic_cast<void*>(p)));
}

// An argument wrapper's object, refused when it belongs to another session
// (a reference across sessions would outlive the other session's heap).
template <class T>
T* Arg(const Handle& self, const H<T>& h) {
  T* p = h.get();
  if (h.state != self.state) throw Error("object belongs to another session");
  if (!p) throw Error("object no longer exists");
  return p;
}
template <class T>
T* OptArg(const Handle& self, const H<T>* h) {
  return h ? Arg(self, *h) : nullptr;
}

// A library text as Python text ("" for null).
inline std::string Text(const char* s) { return s ? s : ""; }

// A name family as a read-only mapping in the library's order, with
// deletion by name where the owner has a Destroy.
struct Family {
  Handle owner;
  std::function<py::object(const Handle&, const std::string&)> get;          // None when absent
  std::function<std::vector<std::pair<std::string, py::object>>(const Handle&)> items;
  std::function<bool(const Handle&, const std::string&)> destroy;            // may be empty
  std::string what;                                                          // for repr
};

// Builds a family over a RelMap<CharM, V*> reached through `map`.
template <class O, class V, class M, class G, class D>
Family MapFamily(const H<O>& owner, std::string what, M map, G get, D destroy) {
  Family f;
  f.owner = owner;
  f.what = std::move(what);
  f.get = [get](const Handle& h, const std::string& name) -> py::object {
    O* o = static_cast<const H<O>&>(h).get();
    return Wrap(h.state, get(o, name.c_str()));
  };
  f.items = [map](const Handle& h) {
    O* o = static_cast<const H<O>&>(h).get();
    std::vector<std::pair<std::string, py::object>> out;
    const auto& m = map(o);
    for (auto it = m.begin(); it != m.end(); ++it)
      out.emplace_back(Text(static_cast<const char*>(it->first)), Wrap(h.state, static_cast<V*>(it->second)));
    return out;
  };
  if constexpr (!std::is_same_v<D, std::nullptr_t>)
    f.destroy = [destroy](const Handle& h, const std::string& name) {
      return destroy(static_cast<const H<O>&>(h).get(), name.c_str());
    };
  return f;
}

// A family keyed by number (sheets, slots, slot instances): the same
// mapping with int keys.
struct NumberFamily {
  Handle owner;
  std::function<py::object(const Handle&, int)> get;  // None when absent
  std::function<std::vector<std::pair<int, py::object>>(const Handle&)> items;
  std::function<bool(const Handle&, int)> destroy;  // may be empty
  std::string what;
};

// Builds a number family over a RelMap<int, V*> reached through `map`.
template <class O, class V, class M, class G, class D>
NumberFamily IntFamily(const H<O>& owner, std::string what, M map, G get, D destroy) {
  NumberFamily f;
  f.owner = owner;
  f.what = std::move(what);
  f.get = [get](const Handle& h, int key) -> py::object {
    return Wrap(h.state, get(static_cast<const H<O>&>(h).get(), key));
  };
  f.items = [map](const Handle& h) {
    O* o = static_cast<const H<O>&>(h).get();
    std::vector<std::pair<int, py::object>> out;
    const auto& m = map(o);
    for (auto it = m.begin(); it != m.end(); ++it)
      out.emplace_back(static_cast<int>(it->first), Wrap(h.state, static_cast<V*>(it->second)));
    return out;
  };
  f.destroy = [destroy](const Handle& h, int key) { return destroy(static_cast<const H<O>&>(h).get(), key); };
  return f;
}

// A list of wrappers of a RelLinkedList's elements, in list order.
template <class L>
py::list WrapList(const State& state, const L& list) {
  py::list out;
  for (auto it = list.begin(); it != list.end(); ++it) out.append(Wrap(state, *it));
  return out;
}

// Registers the wrapper class of T: its maker, `kind` and the Python class.
template <class T, class P>
py::class_<H<T>, H<P>> Bind(py::module_& m, const char* name, const char* doc) {
  RegisterMaker(typeid(T), [](Handle&& h) -> py::object {
    H<T> w;
    static_cast<Handle&>(w) = std::move(h);
    return py::cast(std::move(w));
  });
  return py::class_<H<T>, H<P>>(m, name, doc);
}

// A unit by its Python name ('mil', 'mm', ...); ValueError otherwise.
g_TavrinUnitType Unit(const std::string& name);

// Library values as Python values and back (props.cpp).
py::object ValueToPython(const SValue* v);
// Replaces the assignment's value with one made from a Python value.
void SetAssignmentValue(SAssignment* a, const py::handle& value);

// The binding of each subsystem.
void BindSession(py::module_& m);
void BindDesign(py::module_& m);
void BindConnect(py::module_& m);
void BindPhysical(py::module_& m);
void BindProps(py::module_& m);
void BindXref(py::module_& m);
void BindRules(py::module_& m);

}  // namespace tvpy

#endif
