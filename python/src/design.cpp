// Projects, files, cells, interfaces, ports, representations and the
// instances of cells and ports.
#include "bind_macros.h"

namespace tvpy {

void BindDesign(py::module_& m) {
  Bind<SProject, SDesignElement>(m, "Project", "A project: designs (cells), files, top cells and constraint definitions.")
      .TVPY_TEXT(SProject, "host_cad", GetHostCAD, SetHostCAD)
      .TVPY_TEXT(SProject, "units", GetUnits, SetUnits)
      .TVPY_CREATE(SProject, "create_file", CreateFile)
      .TVPY_LOOKUP(SProject, "get_file", GetFile)
      .TVPY_FAMILY(SProject, SFile, "files", "files", GetAllFiles, GetFile, DestroyFile)
      .TVPY_CREATE(SProject, "create_design_cell", CreateDesignCell)
      .TVPY_LOOKUP(SProject, "get_design", GetDesign)
      .def("destroy_design", [](const H<SProject>& h, const std::string& n) { return h.get()->DestroyDesign(n.c_str()); },
           py::arg("name"), "Unlinks and deletes the cell when it has no instances; False otherwise.")
      .TVPY_FAMILY(SProject, SCell, "designs", "designs", GetAllDesigns, GetDesign, DestroyDesign)
      .TVPY_REFS(SProject, SCell, InsertTopCell, RemoveTopCell, HasTopCell, "insert_top_cell", "remove_top_cell", "has_top_cell")
      .TVPY_LIST(SProject, "top_cells", GetAllTopCells)
      .TVPY_CREATE(SProject, "create_constraint", CreateConstraint)
      .TVPY_CREATE(SProject, "create_constraint_set", CreateConstraintSet)
      .TVPY_CREATE(SProject, "create_constraint_group", CreateConstraintGroup)
      .def_property_readonly("constraints", [](const H<SProject>& h) {
            return MapFamily<SProject, SConstraint>(h, "constraints", [](SProject* p) -> auto& { return p->GetAllConstraints(); },
                [](SProject* p, const char* n) { return p->SProject::GetConstraint(n); },
                [](SProject* p, const char* n) { return p->DestroyConstraint(n); });
          }, "The project-wide constraint definitions (the element's own constraint values are get_constraint).")
      .TVPY_FAMILY(SProject, SConstraintSet, "constraint_sets", "constraint sets", GetAllConstraintSets, GetConstraintSet, DestroyConstraintSet)
      .TVPY_FAMILY(SProject, SConstraintGroup, "constraint_groups", "constraint groups", GetAllConstraintGroups, GetConstraintGroup, DestroyConstraintGroup);

  Bind<SFile, TavrinObject>(m, "File", "A file recorded with a project.")
      .def_property_readonly("name", [](const H<SFile>& h) { return Text(h.get()->GetName()); })
      .TVPY_TEXT(SFile, "alias", GetAlias, SetAlias)
      .TVPY_TEXT(SFile, "file_kind", GetKind, SetKind)
      .TVPY_NUM(SFile, long, "time_stamp", GetTimeStamp, SetTimeStamp)
      .TVPY_NUM(SFile, bool, "is_gmt", GetIsGMT, SetGMT);

  Bind<SInstantiator, SDesignElement>(m, "Instantiator", "Base of what can be instantiated: cells, ports, slots.");

  Bind<SCell, SInstantiator>(m, "Cell", "A design block: an interface, representations, global ports and member slots.")
      .def("create_interface", [](const H<SCell>& h) { return Wrap(h.state, h.get()->CreateInterface()); },
           "Deletes the current interface (its wrappers then raise) and makes a new one.")
      .TVPY_REF(SCell, "interface", GetInterface)
      .def("destroy_interface", [](const H<SCell>& h) { return h.get()->DestroyInterface(); })
      .TVPY_CREATE(SCell, "create_connectivity_representation", CreateConnectivityRepresentation)
      .TVPY_CREATE(SCell, "create_schematic_representation", CreateSchematicRepresentation)
      .TVPY_CREATE(SCell, "create_module", CreateModule)
      .TVPY_CREATE(SCell, "create_part", CreatePart)
      .TVPY_LOOKUP(SCell, "get_representation", GetRepresentation)
      .TVPY_FAMILY(SCell, SRepresentation, "representations", "representations", GetAllRepresentations, GetRepresentation, DestroyRepresentation)
      .TVPY_LIST(SCell, "modules", GetAllModules)
      .TVPY_LIST(SCell, "parts", GetAllParts)
      .TVPY_LIST(SCell, "connectivity_representations", GetAllConnectivityRepresentations)
      .TVPY_LIST(SCell, "schematic_representations", GetAllSchematicRepresentations)
      .TVPY_CREATE(SCell, "create_global_port_scalar", CreateGlobalPortPortScalar)
      .TVPY_CREATE(SCell, "create_global_port_bus", CreateGlobalPortPortBus)
      .TVPY_CREATE(SCell, "create_global_port_bundle", CreateGlobalPortPortBundle)
      .TVPY_FAMILY(SCell, SPort, "global_ports", "global ports", GetAllGlobalPorts, GetGlobalPort, DestroyGlobalPort)
      .def_property_readonly("instance_count", [](const H<SCell>& h) { return h.get()->GetInstanceCount(); })
      .TVPY_REF(SCell, "project", GetProject)
      .def("create_member_slot", [](const H<SCell>& h, int n) { return Wrap(h.state, h.get()->CreateMemberSlotSlot(n)); }, py::arg("number"),
           "A new slot under `number`, replacing the entry of a taken number.")
      .def("get_member_slot", [](const H<SCell>& h, int n) { return Wrap(h.state, h.get()->GetMemberSlot(n)); }, py::arg("number"))
      .TVPY_INT_FAMILY(SCell, SSlot, "member_slots", "member slots", GetAllMemberSlots, GetMemberSlot, DestroyMemberSlot)
      .TVPY_REFS(SCell, SSlot, InsertAggregateSlot, RemoveAggregateSlot, HasAggregateSlot, "insert_aggregate_slot", "remove_aggregate_slot", "has_aggregate_slot")
      .TVPY_LIST(SCell, "aggregate_slots", GetAllAggregateSlots)
      .def_property("default_representation", [](const H<SCell>& h) { return Wrap(h.state, h.get()->GetDefaultRepresentation()); },
                    [](const H<SCell>& h, const H<SRepresentation>* r) { h.get()->SetDefaultRepresentation(OptArg(h, r)); });

  Bind<SInterface, TavrinObject>(m, "Interface", "The ports of a cell's pin-out.")
      .TVPY_CREATE(SInterface, "create_port_scalar", CreatePortScalar)
      .TVPY_CREATE(SInterface, "create_port_bus", CreatePortBus)
      .TVPY_CREATE(SInterface, "create_port_bundle", CreatePortBundle)
      .TVPY_LOOKUP(SInterface, "get_port", GetPort)
      .TVPY_FAMILY(SInterface, SPort, "ports", "ports", GetAllPorts, GetPort, DestroyPort)
      .TVPY_REF(SInterface, "cell", GetCell)
      .TVPY_LIST(SInterface, "port_scalars", GetAllPortScalars)
      .def("set_swappable_port", [](const H<SInterface>& h, const H<SPort>& a, const H<SPort>& b) {
            return h.get()->SetSwappablePort(Arg(h, a), Arg(h, b));
          })
      .def("get_swappable_port", [](const H<SInterface>& h, const H<SPort>& a) {
            return Wrap(h.state, h.get()->GetSwappablePort(Arg(h, a)));
          });

  Bind<SPort, SInstantiator>(m, "Port", "Common part of the three kinds of port.")
      .def_property("signal_type", [](const H<SPort>& h) { return static_cast<int>(h.get()->GetSignalType()); },
                    [](const H<SPort>& h, int v) { h.get()->SetSignalType(static_cast<TavrinPortType>(v)); },
                    "The direction or kind: 1 receiver, 2, 7 and 8 driver, 3 and 4 both (for driver-receiver pairs).")
      .TVPY_NUM(SPort, bool, "is_global", GetbIsGlobal, SetbIsGlobal)
      .TVPY_REF(SPort, "interface", GetInterface)
      .TVPY_REFS(SPort, SPortBundle, InsertPortBundle, RemovePortBundle, HasPortBundle, "insert_port_bundle", "remove_port_bundle", "has_port_bundle")
      .TVPY_LIST(SPort, "port_bundles", GetAllPortBundles);
  Bind<SPortScalar, SPort>(m, "PortScalar", "A scalar port.")
      .TVPY_REFS(SPortScalar, SPortBus, InsertPortBus, RemovePortBus, HasPortBus, "insert_port_bus", "remove_port_bus", "has_port_bus")
      .TVPY_LIST(SPortScalar, "port_buses", GetAllPortBi);
  Bind<SPortBus, SPort>(m, "PortBus", "Scalar ports under integer indices.")
      .TVPY_NUM(SPortBus, int, "size", GetSize, SetSize)
      .def("set_port_scalar", [](const H<SPortBus>& h, int i, const H<SPortScalar>& s) { return h.get()->SetPortScalar(i, Arg(h, s)); })
      .def("get_port_scalar", [](const H<SPortBus>& h, int i) { return Wrap(h.state, h.get()->GetPortScalar(i)); })
      .def("remove_port_scalar", [](const H<SPortBus>& h, int i) { return h.get()->RemovePortScalar(i); })
      .def_property_readonly("port_scalars", [](const H<SPortBus>& h) { return WrapIntMap(h.state, h.get()->GetAllPortScalars()); });
  Bind<SPortBundle, SPort>(m, "PortBundle", "Member ports of any kind.")
      .TVPY_REFS(SPortBundle, SPort, InsertPort, RemovePort, HasPort, "insert_port", "remove_port", "has_port")
      .TVPY_LIST(SPortBundle, "ports", GetAllPorts);

  Bind<SRepresentation, SDesignElement>(m, "Representation", "One view of a cell: cell instances and nets.")
      .def("create_generic_cell_instance", [](const H<SRepresentation>& h, const std::string& n, const H<SCell>& c) {
            return Wrap(h.state, h.get()->CreateGenericCellInstance(n.c_str(), Arg(h, c)));
          }, py::arg("name"), py::arg("cell"))
      .def("create_module_instance", [](const H<SRepresentation>& h, const std::string& n, const H<SCell>& c) {
            return Wrap(h.state, h.get()->CreateModuleInstance(n.c_str(), Arg(h, c)));
          }, py::arg("name"), py::arg("cell"))
      .def("create_part_instance", [](const H<SRepresentation>& h, const std::string& n, const H<SCell>& c) {
            return Wrap(h.state, h.get()->CreatePartInstance(n.c_str(), Arg(h, c)));
          }, py::arg("name"), py::arg("cell"), "A new part instance of `cell`, counted in it.")
      .TVPY_LOOKUP(SRepresentation, "get_cell_instance", GetCellInstance)
      .def("destroy_cell_instance", [](const H<SRepresentation>& h, const std::string& n) { return h.get()->DestroyCellInstance(n.c_str()); },
           py::arg("name"), "Unlinks the instance everywhere this view knows, uncounts it in its cell and deletes it.")
      .TVPY_FAMILY(SRepresentation, SCellInstance, "cell_instances", "cell instances", GetAllCellInstances, GetCellInstance, DestroyCellInstance)
      .TVPY_LIST(SRepresentation, "generic_cell_instances", GetAllGenericCellInstances)
      .TVPY_LIST(SRepresentation, "module_instances", GetAllModuleInstances)
      .def_property_readonly("part_instances", [](const H<SRepresentation>& h) {
            return WrapList(h.state, h.get()->SRepresentation::GetAllPartInstances());
          }, "The part instances of this view, newest first.")
      .TVPY_CREATE(SRepresentation, "create_net_scalar", CreateNetScalar)
      .TVPY_CREATE(SRepresentation, "create_net_bus", CreateNetBus)
      .TVPY_CREATE(SRepresentation, "create_net_bundle", CreateNetBundle)
      .TVPY_LOOKUP(SRepresentation, "get_net", GetNet)
      .TVPY_FAMILY(SRepresentation, SNet, "nets", "nets", GetAllNets, GetNet, DestroyNet)
      .TVPY_LIST(SRepresentation, "net_scalars", GetAllNetScalars)
      .TVPY_LIST(SRepresentation, "net_buses", GetAllNetBi)
      .TVPY_LIST(SRepresentation, "net_bundles", GetAllNetBundles)
      .TVPY_REFS(SRepresentation, SFile, InsertFile, RemoveFile, HasFile, "insert_file", "remove_file", "has_file")
      .TVPY_LIST(SRepresentation, "files", GetAllFiles)
      .TVPY_TEXT(SRepresentation, "units", GetUnits, SetUnits)
      .TVPY_CREATE(SRepresentation, "create_context", CreateOATContext)
      .TVPY_LOOKUP(SRepresentation, "get_context", GetOATContext)
      .TVPY_FAMILY(SRepresentation, SOATContext, "contexts", "contexts", GetAllOATContexts, GetOATContext, DestroyOATContext)
      .TVPY_REF(SRepresentation, "cell", GetCell);
  Bind<SConnectivityRepresentation, SRepresentation>(m, "ConnectivityRepresentation", "A view of connectivity only.");
  Bind<SSchematicRepresentation, SRepresentation>(m, "SchematicRepresentation", "The drawing view of a cell: its sheets by number.")
      .def("create_schematic_sheet", [](const H<SSchematicRepresentation>& h, int k) { return Wrap(h.state, h.get()->CreateSchematicSheet(k)); },
           py::arg("key"), "A new sheet under `key`, replacing the entry of a taken key.")
      .def("get_schematic_sheet", [](const H<SSchematicRepresentation>& h, int k) { return Wrap(h.state, h.get()->GetSchematicSheet(k)); }, py::arg("key"))
      .TVPY_INT_FAMILY(SSchematicRepresentation, SSchematicSheet, "schematic_sheets", "schematic sheets", GetAllSchematicSheets,
                       GetSchematicSheet, DestroySchematicSheet);
  Bind<SSchematicSheet, SDesignElement>(m, "SchematicSheet", "One sheet: the generic cell instances and nets drawn on it.")
      .TVPY_REFS(SSchematicSheet, SGenericCellInstance, InsertGenericCellInstance, RemoveGenericCellInstance, HasGenericCellInstance,
                 "insert_generic_cell_instance", "remove_generic_cell_instance", "has_generic_cell_instance")
      .TVPY_LIST(SSchematicSheet, "generic_cell_instances", GetAllGenericCellInstances)
      .TVPY_REFS(SSchematicSheet, SNet, InsertNet, RemoveNet, HasNet, "insert_net", "remove_net", "has_net")
      .TVPY_LIST(SSchematicSheet, "nets", GetAllNets)
      .TVPY_NUM(SSchematicSheet, int, "number", GetNumber, SetNumber)
      .TVPY_REF_RW(SSchematicSheet, SSchematicRepresentation, "schematic_representation", GetSchematicRepresentation, SetSchematicRepresentation);


  Bind<SInstance, SDesignElement>(m, "Instance", "Base of everything that is an instance of something.");
  Bind<SCellInstance, SInstance>(m, "CellInstance", "A use of a cell inside a representation of another cell.")
      .TVPY_CREATE(SCellInstance, "create_port_instance_scalar", CreatePortInstanceScalar)
      .TVPY_CREATE(SCellInstance, "create_port_instance_bus", CreatePortInstanceBus)
      .TVPY_CREATE(SCellInstance, "create_port_instance_bundle", CreatePortInstanceBundle)
      .TVPY_LOOKUP(SCellInstance, "get_port_instance", GetPortInstance)
      .TVPY_FAMILY(SCellInstance, SPortInstance, "port_instances", "port instances", GetAllPortInstances, GetPortInstance, DestroyPortInstance)
      .TVPY_LIST(SCellInstance, "port_instance_scalars", GetAllPortInstanceScalars)
      .def_property("cell", [](const H<SCellInstance>& h) { return Wrap(h.state, h.get()->GetCell()); },
                    [](const H<SCellInstance>& h, const H<SCell>& c) {
                      if (!h.get()->SetCell(Arg(h, c))) throw Error("cannot set the cell");
                    })
      .TVPY_TEXT(SCellInstance, "uid", GetUID, SetUID)
      .def("create_member_slot_instance", [](const H<SCellInstance>& h, int n) {
            return Wrap(h.state, h.get()->CreateMemberSlotInstanceSlotInstance(n));
          }, py::arg("number"), "A new slot instance owned by this instance under `number`.")
      .def("get_member_slot_instance", [](const H<SCellInstance>& h, int n) { return Wrap(h.state, h.get()->GetMemberSlotInstance(n)); }, py::arg("number"))
      .TVPY_INT_FAMILY(SCellInstance, SSlotInstance, "member_slot_instances", "member slot instances", GetAllMemberSlotInstances,
                       GetMemberSlotInstance, DestroyMemberSlotInstance);
  Bind<SGenericCellInstance, SCellInstance>(m, "GenericCellInstance", "A cell instance in a schematic.")
      .TVPY_REF_RW(SGenericCellInstance, SSchematicSheet, "schematic_sheet", GetSchematicSheet, SetSchematicSheet);
  Bind<SModuleInstance, SCellInstance>(m, "ModuleInstance", "A cell instance in a module.");

  Bind<SPortInstance, SInstance>(m, "PortInstance", "Common part of the port instances.")
      .TVPY_REF(SPortInstance, "cell_instance", GetCellInstance)
      .def_property("port", [](const H<SPortInstance>& h) { return Wrap(h.state, h.get()->GetPort()); },
                    [](const H<SPortInstance>& h, const H<SPort>* p) { h.get()->SetPort(OptArg(h, p)); });
  Bind<SPortInstanceScalar, SPortInstance>(m, "PortInstanceScalar", "The instance of a scalar port: a pin of the connectivity model.")
      .def_property("net_scalar", [](const H<SPortInstanceScalar>& h) { return Wrap(h.state, h.get()->GetNetScalar()); },
                    [](const H<SPortInstanceScalar>& h, const H<SNetScalar>* n) { h.get()->SetNetScalar(OptArg(h, n)); },
                    "The net (a reference; the net's side is net.insert_port_instance_scalar).")
      .def_property("part_pin_instance", [](const H<SPortInstanceScalar>& h) { return Wrap(h.state, h.get()->GetPartPinInstance()); },
                    [](const H<SPortInstanceScalar>& h, const H<SPartPinInstance>* p) { h.get()->SetPartPinInstance(OptArg(h, p)); })
      .TVPY_REF_RW(SPortInstanceScalar, SPhysicalNode, "physical_node", GetPhysicalNode, SetPhysicalNode);
  Bind<SPortInstanceBus, SPortInstance>(m, "PortInstanceBus", "The instance of a bus port.")
      .TVPY_NUM(SPortInstanceBus, int, "size", GetSize, SetSize)
      .def("set_port_instance_scalar", [](const H<SPortInstanceBus>& h, int i, const H<SPortInstanceScalar>& s) {
            return h.get()->SetPortInstanceScalar(i, Arg(h, s));
          })
      .def_property_readonly("port_instance_scalars", [](const H<SPortInstanceBus>& h) {
            return WrapIntMap(h.state, h.get()->GetAllPortInstanceScalars());
          });
  Bind<SPortInstanceBundle, SPortInstance>(m, "PortInstanceBundle", "The instance of a bundle port.")
      .TVPY_REFS(SPortInstanceBundle, SPortInstance, InsertPortInstance, RemovePortInstance, HasPortInstance,
                 "insert_port_instance", "remove_port_instance", "has_port_instance")
      .TVPY_LIST(SPortInstanceBundle, "port_instances", GetAllPortInstances);

  Bind<SSlot, SInstantiator>(m, "Slot", "A numbered slot of a cell: the cell placed in it and the cell that owns it.")
      .TVPY_NUM(SSlot, int, "number", GetNumber, SetNumber)
      .TVPY_REF_RW(SSlot, SCell, "member_cell", GetMemberCell, SetMemberCell)
      .TVPY_REF_RW(SSlot, SCell, "aggregate_cell", GetAggregateCell, SetAggregateCell);
  Bind<SSlotInstance, SInstance>(m, "SlotInstance", "A slot of a cell instance: its slot, the instance placed in it and the owning instance.")
      .TVPY_TEXT(SSlotInstance, "gate_name", GetGateName, SetGateName)
      .TVPY_TEXT(SSlotInstance, "gate_uid", GetGateUID, SetGateUID)
      .TVPY_REF_RW(SSlotInstance, SSlot, "slot", GetSlot, SetSlot)
      .TVPY_REF_RW(SSlotInstance, SCellInstance, "member_cell_instance", GetMemberCellInstance2, SetMemberCellInstance)
      .TVPY_REF_RW(SSlotInstance, SCellInstance, "aggregate_cell_instance", GetAggregateCellInstance, SetAggregateCellInstance);
}

}  // namespace tvpy
