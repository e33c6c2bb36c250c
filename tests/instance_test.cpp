// Cell, port and slot instances; memory running out in the model's creates.
#include <climits>
#include <functional>
#include <sstream>

#include "file_test.h"

using namespace tavrin_test;

using InstanceTest = FileTest;

// SetCell moves one count; a destroyed instance leaves configurations and sheets and is uncounted.
TEST_F(InstanceTest, CountsAcrossSetCellAndDestroy) {
  HierarchyBoard h(session);
  EXPECT_TRUE(h.u1->SetCell(h.board));
  EXPECT_FALSE(h.u1->SetCell(nullptr) || h.conn->CreateModuleInstance("x", nullptr) ||
               h.sch->CreateGenericCellInstance("x", nullptr) || h.sch->HasCellInstance("x"));
  EXPECT_TRUE(h.u1->GetCell() == h.board && h.leaf->GetInstanceCount() == 2 && h.board->GetInstanceCount() == 1);
  SConfiguration* c = h.sch->CreateConfiguration("c");
  SSchematicSheet* sheet = h.sch->GetSchematicSheet(1);
  ASSERT_TRUE(c->SetSelectedRepresentation(h.u1, h.sch) && c->SetSelectedRepresentation(h.u2, h.sch) &&
              sheet->InsertGenericCellInstance(h.u2) && h.sch->CreateSchematicSheet(2)->InsertGenericCellInstance(h.u1));
  EXPECT_TRUE(h.sch->DestroyCellInstance("U1") && h.board->GetInstanceCount() == 0);  // ASan: no read after the free
  EXPECT_FALSE(c->HasSelectedRepresentation(h.u1) || h.cfg->HasSelectedRepresentation(h.u1) ||
               h.sch->DestroyCellInstance("U1"));
  EXPECT_TRUE(c->HasSelectedRepresentation(h.u2) && h.sch->GetSchematicSheet(2)->GetAllGenericCellInstances().empty());
  EXPECT_EQ(Items(sheet->GetAllGenericCellInstances()), std::vector<SGenericCellInstance*>{h.u2});
  EXPECT_EQ(Items(h.sch->GetAllGenericCellInstances()), std::vector<SGenericCellInstance*>{h.u2});
}

// Numbers take over entries; Create2 moves a slot instance in; empty gate texts fall back to the member
// instance. One entered anew leaves its entry, so the board saves and each owner deletes its own.
TEST_F(InstanceTest, SlotInstances) {
  {
    HierarchyBoard h(session);
    SSlotInstance* second = h.u1->CreateMemberSlotInstanceSlotInstance(2);
    EXPECT_TRUE(h.u1->GetMemberSlotInstance(2) == second && h.si->GetAggregateCellInstance() == h.u1);
    EXPECT_TRUE(h.u1->DestroyMemberSlotInstance(2) && !h.u1->HasMemberSlotInstance(2));
    h.u2->CreateMemberSlotInstanceSlotInstance2(5, h.si);
    h.u2->CreateMemberSlotInstanceSlotInstance2(5, nullptr);
    EXPECT_TRUE(h.u2->GetMemberSlotInstance(5) == h.si && h.si->GetAggregateCellInstance() == h.u2);
    EXPECT_FALSE(h.u2->SetAggregateSlotInstance(h.sch, second));
    EXPECT_TRUE(second->SetMemberCellInstance(h.u2) && !strcmp(second->GetGateName(), "U2"));
    h.u2->SetUID("uid-2");  // the gate UID copied was null: falls back to the current one
    EXPECT_STREQ(second->GetGateUID(), "uid-2");
  }
  delete session;
  session = AllocSession();
  HierarchyBoard h(session);
  h.u2->CreateMemberSlotInstanceSlotInstance2(6, h.si);
  h.u2->CreateMemberSlotInstanceSlotInstance2(6, h.si);
  EXPECT_TRUE(h.u2->GetAllMemberSlotInstances().size() == 1 && h.si->GetAggregateCellInstance() == h.u2);
  SSlotInstance* back = h.u1->CreateMemberSlotInstanceSlotInstance(2);
  h.u2->CreateMemberSlotInstanceSlotInstance2(6, back);  // h.si is no longer held: the test owns it
  EXPECT_TRUE(h.u1->GetAllMemberSlotInstances().empty() && h.u2->GetMemberSlotInstance(6) == back);
  h.u1->CreateMemberSlotInstanceSlotInstance2(2, h.si);
  SRepresentation* sch = Restored(SaveOf(session))->GetProject("P")->GetDesign("board")->GetRepresentation("sch");
  EXPECT_EQ(sch->GetCellInstance("U2")->GetMemberSlotInstance(6)->GetAggregateCellInstance(), sch->GetCellInstance("U2"));
  EXPECT_TRUE(sch->DestroyCellInstance("U2") && sch->DestroyCellInstance("U1"));
  EXPECT_TRUE(h.sch->DestroyCellInstance("U2") && h.sch->DestroyCellInstance("U1"));
}

