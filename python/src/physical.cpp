// Modules, parts, part instances and their pins, pin mappings, layouts,
// stack-ups, layers and regions, pad stacks and packages.
#include "bind_macros.h"

namespace tvpy {

void BindModuleElectrical(py::class_<H<SModule>, H<SPhysicalRepresentation>>& c);
void BindModuleRules(py::class_<H<SModule>, H<SPhysicalRepresentation>>& c);

namespace {

// A coordinate pair read and written in a named unit.
template <class T, class P>
void Coordinates(py::class_<H<T>, H<P>>& c) {
  c.def("x", [](const H<T>& h, const std::string& unit) { return h.get()->GetX(Unit(unit)); }, py::arg("unit") = "mil")
      .def("y", [](const H<T>& h, const std::string& unit) { return h.get()->GetY(Unit(unit)); }, py::arg("unit") = "mil")
      .def("set_x", [](const H<T>& h, double v, const std::string& unit) { h.get()->SetX(v, Unit(unit)); }, py::arg("value"), py::arg("unit") = "mil")
      .def("set_y", [](const H<T>& h, double v, const std::string& unit) { h.get()->SetY(v, Unit(unit)); }, py::arg("value"), py::arg("unit") = "mil")
      .def_property("x_mil", [](const H<T>& h) { return h.get()->GetX(TAVRIN_UNIT_MIL); },
                    [](const H<T>& h, double v) { h.get()->SetX(v, TAVRIN_UNIT_MIL); })
      .def_property("y_mil", [](const H<T>& h) { return h.get()->GetY(TAVRIN_UNIT_MIL); },
                    [](const H<T>& h, double v) { h.get()->SetY(v, TAVRIN_UNIT_MIL); })
      .def_property_readonly("x_internal", [](const H<T>& h) { return h.get()->GetXVal(); })
      .def_property_readonly("y_internal", [](const H<T>& h) { return h.get()->GetYVal(); });
}

// A length held as an owned value: Create replaces the value, then sets it.
template <class T, class C>
void SetLength(T* owner, C create, double amount, const std::string& unit) {
  g_TavrinUnitType u = Unit(unit);
  SUnitlessValue* v = (owner->*create)();
  if (!v) throw std::bad_alloc();
  v->SetInUnits(amount, u);
}

template <class T>
py::object Length(const T* owner, const SUnitlessValue* v, const std::string& unit) {
  (void)owner;
  if (!v) return py::none();
  return py::float_(v->GetInUnits(Unit(unit)));
}

}  // namespace

void BindPhysical(py::module_& m) {
  auto module = Bind<SModule, SPhysicalRepresentation>(m, "Module", "The board view of a cell.");
  module.def("create_layout", [](const H<SModule>& h) { return Wrap(h.state, h.get()->CreateLayout()); },
             "Replaces the layout (the old one is deleted) with a new one.")
      .TVPY_REF(SModule, "layout", GetLayout)
      .def("destroy_layout", [](const H<SModule>& h) { return h.get()->DestroyLayout(); })
      .def("index_part_instance", [](const H<SModule>& h, const H<SPartInstance>& pi) {
            SPartInstance* p = Arg(h, pi);
            return h.get()->SetPartInstance(p->GetName(), p);
          }, py::arg("part_instance"), "Enters the instance in the index under its own name; False when the name is taken.")
      .TVPY_FAMILY(SModule, SPartInstance, "part_instance_index", "indexed part instances", GetAllPartInstances, GetPartInstance, RemovePartInstance)
      .def("find_part_instance", [](const H<SModule>& h, const std::string& n, const std::string& pkg) {
            return Wrap(h.state, h.get()->FindPartInstance(n.c_str(), pkg.c_str()));
          }, py::arg("name"), py::arg("package_type") = "");
  BindModuleElectrical(module);
  BindModuleRules(module);

  Bind<SPart, SPhysicalRepresentation>(m, "Part", "The physical view of a cell: its pins, packages and pin mappings.")
      .TVPY_CREATE(SPart, "create_part_pin", CreatePartPin)
      .TVPY_LOOKUP(SPart, "get_part_pin", GetPartPin)
      .TVPY_FAMILY(SPart, SPartPin, "part_pins", "part pins", GetAllPartPins, GetPartPin, DestroyPartPin)
      .def("add_package", [](const H<SPart>& h, const H<SPackage>& p) {
            SPackage* pkg = Arg(h, p);
            return h.get()->SetPackage(pkg->GetName(), pkg);
          }, py::arg("package"))
      .TVPY_FAMILY(SPart, SPackage, "packages", "packages", GetAllPackages, GetPackage, RemovePackage)
      .def("add_pin_mapping", [](const H<SPart>& h, const H<SPinMapping>& p) {
            SPinMapping* pm = Arg(h, p);
            return h.get()->SetPinMapping(pm->GetName(), pm);
          }, py::arg("pin_mapping"))
      .TVPY_FAMILY(SPart, SPinMapping, "pin_mappings", "pin mappings", GetAllPinMappings, GetPinMapping, RemovePinMapping)
      .TVPY_REF_RW(SPart, SPackage, "selected_package", GetSelectedPackage, SetSelectedPackage)
      .TVPY_REF_RW(SPart, SPinMapping, "selected_mapping", GetSelectedMapping, SetSelectedMapping)
      .def_property("part_type", [](const H<SPart>& h) { return static_cast<int>(h.get()->GetType()); },
                    [](const H<SPart>& h, int t) { h.get()->SetType(static_cast<TavrinPartType>(t)); },
                    "The kind of part; 1, 3, 5 and 6 count as passive.");

  Bind<SPartPin, SInstantiator>(m, "PartPin", "A pin of a part.")
      .TVPY_NUM(SPartPin, long, "x", GetX, SetX)
      .TVPY_NUM(SPartPin, long, "y", GetY, SetY)
      .TVPY_REF(SPartPin, "part", GetPart)
      .TVPY_REF_RW(SPartPin, SPackagePin, "package_pin", GetPackagePin, SetPackagePin);

  Bind<SPinMapping, TavrinObject>(m, "PinMapping", "Which member pin an aggregate pin maps to, globally and per slot.")
      .def_property_readonly("name", [](const H<SPinMapping>& h) { return Text(h.get()->GetName()); })
      .def("add_global_entry", [](const H<SPinMapping>& h, const std::string& a, const std::string& b) {
            return h.get()->AddGlobalEntry(a.c_str(), b.c_str());
          })
      .def("add_slot_entry", [](const H<SPinMapping>& h, int slot, const std::string& a, const std::string& b) {
            return h.get()->AddSlotEntry(slot, a.c_str(), b.c_str());
          })
      .def("global_member_name", [](const H<SPinMapping>& h, const std::string& a) -> py::object {
            const char* n = h.get()->GetGlobalMemberName(a.c_str());
            if (!n) return py::none();
            return py::str(n);
          })
      .def("slot_member_name", [](const H<SPinMapping>& h, int slot, const std::string& a) -> py::object {
            const char* n = h.get()->GetSlotMemberName(slot, a.c_str());
            if (!n) return py::none();
            return py::str(n);
          });

  auto pi = Bind<SPartInstance, SCellInstance>(m, "PartInstance", "A placed component: reference designator, placement and pin instances.");
  pi.TVPY_TEXT(SPartInstance, "ref_des", GetRefDes, SetRefDes)
      .TVPY_NUM(SPartInstance, int, "layer", GetLayer, SetLayer)
      .def_property("rotation", [](const H<SPartInstance>& h) { return h.get()->GetRotation(); },
                    [](const H<SPartInstance>& h, int d) { h.get()->SetRotation(d); }, "Whole degrees.")
      .TVPY_NUM(SPartInstance, int, "rotation1000", GetRotation1000, SetRotation1000)
      .def_property_readonly("is_passive", [](const H<SPartInstance>& h) { return h.get()->IsPassive(); })
      .TVPY_CREATE(SPartInstance, "create_part_pin_instance", CreatePartPinInstance)
      .TVPY_LOOKUP(SPartInstance, "get_part_pin_instance", GetPartPinInstance)
      .TVPY_FAMILY(SPartInstance, SPartPinInstance, "part_pin_instances", "part pin instances", GetAllPartPinInstances,
                   GetPartPinInstance, DestroyPartPinInstance);
  Coordinates(pi);

  auto ppi = Bind<SPartPinInstance, SInstance>(m, "PartPinInstance", "One placed pin of a part instance.");
  ppi.TVPY_TEXT(SPartPinInstance, "drill_override", GetDrillOverride, SetDrillOverride)
      .TVPY_TEXT(SPartPinInstance, "pad_stack_override", GetPadStackOverride, SetPadStackOverride)
      .TVPY_REF_RW(SPartPinInstance, SPadStack, "pad_stack", GetPadStack, SetPadStack)
      .TVPY_REF_RW(SPartPinInstance, SPartPin, "part_pin", GetPartPin, SetPartPin)
      .TVPY_REF(SPartPinInstance, "part_instance", GetPartInstance)
      .TVPY_REF_RW(SPartPinInstance, SPortInstanceScalar, "port_instance_scalar", GetPortInstanceScalar, SetPortInstanceScalar)
      .def_property_readonly("pin_name", [](const H<SPartPinInstance>& h) {
            CString out;
            h.get()->GetPinName(out);
            return std::string(out.GetString());
          });
  Coordinates(ppi);

  Bind<SLayout, TavrinObject>(m, "Layout", "A module's layout: its stack-up.")
      .def("create_stack_up", [](const H<SLayout>& h) { return Wrap(h.state, h.get()->CreateStackUp()); })
      .TVPY_REF(SLayout, "stack_up", GetStackUp)
      .def("destroy_stack_up", [](const H<SLayout>& h) { return h.get()->DestroyStackUp(); });

  Bind<SStackUp, TavrinObject>(m, "StackUp", "Layers by number, top and bottom layer, the pad stacks used.")
      .def_property("name", [](const H<SStackUp>& h) { return Text(h.get()->GetName()); },
                    [](const H<SStackUp>& h, const std::string& n) { h.get()->SetName(n.c_str()); })
      .def("create_layer", [](const H<SStackUp>& h, int n) { return Wrap(h.state, h.get()->CreateLayer(n)); }, py::arg("number"))
      .def("get_layer", [](const H<SStackUp>& h, int n) { return Wrap(h.state, h.get()->GetLayer(n)); }, py::arg("number"))
      .def("destroy_layer", [](const H<SStackUp>& h, int n) { return h.get()->DestroyLayer(n); }, py::arg("number"))
      .def_property_readonly("layers", [](const H<SStackUp>& h) { return WrapIntMap(h.state, h.get()->GetAllLayers()); })
      .TVPY_REF_RW(SStackUp, SLayer, "top_layer", GetTopLayer, SetTopLayer)
      .TVPY_REF_RW(SStackUp, SLayer, "bottom_layer", GetBottomLayer, SetBottomLayer)
      .TVPY_REFS(SStackUp, SPadStack, InsertPadStack, RemovePadStack, HasPadStack, "insert_pad_stack", "remove_pad_stack", "has_pad_stack")
      .TVPY_LIST(SStackUp, "pad_stacks", GetAllPadStacks);

  Bind<SLayer, SDesignElement>(m, "Layer", "A layer of a stack-up with its regions.")
      .TVPY_CREATE(SLayer, "create_signal_region", CreateSignalRegion)
      .TVPY_CREATE(SLayer, "create_power_plane_region", CreatePowerPlaneRegion)
      .TVPY_CREATE(SLayer, "create_insulator_region", CreateInsulatorRegion)
      .TVPY_FAMILY(SLayer, SRegion, "regions", "regions", GetAllRegions, GetRegion, DestroyRegion)
      .TVPY_TEXT(SLayer, "layer_type", GetType, SetType)
      .TVPY_TEXT(SLayer, "conductor", GetConductor, SetConductor)
      .TVPY_TEXT(SLayer, "dielectric_name", GetDielectricName, SetDielectricName)
      .TVPY_NUM(SLayer, double, "dielectric_constant", GetDielectricConstant, SetDielectricConstant)
      .TVPY_NUM(SLayer, int, "number", GetNumber, SetNumber)
      .TVPY_REF_RW(SLayer, SStackUp, "stack_up", GetStackUp, SetStackUp)
      .TVPY_REF_RW(SLayer, SLayer, "next_layer", GetNextLayer, SetNextLayer)
      .def("thickness", [](const H<SLayer>& h, const std::string& u) { SLayer* l = h.get(); return Length(l, l->GetThicknessVal(), u); }, py::arg("unit") = "mil")
      .def("set_thickness", [](const H<SLayer>& h, double v, const std::string& u) { h.get()->SetThickness(v, Unit(u)); }, py::arg("value"), py::arg("unit") = "mil")
      .def("via_diameter", [](const H<SLayer>& h, const std::string& u) { SLayer* l = h.get(); return Length(l, l->GetViaDiameterVal(), u); }, py::arg("unit") = "mil")
      .def("set_via_diameter", [](const H<SLayer>& h, double v, const std::string& u) { h.get()->SetViaDiameter(v, Unit(u)); }, py::arg("value"), py::arg("unit") = "mil");

  Bind<SRegion, SDesignElement>(m, "Region", "A region of a layer.").TVPY_REF(SRegion, "layer", GetLayer);
  Bind<SSignalRegion, SRegion>(m, "SignalRegion", "A signal region: trace width and spacing.")
      .def("trace_width", [](const H<SSignalRegion>& h, const std::string& u) { SSignalRegion* r = h.get(); return Length(r, r->GetTraceWidthVal(), u); }, py::arg("unit") = "mil")
      .def("set_trace_width", [](const H<SSignalRegion>& h, double v, const std::string& u) { h.get()->SetTraceWidth(v, Unit(u)); }, py::arg("value"), py::arg("unit") = "mil")
      .def("trace_spacing", [](const H<SSignalRegion>& h, const std::string& u) { SSignalRegion* r = h.get(); return Length(r, r->GetTraceSpacingVal(), u); }, py::arg("unit") = "mil")
      .def("set_trace_spacing", [](const H<SSignalRegion>& h, double v, const std::string& u) { h.get()->SetTraceSpacing(v, Unit(u)); }, py::arg("value"), py::arg("unit") = "mil");
  Bind<SPowerPlaneRegion, SRegion>(m, "PowerPlaneRegion", "A power plane region.")
      .TVPY_TEXT(SPowerPlaneRegion, "plane_type", GetType, SetType);
  Bind<SInsulatorRegion, SRegion>(m, "InsulatorRegion", "An insulator region.");

  Bind<SPadStack, SDesignElement>(m, "PadStack", "Pads by layer number.")
      .def("create_pad", [](const H<SPadStack>& h, int l) { return Wrap(h.state, h.get()->CreatePad(l)); }, py::arg("layer"))
      .def("get_pad", [](const H<SPadStack>& h, int l) { return Wrap(h.state, h.get()->GetPad(l)); }, py::arg("layer"))
      .def("destroy_pad", [](const H<SPadStack>& h, int l) { return h.get()->DestroyPad(l); }, py::arg("layer"))
      .def_property_readonly("pads", [](const H<SPadStack>& h) { return WrapIntMap(h.state, h.get()->GetAllPads()); })
      .TVPY_NUM(SPadStack, int, "top_layer", GetTopLayer, SetTopLayer)
      .TVPY_NUM(SPadStack, int, "bottom_layer", GetBottomLayer, SetBottomLayer)
      .TVPY_REF(SPadStack, "pad_stack_library", GetPadStackLibrary)
      .TVPY_REF_RW(SPadStack, SStackUp, "stack_up", GetStackUp, SetStackUp)
      .TVPY_REF_RW(SPadStack, SPhysicalNode, "physical_node", GetPhysicalNode, SetPhysicalNode)
      .def("x_extent", [](const H<SPadStack>& h, const std::string& u) { SPadStack* p = h.get(); return Length(p, p->GetXExtentVal(), u); }, py::arg("unit") = "mil")
      .def("y_extent", [](const H<SPadStack>& h, const std::string& u) { SPadStack* p = h.get(); return Length(p, p->GetYExtentVal(), u); }, py::arg("unit") = "mil")
      .def("set_x_extent", [](const H<SPadStack>& h, double v, const std::string& u) { SetLength(h.get(), &SPadStack::CreateXExtentValUnitlessValue, v, u); }, py::arg("value"), py::arg("unit") = "mil")
      .def("set_y_extent", [](const H<SPadStack>& h, double v, const std::string& u) { SetLength(h.get(), &SPadStack::CreateYExtentValUnitlessValue, v, u); }, py::arg("value"), py::arg("unit") = "mil");
  Bind<SPad, SDesignElement>(m, "Pad", "A pad of a pad stack on one layer.")
      .TVPY_NUM(SPad, int, "layer", GetLayer, SetLayer)
      .TVPY_REFS(SPad, SRegion, InsertRegion, RemoveRegion, HasRegion, "insert_region", "remove_region", "has_region")
      .TVPY_LIST(SPad, "regions", GetAllRegions)
      .def("x", [](const H<SPad>& h, const std::string& u) { SPad* p = h.get(); return Length(p, p->GetXVal(), u); }, py::arg("unit") = "mil",
           "The pad's width in `unit`; None when it has none.")
      .def("y", [](const H<SPad>& h, const std::string& u) { SPad* p = h.get(); return Length(p, p->GetYVal(), u); }, py::arg("unit") = "mil")
      .def("set_x", [](const H<SPad>& h, double v, const std::string& u) { SetLength(h.get(), &SPad::CreateXValUnitlessValue, v, u); }, py::arg("value"), py::arg("unit") = "mil")
      .def("set_y", [](const H<SPad>& h, double v, const std::string& u) { SetLength(h.get(), &SPad::CreateYValUnitlessValue, v, u); }, py::arg("value"), py::arg("unit") = "mil");

  Bind<SPackage, SDesignElement>(m, "Package", "A package with its pins.")
      .def("create_package_pin", [](const H<SPackage>& h) { return Wrap(h.state, h.get()->CreatePackagePin()); })
      .def("destroy_package_pin", [](const H<SPackage>& h, const H<SPackagePin>& p) { return h.get()->DestroyPackagePin(Arg(h, p)); },
           py::arg("pin"), "Unlinks and deletes the pin; its wrappers then raise.")
      .TVPY_LIST(SPackage, "package_pins", GetAllPackagePins)
      .TVPY_NUM(SPackage, float, "power", GetPower, SetPower)
      .def_property("package_type", [](const H<SPackage>& h) { return static_cast<int>(h.get()->GetType()); },
                    [](const H<SPackage>& h, int t) { h.get()->SetType(static_cast<TavrinPackageType>(t)); })
      .TVPY_NUM(SPackage, long, "x_length", GetXLength, SetXLength)
      .TVPY_NUM(SPackage, long, "y_length", GetYLength, SetYLength)
      .TVPY_REF(SPackage, "package_library", GetPackageLibrary);
  Bind<SPackagePin, SDesignElement>(m, "PackagePin", "A pin of a package.")
      .TVPY_NUM(SPackagePin, int, "x", GetX, SetX)
      .TVPY_NUM(SPackagePin, int, "y", GetY, SetY)
      .TVPY_REF(SPackagePin, "package", GetPackage);
}

}  // namespace tvpy
