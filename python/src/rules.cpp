// Conditional rules and their rule sets, contexts of representations, and
// generic objects with their types.
#include "bind_macros.h"

namespace tvpy {

namespace {

// The kind's text, copied at once: the library's string is one per thread
// and the next call overwrites it.
std::string RuleType(SCondRule::CondRuleObjType t) { return Text(SCondRule::RuleTypeToStr(t).GetString()); }

// The objects of a type or the children of an object, in list order.
template <class O>
py::list Objects(const State& state, const O* owner) {
  py::list out;
  POSITION pos = nullptr;
  for (SObject* o = owner->GetFirstObject(pos); o; o = owner->GetNextObject(pos)) out.append(Wrap(state, o));
  return out;
}

}  // namespace

void BindModuleRules(py::class_<H<SModule>, H<SPhysicalRepresentation>>& c) {
  c.def("create_cond_rule", [](const H<SModule>& h, const std::string& src, const std::string& st, const std::string& dst,
                               const std::string& dt) {
         return Wrap(h.state, h.get()->CreateCondRule(src.c_str(), st.c_str(), dst.c_str(), dt.c_str()));
       }, py::arg("source"), py::arg("source_type"), py::arg("target"), py::arg("target_type"),
       "A new conditional rule; the kinds are 'All', 'Class', 'Net', 'Group', 'PinPair', 'Layer' or 'PkgType' (any other text is no kind).")
      .def("get_cond_rule", [](const H<SModule>& h, const std::string& src, const std::string& st, const std::string& dst,
                               const std::string& dt) {
            return Wrap(h.state, h.get()->GetCondRule(src.c_str(), SCondRule::StrToRuleType(st.c_str()), dst.c_str(),
                                                      SCondRule::StrToRuleType(dt.c_str())));
          }, py::arg("source"), py::arg("source_type"), py::arg("target"), py::arg("target_type"))
      .def("destroy_cond_rule", [](const H<SModule>& h, const H<SCondRule>& r) { return h.get()->DestroyCondRule(Arg(h, r)); },
           py::arg("rule"), "Unlinks and deletes the rule with its rule sets; their wrappers then raise.")
      .TVPY_LIST(SModule, "cond_rules", GetAllCondRules)
      .TVPY_CREATE(SModule, "create_object_type", CreateObjectType)
      .TVPY_LOOKUP(SModule, "get_object_type", GetObjectType)
      .def_property_readonly("object_types", [](const H<SModule>& h) {
            return MapFamily<SModule, SObjectType>(h, "object types", [](SModule* m) -> auto& { return m->GetAllObjectTypes(); },
                [](SModule* m, const char* n) { return m->GetObjectType(n); },
                [](SModule* m, const char* n) {
                  SObjectType* t = m->GetObjectType(n);
                  return t && m->DestroyObjectType(t);
                });
          }, "The generic object types by name; `del` deletes a type with all its objects.");
}

void BindRules(py::module_& m) {
  Bind<SCondRule, TavrinObject>(m, "CondRule", "A rule of a module between a named source and target, with its rule sets (kept while the module is open, not saved).")
      .TVPY_TEXT(SCondRule, "source", GetSource, SetSource)
      .TVPY_TEXT(SCondRule, "target", GetTarget, SetTarget)
      .def_property("source_type", [](const H<SCondRule>& h) { return RuleType(h.get()->GetSourceType()); },
                    [](const H<SCondRule>& h, const std::string& t) { h.get()->SetSourceType(SCondRule::StrToRuleType(t.c_str())); },
                    "The source's kind as text ('' for none).")
      .def_property("target_type", [](const H<SCondRule>& h) { return RuleType(h.get()->GetTargetType()); },
                    [](const H<SCondRule>& h, const std::string& t) { h.get()->SetTargetType(SCondRule::StrToRuleType(t.c_str())); })
      .def("create_rule_set", [](const H<SCondRule>& h, const std::string& n) { return Wrap(h.state, h.get()->CreateRuleSet(n.c_str())); },
           py::arg("name"), "A new rule set at the head of the list.")
      .TVPY_LOOKUP(SCondRule, "get_rule_set", GetRuleSet)
      .def("destroy_rule_set", [](const H<SCondRule>& h, const H<SRuleSet>& rs) { return h.get()->DestroyRuleSet(Arg(h, rs)); },
           py::arg("rule_set"), "Unlinks and deletes the rule set; False when it is not this rule's.")
      .TVPY_LIST(SCondRule, "rule_sets", GetAllRuleSets);
  Bind<SRuleSet, SDesignElement>(m, "RuleSet", "A named rule set of a conditional rule.")
      .TVPY_TEXT(SRuleSet, "name", GetName, SetName);

  Bind<SProperty, SAssignment>(m, "Property", "A property assignment of a context.");
  Bind<SOATContext, TavrinObject>(m, "OATContext", "A named context of a representation with its own properties, attributes and constraint instances.")
      .def_property_readonly("name", [](const H<SOATContext>& h) { return Text(h.get()->GetName()); })
      .TVPY_CREATE(SOATContext, "create_property", CreateProperty)
      .TVPY_CREATE(SOATContext, "create_attribute", CreateAttribute)
      .def("create_constraint_instance", [](const H<SOATContext>& h, const std::string& n, const H<SConstraint>* c) {
            return Wrap(h.state, h.get()->CreateConstraintInstance(n.c_str(), OptArg(h, c)));
          }, py::arg("name"), py::arg("constraint") = nullptr)
      .TVPY_LOOKUP(SOATContext, "get_assignment", GetAssignment)
      .TVPY_FAMILY(SOATContext, SAssignment, "assignments", "assignments", GetAllAssignments, GetAssignment, DestroyAssignment)
      .TVPY_LIST(SOATContext, "properties", GetAllProperties)
      .TVPY_LIST(SOATContext, "attributes", GetAllAttributes)
      .TVPY_LIST(SOATContext, "constraint_instances", GetAllConstraintInstances);

  Bind<SObjectType, TavrinObject>(m, "ObjectType", "A named type of generic objects; it owns its top-level objects.")
      .def_property_readonly("name", [](const H<SObjectType>& h) { return Text(h.get()->GetName()); })
      .TVPY_CREATE(SObjectType, "create_object", CreateObject)
      .def_property_readonly("objects", [](const H<SObjectType>& h) { return Objects(h.state, h.get()); }, "The top-level objects in list order.")
      .def("delete_object", [](const H<SObjectType>& h, const H<SObject>& o) { return h.get()->DeleteObject(Arg(h, o)) != 0; },
           py::arg("object"), "Unlinks and deletes the object with its children; False when it is not listed here.")
      .def("remove_object", [](const H<SObjectType>& h, const H<SObject>& o) { return h.get()->RemObject(Arg(h, o)) != 0; },
           py::arg("object"), "Unlinks the object without deleting it.");
  Bind<SObject, SDesignElement>(m, "GenericObject", "A generic object: a level, a composite flag, its type and parent, and its own children.")
      .TVPY_TEXT(SObject, "level", GetLevel, SetLevel)
      .def_property("is_composite", [](const H<SObject>& h) { return h.get()->IsCompObj(); },
                    [](const H<SObject>& h, bool v) { h.get()->SetCompObj(v); })
      .TVPY_REF_RW(SObject, SObjectType, "object_type", GetObjectType, SetObjectType)
      .TVPY_REF_RW(SObject, SObject, "parent", GetParent, SetParent)
      .TVPY_CREATE(SObject, "create_object", CreateObject)
      .def_property_readonly("children", [](const H<SObject>& h) { return Objects(h.state, h.get()); })
      .def("delete_object", [](const H<SObject>& h, const H<SObject>& o) { return h.get()->DeleteObject(Arg(h, o)) != 0; },
           py::arg("child"), "Unlinks and deletes the child with its children; False when it is not a child.")
      .def("remove_object", [](const H<SObject>& h, const H<SObject>& o) { return h.get()->RemObject(Arg(h, o)) != 0; },
           py::arg("child"));
}

}  // namespace tvpy
