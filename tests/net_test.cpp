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

// The UID falls back to the name, also when empty (as a net saved without
// one reads back); null leaves UID, prefix and suffix as they are.
TEST_F(NetTest, TextsAndFallbacks) {
  SNetScalar* n = Named<SNetScalar>("N1");
  EXPECT_STREQ(n->GetUID(), "N1");
  n->SetUID("u7");
  n->SetUID(nullptr);
  EXPECT_STREQ(n->GetUID(), "u7");
  n->SetUID("");
  EXPECT_STREQ(n->GetUID(), "N1");
  SNetBus* b = Named<SNetBus>("B");
  b->SetPrefix("D");
  b->SetSuffix("_n");
  b->SetPrefix(nullptr);
  b->SetSuffix(nullptr);
  EXPECT_STREQ(b->GetPrefix(), "D");
  EXPECT_STREQ(b->GetSuffix(), "_n");
  // The partner is a copy of a name: renaming the partner later changes nothing.
  SNetScalar* p = Named<SNetScalar>("P");
  EXPECT_TRUE(n->SetDiffNet(p));
  p->SetName("Q");
  EXPECT_STREQ(n->GetDiffNet(), "P");
  EXPECT_TRUE(n->SetDiffNet(static_cast<SNetScalar*>(nullptr)));
  EXPECT_EQ(n->GetDiffNet(), nullptr);
}

// Reference lists refuse duplicates and null and put new elements first;
// maps keyed by object or number refuse a taken key and keep its value.
TEST_F(NetTest, ReferencesAndKeyedMaps) {
  SNetScalar* n = Named<SNetScalar>("N");
  SNetBundle *x = Named<SNetBundle>("X"), *y = Named<SNetBundle>("Y");
  EXPECT_TRUE(n->InsertNetBundle(x) && n->InsertNetBundle(y));
  EXPECT_FALSE(n->InsertNetBundle(x));
  EXPECT_FALSE(n->InsertNetBundle(nullptr));
  EXPECT_EQ(Items(n->GetAllNetBundles()), (std::vector<SNetBundle*>{y, x}));
  EXPECT_TRUE(n->RemoveNetBundle(y));
  EXPECT_FALSE(n->RemoveNetBundle(y));
  EXPECT_TRUE(x->InsertNet(n) && x->InsertNet(y) && !x->InsertNet(n) && x->HasNet(y));

  SSegment *s1 = n->CreateSegment(), *s2 = n->CreateSegment();
  EXPECT_TRUE(n->SetVictimSegment(s1, s2));
  EXPECT_FALSE(n->SetVictimSegment(s1, s1));
  EXPECT_EQ(n->GetVictimSegment(s1), s2);
  EXPECT_EQ(n->GetVictimSegment(s2), nullptr);
  EXPECT_TRUE(n->RemoveVictimSegment(s1) && !n->HasVictimSegment(s1) && !n->RemoveVictimSegment(s1));

  SNetBus* bus = Named<SNetBus>("B");
  SNetScalar* a = Named<SNetScalar>("A");
  EXPECT_TRUE(bus->SetNetScalar(3, a));
  EXPECT_FALSE(bus->SetNetScalar(3, n));
  EXPECT_TRUE(bus->SetNetScalar(-7, n));
  EXPECT_EQ(bus->GetNetScalar(3), a);
  EXPECT_EQ(bus->GetNetScalar(-7), n);
  EXPECT_TRUE(a->GetAllNetBi().empty());  // the other side is the caller's
  EXPECT_TRUE(bus->RemoveNetScalar(3) && !bus->HasNetScalar(3) && !bus->RemoveNetScalar(3));

  // Named children: lookups in their own maps; nothing is there yet.
  EXPECT_FALSE(n->HasPinPair("pp") || n->HasPinPair(nullptr) || n->HasVirtualPin("v"));
  EXPECT_FALSE(n->DestroyPinPair("pp") || n->DestroyFromTo("a,b") || n->DestroyRoutedFromTo(nullptr));
}

