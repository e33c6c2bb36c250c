// Short forms of the recurring bindings: properties over a getter and a
// setter, creations and look-ups by name, reference lists, name families.
#ifndef TAVRIN_PYTHON_BIND_MACROS_H
#define TAVRIN_PYTHON_BIND_MACROS_H

#include "handle.h"

#define TVPY_TEXT(cls, pyname, getter, setter)                                          \
  def_property(pyname, [](const H<cls>& h) { return Text(h.get()->getter()); },         \
               [](const H<cls>& h, const std::string& v) { h.get()->setter(v.c_str()); })
#define TVPY_NUM(cls, type, pyname, getter, setter)                                     \
  def_property(pyname, [](const H<cls>& h) { return h.get()->getter(); },               \
               [](const H<cls>& h, type v) { h.get()->setter(v); })
#define TVPY_REF(cls, pyname, getter)                                                   \
  def_property_readonly(pyname, [](const H<cls>& h) { return Wrap(h.state, h.get()->getter()); })
#define TVPY_REF_RW(cls, type, pyname, getter, setter)                                  \
  def_property(pyname, [](const H<cls>& h) { return Wrap(h.state, h.get()->getter()); }, \
               [](const H<cls>& h, const H<type>* o) { h.get()->setter(OptArg(h, o)); })
#define TVPY_LIST(cls, pyname, getter)                                                  \
  def_property_readonly(pyname, [](const H<cls>& h) { return WrapList(h.state, h.get()->getter()); })
#define TVPY_CREATE(cls, pyname, creator)                                               \
  def(pyname, [](const H<cls>& h, const std::string& n) { return Wrap(h.state, h.get()->creator(n.c_str())); }, \
      py::arg("name"))
#define TVPY_LOOKUP(cls, pyname, getter)                                                \
  def(pyname, [](const H<cls>& h, const std::string& n) { return Wrap(h.state, h.get()->getter(n.c_str())); }, \
      py::arg("name"))
#define TVPY_REFS(cls, arg, insert, remove, has, pyinsert, pyremove, pyhas)            \
  def(pyinsert, [](const H<cls>& h, const H<arg>& o) { return h.get()->insert(Arg(h, o)); })     \
      .def(pyremove, [](const H<cls>& h, const H<arg>& o) { return h.get()->remove(Arg(h, o)); }) \
      .def(pyhas, [](const H<cls>& h, const H<arg>& o) { return h.get()->has(Arg(h, o)); })
#define TVPY_FAMILY(cls, value, pyname, what, all, getter, destroyer)                   \
  def_property_readonly(pyname, [](const H<cls>& h) {                                    \
    return MapFamily<cls, value>(h, what, [](cls* o) -> auto& { return o->all(); },       \
                                 [](cls* o, const char* n) { return o->getter(n); },     \
                                 [](cls* o, const char* n) { return o->destroyer(n); }); \
  })
#define TVPY_FAMILY_RO(cls, value, pyname, what, all, getter)                           \
  def_property_readonly(pyname, [](const H<cls>& h) {                                    \
    return MapFamily<cls, value>(h, what, [](cls* o) -> auto& { return o->all(); },       \
                                 [](cls* o, const char* n) { return o->getter(n); }, nullptr); \
  })

#define TVPY_INT_FAMILY(cls, value, pyname, what, all, getter, destroyer)               \
  def_property_readonly(pyname, [](const H<cls>& h) {                                    \
    return IntFamily<cls, value>(h, what, [](cls* o) -> auto& { return o->all(); },       \
                                 [](cls* o, int n) { return o->getter(n); },             \
                                 [](cls* o, int n) { return o->destroyer(n); });         \
  })

namespace tvpy {
// A number-keyed map as a Python dict, in the library's order.
template <class M>
py::dict WrapIntMap(const State& state, const M& map) {
  py::dict out;
  for (auto it = map.begin(); it != map.end(); ++it) out[py::int_(static_cast<int>(it->first))] = Wrap(state, it->second);
  return out;
}
}  // namespace tvpy

#endif
