// The tavrin module: the liveness registry, the wrapper base, name
// families, units, and the session with its libraries.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <mutex>
#include <unordered_map>

#include "handle.h"

namespace tvpy {

namespace {

struct Entry {
  Token* raw;
  std::weak_ptr<Token> token;
};

// Recursive: dropping the last reference to a token while the registry is
// locked runs the token's deleter, which locks it again.
std::recursive_mutex g_lock;
std::unordered_map<const TavrinObject*, Entry>& Live() {
  static auto* live = new std::unordered_map<const TavrinObject*, Entry>();  // never destroyed: observed at exit
  return *live;
}

void OnDestroy(const TavrinObject* object) noexcept {
  std::lock_guard<std::recursive_mutex> guard(g_lock);
  auto& live = Live();
  auto it = live.find(object);
  if (it == live.end()) return;
  it->second.raw->alive.store(false, std::memory_order_release);
  live.erase(it);
}

std::unordered_map<std::type_index, Maker>& Makers() {
  static std::unordered_map<std::type_index, Maker> makers;
  return makers;
}

}  // namespace

std::shared_ptr<Token> Acquire(const TavrinObject* root, const SessionState* owner) {
  std::lock_guard<std::recursive_mutex> guard(g_lock);
  auto& live = Live();
  auto it = live.find(root);
  if (it != live.end()) {
    if (auto token = it->second.token.lock()) return token;
  }
  Token* raw = new Token();
  raw->owner = owner;
  std::shared_ptr<Token> token(raw, [root](Token* t) {
    std::lock_guard<std::recursive_mutex> guard(g_lock);
    auto& live = Live();
    auto found = live.find(root);
    if (found != live.end() && found->second.raw == t) live.erase(found);
    delete t;
  });
  live[root] = Entry{raw, token};
  return token;
}

void InstallObserver() { tavrin::SetDestroyObserver(&OnDestroy); }

void SessionState::Close() {
  if (!session) return;
  {
    std::lock_guard<std::recursive_mutex> guard(g_lock);
    auto& live = Live();
    for (auto it = live.begin(); it != live.end();) {
      if (it->second.raw->owner == this) {
        it->second.raw->alive.store(false, std::memory_order_release);
        it = live.erase(it);
      } else {
        ++it;
      }
    }
  }
  SSession* s = session;
  session = nullptr;
  delete s;  // the heap goes with it; no destructor of its objects runs
}

SessionState::~SessionState() { Close(); }

void RegisterMaker(std::type_index type, Maker maker) { Makers()[type] = maker; }

py::object MakeWrapper(const State& state, TavrinObject* root) {
  Handle h;
  h.state = state;
  h.root = root;
  h.token = Acquire(root, state.get());
  // Looked up by the address of the type's record first (no hashing of its
  // name); the named look-up covers a record that is not the registered one.
  static thread_local std::unordered_map<const std::type_info*, Maker> byAddress;
  const std::type_info& type = typeid(*root);
  auto cached = byAddress.find(&type);
  Maker maker;
  if (cached != byAddress.end()) {
    maker = cached->second;
  } else {
    auto& makers = Makers();
    auto it = makers.find(std::type_index(type));
    maker = it == makers.end() ? nullptr : it->second;
    byAddress.emplace(&type, maker);
  }
  if (!maker) return py::cast(static_cast<H<TavrinObject>&&>(h));
  return maker(std::move(h));
}

namespace {

// Keeps the two timing lines of Restore off standard output: fd 1 points
// to /dev/null while any restore runs that did not ask for them.
std::mutex g_quietLock;
int g_quietCount = 0;
int g_savedStdout = -1;

struct QuietStdout {
  bool on;
  explicit QuietStdout(bool quiet) : on(quiet) {
    if (!on) return;
    std::lock_guard<std::mutex> guard(g_quietLock);
    if (g_quietCount++ == 0) {
      std::fflush(stdout);
      int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
      g_savedStdout = null < 0 ? -1 : ::dup(1);
      if (g_savedStdout >= 0) ::dup2(null, 1);
      if (null >= 0) ::close(null);
    }
  }
  ~QuietStdout() {
    if (!on) return;
    std::lock_guard<std::mutex> guard(g_quietLock);
    if (--g_quietCount == 0) {
      std::fflush(stdout);
      if (g_savedStdout >= 0) {
        ::dup2(g_savedStdout, 1);
        ::close(g_savedStdout);
        g_savedStdout = -1;
      }
    }
  }
};

// Runs a save or restore without the interpreter lock; the session is
// marked busy so that other threads' calls on it are refused meanwhile.
template <class F>
int Unlocked(const H<SSession>& h, F work) {
  SSession* s = h.get();
  h.state->busy = true;
  int ok;
  {
    py::gil_scoped_release release;
    ok = work(s);
  }
  h.state->busy = false;
  return ok;
}

void Check(const H<SSession>& h, int ok, const std::string& path) {
  if (!ok) throw Error(path + ": " + Text(h.state->session->GetLastError()));
}

H<SSession> NewSession() {
  SSession* s = AllocSession();
  if (!s) throw Error("cannot create a session");
  H<SSession> h;
  h.state = std::make_shared<SessionState>();
  h.state->session = s;
  h.root = s;
  h.token = std::make_shared<Token>();  // a session dies only by Close
  h.token->owner = h.state.get();
  return h;
}

void Restore(const H<SSession>& h, const std::string& path, bool timings) {
  int ok = Unlocked(h, [&](SSession* s) {
    QuietStdout quiet(!timings);
    return s->Restore(path.c_str());
  });
  Check(h, ok, path);
}

g_TavrinUnitType UnitOf(const std::string& name) {
  static const std::pair<const char*, g_TavrinUnitType> units[] = {
      {"internal", TAVRIN_UNIT_INTERNAL}, {"mil", TAVRIN_UNIT_MIL},       {"cm", TAVRIN_UNIT_CM},
      {"mm", TAVRIN_UNIT_MM},             {"micron", TAVRIN_UNIT_MICRON}, {"um", TAVRIN_UNIT_MICRON},
      {"inch", TAVRIN_UNIT_INCH},         {"in", TAVRIN_UNIT_INCH},       {"hundredth_micron", TAVRIN_UNIT_HUNDREDTH_MICRON}};
  for (const auto& u : units)
    if (name == u.first) return u.second;
  throw py::value_error("unknown unit '" + name + "'");
}

}  // namespace

g_TavrinUnitType Unit(const std::string& name) { return UnitOf(name); }

void BindSession(py::module_& m) {
  py::class_<H<TavrinObject>>(m, "Object", "Base of every wrapper of a library object.")
      .def_property_readonly("kind", [](const H<TavrinObject>& h) {
            const char* n = h.get()->GetClassName();
            return std::string(n + 6 + (n[6] == 'S' || n[6] == 'G' || n[6] == 'C'));
          }, "The class name without its prefix, e.g. 'PartInstance'.")
      .def_property_readonly("class_name", [](const H<TavrinObject>& h) { return std::string(h.get()->GetClassName()); },
                             "The library's class name, e.g. 'class SPartInstance'.")
      .def_property_readonly("alive", [](const H<TavrinObject>& h) {
            return h.state && h.state->session && h.token && h.token->alive.load();
          }, "False once the library deleted the object or its session was closed.")
      .def("__eq__", [](const H<TavrinObject>& a, const py::object& b) {
            if (!py::isinstance<H<TavrinObject>>(b)) return false;
            return a.root == b.cast<const H<TavrinObject>&>().root && a.state == b.cast<const H<TavrinObject>&>().state;
          })
      .def("__hash__", [](const H<TavrinObject>& h) { return std::hash<const void*>()(h.root); })
      .def("__repr__", [](const H<TavrinObject>& h) -> std::string {
            if (!(h.state && h.state->session && h.token && h.token->alive.load())) return "<tavrin object (deleted)>";
            TavrinObject* o = h.root;
            const char* n = o->GetClassName();
            std::string kind(n + 7);
            const char* name = nullptr;
            if (auto* d = dynamic_cast<SDesignElement*>(o)) name = d->GetName();
            else if (auto* l = dynamic_cast<SLibrary*>(o)) name = l->GetName();
            else if (auto* f = dynamic_cast<SFile*>(o)) name = f->GetName();
            else if (auto* a = dynamic_cast<SAssignment*>(o)) name = a->GetName();
            else if (auto* c = dynamic_cast<SConstraint*>(o)) name = c->GetName();
            else if (auto* p = dynamic_cast<SPinMapping*>(o)) name = p->GetName();
            else if (auto* t = dynamic_cast<SObjectType*>(o)) name = t->GetName();
            else if (auto* x = dynamic_cast<SOATContext*>(o)) name = x->GetName();
            if (auto* r = dynamic_cast<SRuleSet*>(o)) name = r->GetName();
            if (name) return "<tavrin." + kind + " '" + name + "'>";
            return "<tavrin." + kind + ">";
          });

  py::class_<Family>(m, "Family", "A name family of an object: a read-only mapping from name to object, in the library's order (newest first); `del family[name]` destroys by name.")
      .def("__getitem__", [](const Family& f, const std::string& name) {
            py::object o = f.get(f.owner, name);
            if (o.is_none()) throw py::key_error(name);
            return o;
          })
      .def("get", [](const Family& f, const std::string& name, py::object dflt) {
            py::object o = f.get(f.owner, name);
            return o.is_none() ? dflt : o;
          }, py::arg("name"), py::arg("default") = py::none())
      .def("__contains__", [](const Family& f, const py::object& name) {
            if (!py::isinstance<py::str>(name)) return false;
            return !f.get(f.owner, name.cast<std::string>()).is_none();
          })
      .def("__len__", [](const Family& f) { return f.items(f.owner).size(); })
      .def("__iter__", [](const Family& f) {
            py::list names;
            for (auto& kv : f.items(f.owner)) names.append(kv.first);
            return py::iter(names);
          })
      .def("keys", [](const Family& f) {
            py::list names;
            for (auto& kv : f.items(f.owner)) names.append(kv.first);
            return names;
          })
      .def("values", [](const Family& f) {
            py::list out;
            for (auto& kv : f.items(f.owner)) out.append(kv.second);
            return out;
          })
      .def("items", [](const Family& f) {
            py::list out;
            for (auto& kv : f.items(f.owner)) out.append(py::make_tuple(kv.first, kv.second));
            return out;
          })
      .def("__delitem__", [](const Family& f, const std::string& name) {
            if (!f.destroy) throw Error("the " + f.what + " of this object cannot be destroyed by name");
            if (!f.destroy(f.owner, name)) throw py::key_error(name);
          })
      .def("__repr__", [](const Family& f) { return "<tavrin family of " + f.what + ">"; });

  py::class_<NumberFamily>(m, "NumberFamily", "A family keyed by number: a read-only mapping from number to object, in the library's order (ascending); `del family[number]` unlinks.")
      .def("__getitem__", [](const NumberFamily& f, int key) {
            py::object o = f.get(f.owner, key);
            if (o.is_none()) throw py::key_error(std::to_string(key));
            return o;
          })
      .def("get", [](const NumberFamily& f, int key, py::object dflt) {
            py::object o = f.get(f.owner, key);
            return o.is_none() ? dflt : o;
          }, py::arg("key"), py::arg("default") = py::none())
      .def("__contains__", [](const NumberFamily& f, const py::object& key) {
            if (!py::isinstance<py::int_>(key) || py::isinstance<py::bool_>(key)) return false;
            long long k = key.cast<long long>();
            if (k < INT32_MIN || k > INT32_MAX) return false;
            return !f.get(f.owner, static_cast<int>(k)).is_none();
          })
      .def("__len__", [](const NumberFamily& f) { return f.items(f.owner).size(); })
      .def("__iter__", [](const NumberFamily& f) {
            py::list keys;
            for (auto& kv : f.items(f.owner)) keys.append(kv.first);
            return py::iter(keys);
          })
      .def("keys", [](const NumberFamily& f) {
            py::list keys;
            for (auto& kv : f.items(f.owner)) keys.append(kv.first);
            return keys;
          })
      .def("values", [](const NumberFamily& f) {
            py::list out;
            for (auto& kv : f.items(f.owner)) out.append(kv.second);
            return out;
          })
      .def("items", [](const NumberFamily& f) {
            py::list out;
            for (auto& kv : f.items(f.owner)) out.append(py::make_tuple(kv.first, kv.second));
            return out;
          })
      .def("__delitem__", [](const NumberFamily& f, int key) {
            if (!f.destroy(f.owner, key)) throw py::key_error(std::to_string(key));
          })
      .def("__repr__", [](const NumberFamily& f) { return "<tavrin family of " + f.what + ">"; });

  py::module_ units = m.def_submodule("units", "Length units: the library holds lengths as counts of 1/1500 micrometre.");
  units.def("to_units", [](double amount, const std::string& unit) { return tavrin::FromUnits(amount, UnitOf(unit)); },
            py::arg("amount"), py::arg("unit"),
            "An amount in `unit` ('mil', 'mm', 'cm', 'micron', 'inch', 'hundredth_micron', 'internal') as internal units, truncated toward zero and saturated at the 32-bit range.");
  units.def("from_units", [](long value, const std::string& unit) { return tavrin::ToUnits(value, UnitOf(unit)); },
            py::arg("value"), py::arg("unit"), "Internal units expressed in `unit`.");
  units.def("factor", [](const std::string& unit) { return tavrin::UnitFactor(UnitOf(unit)); }, py::arg("unit"),
            "Internal units per one `unit`.");

  m.def("get_native_mode", &SDesignElement::GetNativeMode,
        "Whether numeric attributes and constraints are stored as typed values (process-wide).");
  m.def("set_native_mode", &SDesignElement::SetNativeMode, py::arg("on"),
        "Off: numbers given to set_attribute and set_constraint are stored as text; on: as typed values.");
  m.def("version", [] { return std::string(TavrinVersion()); }, "The library's version.");
  m.def("file_version", [](const std::string& path) { return GetDBFileVersion(path.c_str()); }, py::arg("path"),
        "The format version in a saved file's header.");

  auto session = Bind<SSession, TavrinObject>(m, "Session",
      "A session: its own heap holding projects and libraries. Use as a context manager; closing deletes every object of it.");
  session.def(py::init(&NewSession))
      .def_static("load", [](const std::string& path, bool timings) {
            H<SSession> h = NewSession();
            Restore(h, path, timings);
            return h;
          }, py::arg("path"), py::arg("timings") = false,
          "A new session restored from `path`; raises Error with the reason when the file cannot be read or is damaged.")
      .def("__enter__", [](const H<SSession>& h) { h.get(); return h; })
      .def("__exit__", [](const H<SSession>& h, py::args) {
            if (h.state->busy) throw Error("session is busy saving or restoring on another thread");
            h.state->Close();
          })
      .def("close", [](const H<SSession>& h) {
            if (h.state->busy) throw Error("session is busy saving or restoring on another thread");
            h.state->Close();
          }, "Deletes the session and everything in it; every wrapper of its objects then raises Error.")
      .def_property_readonly("closed", [](const H<SSession>& h) { return h.state->session == nullptr; })
      .def("save", [](const H<SSession>& h, const std::string& path) {
            Check(h, Unlocked(h, [&](SSession* s) { return s->Save(path.c_str()); }), path);
          }, py::arg("path"),
          "Writes the session to `path`, replacing the file only when all of it reached the disk; raises Error with the reason otherwise.")
      .def("restore", &Restore, py::arg("path"), py::arg("timings") = false,
           "Adds the projects and libraries of `path` (lists come back reversed); on failure raises Error and the session is unchanged. The two timing lines the library prints are shown only with timings=True.")
      .def_property_readonly("last_error", [](const H<SSession>& h) { return Text(h.get()->GetLastError()); })
      .def_property("version", [](const H<SSession>& h) { return Text(h.get()->GetVersion()); },
                    [](const H<SSession>& h, const std::string& v) { h.get()->SetVersion(v.c_str()); })
      .def("create_project", [](const H<SSession>& h, const std::string& name) {
            return Wrap(h.state, h.get()->CreateProject(name.c_str()));
          }, py::arg("name"))
      .def("get_project", [](const H<SSession>& h, const std::string& name) {
            return Wrap(h.state, h.get()->GetProject(name.c_str()));
          }, py::arg("name"))
      .def_property_readonly("projects", [](const H<SSession>& h) {
            return MapFamily<SSession, SProject>(h, "projects", [](SSession* s) -> auto& { return s->GetAllProjects(); },
                [](SSession* s, const char* n) { return s->GetProject(n); },
                [](SSession* s, const char* n) { return s->DestroyProject(n); });
          })
      .def("create_package_library", [](const H<SSession>& h, const std::string& name) {
            return Wrap(h.state, h.get()->CreatePackageLibrary(name.c_str()));
          }, py::arg("name"))
      .def("create_pad_stack_library", [](const H<SSession>& h, const std::string& name) {
            return Wrap(h.state, h.get()->CreatePadStackLibrary(name.c_str()));
          }, py::arg("name"))
      .def("create_pin_mapping_library", [](const H<SSession>& h, const std::string& name) {
            return Wrap(h.state, h.get()->CreatePinMappingLibrary(name.c_str()));
          }, py::arg("name"))
      .def("get_library", [](const H<SSession>& h, const std::string& name) {
            return Wrap(h.state, h.get()->GetLibrary(name.c_str()));
          }, py::arg("name"))
      .def_property_readonly("libraries", [](const H<SSession>& h) {
            return MapFamily<SSession, SLibrary>(h, "libraries", [](SSession* s) -> auto& { return s->GetAllLibraries(); },
                [](SSession* s, const char* n) { return s->GetLibrary(n); },
                [](SSession* s, const char* n) { return s->DestroyLibrary(n); });
          })
      .def_property_readonly("package_libraries", [](const H<SSession>& h) { return WrapList(h.state, h.get()->GetAllPackageLibraries()); })
      .def_property_readonly("pad_stack_libraries", [](const H<SSession>& h) { return WrapList(h.state, h.get()->GetAllPadStackLibraries()); })
      .def_property_readonly("pin_mapping_libraries", [](const H<SSession>& h) { return WrapList(h.state, h.get()->GetAllPinMappingLibraries()); });

  Bind<SLibrary, TavrinObject>(m, "Library", "A named collection of definitions of one kind.")
      .def_property("name", [](const H<SLibrary>& h) { return Text(h.get()->GetName()); },
                    [](const H<SLibrary>& h, const std::string& v) { h.get()->SetName(v.c_str()); })
      .def_property("location", [](const H<SLibrary>& h) { return Text(h.get()->GetLocation()); },
                    [](const H<SLibrary>& h, const std::string& v) { h.get()->SetLocation(v.c_str()); })
      .def_property("access_type", [](const H<SLibrary>& h) { return h.get()->GetAccessType(); },
                    [](const H<SLibrary>& h, long v) { h.get()->SetAccessType(v); });

  Bind<SPackageLibrary, SLibrary>(m, "PackageLibrary", "A library of packages.")
      .def("create_package", [](const H<SPackageLibrary>& h, const std::string& n) { return Wrap(h.state, h.get()->CreatePackage(n.c_str())); }, py::arg("name"))
      .def("get_package", [](const H<SPackageLibrary>& h, const std::string& n) { return Wrap(h.state, h.get()->GetPackage(n.c_str())); }, py::arg("name"))
      .def_property_readonly("packages", [](const H<SPackageLibrary>& h) {
            return MapFamily<SPackageLibrary, SPackage>(h, "packages", [](SPackageLibrary* l) -> auto& { return l->GetAllPackages(); },
                [](SPackageLibrary* l, const char* n) { return l->GetPackage(n); },
                [](SPackageLibrary* l, const char* n) { return l->DestroyPackage(n); });
          });
  Bind<SPadStackLibrary, SLibrary>(m, "PadStackLibrary", "A library of pad stacks.")
      .def("create_pad_stack", [](const H<SPadStackLibrary>& h, const std::string& n) { return Wrap(h.state, h.get()->CreatePadStack(n.c_str())); }, py::arg("name"))
      .def("get_pad_stack", [](const H<SPadStackLibrary>& h, const std::string& n) { return Wrap(h.state, h.get()->GetPadStack(n.c_str())); }, py::arg("name"))
      .def_property_readonly("pad_stacks", [](const H<SPadStackLibrary>& h) {
            return MapFamily<SPadStackLibrary, SPadStack>(h, "pad stacks", [](SPadStackLibrary* l) -> auto& { return l->GetAllPadStacks(); },
                [](SPadStackLibrary* l, const char* n) { return l->GetPadStack(n); },
                [](SPadStackLibrary* l, const char* n) { return l->DestroyPadStack(n); });
          });
  Bind<SPinMappingLibrary, SLibrary>(m, "PinMappingLibrary", "A library of pin mappings.")
      .def("create_pin_mapping", [](const H<SPinMappingLibrary>& h, const std::string& n) { return Wrap(h.state, h.get()->CreatePinMapping(n.c_str())); }, py::arg("name"))
      .def("get_pin_mapping", [](const H<SPinMappingLibrary>& h, const std::string& n) { return Wrap(h.state, h.get()->GetPinMapping(n.c_str())); }, py::arg("name"))
      .def_property_readonly("pin_mappings", [](const H<SPinMappingLibrary>& h) {
            return MapFamily<SPinMappingLibrary, SPinMapping>(h, "pin mappings", [](SPinMappingLibrary* l) -> auto& { return l->GetAllPinMappings(); },
                [](SPinMappingLibrary* l, const char* n) { return l->GetPinMapping(n); },
                [](SPinMappingLibrary* l, const char* n) { return l->DestroyPinMapping(n); });
          });
}

}  // namespace tvpy

PYBIND11_MODULE(_tavrin, m) {
  m.doc() = "Board-design data in memory, saved to and restored from text files.";
  pybind11::register_exception<tvpy::Error>(m, "Error");
  tvpy::InstallObserver();
  tvpy::BindSession(m);
  tvpy::BindProps(m);
  tvpy::BindDesign(m);
  tvpy::BindConnect(m);
  tvpy::BindPhysical(m);
  tvpy::BindXref(m);
  tvpy::BindRules(m);
}