// A sub-bus is found by the very range object with Get; Has compares ranges
// with Matches, which holds for ranges sharing their bounds (or having none).
TEST_F(NetTest, SubBusesByPointerAndByValue) {
  SNetBus *bus = Named<SNetBus>("B"), *sub = Named<SNetBus>("S");
  SRangeValue* key = bus->CreateIndicesRangeValue();
  EXPECT_TRUE(bus->SetSubNetBus(key, sub));
  EXPECT_FALSE(bus->SetSubNetBus(key, bus));
  EXPECT_EQ(bus->GetSubNetBus(key), sub);
  SRangeValue* other = bus->CreateIndicesRangeValue();  // no bounds: matches the key
  EXPECT_EQ(bus->GetSubNetBus(other), nullptr);
  EXPECT_TRUE(bus->HasSubNetBus(other));
  EXPECT_FALSE(bus->HasSubNetBus(nullptr));
  other->CreateLowerIntegerValue()->SetValue(0);
  EXPECT_FALSE(bus->HasSubNetBus(other));
  EXPECT_EQ(Items(bus->GetAllIndiceses()), (std::vector<SRangeValue*>{other, key}));
  EXPECT_TRUE(bus->RemoveSubNetBus(key) && !bus->RemoveSubNetBus(key) && !bus->HasSubNetBus(key));
  SRangeValue* foreign = sub->CreateIndicesRangeValue();
  EXPECT_FALSE(bus->DestroyIndices(foreign));
  EXPECT_TRUE(sub->HasIndices(foreign));
  EXPECT_TRUE(bus->DestroyIndices(other) && !bus->HasIndices(other));
}

// Outside a session every block comes from the general allocator: the
// leak checker sees whatever a deletion forgets, the address checker every
// double deletion.
TEST(NetDeletion, OwnedChildrenGoWithTheirOwner) {
  SNetScalar* n = new SNetScalar();
  n->SetName("N");
  n->SetUID("U");
  n->SetDiffNet("P");
  SSegment* s = n->CreateSegment();
  SPhysicalNode* node = n->CreatePhysicalNode();
  node->CreateXValUnitlessValue();
  node->CreateYValUnitlessValue();
  s->InsertEndpoint(node);
  node->InsertSegment(s);
  n->SetVictimSegment(s, s);
  SSegment* gone = n->CreateSegment();
  gone->InsertEndpoint(node);
  EXPECT_TRUE(n->DestroySegment(gone));
  EXPECT_FALSE(n->DestroySegment(gone));
  SNetBus* bus = new SNetBus();
  bus->SetPrefix("D");
  bus->CreateIndicesRangeValue()->CreateUpperIntegerValue();
  bus->SetSubNetBus(bus->CreateIndicesRangeValue(), bus);
  bus->SetNetScalar(0, n);
  SNetBundle* bundle = new SNetBundle();
  bundle->InsertNet(bus);
  n->InsertNetBundle(bundle);
  delete bundle;
  delete bus;
  delete n;
}

// Creation under memory exhaustion: null and nothing linked, until it works.
TEST_F(NetTest, ExhaustionLinksNothing) {
  SNetScalar* n = Named<SNetScalar>("N");
  SNetBus* bus = Named<SNetBus>("B");
  int failures = 0;
  for (long k = 1; k < 50; ++k) {
    heap->listNodeFree = nullptr;
    FailAfter fail(k);
    SSegment* s = n->CreateSegment();
    SRangeValue* r = bus->CreateIndicesRangeValue();
    if (s && r) break;
    EXPECT_EQ(n->GetAllSegments().size(), s ? 1u : 0u);
    EXPECT_EQ(bus->GetAllIndiceses().size(), r ? 1u : 0u);
    if (s) n->DestroySegment(s);
    if (r) bus->DestroyIndices(r);
    ++failures;
  }
  EXPECT_GE(failures, 1);
}

// ---- records ------------------------------------------------------------------------

const Lines kElementN1 = {"0", "2", "N1", "0", "0", "0", "0", "0"};  // flags, name, 0, 0, 0, no lists

