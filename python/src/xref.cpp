// The cross-reference loader: independent of any session.
#include "handle.h"

namespace tvpy {

namespace {

py::list Names(const CStringList* list) {
  py::list out;
  if (!list) return out;
  for (POSITION pos = list->GetHeadPosition(); pos;) out.append(std::string(list->GetNext(pos).GetString()));
  return out;
}

}  // namespace

void BindXref(py::module_& m) {
  py::class_<CPxr>(m, "Pxr", "Pairs of physical and logical net and component names read from cross-reference files.")
      .def(py::init([](py::object path, bool internal_nets) {
             auto pxr = std::make_unique<CPxr>();
             if (!path.is_none()) {
               std::string p = py::str(path);
               if (!pxr->LoadFile(p.c_str(), internal_nets)) throw Error(p + ": cannot be opened as a regular file");
             }
             return pxr;
           }), py::arg("path") = py::none(), py::arg("internal_nets") = false,
           "A loader, with the file at `path` read when one is given.")
      .def("load", [](CPxr& x, const std::string& path, bool internal_nets) {
            if (!x.LoadFile(path.c_str(), internal_nets)) throw Error(path + ": cannot be opened as a regular file");
          }, py::arg("path"), py::arg("internal_nets") = false,
          "Adds the pairs of a file (internal_nets: the 'Internal_Net_Cross_Reference' section).")
      .def("already_loaded", [](CPxr& x, const std::string& p) { return x.FileAlreadyLoaded(p.c_str()) != 0; })
      .def("net_phys_to_log", [](CPxr& x, const std::string& n) {
            CStringList* out = nullptr;
            return x.NetPhysToLogNames(n.c_str(), out) ? Names(out) : py::list();
          }, py::arg("physical"), "The logical nets of a physical net ([] when unknown).")
      .def("net_log_to_phys", [](CPxr& x, const std::string& n) -> py::object {
            CString out;
            if (!x.NetLogToPhysName(n.c_str(), out)) return py::none();
            return py::str(out.GetString());
          }, py::arg("logical"))
      .def("comp_phys_to_log", [](CPxr& x, const std::string& n) {
            CStringList* out = nullptr;
            return x.CompPhysToLogNames(n.c_str(), out) ? Names(out) : py::list();
          }, py::arg("physical"))
      .def("comp_log_to_phys", [](CPxr& x, const std::string& n) -> py::object {
            CString out;
            if (!x.CompLogToPhysName(n.c_str(), out)) return py::none();
            return py::str(out.GetString());
          }, py::arg("logical"));
}

}  // namespace tvpy
