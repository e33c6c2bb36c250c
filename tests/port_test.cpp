// Interfaces and ports: ports by name and kind, swappable ports, bundle and
// bus memberships, bus members by index, index ranges and sub-buses.
#include "fixture.h"

using namespace tavrin_test;

namespace {

class PortTest : public SessionTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    cell = session->CreateProject("p")->CreateDesignCell("c");
    interface = cell->CreateInterface();
    ASSERT_NE(interface, nullptr);
  }
  SCell* cell = nullptr;
  SInterface* interface = nullptr;
};

}  // namespace

// A swappable port is one direction per entry, and a port with a partner
// refuses another; memberships are one-sided references. (Ports by name:
// named_family_test.)
TEST_F(PortTest, SwappablePortsAndMemberships) {
  SPortScalar* a1 = interface->CreatePortScalar("a");
  SPortScalar* a2 = interface->CreatePortScalar("a2");
  SPortBus* b = interface->CreatePortBus("b");
  SPortBundle* u = interface->CreatePortBundle("u");
  ASSERT_TRUE(a1 && a2 && b && u && a1->GetInterface() == interface);
  EXPECT_TRUE(interface->SetSwappablePort(a1, a2) && !interface->SetSwappablePort(a1, b));
  EXPECT_TRUE(interface->GetSwappablePort(a1) == a2 && !interface->GetSwappablePort(a2));
  EXPECT_TRUE(interface->RemoveSwappablePort(a1) && !interface->RemoveSwappablePort(a1));
  EXPECT_TRUE(u->InsertPort(a1) && !u->InsertPort(a1) && !a1->HasPortBundle(u)) << "one-sided";
}

// Members by exact index (negative too), taken indices refused; ranges are
// owned by one bus; sub-buses are found by pointer except by HasSubPortBus,
// which matches by value, and a null range is never bound.
TEST_F(PortTest, BusMembersRangesAndSubBuses) {
  SPortBus* bus = interface->CreatePortBus("d");
  SPortBus* other = interface->CreatePortBus("e");
  SPortScalar* s = interface->CreatePortScalar("s");
  SPortScalar* t = interface->CreatePortScalar("t");
  EXPECT_EQ(bus->GetSize(), 0);
  bus->SetSize(8);
  EXPECT_EQ(bus->GetSize(), 8);
  EXPECT_TRUE(bus->SetPortScalar(3, s) && bus->SetPortScalar(-1, s));
  EXPECT_FALSE(bus->SetPortScalar(3, t));
  EXPECT_EQ(bus->GetPortScalar(3), s);
  EXPECT_EQ(bus->GetPortScalar(-1), s);
  EXPECT_TRUE(bus->RemovePortScalar(3) && bus->SetPortScalar(3, t));
  EXPECT_FALSE(bus->RemovePortScalar(7));

  SRangeValue* r1 = bus->CreateIndicesRangeValue();
  SRangeValue* r2 = bus->CreateIndicesRangeValue();
  SRangeValue* foreign = other->CreateIndicesRangeValue();
  ASSERT_TRUE(r1 && r2 && foreign);
  EXPECT_EQ(Items(bus->GetAllIndiceses()), (std::vector<SRangeValue*>{r2, r1}));
  EXPECT_FALSE(bus->DestroyIndices(foreign) || bus->HasIndices(foreign));
  EXPECT_TRUE(other->HasIndices(foreign));
  foreign->CreateLowerIntegerValue();  // still alive

  // r1 and r2 have the same (absent) bounds, so they match by value.
  EXPECT_TRUE(bus->SetSubPortBus(r1, other));
  EXPECT_FALSE(bus->SetSubPortBus(r1, bus));
  EXPECT_TRUE(bus->HasSubPortBus(r2));
  EXPECT_EQ(bus->GetSubPortBus(r2), nullptr);
  EXPECT_FALSE(bus->RemoveSubPortBus(r2));
  EXPECT_FALSE(bus->HasSubPortBus(foreign) || bus->HasSubPortBus(nullptr));
  EXPECT_EQ(bus->GetSubPortBus(r1), other);
  EXPECT_TRUE(bus->DestroyIndices(r2));
  EXPECT_EQ(Items(bus->GetAllIndiceses()), (std::vector<SRangeValue*>{r1}));
  EXPECT_TRUE(bus->RemoveSubPortBus(r1));
  EXPECT_FALSE(bus->HasSubPortBus(r1) || bus->DestroyIndices(nullptr));
  EXPECT_TRUE(bus->SetSubPortBus(r1, other) && bus->DestroyIndices(r1) && bus->GetAllSubPortBi().empty());
}