// Outside a session slot instances go with the owner they were entered in last.
TEST(InstanceHeapless, DeletesOwnedChildren) {
  for (bool otherFirst : {false, true}) {
    SGenericCellInstance* ci = new SGenericCellInstance();
    SGenericCellInstance* other = new SGenericCellInstance();
    ci->SetUID("u");
    ci->CreatePortInstanceScalar("A");
    ci->CreatePortInstanceScalar("A");
    ci->CreatePortInstanceBus("B")->CreateIndicesRangeValue()->CreateUpperIntegerValue();
    ci->CreatePortInstanceBundle("K");
    SSlotInstance* si = ci->CreateMemberSlotInstanceSlotInstance(1);
    si->SetGateName("gate");
    ci->CreateMemberSlotInstanceSlotInstance2(2, si);  // moved from 1 to 2
    other->CreateMemberSlotInstanceSlotInstance2(1, ci->CreateMemberSlotInstanceSlotInstance(3));  // moved on
    SSlotInstance* replaced = other->CreateMemberSlotInstanceSlotInstance(4);
    other->CreateMemberSlotInstanceSlotInstance(4);
    ci->CreateMemberSlotInstanceSlotInstance2(4, replaced);  // no longer owned: entered anew
    delete (otherFirst ? other : ci);
    delete (otherFirst ? ci : other);
  }
}

// A repeated number moves the later slot instance to the first free one above; INT_MAX cannot move: damage.
TEST_F(InstanceTest, RepeatedSlotNumbersMoveUp) {
  // u1 with slot instances k0, k1, ...; the i-th number in file order (newest first) becomes `key(i)`.
  auto file = [this](int n, const std::function<std::string(int)>& key) {
    SSession* s = AllocSession();
    sessions.emplace_back(s);
    SProject* p = s->CreateProject("p");
    SCell* leaf = p->CreateDesignCell("leaf");
    SCellInstance* u1 = p->CreateDesignCell("top")->CreateConnectivityRepresentation("conn")->CreateGenericCellInstance("u1", leaf);
    for (int i = 0; i < n; ++i) u1->CreateMemberSlotInstanceSlotInstance(1000000 + i)->SetName(("k" + std::to_string(i)).c_str());
    return Reframe(SaveOf(s), [&key](Lines& data) {
      int seen = 0;
      for (std::string& l : data)
        if (atol(l.c_str()) >= 1000000 && atol(l.c_str()) < 2000000) l = key(seen++);
    });
  };
  auto u1 = [this](const std::string& bytes) {
    return Restored(bytes)->GetProject("p")->GetDesign("top")->GetRepresentation("conn")->GetCellInstance("u1");
  };
  const char* keys[] = {"5", "5", "6", "5"};
  SCellInstance* u = u1(file(4, [&keys](int i) { return keys[i]; }));
  for (int n = 5; n <= 8; ++n) EXPECT_EQ(u->GetMemberSlotInstance(n)->GetName()[1], '0' + 8 - n);
  EXPECT_EQ(Restore(session, file(2, [](int) { return std::string("2147483647"); })), 0);
  EXPECT_TRUE(session->GetAllProjects().empty());
  u = u1(file(2, [](int) { return std::string("-2147483648"); }));
  EXPECT_TRUE(u->HasMemberSlotInstance(INT_MIN) && u->HasMemberSlotInstance(INT_MIN + 1));
}

