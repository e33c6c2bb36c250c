// Values, attributes, constraint instances and the project-wide constraint
// definitions. Values cross into Python as numbers, texts, booleans and
// lists; a length (unitless value) comes out as its count of internal units.
#include "handle.h"

namespace tvpy {

py::object ValueToPython(const SValue* v) {
  if (!v) return py::none();
  switch (v->GetType()) {
    case TAVRIN_STRING_VALUE: return py::str(Text(static_cast<const SStringValue*>(v)->GetValue()));
    case TAVRIN_INTEGER_VALUE: return py::int_(static_cast<const SIntegerValue*>(v)->GetValue());
    case TAVRIN_REAL_VALUE: return py::float_(static_cast<const SRealValue*>(v)->GetValue());
    case TAVRIN_BOOLEAN_VALUE: return py::bool_(static_cast<const SBooleanValue*>(v)->GetValue());
    case TAVRIN_UNITLESS_VALUE: return py::int_(static_cast<const SUnitlessValue*>(v)->GetValue());
    case TAVRIN_ENUMERATED_VALUE: {
      auto* e = static_cast<const SEnumeratedValue*>(v);
      return py::make_tuple(Text(e->GetName()), e->GetValue());
    }
    case TAVRIN_LIST_VALUE: {
      // Iteratively over nested lists: a deep list must not exhaust the C stack.
      py::list top;
      std::vector<std::pair<const SListValue*, py::list>> work{{static_cast<const SListValue*>(v), top}};
      while (!work.empty()) {
        auto [list, out] = work.back();
        work.pop_back();
        const auto& all = list->GetAllValues();
        for (auto it = all.begin(); it != all.end(); ++it) {
          if (*it && (*it)->GetType() == TAVRIN_LIST_VALUE) {
            py::list inner;
            out.append(inner);
            work.emplace_back(static_cast<const SListValue*>(*it), inner);
          } else {
            out.append(ValueToPython(*it));
          }
        }
      }
      return std::move(top);
    }
    case TAVRIN_RANGE_VALUE: {
      auto* r = static_cast<const SRangeValue*>(v);
      return py::make_tuple(ValueToPython(r->GetLower()), ValueToPython(r->GetUpper()), ValueToPython(r->GetStep()));
    }
    default: return py::none();
  }
}

namespace {

// Fills `owner` (an assignment or a list value) with a value made from `x`.
template <class O>
bool MakeValue(O* owner, const py::handle& x) {
  if (py::isinstance<py::bool_>(x)) {
    SBooleanValue* b = owner->CreateBooleanValue();
    if (b) b->SetValue(x.cast<bool>());
    return b;
  }
  if (py::isinstance<py::int_>(x)) {
    long long n = x.cast<long long>();
    if (n < INT32_MIN || n > INT32_MAX) throw py::value_error("integer out of the 32-bit range");
    SIntegerValue* i = owner->CreateIntegerValue();
    if (i) i->SetValue(static_cast<int>(n));
    return i;
  }
  if (py::isinstance<py::float_>(x)) {
    SRealValue* r = owner->CreateRealValue();
    if (r) r->SetValue(x.cast<float>());
    return r;
  }
  if (py::isinstance<py::str>(x)) {
    SStringValue* s = owner->CreateStringValue();
    if (s) s->SetValue(x.cast<std::string>().c_str());
    return s;
  }
  if (py::isinstance<py::list>(x) || py::isinstance<py::tuple>(x)) {
    SListValue* l = owner->CreateListValue();
    if (!l) return false;
    // Elements are linked at the front: create them last first so the list
    // reads back in the Python order.
    py::sequence seq = py::reinterpret_borrow<py::sequence>(x);
    for (size_t i = seq.size(); i-- > 0;)
      if (!MakeValue(l, seq[i])) return false;
    return true;
  }
  throw py::type_error("a value is a str, int, float, bool, list or None");
}

}  // namespace

void SetAssignmentValue(SAssignment* a, const py::handle& value) {
  if (value.is_none()) {
    a->DestroyValue();
    return;
  }
  if (!MakeValue(a, value)) throw std::bad_alloc();
}

namespace {

template <class T>
void AssignmentFamily(py::class_<H<T>, H<SAssignment>>&) {}

}  // namespace

void BindProps(py::module_& m) {
  Bind<SDesignElement, TavrinObject>(m, "DesignElement",
      "Base of the named design objects: name, pin number, client flags, attributes and constraint instances.")
      .def_property("name", [](const H<SDesignElement>& h) { return Text(h.get()->GetName()); },
                    [](const H<SDesignElement>& h, const std::string& v) {
                      // Most names are keys of their owner's map and must not change while
                      // filed; layers (by number) and package pins (a list) are filed otherwise.
                      SDesignElement* e = h.get();
                      if (!dynamic_cast<SLayer*>(e) && !dynamic_cast<SPackagePin*>(e))
                        throw Error("a design element's name is its key in its owner and cannot change");
                      e->SetName(v.c_str());
                    })
      .def_property("pin_num", [](const H<SDesignElement>& h) { return Text(h.get()->GetPinNum()); },
                    [](const H<SDesignElement>& h, const std::string& v) { h.get()->SetPinNum(v.c_str()); })
      .def_property("client_flags", [](const H<SDesignElement>& h) { return h.get()->GetClientFlags(); },
                    [](const H<SDesignElement>& h, long v) { h.get()->SetClientFlags(v); })
      .def_property_readonly("id", [](const H<SDesignElement>& h) { return h.get()->GetId(); })
      .def_property_readonly("attributes", [](const H<SDesignElement>& h) { return WrapList(h.state, h.get()->GetAllAttributes()); },
                             "The attribute objects, newest first.")
      .def_property_readonly("constraint_instances", [](const H<SDesignElement>& h) {
            return WrapList(h.state, h.get()->GetAllConstraintInstances());
          }, "The constraint instances, newest first.")
      .def("create_attribute", [](const H<SDesignElement>& h, const std::string& n) {
            return Wrap(h.state, h.get()->CreateAttribute(n.c_str()));
          }, py::arg("name"), "A new attribute at the front (duplicates are not checked).")
      .def("set_attribute", [](const H<SDesignElement>& h, const std::string& n, const py::object& v) {
            SDesignElement* e = h.get();
            if (py::isinstance<py::str>(v)) e->SetAttribute(n.c_str(), v.cast<std::string>().c_str());
            else if (py::isinstance<py::bool_>(v) || py::isinstance<py::int_>(v)) {
              long long x = v.cast<long long>();
              if (x < INT32_MIN || x > INT32_MAX) throw py::value_error("integer out of the 32-bit range");
              e->SetAttribute(n.c_str(), static_cast<int>(x));
            } else if (py::isinstance<py::float_>(v)) e->SetAttribute(n.c_str(), v.cast<float>());
            else throw py::type_error("an attribute is set from a str, int or float");
          }, py::arg("name"), py::arg("value"),
          "Looks up or creates the attribute; a number is stored as text with native mode off, as a typed value with it on.")
      .def("get_attribute", [](const H<SDesignElement>& h, const std::string& n, py::object dflt) -> py::object {
            SAssignment* a = h.get()->GetAttribute(n.c_str());
            if (!a) return dflt;
            return ValueToPython(a->GetValue());
          }, py::arg("name"), py::arg("default") = py::none(),
          "The attribute's value as a Python value (None without a value); `default` when there is no such attribute.")
      .def("has_assignment", [](const H<SDesignElement>& h, const std::string& n) { return h.get()->HasAssignment(n.c_str()); })
      .def("remove_attribute", [](const H<SDesignElement>& h, const std::string& n) { h.get()->RemoveAttribute(n.c_str()); },
           py::arg("name"), "Destroys the value of the attribute or constraint instance of that name and unlinks it.")
      .def("create_constraint_instance", [](const H<SDesignElement>& h, const std::string& n, const H<SConstraint>* c) {
            return Wrap(h.state, h.get()->CreateConstraintInstance(n.c_str(), OptArg(h, c)));
          }, py::arg("name"), py::arg("constraint") = nullptr)
      .def("set_constraint", [](const H<SDesignElement>& h, const std::string& n, const py::object& v, int drc) {
            SDesignElement* e = h.get();
            int ok;
            if (py::isinstance<py::str>(v)) ok = e->SetConstraint(n.c_str(), v.cast<std::string>().c_str(), drc);
            else if (py::isinstance<py::bool_>(v)) ok = e->SetBoolConstraint(n.c_str(), v.cast<bool>(), drc);
            else if (py::isinstance<py::int_>(v)) {
              long long x = v.cast<long long>();
              if (x < INT32_MIN || x > INT32_MAX) throw py::value_error("integer out of the 32-bit range");
              ok = e->SetConstraint(n.c_str(), static_cast<int>(x), drc);
            } else if (py::isinstance<py::float_>(v)) ok = e->SetConstraint(n.c_str(), v.cast<float>(), drc);
            else throw py::type_error("a constraint is set from a str, int, float or bool");
            if (!ok) throw std::bad_alloc();
          }, py::arg("name"), py::arg("value"), py::arg("drc") = 0,
          "Finds or creates the constraint instance and gives it the value (as text with native mode off).")
      .def("get_constraint", [](const H<SDesignElement>& h, const std::string& n, py::object dflt) -> py::object {
            SAssignment* a = h.get()->GetConstraint(n.c_str());
            if (!a) return dflt;
            return ValueToPython(a->GetValue());
          }, py::arg("name"), py::arg("default") = py::none())
      .def("get_constraint_drc", [](const H<SDesignElement>& h, const std::string& n) {
            auto* c = dynamic_cast<SConstraintInstance*>(h.get()->GetConstraint(n.c_str()));
            if (!c) throw py::key_error(n);
            return c->GetDrcCode();
          }, py::arg("name"))
      .def("remove_constraint", [](const H<SDesignElement>& h, const std::string& n) { h.get()->RemoveConstraint(n.c_str()); },
           py::arg("name"))
      .def("copy_attributes", [](const H<SDesignElement>& h, const H<SDesignElement>& src) { h.get()->CopyAttributes(Arg(h, src)); })
      .def("copy_constraint_instances", [](const H<SDesignElement>& h, const H<SDesignElement>& src) {
            h.get()->CopyConstraintInstances(Arg(h, src));
          });

  Bind<SAssignment, TavrinObject>(m, "Assignment", "A name, a global flag and one owned value.")
      .def_property_readonly("name", [](const H<SAssignment>& h) { return Text(h.get()->GetName()); })
      .def_property("is_global", [](const H<SAssignment>& h) { return h.get()->GetIsGlobal(); },
                    [](const H<SAssignment>& h, bool v) { h.get()->SetIsGlobal(v); })
      .def_property("value", [](const H<SAssignment>& h) { return ValueToPython(h.get()->GetValue()); },
                    [](const H<SAssignment>& h, const py::object& v) { SetAssignmentValue(h.get(), v); },
                    "The value as a Python value; setting replaces it (str, int, float, bool, list, or None to remove it).")
      .def_property_readonly("value_type", [](const H<SAssignment>& h) {
            SValue* v = h.get()->GetValue();
            if (!v) return std::string();
            const char* n = v->GetClassName();
            return std::string(n + 7);
          }, "The value's class ('IntegerValue', 'UnitlessValue', ...), '' without a value.")
      .def("set_length", [](const H<SAssignment>& h, double amount, const std::string& unit) {
            g_TavrinUnitType u = Unit(unit);
            SUnitlessValue* v = h.get()->CreateUnitlessValue();
            if (!v) throw std::bad_alloc();
            v->SetInUnits(amount, u);
          }, py::arg("amount"), py::arg("unit"), "Makes the value a length of `amount` in `unit`.")
      .def("length", [](const H<SAssignment>& h, const std::string& unit) {
            g_TavrinUnitType u = Unit(unit);
            auto* v = dynamic_cast<SUnitlessValue*>(h.get()->GetValue());
            if (!v) throw Error("the value is not a length");
            return v->GetInUnits(u);
          }, py::arg("unit"), "The length value in `unit`.");
  Bind<SAttribute, SAssignment>(m, "Attribute", "A free name/value pair attached to a design element.");
  Bind<SConstraintInstance, SAssignment>(m, "ConstraintInstance", "A constraint applied to a design element, with a rule-check code.")
      .def_property("drc_code", [](const H<SConstraintInstance>& h) { return h.get()->GetDrcCode(); },
                    [](const H<SConstraintInstance>& h, int v) { h.get()->SetDrcCode(v); })
      .def_property("constraint", [](const H<SConstraintInstance>& h) { return Wrap(h.state, h.get()->GetConstraint()); },
                    [](const H<SConstraintInstance>& h, const H<SConstraint>* c) { h.get()->SetConstraint(OptArg(h, c)); });

  Bind<SConstraint, TavrinObject>(m, "Constraint", "A named design rule with a basis and a default value held by assignments.")
      .def_property_readonly("name", [](const H<SConstraint>& h) { return Text(h.get()->GetName()); })
      .def_property_readonly("basis", [](const H<SConstraint>& h) { return ValueToPython(h.get()->GetBasis()); })
      .def_property_readonly("default_value", [](const H<SConstraint>& h) { return ValueToPython(h.get()->GetDefaultValue()); })
      .def("basis_length", [](const H<SConstraint>& h, const std::string& unit) {
            g_TavrinUnitType u = Unit(unit);
            auto* v = dynamic_cast<SUnitlessValue*>(h.get()->GetBasis());
            if (!v) throw Error("the basis is not a length");
            return v->GetInUnits(u);
          }, py::arg("unit"))
      .def("set_basis", [](const H<SConstraint>& h, const H<SAssignment>* holder) {
            h.get()->SetBasis(holder ? Arg(h, *holder)->GetValue() : nullptr);
          }, py::arg("holder"), "Makes the current value of `holder` (an assignment) the basis; None clears it.")
      .def("set_default_value", [](const H<SConstraint>& h, const H<SAssignment>* holder) {
            h.get()->SetDefaultValue(holder ? Arg(h, *holder)->GetValue() : nullptr);
          }, py::arg("holder"));

  Bind<SConstraintSet, TavrinObject>(m, "ConstraintSet", "Constraints by name and target sets, referred to.")
      .def_property_readonly("name", [](const H<SConstraintSet>& h) { return Text(h.get()->GetName()); })
      .def("add_constraint", [](const H<SConstraintSet>& h, const H<SConstraint>& c) {
            SConstraint* p = Arg(h, c);
            return h.get()->SetConstraint(p->GetName(), p);
          }, py::arg("constraint"), "Files the constraint under its own name; False when the name is taken.")
      .def("remove_constraint", [](const H<SConstraintSet>& h, const std::string& n) { return h.get()->RemoveConstraint(n.c_str()); })
      .def_property_readonly("constraints", [](const H<SConstraintSet>& h) {
            return MapFamily<SConstraintSet, SConstraint>(h, "constraints", [](SConstraintSet* s) -> auto& { return s->GetAllConstraints(); },
                [](SConstraintSet* s, const char* n) { return s->GetConstraint(n); },
                [](SConstraintSet* s, const char* n) { return s->RemoveConstraint(n); });
          })
      .def("insert_target_set", [](const H<SConstraintSet>& h, const H<SConstraintSet>& t) { return h.get()->InsertTargetSet(Arg(h, t)); })
      .def_property_readonly("target_sets", [](const H<SConstraintSet>& h) { return WrapList(h.state, h.get()->GetAllTargetSets()); });

  Bind<SConstraintGroup, TavrinObject>(m, "ConstraintGroup", "Constraint sets by name, referred to.")
      .def_property_readonly("name", [](const H<SConstraintGroup>& h) { return Text(h.get()->GetName()); })
      .def("add_constraint_set", [](const H<SConstraintGroup>& h, const H<SConstraintSet>& s) {
            SConstraintSet* p = Arg(h, s);
            return h.get()->SetConstraintSet(p->GetName(), p);
          }, py::arg("constraint_set"))
      .def_property_readonly("constraint_sets", [](const H<SConstraintGroup>& h) {
            return MapFamily<SConstraintGroup, SConstraintSet>(h, "constraint sets", [](SConstraintGroup* g) -> auto& { return g->GetAllConstraintSets(); },
                [](SConstraintGroup* g, const char* n) { return g->GetConstraintSet(n); },
                [](SConstraintGroup* g, const char* n) { return g->RemoveConstraintSet(n); });
          });
}

}  // namespace tvpy
