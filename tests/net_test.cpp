// Nets, buses and bundles: operations, records in real files, damage.
#include "design/session_files.h"
#include "test_element.h"

using namespace tavrin_test;

namespace {

class NetTest : public ElementTest {
 protected:
  template <class T>
  T* Named(const char* name) {
    T* net = new (heap) T();
    net->SetName(name);
    return net;
  }
};

// The UID falls back to the name, also when empty; null leaves UID, prefix
// and suffix as they are; the partner is a copy of a name.
TEST_F(NetTest, TextsAndFallbacks) {
  SNetScalar *n = Named<SNetScalar>("N1"), *p = Named<SNetScalar>("P");
  SNetBus* b = Named<SNetBus>("B");
  n->SetUID("u7");
  n->SetUID(nullptr);
  b->SetPrefix("D");
  b->SetSuffix("_n");
  b->SetPrefix(nullptr);
  b->SetSuffix(nullptr);
  EXPECT_STREQ(n->GetUID(), "u7");
  EXPECT_TRUE(!strcmp(b->GetPrefix(), "D") && !strcmp(b->GetSuffix(), "_n"));
  n->SetUID("");
  EXPECT_STREQ(n->GetUID(), "N1");
  EXPECT_TRUE(n->SetDiffNet(p));
  p->SetName("Q");
  EXPECT_STREQ(n->GetDiffNet(), "P");
  EXPECT_TRUE(n->SetDiffNet(static_cast<SNetScalar*>(nullptr)) && !n->GetDiffNet());
}

// Reference lists refuse duplicates and null and put new elements first;
// maps keyed by object or number refuse a taken key and keep its value.
TEST_F(NetTest, ReferencesAndKeyedMaps) {
  SNetScalar *n = Named<SNetScalar>("N"), *a = Named<SNetScalar>("A");
  SNetBundle *x = Named<SNetBundle>("X"), *y = Named<SNetBundle>("Y");
  EXPECT_TRUE(n->InsertNetBundle(x) && n->InsertNetBundle(y));
  EXPECT_FALSE(n->InsertNetBundle(x) || n->InsertNetBundle(nullptr) || x->InsertNet(nullptr));
  EXPECT_EQ(Items(n->GetAllNetBundles()), (std::vector<SNetBundle*>{y, x}));
  EXPECT_TRUE(n->RemoveNetBundle(y) && !n->RemoveNetBundle(y));
  SSegment *s1 = n->CreateSegment(), *s2 = n->CreateSegment();
  EXPECT_TRUE(n->SetVictimSegment(s1, s2) && !n->SetVictimSegment(s1, s1));
  EXPECT_TRUE(n->GetVictimSegment(s1) == s2 && !n->GetVictimSegment(s2));
  EXPECT_TRUE(n->RemoveVictimSegment(s1) && !n->HasVictimSegment(s1) && !n->RemoveVictimSegment(s1));
  // A segment the net deletes leaves the victim map, as key and as victim.
  SSegment* s3 = n->CreateSegment();
  EXPECT_TRUE(n->SetVictimSegment(s1, s2) && n->SetVictimSegment(s2, s3) && n->SetVictimSegment(s3, s3));
  EXPECT_TRUE(n->DestroySegment(s2) && n->GetAllVictimSegments().size() == 1 && n->GetVictimSegment(s3) == s3);
  SNetBus* bus = Named<SNetBus>("B");
  EXPECT_TRUE(bus->SetNetScalar(3, a) && !bus->SetNetScalar(3, n) && bus->SetNetScalar(-7, n));
  EXPECT_TRUE(bus->GetNetScalar(3) == a && bus->GetNetScalar(-7) == n);
  EXPECT_TRUE(a->GetAllNetBi().empty());  // the other side is the caller's
  EXPECT_TRUE(bus->RemoveNetScalar(3) && !bus->HasNetScalar(3) && !bus->RemoveNetScalar(3));
  // Named children are looked up in their own maps; nothing is there yet.
  EXPECT_FALSE(n->HasPinPair("pp") || n->GetPinPair(nullptr) || n->HasVirtualPin("v"));
  EXPECT_FALSE(n->DestroyPinPair("pp") || n->DestroyFromTo("a,b") || n->DestroyRoutedFromTo(nullptr));
}

// A sub-bus is found by the very range object with Get; Has compares ranges
// with Matches, which holds for ranges sharing their bounds (or having none).
TEST_F(NetTest, SubBusesByPointerAndByValue) {
  SNetBus *bus = Named<SNetBus>("B"), *sub = Named<SNetBus>("S");
  SRangeValue* key = bus->CreateIndicesRangeValue();
  EXPECT_TRUE(bus->SetSubNetBus(key, sub) && !bus->SetSubNetBus(key, bus) && bus->GetSubNetBus(key) == sub);
  SRangeValue* other = bus->CreateIndicesRangeValue();
  EXPECT_TRUE(!bus->GetSubNetBus(other) && bus->HasSubNetBus(other) && !bus->HasSubNetBus(nullptr));
  other->CreateLowerIntegerValue();
  EXPECT_FALSE(bus->HasSubNetBus(other));
  EXPECT_EQ(Items(bus->GetAllIndiceses()), (std::vector<SRangeValue*>{other, key}));
  EXPECT_TRUE(bus->RemoveSubNetBus(key) && !bus->RemoveSubNetBus(key) && !bus->HasSubNetBus(key));
  SRangeValue* foreign = sub->CreateIndicesRangeValue();
  EXPECT_TRUE(!bus->DestroyIndices(foreign) && sub->HasIndices(foreign));
  EXPECT_TRUE(bus->DestroyIndices(other) && !bus->HasIndices(other));
  EXPECT_TRUE(bus->SetSubNetBus(key, sub) && bus->DestroyIndices(key) && bus->GetAllSubNetBi().empty());
}

// Outside a session every block comes from the general allocator: the leak
// checker sees what a deletion forgets, the address checker double deletions.
TEST(NetDeletion, OwnedChildrenGoWithTheirOwner) {
  SNetScalar* n = new SNetScalar();
  SNetBus* bus = new SNetBus();
  SNetBundle* bundle = new SNetBundle();
  n->SetUID("U");
  n->SetDiffNet("P");
  SSegment *s = n->CreateSegment(), *gone = n->CreateSegment();
  SPhysicalNode* node = n->CreatePhysicalNode();
  node->CreateXValUnitlessValue();
  node->CreateYValUnitlessValue();
  for (SSegment* seg : {s, gone}) {
    seg->InsertEndpoint(node);
    node->InsertSegment(seg);
  }
  n->SetVictimSegment(s, s);
  EXPECT_TRUE(n->DestroySegment(gone) && !n->DestroySegment(gone) && node->RemoveSegment(gone));
  bus->SetPrefix("D");
  bus->CreateIndicesRangeValue()->CreateUpperIntegerValue();
  bus->SetSubNetBus(bus->CreateIndicesRangeValue(), bus);
  bus->SetNetScalar(0, n);
  bundle->InsertNet(bus);
  n->InsertNetBundle(bundle);
  delete bundle;
  delete bus;
  delete n;
}

// ---- records ------------------------------------------------------------------------

const Lines kElementN1 = {"0", "2", "N1", "0", "0", "0", "0", "0"};  // flags, name, 0, 0, 0, no lists

Lines Join(std::initializer_list<Lines> parts) {
  Lines out;
  for (const Lines& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// A scalar net: the element record, the net record, then its own fields in
// order, with each segment and node record right after its reference. Links
// and reversals are checked on a whole session below.
TEST_F(NetTest, ScalarRecordAndRoundTrip) {
  SNetScalar* n = Named<SNetScalar>("N1");
  n->SetUID("U-1");
  n->SetbIsGlobal(true);
  n->InsertNetBundle(Named<SNetBundle>("X"));
  n->SetVoltage(1.5f);
  n->SetbConstantVoltage(true);
  SNetBus* bus = Named<SNetBus>("B");
  n->InsertNetBus(bus);
  SPortInstanceScalar* pin = new (heap) SPortInstanceScalar();
  n->InsertPortInstanceScalar(pin);
  SSegment *s1 = n->CreateSegment(), *s2 = n->CreateSegment();
  n->SetVictimSegment(s1, s2);
  SPhysicalNode* node = n->CreatePhysicalNode();
  node->SetName("P");
  node->CreateXValUnitlessValue()->SetValue(7);
  s1->InsertEndpoint(node);
  node->InsertSegment(s1);
  n->SetDiffNet("partner");
  std::string path = File();
  // Indices: 1 the net, 2 X, 3 the bus, 4 the pin, 5 s1, 6 s2, 7 the node, 8 its X.
  const Lines expected = Join({{"1"}, kElementN1,
                               {"3", "U-1", "1", "1", "2", "0", "0"},
                               {"1.50000000", "1", "1", "3", "1", "4", "0", "0", "1", "5", "6", "0"},
                               {"2", "6", "0.00000000", "0.00000000", "1", "0", "0", "0", "0"},
                               {"5", "0.00000000", "0.00000000", "1", "0", "1", "7", "0", "0"},
                               {"1", "7", "0", "1", "P", "0", "0", "0", "0", "0"},
                               {"0", "0", "1", "0", "1", "5", "0", "8", "7", "0", "0"},
                               {"0", "0", "0"}});
  EXPECT_EQ(SaveRecord(path, n, heap), expected);

  SNetScalar* back = LoadRecord<SNetScalar>(path, heap);
  ASSERT_NE(back, nullptr);
  EXPECT_TRUE(!strcmp(back->GetUID(), "U-1") && back->GetbIsGlobal() && back->GetbConstantVoltage());
  EXPECT_TRUE(back->GetVoltage() == 1.5f && !back->GetDiffNet());  // the partner is not saved
}

// A bus: prefix, size, suffix, members by index, sub-buses by range, the id,
// then the owned ranges. A bundle: its nets, then the id.
TEST_F(NetTest, BusAndBundleRecords) {
  SNetBus* bus = Named<SNetBus>("B");
  bus->SetPrefix("D");
  bus->SetSize(8);
  SNetScalar* a = Named<SNetScalar>("A");
  bus->SetNetScalar(0, a);
  bus->SetNetScalar(-1, Named<SNetScalar>("C"));
  SRangeValue* range = bus->CreateIndicesRangeValue();
  range->CreateLowerIntegerValue();
  bus->SetSubNetBus(range, Named<SNetBus>("S"));
  std::string path = File();
  EXPECT_EQ(SaveRecord(path, bus, heap),
            Join({{"1", "0", "1", "B", "0", "0", "0", "0", "0"}, {"0", "0", "0", "0", "0"},
                  {"1", "D", "8", "0", "2", "-1", "2", "0", "3", "1", "4", "5", "0"},
                  {"1", "4", "0", "6", "0", "0", "0", "0"}}));
  SNetBus* back = LoadRecord<SNetBus>(path, heap);
  ASSERT_NE(back, nullptr);
  // A net saved without UID reads back the empty text, which counts as none.
  EXPECT_TRUE(!strcmp(back->GetUID(), "B") && !strcmp(back->GetSuffix(), "") && back->GetSize() == 8);
  EXPECT_TRUE(back->GetNetScalar(0) && back->GetNetScalar(-1) && back->GetNetScalar(0) != back->GetNetScalar(-1));
  SRangeValue* rangeBack = Items(back->GetAllIndiceses()).at(0);
  EXPECT_TRUE(rangeBack->GetLower() && back->GetSubNetBus(rangeBack));

  SNetBundle* bundle = Named<SNetBundle>("Q");
  bundle->InsertNet(a);
  bundle->InsertNet(bus);
  EXPECT_EQ(SaveRecord(path, bundle, heap),
            Join({{"1", "0", "1", "Q", "0", "0", "0", "0", "0"}, {"0", "0", "0", "0", "0"}, {"2", "2", "3", "0"}}));
  EXPECT_NE(LoadRecord<SNetBundle>(path, heap), nullptr);
}

// A view with nets linked to a port instance, a sheet and each other, and
// their own segment, node, ranges and sub-bus; saved, restored into a new
// session, saved and restored again.
TEST_F(NetTest, WholeSessionRoundTrip) {
  SProject* p = session->CreateProject("p");
  SCell *top = p->CreateDesignCell("top"), *leaf = p->CreateDesignCell("leaf");
  SConnectivityRepresentation* conn = top->CreateConnectivityRepresentation("conn");
  SNetScalar *n1 = conn->CreateNetScalar("N1"), *n2 = conn->CreateNetScalar("N2");
  SNetBus *bus = conn->CreateNetBus("B"), *sub = conn->CreateNetBus("B0");
  SPortInstanceScalar* pin = conn->CreateGenericCellInstance("u1", leaf)->CreatePortInstanceScalar("A");
  n1->InsertPortInstanceScalar(pin);
  n1->InsertSchematicSheet(top->CreateSchematicRepresentation("sch")->CreateSchematicSheet(1));
  SSegment* seg = n1->CreateSegment();
  SPhysicalNode* node = n1->CreatePhysicalNode();
  node->SetPortInstanceScalar(pin);
  seg->InsertEndpoint(node);
  node->InsertSegment(seg);
  seg->SetVictimNet(n2);
  n1->SetVictimSegment(seg, seg);
  bus->SetNetScalar(0, n1);
  n1->InsertNetBus(bus);
  bus->SetSubNetBus(bus->CreateIndicesRangeValue(), sub);
  bus->CreateIndicesRangeValue();
  std::string first = File(), second = File(), third = File();
  ASSERT_EQ(session->Save(first.c_str()), 1);
  SSession *s2 = AllocSession(), *s3 = AllocSession();
  ASSERT_EQ(tavrin::SessionFiles::Restore(*s2, first.c_str(), nullptr, false), 1);

  top = s2->GetProject("p")->GetDesign("top");
  SRepresentation* view = top->GetRepresentation("conn");
  n1 = SNetScalar::Cast(view->GetNet("N1"));
  bus = SNetBus::Cast(view->GetNet("B"));
  ASSERT_TRUE(n1 && bus);
  pin = SPortInstanceScalar::Cast(view->GetCellInstance("u1")->GetPortInstance("A"));
  EXPECT_EQ(Items(n1->GetAllPortInstanceScalars()), (std::vector<SPortInstanceScalar*>{pin}));
  EXPECT_EQ(Items(n1->GetAllSchematicSheets()),
            (std::vector<SSchematicSheet*>{SSchematicRepresentation::Cast(top->GetRepresentation("sch"))->GetSchematicSheet(1)}));
  seg = Items(n1->GetAllSegments()).at(0);
  node = Items(n1->GetAllPhysicalNodes()).at(0);
  EXPECT_TRUE(seg->HasEndpoint(node) && node->HasSegment(seg) && node->GetPortInstanceScalar() == pin);
  EXPECT_TRUE(seg->GetVictimNet() == view->GetNet("N2") && n1->GetVictimSegment(seg) == seg);
  EXPECT_TRUE(bus->GetNetScalar(0) == n1 && n1->HasNetBus(bus));
  std::vector<SRangeValue*> ranges = Items(bus->GetAllIndiceses());  // reversed: the key comes first
  EXPECT_TRUE(ranges.size() == 2 && bus->GetSubNetBus(ranges.at(0)) == view->GetNet("B0"));

  ASSERT_EQ(s2->Save(second.c_str()), 1);
  ASSERT_EQ(tavrin::SessionFiles::Restore(*s3, second.c_str(), nullptr, false), 1);
  ASSERT_EQ(s3->Save(third.c_str()), 1);
  EXPECT_EQ(ReadFile(third), ReadFile(first));
  delete s3;
  delete s2;
}

}  // namespace