// Memory running out in a Create or setter leaves every list, map and value as it was.
TEST_F(InstanceTest, CreateUnderExhaustion) {
  SCellInstance* ci = new (heap) SModuleInstance();
  SPortInstanceScalar* p = nullptr;
  auto* node = reinterpret_cast<SPhysicalNode*>(ci);  // only compared, never used
  SPackageLibrary* pkgs = session->CreatePackageLibrary("pkgs");
  SPackage* pkg = pkgs->CreatePackage("pkg");
  SPadStackLibrary* pads = session->CreatePadStackLibrary("pads");
  SPadStack* ps = pads->CreatePadStack("ps");
  SPad* pad = ps->CreatePad(1);
  ASSERT_TRUE(ps->CreateXExtentValUnitlessValue());
  SLayout* layout = new (heap) SLayout();
  SStackUp* su = (new (heap) SLayout())->CreateStackUp();
  SLayer* l = su->CreateLayer(1);
  SPowerPlaneRegion* pp = l->CreatePowerPlaneRegion("P");
  SObjectType* type = new (heap) SObjectType();
  SObject *a = type->CreateObject("a"), *b = new (heap) SObject(), *none = nullptr;
  auto state = [&] {
    std::ostringstream o;
    o << ci->GetAllPortInstanceScalars().size() << ci->GetPortInstance("A") << ci->GetAllMemberSlotInstances().size()
      << ci->GetMemberSlotInstance(3) << (p ? p->GetPhysicalNode() : nullptr) << (p ? p->GetConnectorPinInstance() : nullptr)
      << ' ' << pkgs->GetAllPackages().size() << pkg->GetAllPackagePins().size() << pads->GetAllPadStacks().size()
      << ps->GetAllPads().size() << ps->GetXExtentVal() << ps->GetYExtentVal() << pad->GetXVal() << pad->GetYVal()
      << ' ' << layout->GetStackUp()
      << su->GetAllLayers().size() << l->GetAllRegions().size() << l->GetAllSignalRegions().size()
      << l->GetAllPowerPlaneRegions().size() << l->GetAllInsulatorRegions().size()
      << l->GetThicknessVal() << (pp->GetType() ? pp->GetType() : "")
      << ' ' << type->GetObjectsCount() << a->GetObjectsCount();
    return o.str();
  };
  const char* name = "a fairly long name or type, so that its text needs a block";
  const std::pair<const char*, std::function<bool()>> creates[] = {
      {"port instance", [&] { return (p = ci->CreatePortInstanceScalar("A")) != nullptr; }},
      {"slot instance", [&] { return ci->CreateMemberSlotInstanceSlotInstance(3) != nullptr; }},
      {"rare block", [&] { return p->SetPhysicalNode(node); }},
      {"package", [&] { return pkgs->CreatePackage(name) != nullptr; }},
      {"package pin", [&] { return pkg->CreatePackagePin() != nullptr; }},
      {"pad stack", [&] { return pads->CreatePadStack(name) != nullptr; }},
      {"pad", [&] { return ps->CreatePad(3) != nullptr; }},
      {"held X extent", [&] { return ps->CreateXExtentValUnitlessValue() != nullptr; }},
      {"stack-up", [&] { return layout->CreateStackUp() != nullptr; }},
      {"layer", [&] { return su->CreateLayer(5) != nullptr; }},
      {"signal region", [&] { return l->CreateSignalRegion(name) != nullptr; }},
      {"power-plane region", [&] { return l->CreatePowerPlaneRegion(name) != nullptr; }},
      {"insulator region", [&] { return l->CreateInsulatorRegion(name) != nullptr; }},
      {"thickness", [&] { return l->SetThickness(1, TAVRIN_UNIT_MIL); }},
      {"power-plane type", [&] { pp->SetType(name); return !std::strcmp(pp->GetType(), name); }},
      {"object", [&] { return type->AddObject(b) != nullptr; }},
      {"object behind", [&] { return type->InsObject(b, a) != nullptr; }},
      {"child object", [&] { return a->InsObject(b, none) != nullptr; }},
      {"created child", [&] { return a->CreateObject("child") != nullptr; }},
  };
  for (const auto& create : creates) EXPECT_GT(EachFailure(heap, create.second, state), 0) << create.first;
  EXPECT_TRUE(p->GetPhysicalNode() == node && !p->GetConnectorPinInstance() && p->SetPhysicalNode(nullptr));
}