Lines Join(std::initializer_list<Lines> parts) {
  Lines out;
  for (const Lines& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// A scalar net: the element record, the net record, then its own fields in
// order, with each segment and node record right after its reference.
TEST_F(NetTest, ScalarRecordAndRoundTrip) {
  SNetScalar* n = Named<SNetScalar>("N1");
  n->SetUID("U-1");
  n->SetbIsGlobal(true);
  SNetBundle *x = Named<SNetBundle>("X"), *y = Named<SNetBundle>("Y");
  n->InsertNetBundle(x);
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

  n->InsertNetBundle(y);
  SaveRecord(path, n, heap);
  SNetScalar* back = LoadRecord<SNetScalar>(path, heap);
  ASSERT_NE(back, nullptr);
  EXPECT_STREQ(back->GetName(), "N1");
  EXPECT_STREQ(back->GetUID(), "U-1");
  EXPECT_TRUE(back->GetbIsGlobal() && back->GetbConstantVoltage());
  EXPECT_EQ(back->GetVoltage(), 1.5f);
  EXPECT_EQ(back->GetDiffNet(), nullptr);  // not saved
  std::vector<SNetBundle*> bundles = Items(back->GetAllNetBundles());
  ASSERT_EQ(bundles.size(), 2u);
  EXPECT_NE(bundles[0], bundles[1]);  // y, x were written; x, y come back
  std::vector<SSegment*> segs = Items(back->GetAllSegments());
  ASSERT_EQ(segs.size(), 2u);  // s2, s1 written: s1, s2 read
  EXPECT_EQ(back->GetVictimSegment(segs[0]), segs[1]);
  EXPECT_TRUE(segs[0]->GetNetScalar() == back && segs[1]->GetNetScalar() == back);
  SPhysicalNode* nodeBack = Items(back->GetAllPhysicalNodes()).at(0);
  EXPECT_EQ(Items(segs[0]->GetAllEndpoints()), (std::vector<SPhysicalNode*>{nodeBack}));
  EXPECT_EQ(Items(nodeBack->GetAllSegments()), (std::vector<SSegment*>{segs[0]}));
  EXPECT_EQ(nodeBack->GetNetScalar(), back);
  EXPECT_EQ(nodeBack->GetXVal()->GetValue(), 7);
  EXPECT_EQ(nodeBack->GetYVal(), nullptr);
  EXPECT_EQ(Items(back->GetAllPortInstanceScalars()).size(), 1u);

  // Saved again, the file reads back as it was first written (two reversals).
  std::string again = File();
  SaveRecord(again, back, heap);
  SNetScalar* twice = LoadRecord<SNetScalar>(again, heap);
  ASSERT_NE(twice, nullptr);
  EXPECT_EQ(SaveRecord(File(), twice, heap), SaveRecord(File(), n, heap));
}

// A bus: prefix, size, suffix, members by index, sub-buses by range, the id,
// then the owned ranges. A bundle: its nets, then the id.
TEST_F(NetTest, BusAndBundleRecords) {
  SNetBus* bus = Named<SNetBus>("B");
  bus->SetPrefix("D");
  bus->SetSize(8);
  SNetScalar *a = Named<SNetScalar>("A"), *c = Named<SNetScalar>("C");
  bus->SetNetScalar(0, a);
  bus->SetNetScalar(-1, c);
  SRangeValue* range = bus->CreateIndicesRangeValue();
  range->CreateLowerIntegerValue();
  SNetBus* sub = Named<SNetBus>("S");
  bus->SetSubNetBus(range, sub);
  std::string path = File();
  EXPECT_EQ(SaveRecord(path, bus, heap),
            Join({{"1", "0", "1", "B", "0", "0", "0", "0", "0"}, {"0", "0", "0", "0", "0"},
                  {"1", "D", "8", "0", "2", "-1", "2", "0", "3", "1", "4", "5", "0"},
                  {"1", "4", "0", "6", "0", "0", "0", "0"}}));
  SNetBus* back = LoadRecord<SNetBus>(path, heap);
  ASSERT_NE(back, nullptr);
  EXPECT_STREQ(back->GetPrefix(), "D");
  EXPECT_STREQ(back->GetSuffix(), "");
  EXPECT_EQ(back->GetSize(), 8);
  EXPECT_TRUE(back->GetNetScalar(0) && back->GetNetScalar(-1) && back->GetNetScalar(0) != back->GetNetScalar(-1));
  SRangeValue* rangeBack = Items(back->GetAllIndiceses()).at(0);
  EXPECT_NE(rangeBack->GetLower(), nullptr);
  EXPECT_NE(back->GetSubNetBus(rangeBack), nullptr);

  SNetBundle* bundle = Named<SNetBundle>("Q");
  bundle->InsertNet(a);
  bundle->InsertNet(bus);
  EXPECT_EQ(SaveRecord(path, bundle, heap),
            Join({{"1", "0", "1", "Q", "0", "0", "0", "0", "0"}, {"0", "0", "0", "0", "0"}, {"2", "2", "3", "0"}}));
  SNetBundle* bundleBack = LoadRecord<SNetBundle>(path, heap);
  ASSERT_NE(bundleBack, nullptr);
  std::vector<SNet*> nets = Items(bundleBack->GetAllNets());
  ASSERT_EQ(nets.size(), 2u);
  EXPECT_TRUE(SNetScalar::Cast(nets[0]) && SNetBus::Cast(nets[1]));  // reversed
}

// Non-zero ids are the file's, and are written back as read.
TEST_F(NetTest, IdsRoundTrip) {
  const Lines lines = Join({{"1", "0", "0", "0", "0", "0", "0", "0"}, {"0", "0", "0", "0", "0"},
                            {"0.00000000", "0", "0", "0", "0", "0", "0", "-5", "1", "2"},
                            {"0.25000000", "0.50000000", "1", "0", "0", "0", "77"}, {"0", "0", "0", "0"}});
  std::string path = File();
  WriteRecordFile(path, lines, {"SNetScalar", "SSegment"});
  SNetScalar* n = LoadRecord<SNetScalar>(path, heap);
  ASSERT_NE(n, nullptr);
  EXPECT_EQ(n->GetId(), -5);
  SSegment* s = Items(n->GetAllSegments()).at(0);
  EXPECT_EQ(s->GetId(), 77);
  EXPECT_EQ(s->GetImpedance(), 0.25f);
  EXPECT_EQ(s->GetVelocity(), 0.5f);
  EXPECT_EQ(SaveRecord(File(), n, heap), lines);
}


// ---- nets in a whole session ---------------------------------------------------------------

// A view with nets connected to a port instance, a sheet, each other, and
// their own segments, node, ranges and sub-bus.
class NetSession : public NetTest {
 protected:
  void Build(SSession* s) {
    SProject* p = s->CreateProject("p");
    SCell *top = p->CreateDesignCell("top"), *leaf = p->CreateDesignCell("leaf");
    SConnectivityRepresentation* conn = top->CreateConnectivityRepresentation("conn");
    SNetScalar *n1 = conn->CreateNetScalar("N1"), *n2 = conn->CreateNetScalar("N2");
    SNetBus *bus = conn->CreateNetBus("B"), *sub = conn->CreateNetBus("B0");
    SNetBundle* bundle = conn->CreateNetBundle("K");
    SPortInstanceScalar* pin = conn->CreateGenericCellInstance("u1", leaf)->CreatePortInstanceScalar("A");
    pin->SetNetScalar(n1);
    n1->InsertPortInstanceScalar(pin);
    SSchematicSheet* sheet = top->CreateSchematicRepresentation("sch")->CreateSchematicSheet(1);
    sheet->InsertNet(n1);
    n1->InsertSchematicSheet(sheet);
    SSegment* seg = n1->CreateSegment();
    SPhysicalNode* node = n1->CreatePhysicalNode();
    node->SetName("P1");
    node->SetPortInstanceScalar(pin);
    pin->SetPhysicalNode(node);
    seg->InsertEndpoint(node);
    node->InsertSegment(seg);
    seg->SetVictimNet(n2);
    n1->SetVictimSegment(seg, seg);
    bus->SetNetScalar(0, n1);
    bus->SetNetScalar(1, n2);
    n1->InsertNetBus(bus);
    bus->SetSubNetBus(bus->CreateIndicesRangeValue(), sub);
    bus->CreateIndicesRangeValue();
    bundle->InsertNet(n1);
    bundle->InsertNet(bus);
    n1->InsertNetBundle(bundle);
  }
  std::string Save(SSession* s) {
    std::string path = File();
    EXPECT_EQ(s->Save(path.c_str()), 1);
    return path;
  }
  int Restore(SSession* s, const std::string& path) {
    return tavrin::SessionFiles::Restore(*s, path.c_str(), nullptr, false);
  }
};

// Every link comes back between the restored objects, and saving the
// restored session twice more gives the first file again.
TEST_F(NetSession, RoundTrip) {
  Build(session);
  std::string first = Save(session);
  SSession* s2 = AllocSession();
  ASSERT_EQ(Restore(s2, first), 1);
  SCell* top = s2->GetProject("p")->GetDesign("top");
  SRepresentation* conn = top->GetRepresentation("conn");
  SNetScalar *n1 = SNetScalar::Cast(conn->GetNet("N1")), *n2 = SNetScalar::Cast(conn->GetNet("N2"));
  SNetBus *bus = SNetBus::Cast(conn->GetNet("B")), *sub = SNetBus::Cast(conn->GetNet("B0"));
  SNetBundle* bundle = SNetBundle::Cast(conn->GetNet("K"));
  ASSERT_TRUE(n1 && n2 && bus && sub && bundle);
  SPortInstanceScalar* pin =
      SPortInstanceScalar::Cast(conn->GetCellInstance("u1")->GetPortInstance("A"));
  EXPECT_EQ(Items(n1->GetAllPortInstanceScalars()), (std::vector<SPortInstanceScalar*>{pin}));
  SSchematicSheet* sheet =
      SSchematicRepresentation::Cast(top->GetRepresentation("sch"))->GetSchematicSheet(1);
  EXPECT_EQ(Items(n1->GetAllSchematicSheets()), (std::vector<SSchematicSheet*>{sheet}));
  SSegment* seg = Items(n1->GetAllSegments()).at(0);
  SPhysicalNode* node = Items(n1->GetAllPhysicalNodes()).at(0);
  EXPECT_TRUE(seg->HasEndpoint(node) && node->HasSegment(seg) && seg->GetVictimNet() == n2);
  EXPECT_TRUE(node->GetPortInstanceScalar() == pin && pin->GetPhysicalNode() == node);
  EXPECT_EQ(n1->GetVictimSegment(seg), seg);
  EXPECT_TRUE(bus->GetNetScalar(0) == n1 && bus->GetNetScalar(1) == n2);
  EXPECT_EQ(Items(n1->GetAllNetBi()), (std::vector<SNetBus*>{bus}));
  std::vector<SRangeValue*> ranges = Items(bus->GetAllIndiceses());
  ASSERT_EQ(ranges.size(), 2u);  // written newest first, read back oldest first
  EXPECT_EQ(bus->GetSubNetBus(ranges[0]), sub);
  EXPECT_EQ(Items(bundle->GetAllNets()), (std::vector<SNet*>{n1, bus}));
  EXPECT_EQ(Items(n1->GetAllNetBundles()), (std::vector<SNetBundle*>{bundle}));

  std::string second = Save(s2);
  SSession* s3 = AllocSession();
  ASSERT_EQ(Restore(s3, second), 1);
  EXPECT_EQ(ReadFile(Save(s3)), ReadFile(first));
  delete s3;
  delete s2;
}

// Every truncation of the file fails and adds nothing to the session.
TEST_F(NetSession, TruncationsLeaveTheSessionAsItWas) {
  Build(session);
  const std::string bytes = ReadFile(Save(session));
  SSession* s2 = AllocSession();
  std::string cut = File();
  for (std::size_t k = 0; k < bytes.size(); k += 3) {
    WriteFile(cut, bytes.substr(0, k));
    ASSERT_EQ(Restore(s2, cut), 0) << k;
    ASSERT_TRUE(s2->GetAllProjects().empty()) << k;
  }
  delete s2;
}

}  // namespace
