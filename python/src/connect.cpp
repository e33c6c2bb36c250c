// Nets, buses and bundles; collections (electrical nets, differential
// pairs, pin pairs) of physical representations; driver-receiver pairs and
// electrical copying of modules.
#include "bind_macros.h"

namespace tvpy {

namespace {

// A pin pair's pins: port instance scalars (the pins of this model).
py::list Pins(const State& state, const SPinPairAbstract* pair) {
  py::list out;
  const auto& pins = pair->GetAllPins();
  for (auto it = pins.begin(); it != pins.end(); ++it) out.append(Wrap(state, *it));
  return out;
}

py::object LengthOf(const SUnitlessValue* v, const std::string& unit) {
  g_TavrinUnitType u = Unit(unit);
  if (!v) return py::none();
  return py::float_(v->GetInUnits(u));
}

void SetLengthOf(SUnitlessValue* v, double amount, g_TavrinUnitType u) {
  if (!v) throw std::bad_alloc();
  v->SetInUnits(amount, u);
}

}  // namespace

void BindConnect(py::module_& m) {
  Bind<SNet, SDesignElement>(m, "Net", "Common part of scalar nets, buses and bundles.")
      .TVPY_TEXT(SNet, "uid", GetUID, SetUID)
      .TVPY_NUM(SNet, bool, "is_global", GetbIsGlobal, SetbIsGlobal)
      .TVPY_REFS(SNet, SNetBundle, InsertNetBundle, RemoveNetBundle, HasNetBundle, "insert_net_bundle", "remove_net_bundle", "has_net_bundle")
      .TVPY_LIST(SNet, "net_bundles", GetAllNetBundles);

  Bind<SNetScalar, SNet>(m, "NetScalar", "A scalar net: its pins, pin pairs, driver-receiver pairs and electrical net.")
      .TVPY_REFS(SNetScalar, SPortInstanceScalar, InsertPortInstanceScalar, RemovePortInstanceScalar, HasPortInstanceScalar,
                 "insert_port_instance_scalar", "remove_port_instance_scalar", "has_port_instance_scalar")
      .TVPY_LIST(SNetScalar, "port_instance_scalars", GetAllPortInstanceScalars)
      .def("connect", [](const H<SNetScalar>& h, const H<SPortInstanceScalar>& pin) {
            SNetScalar* net = h.get();
            SPortInstanceScalar* p = Arg(h, pin);
            bool inserted = net->InsertPortInstanceScalar(p);
            p->SetNetScalar(net);
            return inserted;
          }, py::arg("pin"), "Connects a pin on both sides: lists it here and sets its net. False when it was listed already.")
      .def("connects_to_pin", [](const H<SNetScalar>& h, const std::string& refdes, const std::string& pin) {
            return h.get()->NetConnectsToPin(refdes.c_str(), pin.c_str()) != 0;
          }, py::arg("ref_des"), py::arg("pin"))
      .TVPY_CREATE(SNetScalar, "create_pin_pair", CreatePinPair)
      .TVPY_LOOKUP(SNetScalar, "get_pin_pair", GetPinPair)
      .TVPY_FAMILY(SNetScalar, SPinPair, "pin_pairs", "pin pairs", GetAllPinPairs, GetPinPair, DestroyPinPair)
      .TVPY_CREATE(SNetScalar, "create_driver_receiver_pair", CreateDriverReceiverPair)
      .TVPY_LIST(SNetScalar, "driver_receiver_pairs", GetAllDriverReceiverPairs)
      .TVPY_REF_RW(SNetScalar, SElectricalNet, "electrical_net", GetElectricalNet, SetElectricalNet)
      .def_property("diff_net", [](const H<SNetScalar>& h) { return Text(h.get()->GetDiffNet()); },
                    [](const H<SNetScalar>& h, const std::string& n) { h.get()->SetDiffNet(n.c_str()); })
      .TVPY_NUM(SNetScalar, float, "voltage", GetVoltage, SetVoltage)
      .TVPY_NUM(SNetScalar, bool, "constant_voltage", GetbConstantVoltage, SetbConstantVoltage)
      .TVPY_NUM(SNetScalar, bool, "scheduled", GetbScheduled, SetbScheduled)
      .TVPY_NUM(SNetScalar, bool, "routed", GetbRouted, SetbRouted)
      .TVPY_REFS(SNetScalar, SNetBus, InsertNetBus, RemoveNetBus, HasNetBus, "insert_net_bus", "remove_net_bus", "has_net_bus")
      .TVPY_LIST(SNetScalar, "net_buses", GetAllNetBi)
      .TVPY_CREATE(SNetScalar, "create_virtual_pin", CreateVirtualPin)
      .TVPY_LOOKUP(SNetScalar, "get_virtual_pin", GetVirtualPin)
      .TVPY_FAMILY(SNetScalar, SVirtualPin, "virtual_pins", "virtual pins", GetAllVirtualPins, GetVirtualPin, DestroyVirtualPin)
      .TVPY_CREATE(SNetScalar, "create_from_to", CreateFromTo)
      .TVPY_LOOKUP(SNetScalar, "get_from_to", GetFromTo)
      .TVPY_FAMILY(SNetScalar, SFromTo, "from_tos", "from-tos", GetAllFromTos, GetFromTo, DestroyFromTo)
      .TVPY_CREATE(SNetScalar, "create_routed_from_to", CreateRoutedFromTo)
      .TVPY_LOOKUP(SNetScalar, "get_routed_from_to", GetRoutedFromTo)
      .TVPY_FAMILY(SNetScalar, SFromTo, "routed_from_tos", "routed from-tos", GetAllRoutedFromTos, GetRoutedFromTo, DestroyRoutedFromTo)
      .def("create_segment", [](const H<SNetScalar>& h) { return Wrap(h.state, h.get()->CreateSegment()); },
           "A new segment of this net, newest first in `segments`.")
      .def("destroy_segment", [](const H<SNetScalar>& h, const H<SSegment>& s) { return h.get()->DestroySegment(Arg(h, s)); },
           py::arg("segment"), "Unlinks and deletes the segment; its wrappers then raise. False when it is not this net's.")
      .TVPY_LIST(SNetScalar, "segments", GetAllSegments)
      .def("create_physical_node", [](const H<SNetScalar>& h) { return Wrap(h.state, h.get()->CreatePhysicalNode()); })
      .def("destroy_physical_node", [](const H<SNetScalar>& h, const H<SPhysicalNode>& n) { return h.get()->DestroyPhysicalNode(Arg(h, n)); },
           py::arg("node"), "Unlinks and deletes the node; its wrappers then raise. False when it is not this net's.")
      .TVPY_LIST(SNetScalar, "physical_nodes", GetAllPhysicalNodes)
      .def("set_victim_segment", [](const H<SNetScalar>& h, const H<SSegment>& s, const H<SSegment>& v) {
            return h.get()->SetVictimSegment(Arg(h, s), Arg(h, v));
          }, py::arg("segment"), py::arg("victim"))
      .def("get_victim_segment", [](const H<SNetScalar>& h, const H<SSegment>& s) { return Wrap(h.state, h.get()->GetVictimSegment(Arg(h, s))); })
      .def("remove_victim_segment", [](const H<SNetScalar>& h, const H<SSegment>& s) { return h.get()->RemoveVictimSegment(Arg(h, s)); });

  Bind<SPhysicalNode, SDesignElement>(m, "PhysicalNode", "A point of a routed net: a pin, a via or a virtual pin joined by segments.")
      .TVPY_REFS(SPhysicalNode, SSegment, InsertSegment, RemoveSegment, HasSegment, "insert_segment", "remove_segment", "has_segment")
      .TVPY_LIST(SPhysicalNode, "segments", GetAllSegments)
      .TVPY_REF_RW(SPhysicalNode, SPortInstanceScalar, "port_instance_scalar", GetPortInstanceScalar, SetPortInstanceScalar)
      .TVPY_REF_RW(SPhysicalNode, SPadStack, "pad_stack", GetPadStack, SetPadStack)
      .TVPY_REF_RW(SPhysicalNode, SVirtualPin, "virtual_pin", GetVirtualPin, SetVirtualPin)
      .TVPY_REF(SPhysicalNode, "net_scalar", GetNetScalar)
      .def("x", [](const H<SPhysicalNode>& h, const std::string& u) { return LengthOf(h.get()->GetXVal(), u); }, py::arg("unit") = "mil",
           "The position in `unit`; None when it has none.")
      .def("y", [](const H<SPhysicalNode>& h, const std::string& u) { return LengthOf(h.get()->GetYVal(), u); }, py::arg("unit") = "mil")
      .def("set_x", [](const H<SPhysicalNode>& h, double v, const std::string& u) {
            g_TavrinUnitType unit = Unit(u);  // checked before the old value is replaced
            SetLengthOf(h.get()->CreateXValUnitlessValue(), v, unit);
          },
           py::arg("value"), py::arg("unit") = "mil")
      .def("set_y", [](const H<SPhysicalNode>& h, double v, const std::string& u) {
            g_TavrinUnitType unit = Unit(u);
            SetLengthOf(h.get()->CreateYValUnitlessValue(), v, unit);
          },
           py::arg("value"), py::arg("unit") = "mil");

  Bind<SSegment, TavrinObject>(m, "Segment", "A routed piece of a net between physical nodes, on a region.")
      .TVPY_NUM(SSegment, float, "impedance", GetImpedance, SetImpedance)
      .TVPY_NUM(SSegment, float, "velocity", GetVelocity, SetVelocity)
      .TVPY_REF_RW(SSegment, SNetScalar, "net_scalar", GetNetScalar, SetNetScalar)
      .TVPY_REF_RW(SSegment, SRegion, "region", GetRegion, SetRegion)
      .TVPY_REF_RW(SSegment, SNetScalar, "victim_net", GetVictimNet, SetVictimNet)
      .TVPY_REFS(SSegment, SPhysicalNode, InsertEndpoint, RemoveEndpoint, HasEndpoint, "insert_endpoint", "remove_endpoint", "has_endpoint")
      .TVPY_LIST(SSegment, "endpoints", GetAllEndpoints);

  Bind<SFromTo, SDesignElement>(m, "FromTo", "A connection to route between two pins of a net, with its segments.")
      .def_property_readonly("pins", [](const H<SFromTo>& h) { return Pins(h.state, h.get()); }, "The pins, head first.")
      .def("insert_pin", [](const H<SFromTo>& h, const H<SPortInstanceScalar>& p) { return h.get()->InsertPin(Arg(h, p)); }, py::arg("pin"))
      .def("insert_pin", [](const H<SFromTo>& h, const H<SVirtualPin>& p) { return h.get()->InsertPin(Arg(h, p)); }, py::arg("pin"))
      .def("remove_pin", [](const H<SFromTo>& h, const H<SPortInstanceScalar>& p) { return h.get()->RemovePin(Arg(h, p)); }, py::arg("pin"))
      .def("remove_pin", [](const H<SFromTo>& h, const H<SVirtualPin>& p) { return h.get()->RemovePin(Arg(h, p)); }, py::arg("pin"))
      .TVPY_REFS(SFromTo, SSegment, InsertSegment, RemoveSegment, HasSegment, "insert_segment", "remove_segment", "has_segment")
      .TVPY_LIST(SFromTo, "segments", GetAllSegments)
      .TVPY_NUM(SFromTo, bool, "scheduled", GetbScheduled, SetbScheduled)
      .TVPY_NUM(SFromTo, bool, "routed", GetbRouted, SetbRouted)
      .TVPY_NUM(SFromTo, bool, "user_defined", GetbUserDefined, SetbUserDefined)
      .TVPY_REF(SFromTo, "net_scalar", GetNetScalar);

  Bind<SVirtualPin, SDesignElement>(m, "VirtualPin", "A pin of a net that belongs to no part: a junction or a guide point.")
      .TVPY_REFS(SVirtualPin, SDesignElement, InsertPin, RemovePin, HasPin, "insert_pin", "remove_pin", "has_pin")
      .TVPY_LIST(SVirtualPin, "pins", GetAllPins)
      .def_property("is_guide_pin", [](const H<SVirtualPin>& h) { return h.get()->IsGuidePin(); },
                    [](const H<SVirtualPin>& h, bool v) { h.get()->SetGuidePin(v); })
      .TVPY_REF_RW(SVirtualPin, SPhysicalNode, "physical_node", GetPhysicalNode, SetPhysicalNode)
      .TVPY_REF(SVirtualPin, "net_scalar", GetNetScalar)
      .def("x", [](const H<SVirtualPin>& h, const std::string& u) { return h.get()->GetX(Unit(u)); }, py::arg("unit") = "mil")
      .def("y", [](const H<SVirtualPin>& h, const std::string& u) { return h.get()->GetY(Unit(u)); }, py::arg("unit") = "mil")
      .def("set_x", [](const H<SVirtualPin>& h, double v, const std::string& u) {
            if (!h.get()->SetX(v, Unit(u))) throw std::bad_alloc();
          }, py::arg("value"), py::arg("unit") = "mil")
      .def("set_y", [](const H<SVirtualPin>& h, double v, const std::string& u) {
            if (!h.get()->SetY(v, Unit(u))) throw std::bad_alloc();
          }, py::arg("value"), py::arg("unit") = "mil");

  Bind<SNetBus, SNet>(m, "NetBus", "Scalar nets under integer indices.")
      .TVPY_TEXT(SNetBus, "prefix", GetPrefix, SetPrefix)
      .TVPY_TEXT(SNetBus, "suffix", GetSuffix, SetSuffix)
      .TVPY_NUM(SNetBus, int, "size", GetSize, SetSize)
      .def("set_net_scalar", [](const H<SNetBus>& h, int i, const H<SNetScalar>& n) { return h.get()->SetNetScalar(i, Arg(h, n)); })
      .def("get_net_scalar", [](const H<SNetBus>& h, int i) { return Wrap(h.state, h.get()->GetNetScalar(i)); })
      .def("remove_net_scalar", [](const H<SNetBus>& h, int i) { return h.get()->RemoveNetScalar(i); })
      .def_property_readonly("net_scalars", [](const H<SNetBus>& h) { return WrapIntMap(h.state, h.get()->GetAllNetScalars()); });

  Bind<SNetBundle, SNet>(m, "NetBundle", "Member nets of any kind.")
      .TVPY_REFS(SNetBundle, SNet, InsertNet, RemoveNet, HasNet, "insert_net", "remove_net", "has_net")
      .TVPY_LIST(SNetBundle, "nets", GetAllNets);

  Bind<SCollection, SDesignElement>(m, "Collection", "A named collection of a physical representation.");

  Bind<SElectricalNet, SCollection>(m, "ElectricalNet", "Net scalars taken together, with their pin pairs.")
      .TVPY_REFS(SElectricalNet, SNetScalar, InsertNetScalar, RemoveNetScalar, HasNetScalar, "insert_net_scalar", "remove_net_scalar", "has_net_scalar")
      .TVPY_LIST(SElectricalNet, "net_scalars", GetAllNetScalars)
      .TVPY_CREATE(SElectricalNet, "create_pin_pair", CreatePinPair)
      .def_property_readonly("pin_pairs", [](const H<SElectricalNet>& h) {
            return MapFamily<SElectricalNet, SPinPair>(h, "pin pairs", [](SElectricalNet* e) -> auto& { return e->GetAllPinPairs(); },
                [](SElectricalNet* e, const char* n) { return e->GetAllPinPairs().lookup(n); },
                [](SElectricalNet* e, const char* n) { return e->DestroyPinPair(n); });
          })
      .TVPY_LIST(SElectricalNet, "driver_receiver_pairs", GetAllDriverReceiverPairs)
      .TVPY_NUM(SElectricalNet, bool, "is_diff_pair", GetbDiffPair, SetbDiffPair);

  Bind<SDiffPair, SCollection>(m, "DiffPair", "Two electrical nets as a differential pair.")
      .TVPY_REFS(SDiffPair, SElectricalNet, InsertElectricalNet, RemoveElectricalNet, HasElectricalNet,
                 "insert_electrical_net", "remove_electrical_net", "has_electrical_net")
      .TVPY_LIST(SDiffPair, "electrical_nets", GetAllElectricalNets);

  Bind<SPinPair, SCollection>(m, "PinPair", "Two pins (port instance scalars) of a net, e.g. a driver and a receiver.")
      .def_property_readonly("pins", [](const H<SPinPair>& h) { return Pins(h.state, h.get()); },
                             "The pins, head first (a driver-receiver pair lists its receiver first).")
      .def("insert_pin", [](const H<SPinPair>& h, const H<SPortInstanceScalar>& p) { return h.get()->InsertPin(Arg(h, p)); })
      .def("remove_pin", [](const H<SPinPair>& h, const H<SPortInstanceScalar>& p) { return h.get()->RemovePin(Arg(h, p)); })
      .TVPY_REF_RW(SPinPair, SNetScalar, "net_scalar", GetNetScalar, SetNetScalar)
      .TVPY_REF_RW(SPinPair, SElectricalNet, "electrical_net", GetElectricalNet, SetElectricalNet);

  Bind<SPhysicalRepresentation, SRepresentation>(m, "PhysicalRepresentation",
      "A representation with collections: electrical nets, differential pairs and pin pairs.")
      .TVPY_CREATE(SPhysicalRepresentation, "create_electrical_net", CreateElectricalNet)
      .TVPY_CREATE(SPhysicalRepresentation, "create_diff_pair", CreateDiffPair)
      .TVPY_CREATE(SPhysicalRepresentation, "create_pin_pair", CreatePinPair)
      .TVPY_LOOKUP(SPhysicalRepresentation, "get_collection", GetCollection)
      .TVPY_LOOKUP(SPhysicalRepresentation, "get_electrical_net", GetElectricalNet)
      .TVPY_FAMILY(SPhysicalRepresentation, SCollection, "collections", "collections", GetAllCollections, GetCollection, DestroyCollection)
      .TVPY_LIST(SPhysicalRepresentation, "electrical_nets", GetAllElectricalNets)
      .TVPY_LIST(SPhysicalRepresentation, "diff_pairs", GetAllDiffPairs)
      .TVPY_LIST(SPhysicalRepresentation, "pin_pairs", GetAllPinPairs);
}

// The module's electrical operations, bound with the module (physical.cpp).
void BindModuleElectrical(py::class_<H<SModule>, H<SPhysicalRepresentation>>& c) {
  c.def("create_all_driver_receiver_pairs", [](const H<SModule>& h, int max) {
         return h.get()->CreateAllDriverReceiverPairs(max) != 0;
       }, py::arg("max") = 100,
       "Rebuilds every net scalar's driver-receiver pairs; False when some net reached the bound `max`.")
      .def("create_electrical_net_driver_receiver_pairs", [](const H<SModule>& h, const H<SElectricalNet>& en, int max) {
            return h.get()->CreateElectricalNetDriverReceiverPairs(Arg(h, en), max) != 0;
          }, py::arg("electrical_net"), py::arg("max") = 100)
      .def("build_electrical_net", [](const H<SModule>& h, const std::string& name, const std::vector<H<SNetScalar>>& nets, int max) {
            SModule* mod = h.get();
            RelLinkedList<SNetScalar*> list;
            HANDLEMA* heap = mod->GetHeap();
            for (size_t i = nets.size(); i-- > 0;) {
              if (!list.insert(Arg(h, nets[i]), heap)) {
                list.clear(heap);
                throw std::bad_alloc();
              }
            }
            mod->BuildElectricalNet(name.c_str(), list, max);
            list.clear(heap);
            return Wrap(h.state, mod->GetElectricalNet(name.c_str()));
          }, py::arg("name"), py::arg("nets"), py::arg("max") = 100,
          "A new electrical net over the given net scalars with its driver-receiver pairs; None for fewer than two nets.")
      .def("copy_pin_pair", [](const H<SModule>& h, const H<SPinPair>& src, bool attrs, bool cons) {
            return Wrap(h.state, h.get()->CopyPinPair(Arg(h, src), attrs, cons));
          }, py::arg("source"), py::arg("copy_attributes") = true, py::arg("copy_constraints") = true)
      .def("copy_pin_pairs", [](const H<SModule>& h, const H<SNetScalar>& src, const H<SNetScalar>& dst, bool attrs, bool cons) {
            return h.get()->CopyPinPairs(Arg(h, src), Arg(h, dst), attrs, cons);
          }, py::arg("source"), py::arg("target"), py::arg("copy_attributes") = true, py::arg("copy_constraints") = true)
      .def("copy_electrical_net", [](const H<SModule>& h, const H<SElectricalNet>& src, bool attrs, bool cons) {
            return Wrap(h.state, h.get()->CopyElectricalNet(Arg(h, src), attrs, cons));
          }, py::arg("source"), py::arg("copy_attributes") = true, py::arg("copy_constraints") = true)
      .def("copy_electrical_nets", [](const H<SModule>& h, const H<SModule>& src, bool attrs, bool cons) {
            h.get()->CopyElectricalNets(Arg(h, src), attrs, cons);
          }, py::arg("source"), py::arg("copy_attributes") = true, py::arg("copy_constraints") = true)
      .def("copy_electrical_net_pin_pairs", [](const H<SModule>& h, const H<SNetScalar>& src, bool attrs, bool cons) {
            return Wrap(h.state, h.get()->CopyElectricalNetPinPairs(Arg(h, src), attrs, cons));
          }, py::arg("source"), py::arg("copy_attributes") = true, py::arg("copy_constraints") = true)
      .def("copy_virtual_pins", [](const H<SModule>& h, const H<SModule>& src) { h.get()->CopyVirtualPins(Arg(h, src)); })
      .def("create_diff_pair_nets", [](const H<SModule>& h, const H<SNetScalar>& a, const H<SNetScalar>& b) {
            return h.get()->CreateDiffPair(Arg(h, a), Arg(h, b));
          }, "Each net records the other's name as its partner.")
      .def("create_diff_pair2", [](const H<SModule>& h, const std::string& n, const H<SElectricalNet>& a, const H<SElectricalNet>& b) {
            return Wrap(h.state, h.get()->CreateDiffPair2(n.c_str(), Arg(h, a), Arg(h, b)));
          }, py::arg("name"), py::arg("a"), py::arg("b"), "A differential pair collection of two electrical nets.");
}

}  // namespace tvpy
