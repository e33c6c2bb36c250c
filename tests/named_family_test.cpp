// Every named family: a second child of a name takes over the entry, the first stays alive; Destroy
// unlinks without freeing but for designs (the pools' debug mode lets BlockFreed see a delete).
#include <functional>

#include "core/pool.h"
#include "fixture.h"

namespace {

using tavrin::BlockFreed;

struct Family {
  const char* what;
  std::function<void*(const char*)> create;
  std::function<void*(const char*)> get;
  std::function<bool(const char*)> destroy;
};

class NamedFamilies : public tavrin_test::SessionTest {
 protected:
  std::vector<Family> Families() {
    SProject* p = session->CreateProject("owner");
    SCell* cell = p->CreateDesignCell("cell");
    SRepresentation* rep = cell->CreateConnectivityRepresentation("view");
    auto* pkgs = session->CreatePackageLibrary("pkgs");
    auto* pads = session->CreatePadStackLibrary("pads");
    auto* maps = session->CreatePinMappingLibrary("maps");
    auto* net = new (heap) SNetScalar();
    auto* enet = new (heap) SElectricalNet();
    auto* diff = new (heap) SDiffPair();
    auto* inst = new (heap) SPartInstance();
    SPart* part = cell->CreatePart("part");
#define TAVRIN_FAMILY(what, owner, create, get, destroy)                                   \
  Family{what, [=](const char* n) -> void* { return owner->create(n); },                   \
         [=](const char* n) -> void* { return owner->get(n); }, [=](const char* n) { return owner->destroy(n); }}
    return {
        TAVRIN_FAMILY("projects", session, CreateProject, GetProject, DestroyProject),
        TAVRIN_FAMILY("package libraries", session, CreatePackageLibrary, GetLibrary, DestroyLibrary),
        TAVRIN_FAMILY("pad-stack libraries", session, CreatePadStackLibrary, GetLibrary, DestroyLibrary),
        TAVRIN_FAMILY("pin-mapping libraries", session, CreatePinMappingLibrary, GetLibrary, DestroyLibrary),
        TAVRIN_FAMILY("files", p, CreateFile, GetFile, DestroyFile),
        TAVRIN_FAMILY("constraint sets", p, CreateConstraintSet, GetConstraintSet, DestroyConstraintSet),
        TAVRIN_FAMILY("constraints", p, CreateConstraint, GetConstraint, DestroyConstraint),
        TAVRIN_FAMILY("constraint groups", p, CreateConstraintGroup, GetConstraintGroup, DestroyConstraintGroup),
        TAVRIN_FAMILY("packages", pkgs, CreatePackage, GetPackage, DestroyPackage),
        TAVRIN_FAMILY("pad stacks", pads, CreatePadStack, GetPadStack, DestroyPadStack),
        TAVRIN_FAMILY("pin mappings", maps, CreatePinMapping, GetPinMapping, DestroyPinMapping),
        TAVRIN_FAMILY("configurations", rep, CreateConfiguration, GetConfiguration, DestroyConfiguration),
        TAVRIN_FAMILY("contexts", rep, CreateOATContext, GetOATContext, DestroyOATContext),
        TAVRIN_FAMILY("net pin pairs", net, CreatePinPair, GetPinPair, DestroyPinPair),
        TAVRIN_FAMILY("from-tos", net, CreateFromTo, GetAllFromTos().lookup, DestroyFromTo),
        TAVRIN_FAMILY("routed from-tos", net, CreateRoutedFromTo, GetAllRoutedFromTos().lookup, DestroyRoutedFromTo),
        TAVRIN_FAMILY("virtual pins", net, CreateVirtualPin, GetVirtualPin, DestroyVirtualPin),
        TAVRIN_FAMILY("electrical pin pairs", enet, CreatePinPair, GetAllPinPairs().lookup, DestroyPinPair),
        TAVRIN_FAMILY("connection pin pairs", enet, CreateConnPinPair, GetAllConnPinPairs().lookup, DestroyConnPinPair),
        TAVRIN_FAMILY("pair pin pairs", diff, CreatePinPair, GetAllPinPairs().lookup, DestroyPinPair),
        TAVRIN_FAMILY("differential pin pairs", diff, CreateDiffPinPair, GetAllDiffPinPairs().lookup, DestroyDiffPinPair),
        TAVRIN_FAMILY("part pin instances", inst, CreatePartPinInstance, GetPartPinInstance, DestroyPartPinInstance),
        TAVRIN_FAMILY("ebd pins", inst, CreateEbdPin, GetEbdPin, DestroyEbdPin),
        TAVRIN_FAMILY("part pins", part, CreatePartPin, GetPartPin, DestroyPartPin),
        TAVRIN_FAMILY("designs", p, CreateDesignCell, GetDesign, DestroyDesign),
    };
#undef TAVRIN_FAMILY
  }
};

TEST_F(NamedFamilies, DuplicatesTakeOverAndDestroyUnlinksOnly) {
  ASSERT_TRUE(tavrin::PoolDebug()) << "the tests are built with the pools' debug mode";
  for (const Family& f : Families()) {
    void* first = f.create("n");
    void* second = f.create("n");
    ASSERT_TRUE(first && second) << f.what;
    EXPECT_TRUE(first != second && f.get("n") == second && !BlockFreed(first)) << f.what;
    void* lone = f.create("lone");
    ASSERT_TRUE(f.get("lone") == lone && f.destroy("lone")) << f.what;
    EXPECT_EQ(BlockFreed(lone), f.what == std::string("designs")) << f.what;  // the one Destroy that deletes
    EXPECT_FALSE(f.destroy("lone") || f.destroy(nullptr) || f.destroy("absent")) << f.what;
    EXPECT_TRUE(f.create(nullptr) == nullptr && f.get("n") == second) << f.what;
  }
}

}  // namespace
