// Rules and rule sets, a module's rules and object types, contexts, failed creates, files.
#include <thread>

#include "test_element.h"

using namespace tavrin_test;

namespace {

typedef SCondRule R;

class RulesTest : public FileTest {
 protected:
  void SetUp() override {
    SessionTest::SetUp();
    cell = session->CreateProject("P")->CreateDesignCell("c");
    m = cell->CreateModule("M");
  }
  SCell* cell = nullptr;
  SModule* m = nullptr;
};

}  // namespace

TEST(RuleKinds, TextsBothWays) {
  const char* texts[] = {"All", "Class", "Net", "Group", "PinPair", "Layer", "PkgType"};
  for (int k = 0; k < 7; ++k)
    EXPECT_TRUE(R::StrToRuleType(texts[k]) == k && R::RuleTypeToStr(static_cast<R::CondRuleObjType>(k)).str() == texts[k]) << k;
  for (const char* t : {"pinpair", "", "Nets", "Ne", "All ", " All"}) EXPECT_EQ(R::StrToRuleType(t), R::RULE_NONE) << t;
  EXPECT_EQ(R::StrToRuleType(nullptr), R::RULE_NONE);
  for (int k : {7, 8, -1, 1 << 30}) EXPECT_TRUE(R::RuleTypeToStr(static_cast<R::CondRuleObjType>(k)).IsEmpty()) << k;
  CString& mine = R::RuleTypeToStr(R::RULE_NET);
  EXPECT_EQ(&R::RuleTypeToStr(R::RULE_LAYER), &mine);  // one text per thread, which each call overwrites
  std::string seen;
  std::thread([&seen] { seen = R::RuleTypeToStr(R::RULE_GROUP).str(); }).join();
  EXPECT_EQ(seen + mine.str(), "GroupLayer");
}

// Rule sets by own name; Add refuses a listed one; Destroy takes only its own; lookups and walks, newest first.
TEST_F(RulesTest, RuleSetsAndRules) {
  SCondRule* r = m->CreateCondRule();
  SCondRule* other = m->CreateCondRule();
  SRuleSet* a = r->CreateRuleSet("A");
  SRuleSet* a2 = r->CreateRuleSet("A");
  SRuleSet* theirs = other->CreateRuleSet("T");
  static_cast<SDesignElement*>(a)->SetName("element");
  EXPECT_TRUE(r->GetRuleSet("A") == a2 && !r->GetRuleSet("element") && !r->CreateRuleSet(nullptr));
  EXPECT_FALSE(r->AddRuleSet(nullptr) || r->AddRuleSet(a) || r->DestroyRuleSet(theirs) || r->DestroyRuleSet(nullptr));
  EXPECT_TRUE(other->RemoveRuleSet(theirs) && r->AddRuleSet(theirs) && r->DestroyRuleSet(theirs) && !r->DestroyRuleSet(theirs));
  SModule* m2 = cell->CreateModule("M2");
  SCondRule* foreign = m2->CreateCondRule();
  EXPECT_FALSE(m->DestroyCondRule(foreign) || m->DestroyCondRule(nullptr) || m->RemoveCondRule(foreign));
  EXPECT_TRUE(m2->DestroyCondRule(foreign) && m->DestroyCondRule(r) && !m->DestroyCondRule(r));
  SCondRule* r1 = m->CreateCondRule("U1", R::RULE_NET, "U2", R::RULE_PIN_PAIR);
  SCondRule* r2 = m->CreateCondRule("U1", "Net", "U2", "Layer");
  SCondRule* r3 = m->CreateCondRule("U1", "Net", "U3", "Layer");
  SCondRule* unset = m->CreateCondRule(nullptr, "Net", "U2", "Net");
  EXPECT_EQ(Items(m->GetAllCondRules()), (std::vector<SCondRule*>{unset, r3, r2, r1, other}));
  EXPECT_EQ(m->GetCondRule("U1", R::RULE_NET, "U2", R::RULE_LAYER), r2);
  EXPECT_FALSE(m->GetCondRule("u1", R::RULE_NET, "U2", R::RULE_PIN_PAIR) ||
               m->GetCondRule(nullptr, R::RULE_NET, "U2", R::RULE_NET));  // an unset text matches nothing

  SModule::CondRuleIterator it;
  std::vector<SCondRule*> walk;
  for (SCondRule* x = m->GetFirstCondRule("U1", "U2", it); x; x = m->GetNextCondRule("U1", "U2", it)) walk.push_back(x);
  EXPECT_EQ(walk, (std::vector<SCondRule*>{r2, r1}));
  EXPECT_FALSE(m->GetNextCondRule("U1", "U2", it) || m->GetFirstCondRule(nullptr, "U2", it));
}

// A name already a key creates nothing; Set files under the type's name; Destroy takes only its own.
TEST_F(RulesTest, ModuleObjectTypes) {
  SObjectType* t = m->CreateObjectType("T");
  EXPECT_FALSE(!t || m->CreateObjectType("T") || m->CreateObjectType(nullptr));
  SObjectType* u = new (heap) SObjectType();
  u->SetName("U");
  EXPECT_TRUE(m->SetObjectType("A", u) && m->GetObjectType("U") == u && !m->HasObjectType("A"));
  EXPECT_FALSE(m->SetObjectType("T", u) || m->SetObjectType("B", nullptr));
  SObjectType* theirs = cell->CreateModule("M2")->CreateObjectType("T");
  EXPECT_FALSE(m->DestroyObjectType(theirs) || m->DestroyObjectType(nullptr));
  EXPECT_FALSE(tavrin::BlockFreed(theirs)) << "not deleted";
  EXPECT_TRUE(m->RemoveObjectType(u) && !m->HasObjectType("U") && !m->DestroyObjectType(u));
  delete u;
  EXPECT_TRUE(m->DestroyObjectType(t) && m->GetAllObjectTypes().empty());
}

TEST_F(RulesTest, FailedCreatesAddNothing) {
  SCondRule* r = m->CreateCondRule();
  SOATContext* k = m->CreateOATContext("K");
  auto sizes = [&] {
    return testing::PrintToString(std::vector<std::size_t>{m->GetAllCondRules().size(), r->GetAllRuleSets().size(),
        m->GetAllObjectTypes().size(), k->GetAllAssignments().size(), k->GetAllProperties().size()});
  };
  const char* name = "a name longer than any block free here, so that it asks the heap";
  EXPECT_GT(EachFailure(heap, [&] { return m->CreateCondRule(name, "Net", "t", "Net") != nullptr; }, sizes), 0);
  EXPECT_GT(EachFailure(heap, [&] { return r->CreateRuleSet(name) != nullptr; }, sizes), 0);
  EXPECT_GT(EachFailure(heap, [&] { return m->CreateObjectType(name) != nullptr; }, sizes), 0);
  EXPECT_GT(EachFailure(heap, [&] { return k->CreateProperty(name) != nullptr; }, sizes), 0);
}

// One map over three lists; a create takes an equal name's entry over; Destroy unlinks only.
TEST_F(RulesTest, ContextAssignments) {
  SOATContext* k = m->CreateOATContext("K");
  SConstraint* c = cell->GetProject()->CreateConstraint("WIDTH");
  SAttribute* w1 = k->CreateAttribute("W");
  SAttribute* w2 = k->CreateAttribute("W");
  SProperty* p = k->CreateProperty("P");
  SConstraintInstance* ci = k->CreateConstraintInstance("CI", c);
  ASSERT_TRUE(w1 && w2 && p && ci && ci->GetConstraint() == c);
  EXPECT_TRUE(k->GetAllAssignments().size() == 3 && k->GetAssignment("W") == w2 && k->DestroyAssignment("W"));
  EXPECT_EQ(Items(k->GetAllAttributes()), (std::vector<SAttribute*>{w1})) << "only the one found is unlinked";
  EXPECT_FALSE(k->HasAssignment("W") || k->DestroyAssignment("W"));
  EXPECT_TRUE(k->DestroyAssignment("P") && k->DestroyAssignment("CI"));
  delete w2, delete p, delete ci;  // unlinked: the context's delete would free them again
  EXPECT_FALSE(k->CreateProperty(nullptr) || k->CreateAttribute(nullptr) || k->CreateConstraintInstance(nullptr, c));
}

// The "W" read last holds the entry; a child of another owned class is refused, the session kept.
TEST_F(RulesTest, ContextsRestoredAndDamaged) {
  const std::string golden = ReadFile(TestData("contexts.tvn"));
  SProject* p = Restored(golden)->GetProject("P");
  SOATContext* k2 = SConnectivityRepresentation::Cast(p->GetDesign("c")->GetRepresentation("r"))->GetOATContext("K2");
  EXPECT_EQ(SAttribute::Cast(k2->GetAssignment("W"))->GetId(), 51) << "the W read last (built first) holds the entry";
  SConstraintInstance* ci = SConstraintInstance::Cast(k2->GetAssignment("CI"));
  ASSERT_TRUE(ci && ci->GetConstraint() && ci->GetConstraint() == p->GetConstraint("WIDTH"));

  ContextSession built(session);
  const std::string before = Fingerprint(session);
  for (std::size_t i = 1; i <= 13; ++i)
    for (const char* cls : {"SFile", "SProperty", "SAttribute", "SOATContext", "SConstraintInstance"})
      ASSERT_TRUE(WithClass(golden, i, cls) == golden || Restore(session, WithClass(golden, i, cls)) == 0) << i << cls;
  EXPECT_EQ(Fingerprint(session), before);
}

// The rule (source, target, kinds, id, rule sets), then B and A (design element, name, id); cuts.
TEST_F(RulesTest, RuleFiles) {
  SCondRule* r = m->CreateCondRule("U1", "Net", "U2", "PinPair");
  r->SetId(77);
  SRuleSet* a = r->CreateRuleSet("A");
  SRuleSet* b = r->CreateRuleSet("B");
  a->SetId(3), b->SetId(4);
  const std::string path = dir.File("rule");
  Fingerprint(session);  // puts back the value every design element record carries
  EXPECT_EQ(SaveRecord(path, r, heap, b, a),
            (Lines{"1", "2", "U1", "2", "U2", "2", "4", "77", "2", "2", "3", "2", "0", "0", "0", "0", "0", "0", "0", "1",
                   "B", "4", "3", "0", "0", "0", "0", "0", "0", "0", "1", "A", "3"}));
  const Lines head = {"1", "1", "s", "1", "t", "2", "2", "0", "2"};
  auto read = [&](Lines refs, const Lines& classes) {
    refs.insert(refs.begin(), head.begin(), head.end());
    WriteRecordFile(path, refs, classes);
    return std::unique_ptr<SCondRule>(LoadRecord<SCondRule>(path, nullptr)) != nullptr;  // damage: the store deletes
  };
  EXPECT_TRUE(read({"2", "3"}, {"SCondRule", "SRuleSet", "SRuleSet"}));
  EXPECT_FALSE(read({"2", "2"}, {"SCondRule", "SRuleSet"}));
  for (std::size_t n = 0; n < head.size(); ++n) {
    WriteRecordFile(path, Lines(head.begin(), head.begin() + n), {"SCondRule"});
    EXPECT_EQ(LoadRecord<SCondRule>(path, nullptr), nullptr) << n;
  }
}
