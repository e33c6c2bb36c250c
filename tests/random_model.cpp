// The random whole-model session: first the ownership tree (libraries,
// projects, cells with their interfaces, representations and instances,
// nets and the physical data), then references drawn from everything made
// so far, across owners, projects and libraries.
#include "random_model.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <vector>

#include <tavrin/tavrin.h>

namespace tavrin_test {
namespace {

// splitmix64: fixed output on every platform and standard library.
class Rng {
 public:
  explicit Rng(std::uint64_t seed) : state_(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
  }
  int Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
  bool Chance(int percent) { return Below(100) < percent; }

 private:
  std::uint64_t state_;
};

// Names drawn from a small pool, so that duplicates are frequent.
const char* const kNames[] = {"",   "A",  "B",        "N1",       "U1",  "1",  "GND", "x y",
                              "\t", "é", "a-very-long-name-with-digits-0123456789-and-more-text-beyond-it", "A"};

template <class T>
T* Pick(Rng& r, const std::vector<T*>& v) {
  return v.empty() ? nullptr : v[static_cast<std::size_t>(r.Below(static_cast<int>(v.size())))];
}

// Sets an identifier on the classes whose setter is public.
template <class T>
auto SetIdIf(T* o, long id, int) -> decltype(o->SetId(id), void()) {
  o->SetId(id);
}
template <class T>
void SetIdIf(T*, long, long) {}

class Builder {
 public:
  Builder(std::uint64_t seed, bool every) : r_(seed), every_(every) {}

  SSession* Build() {
    s_ = AllocSession();
    if (!s_) return nullptr;
    // A name made twice replaces (and deletes) the first object of that
    // name, and a value made anew deletes the old one: what the library
    // deletes must leave the lists references are drawn from.
    building_ = this;
    tavrin::SetDestroyObserver(&Builder::Forget);
    if (r_.Chance(50)) s_->SetVersion(Name());
    Libraries();
    for (int i = Count(2); i-- > 0;) Project();
    References();
    tavrin::SetDestroyObserver(nullptr);
    building_ = nullptr;
    return s_;
  }

 private:
  // How many of a kind: 0 to max, or 1 to max for a model of every class.
  int Count(int max) { return every_ ? 1 + r_.Below(max) : r_.Below(max + 1); }
  const char* Name() { return kNames[r_.Below(static_cast<int>(sizeof kNames / sizeof *kNames))]; }
  int Int() {
    switch (r_.Below(6)) {
      case 0: return INT_MIN;
      case 1: return INT_MAX;
      case 2: return 0;
      case 3: return -1;
      default: return static_cast<int>(r_.Next() % 200001) - 100000;
    }
  }
  float Float() {
    switch (r_.Below(6)) {
      case 0: return 0.0f;
      case 1: return -1.5f;
      case 2: return FLT_MAX;
      case 3: return 1e-7f;
      default: return static_cast<float>(static_cast<int>(r_.Next() % 2000001) - 1000000) / 1000.0f;
    }
  }
  double Length() { return static_cast<double>(r_.Below(200000)) / 100.0; }
  g_TavrinUnitType Unit() { return static_cast<g_TavrinUnitType>(r_.Below(7)); }
  template <class T>
  void Id(T* o) {
    if (r_.Chance(50)) SetIdIf(o, Int(), 0);
  }

  // Attributes of every value kind and constraint instances on a design element.
  void Decorate(SDesignElement* e) {
    Id(e);
    if (r_.Chance(30)) e->SetPinNum(Name());
    if (r_.Chance(30)) e->SetClientFlags(Int());
    for (int i = Count(2); i-- > 0;) Assignment(e->CreateAttribute(Name()));
    if (r_.Chance(30)) e->SetAttribute(Name(), Int());
    if (r_.Chance(30)) e->SetConstraint(Name(), Float(), Int());
    for (int i = every_ ? 1 : r_.Below(2); i-- > 0;) {
      SConstraintInstance* ci = e->CreateConstraintInstance(Name(), Pick(r_, constraints_));
      if (ci) {
        ci->SetDrcCode(Int());
        Assignment(ci);
      }
    }
  }
  void Assignment(SAssignment* a) {
    if (!a) return;
    Id(a);
    if (r_.Chance(30)) a->SetIsGlobal(true);
    if (SValue* v = AssignValue(a)) values_.push_back(v);
  }
  SValue* AssignValue(SAssignment* a) {
    switch (r_.Below(every_ ? 8 : 9)) {
      case 0: return Enum(a->CreateEnumeratedValue());
      case 1: return Bool(a->CreateBooleanValue());
      case 2: return Str(a->CreateStringValue());
      case 3: return Integer(a->CreateIntegerValue());
      case 4: return Real(a->CreateRealValue());
      case 5: return Unitless(a->CreateUnitlessValue());
      case 6: return List(a->CreateListValue(), 2);
      case 7: return Range(a->CreateRangeValue());
      default: return nullptr;
    }
  }
  SValue* Enum(SEnumeratedValue* v) {
    if (!v) return v;
    Id(v);
    v->SetName(Name());
    v->SetValue(Int());
    return v;
  }
  SValue* Bool(SBooleanValue* v) {
    if (v) v->SetValue(r_.Chance(50)), Id(v);
    return v;
  }
  SValue* Str(SStringValue* v) {
    if (v) v->SetValue(Name()), Id(v);
    return v;
  }
  SValue* Integer(SIntegerValue* v) {
    if (v) v->SetValue(Int()), Id(v);
    return v;
  }
  SValue* Real(SRealValue* v) {
    if (v) v->SetValue(Float()), Id(v);
    return v;
  }
  SUnitlessValue* Unitless(SUnitlessValue* v) {
    if (v) v->SetValue(Int()), Id(v);
    return v;
  }
  SValue* List(SListValue* v, int depth) {
    if (!v) return v;
    Id(v);
    for (int i = r_.Below(4); i-- > 0;) {
      switch (r_.Below(depth > 0 ? 8 : 6)) {
        case 0: Enum(v->CreateEnumeratedValue()); break;
        case 1: Bool(v->CreateBooleanValue()); break;
        case 2: Str(v->CreateStringValue()); break;
        case 3: Integer(v->CreateIntegerValue()); break;
        case 4: Real(v->CreateRealValue()); break;
        case 5: Unitless(v->CreateUnitlessValue()); break;
        case 6: List(v->CreateListValue(), depth - 1); break;
        default: Range(v->CreateRangeValue()); break;
      }
    }
    return v;
  }
  SRangeValue* Range(SRangeValue* v) {
    if (!v) return v;
    Id(v);
    switch (r_.Below(4)) {
      case 0: Integer(v->CreateLowerIntegerValue()); break;
      case 1: Real(v->CreateLowerRealValue()); break;
      case 2: Unitless(v->CreateLowerUnitlessValue()); break;
      default: break;
    }
    switch (r_.Below(4)) {
      case 0: Integer(v->CreateUpperIntegerValue()); break;
      case 1: Real(v->CreateUpperRealValue()); break;
      case 2: Unitless(v->CreateUpperUnitlessValue()); break;
      default: break;
    }
    switch (r_.Below(4)) {
      case 0: Integer(v->CreateStepIntegerValue()); break;
      case 1: Real(v->CreateStepRealValue()); break;
      case 2: Unitless(v->CreateStepUnitlessValue()); break;
      default: break;
    }
    return v;
  }

  void Library(SLibrary* l) {
    Id(l);
    if (r_.Chance(50)) l->SetLocation(Name());
    if (r_.Chance(30)) l->SetAccessType(Int());
  }

  void Libraries() {
    for (int i = Count(2); i-- > 0;) {
      SPackageLibrary* lib = s_->CreatePackageLibrary(Name());
      Library(lib);
      for (int j = Count(3); j-- > 0;) {
        SPackage* p = lib->CreatePackage(Name());
        Decorate(p);
        p->SetType(static_cast<TavrinPackageType>(Int()));
        p->SetPower(Float());
        p->SetXLength(Int());
        p->SetYLength(Int());
        if (r_.Chance(30)) p->SetPackageLibrary(lib);
        packages_.push_back(p);
        for (int k = Count(3); k-- > 0;) {
          SPackagePin* pin = p->CreatePackagePin();
          Decorate(pin);
          pin->SetName(Name());
          pin->SetX(Int());
          pin->SetY(Int());
          packagePins_.push_back(pin);
        }
      }
    }
    for (int i = Count(2); i-- > 0;) {
      SPadStackLibrary* lib = s_->CreatePadStackLibrary(Name());
      Library(lib);
      for (int j = Count(3); j-- > 0;) {
        SPadStack* ps = lib->CreatePadStack(Name());
        Decorate(ps);
        ps->SetBottomLayer(Int());
        ps->SetTopLayer(Int());
        if (r_.Chance(50)) Unitless(ps->CreateXExtentValUnitlessValue());
        if (r_.Chance(50)) Unitless(ps->CreateYExtentValUnitlessValue());
        if (r_.Chance(30)) ps->SetPadStackLibrary(lib);
        padStacks_.push_back(ps);
        for (int k = Count(3); k-- > 0;) {
          SPad* pad = ps->CreatePad(r_.Below(4));
          Decorate(pad);
          if (r_.Chance(50)) Unitless(pad->CreateXValUnitlessValue());
          if (r_.Chance(50)) Unitless(pad->CreateYValUnitlessValue());
          pads_.push_back(pad);
        }
      }
    }
    for (int i = Count(2); i-- > 0;) {
      SPinMappingLibrary* lib = s_->CreatePinMappingLibrary(Name());
      Library(lib);
      for (int j = Count(2); j-- > 0;) {
        SPinMapping* m = lib->CreatePinMapping(Name());
        Id(m);
        for (int k = r_.Below(3); k-- > 0;) m->AddGlobalEntry(Name(), Name());
        for (int k = r_.Below(3); k-- > 0;) m->AddSlotEntry(r_.Below(3), Name(), Name());
        pinMappings_.push_back(m);
      }
    }
  }

  void Project() {
    SProject* p = s_->CreateProject(Name());
    Decorate(p);
    if (r_.Chance(50)) p->SetHostCAD(Name());
    if (r_.Chance(50)) p->SetUnits(Name());
    projects_.push_back(p);
    for (int i = Count(2); i-- > 0;) {
      SFile* f = p->CreateFile(Name());
      Id(f);
      if (r_.Chance(50)) f->SetAlias(Name());
      if (r_.Chance(50)) f->SetKind(Name());
      f->SetTimeStamp(Int());
      f->SetGMT(r_.Chance(50));
      files_.push_back(f);
    }
    for (int i = Count(3); i-- > 0;) {
      SConstraint* c = p->CreateConstraint(Name());
      Id(c);
      constraints_.push_back(c);
    }
    for (int i = Count(2); i-- > 0;) {
      SConstraintSet* cs = p->CreateConstraintSet(Name());
      Id(cs);
      constraintSets_.push_back(cs);
    }
    for (int i = Count(2); i-- > 0;) {
      SConstraintGroup* g = p->CreateConstraintGroup(Name());
      Id(g);
      constraintGroups_.push_back(g);
    }
    std::size_t first = cells_.size();
    for (int i = Count(4); i-- > 0;) cells_.push_back(p->CreateDesignCell(Name()));
    for (std::size_t i = first; i < cells_.size(); ++i) Cell(cells_[i]);
    for (int i = r_.Below(3); i-- > 0;) p->InsertTopCell(Pick(r_, cells_));
  }

  void Cell(SCell* c) {
    Decorate(c);
    if (r_.Chance(30)) c->SetInstanceCount(Int());
    if (r_.Chance(80)) {
      SInterface* iface = c->CreateInterface();
      Id(iface);
      for (int i = Count(4); i-- > 0;) Port(iface->CreatePortScalar(Name()));
      for (int i = Count(2); i-- > 0;) Port(iface->CreatePortBus(Name()));
      for (int i = Count(2); i-- > 0;) Port(iface->CreatePortBundle(Name()));
      if (r_.Chance(50)) iface->SetSwappablePort(Pick(r_, portScalars_), Pick(r_, portScalars_));
    }
    for (int i = r_.Below(2); i-- > 0;) Port(c->CreateGlobalPortPortScalar(Name()));
    for (int i = r_.Below(2); i-- > 0;) Port(c->CreateGlobalPortPortBus(Name()));
    for (int i = r_.Below(2); i-- > 0;) Port(c->CreateGlobalPortPortBundle(Name()));
    for (int i = Count(2); i-- > 0;) {
      SSlot* slot = c->CreateMemberSlotSlot(r_.Below(4));
      Decorate(slot);
      if (r_.Chance(50)) slot->SetName(Name());
      slots_.push_back(slot);
    }
    for (int i = Count(2); i-- > 0;) Representation(c->CreateConnectivityRepresentation(Name()));
    for (int i = Count(2); i-- > 0;) {
      SSchematicRepresentation* sch = c->CreateSchematicRepresentation(Name());
      Representation(sch);
      for (int j = Count(2); j-- > 0;) {
        SSchematicSheet* sheet = sch->CreateSchematicSheet(r_.Below(4));
        Decorate(sheet);
        sheet->SetNumber(Int());
        sheets_.push_back(sheet);
      }
    }
    for (int i = Count(2); i-- > 0;) Module(c->CreateModule(Name()));
    for (int i = Count(1); i-- > 0;) Part(c->CreatePart(Name()));
  }

  void Port(SPort* p) {
    if (!p) return;
    Decorate(p);
    p->SetSignalType(static_cast<TavrinPortType>(r_.Below(9)));
    if (r_.Chance(30)) p->SetbIsGlobal(true);
    if (SPortScalar* s = SPortScalar::Cast(p)) portScalars_.push_back(s);
    if (SPortBus* b = SPortBus::Cast(p)) {
      b->SetSize(r_.Below(5));
      for (int i = r_.Below(3); i-- > 0;) Range(b->CreateIndicesRangeValue());
      portBuses_.push_back(b);
    }
    if (SPortBundle* b = SPortBundle::Cast(p)) portBundles_.push_back(b);
  }

  void Representation(SRepresentation* rep) {
    Decorate(rep);
    reps_.push_back(rep);
    if (r_.Chance(50)) rep->SetUnits(Name());
    for (int i = Count(2); i-- > 0;) Net(rep->CreateNetScalar(Name()));
    for (int i = Count(1); i-- > 0;) {
      SNetBus* b = rep->CreateNetBus(Name());
      Decorate(b);
      if (r_.Chance(50)) b->SetPrefix(Name());
      if (r_.Chance(50)) b->SetSuffix(Name());
      b->SetSize(r_.Below(5));
      for (int j = r_.Below(3); j-- > 0;) ranges_.push_back(Range(b->CreateIndicesRangeValue()));
      netBuses_.push_back(b);
    }
    for (int i = Count(1); i-- > 0;) {
      SNetBundle* b = rep->CreateNetBundle(Name());
      Decorate(b);
      netBundles_.push_back(b);
    }
    for (int i = Count(2); i-- > 0;) {
      SCell* of = Pick(r_, cells_);
      SCellInstance* ci = nullptr;
      switch (r_.Below(3)) {
        case 0: ci = rep->CreateGenericCellInstance(Name(), of); break;
        case 1: ci = rep->CreateModuleInstance(Name(), of); break;
        default: ci = rep->CreatePartInstance(Name(), of); break;
      }
      CellInstance(ci);
    }
    if (every_) {
      CellInstance(rep->CreateGenericCellInstance(Name(), Pick(r_, cells_)));
      CellInstance(rep->CreateModuleInstance(Name(), Pick(r_, cells_)));
      CellInstance(rep->CreatePartInstance(Name(), Pick(r_, cells_)));
    }
    for (int i = Count(1); i-- > 0;) {
      SConfiguration* cfg = rep->CreateConfiguration(Name());
      Decorate(cfg);
      configurations_.push_back(cfg);
    }
    for (int i = Count(1); i-- > 0;) {
      SOATContext* ctx = rep->CreateOATContext(Name());
      Id(ctx);
      for (int j = Count(2); j-- > 0;) Assignment(ctx->CreateProperty(Name()));
      for (int j = r_.Below(2); j-- > 0;) Assignment(ctx->CreateAttribute(Name()));
      for (int j = r_.Below(2); j-- > 0;) Assignment(ctx->CreateConstraintInstance(Name(), Pick(r_, constraints_)));
    }
  }

  void Net(SNetScalar* n) {
    Decorate(n);
    if (r_.Chance(30)) n->SetUID(Name());
    if (r_.Chance(30)) n->SetbIsGlobal(true);
    n->SetVoltage(Float());
    n->SetbConstantVoltage(r_.Chance(30));
    nets_.push_back(n);
    for (int i = Count(2); i-- > 0;) {
      SSegment* seg = n->CreateSegment();
      Id(seg);
      seg->SetImpedance(Float());
      seg->SetVelocity(Float());
      segments_.push_back(seg);
    }
    for (int i = Count(2); i-- > 0;) {
      SPhysicalNode* node = n->CreatePhysicalNode();
      Decorate(node);
      if (r_.Chance(50)) node->SetName(Name());
      if (r_.Chance(50)) Unitless(node->CreateXValUnitlessValue());
      if (r_.Chance(50)) Unitless(node->CreateYValUnitlessValue());
      nodes_.push_back(node);
    }
    for (int i = Count(1); i-- > 0;) PinPair(n->CreatePinPair(Name()));
    for (int i = Count(1); i-- > 0;) PinPair(n->CreateDriverReceiverPair(Name()));
    for (int i = Count(2); i-- > 0;) {
      SFromTo* ft = r_.Chance(50) ? n->CreateFromTo(Name()) : n->CreateRoutedFromTo(Name());
      Decorate(ft);
      ft->SetbScheduled(r_.Chance(50));
      ft->SetbRouted(r_.Chance(50));
      ft->SetbUserDefined(r_.Chance(50));
      fromTos_.push_back(ft);
    }
    for (int i = Count(2); i-- > 0;) {
      SVirtualPin* v = n->CreateVirtualPin(Name());
      Decorate(v);
      if (r_.Chance(50)) v->SetX(Length(), Unit());
      if (r_.Chance(50)) v->SetY(Length(), Unit());
      v->SetGuidePin(r_.Chance(50));
      virtualPins_.push_back(v);
    }
  }

  void PinPair(SPinPair* pp) {
    if (!pp) return;
    Decorate(pp);
    pinPairs_.push_back(pp);
  }

  void CellInstance(SCellInstance* ci) {
    if (!ci) return;
    Decorate(ci);
    if (r_.Chance(30)) ci->SetUID(Name());
    cellInstances_.push_back(ci);
    for (int i = Count(3); i-- > 0;) {
      SPortInstanceScalar* p = ci->CreatePortInstanceScalar(Name());
      Decorate(p);
      portInstScalars_.push_back(p);
    }
    for (int i = Count(1); i-- > 0;) {
      SPortInstanceBus* b = ci->CreatePortInstanceBus(Name());
      Decorate(b);
      b->SetSize(r_.Below(5));
      for (int j = r_.Below(3); j-- > 0;) ranges_.push_back(Range(b->CreateIndicesRangeValue()));
      portInstBuses_.push_back(b);
    }
    for (int i = Count(1); i-- > 0;) {
      SPortInstanceBundle* b = ci->CreatePortInstanceBundle(Name());
      Decorate(b);
      portInstBundles_.push_back(b);
    }
    for (int i = Count(1); i-- > 0;) {
      SSlotInstance* si = ci->CreateMemberSlotInstanceSlotInstance(r_.Below(4));
      Decorate(si);
      if (r_.Chance(50)) si->SetGateName(Name());
      if (r_.Chance(50)) si->SetGateUID(Name());
      slotInstances_.push_back(si);
    }
    if (SGenericCellInstance* g = SGenericCellInstance::Cast(ci)) genericInstances_.push_back(g);
    if (SPartInstance* pi = SPartInstance::Cast(ci)) {
      if (r_.Chance(50)) pi->SetRefDes(Name());
      pi->SetLayer(Int());
      pi->SetRotation(r_.Below(720) - 360);
      if (r_.Chance(70)) pi->SetX(Length(), Unit());
      if (r_.Chance(70)) pi->SetY(Length(), Unit());
      partInstances_.push_back(pi);
      for (int i = Count(3); i-- > 0;) {
        SPartPinInstance* ppi = pi->CreatePartPinInstance(Name());
        Decorate(ppi);
        if (r_.Chance(30)) ppi->SetDrillOverride(Name());
        if (r_.Chance(30)) ppi->SetPadStackOverride(Name());
        if (r_.Chance(50)) ppi->SetX(Length(), Unit());
        if (r_.Chance(50)) ppi->SetY(Length(), Unit());
        partPinInstances_.push_back(ppi);
      }
      for (int i = Count(1); i-- > 0;) {
        SEbdPin* e = pi->CreateEbdPin(Name());
        Decorate(e);
        if (r_.Chance(50)) e->SetGroup(Name());
        ebdPins_.push_back(e);
      }
    }
  }

  void Module(SModule* m) {
    Representation(m);
    modules_.push_back(m);
    for (int i = Count(2); i-- > 0;) {
      SElectricalNet* e = m->CreateElectricalNet(Name());
      Decorate(e);
      e->SetbDiffPair(r_.Chance(50));
      for (int j = Count(1); j-- > 0;) PinPair(e->CreatePinPair(Name()));
      for (int j = r_.Below(2); j-- > 0;) PinPair(e->CreateConnPinPair(Name()));
      electricalNets_.push_back(e);
    }
    for (int i = Count(1); i-- > 0;) PinPair(m->CreatePinPair(Name()));
    for (int i = Count(1); i-- > 0;) {
      SDiffPair* d = m->CreateDiffPair2(Name(), Pick(r_, electricalNets_), Pick(r_, electricalNets_));
      if (!d) d = m->SPhysicalRepresentation::CreateDiffPair(Name());
      if (!d) continue;
      Decorate(d);
      for (int j = r_.Below(2); j-- > 0;) PinPair(d->CreatePinPair(Name()));
      for (int j = r_.Below(2); j-- > 0;) PinPair(d->CreateDiffPinPair(Name()));
    }
    if (r_.Chance(30)) m->CreateDiffPair(Pick(r_, nets_), Pick(r_, nets_));
    for (int i = Count(1); i-- > 0;) {
      SObjectType* t = m->CreateObjectType(Name());
      if (!t) continue;
      Id(t);
      for (int j = Count(2); j-- > 0;) {
        SObject* o = t->CreateObject(Name());
        Decorate(o);
        o->SetLevel(Name());
        o->SetCompObj(r_.Chance(50));
        if (SObject* child = o->CreateObject(Name())) Decorate(child);
      }
    }
    for (int i = Count(1); i-- > 0;) {
      SCondRule* rule = m->CreateCondRule(Name(), static_cast<SCondRule::CondRuleObjType>(r_.Below(8)), Name(),
                                          static_cast<SCondRule::CondRuleObjType>(r_.Below(8)));
      if (!rule) continue;
      Id(rule);
      for (int j = Count(1); j-- > 0;)
        if (SRuleSet* rs = rule->CreateRuleSet(Name())) Decorate(rs);
    }
    if (r_.Chance(every_ ? 100 : 70)) {
      SLayout* layout = m->CreateLayout();
      Id(layout);
      if (r_.Chance(every_ ? 100 : 80)) StackUp(layout->CreateStackUp());
    }
  }

  void StackUp(SStackUp* su) {
    if (!su) return;
    Id(su);
    if (r_.Chance(50)) su->SetName(Name());
    stackUps_.push_back(su);
    std::vector<SLayer*> layers;
    for (int i = Count(3); i-- > 0;) {
      SLayer* l = su->CreateLayer(r_.Below(5));
      Decorate(l);
      if (r_.Chance(50)) l->SetType(Name());
      if (r_.Chance(50)) l->SetConductor(Name());
      if (r_.Chance(50)) l->SetDielectricName(Name());
      l->SetDielectricConstant(Float());
      if (r_.Chance(50)) l->SetThickness(Length(), Unit());
      if (r_.Chance(50)) l->SetViaDiameter(Length(), Unit());
      layers.push_back(l);
      layers_.push_back(l);
      for (int j = Count(2); j-- > 0;) {
        SSignalRegion* sr = l->CreateSignalRegion(Name());
        Decorate(sr);
        if (r_.Chance(50)) sr->SetTLF(Length(), Unit());
        if (r_.Chance(50)) sr->SetTraceSpacing(Length(), Unit());
        if (r_.Chance(50)) sr->SetTraceWidth(Length(), Unit());
        regions_.push_back(sr);
      }
      for (int j = Count(1); j-- > 0;) {
        SPowerPlaneRegion* pr = l->CreatePowerPlaneRegion(Name());
        Decorate(pr);
        if (r_.Chance(50)) pr->SetType(Name());
        regions_.push_back(pr);
        powerRegions_.push_back(pr);
      }
      for (int j = Count(1); j-- > 0;) {
        SInsulatorRegion* ir = l->CreateInsulatorRegion(Name());
        Decorate(ir);
        regions_.push_back(ir);
      }
    }
    su->SetTopLayer(Pick(r_, layers));
    su->SetBottomLayer(Pick(r_, layers));
    for (SLayer* l : layers) {
      if (r_.Chance(70)) l->SetNextLayer(Pick(r_, layers));
      if (r_.Chance(50)) l->SetStackUp(su);
    }
  }

  void Part(SPart* p) {
    Decorate(p);
    p->SetType(static_cast<TavrinPartType>(r_.Below(8)));
    parts_.push_back(p);
    for (int i = Count(3); i-- > 0;) {
      SPartPin* pin = p->CreatePartPin(Name());
      Decorate(pin);
      pin->SetX(Int());
      pin->SetY(Int());
      partPins_.push_back(pin);
    }
    for (int i = r_.Below(3); i-- > 0;) PinPair(p->CreatePinPair(Name()));
    for (int i = r_.Below(2); i-- > 0;) p->AddDiscretePinPair(Name());
  }

  // References between the objects made: each drawn from all of its kind.
  void References() {
    for (SConstraint* c : constraints_) {
      if (r_.Chance(50)) c->SetBasis(Pick(r_, values_));
      if (r_.Chance(50)) c->SetDefaultValue(Pick(r_, values_));
    }
    for (SConstraintSet* cs : constraintSets_) {
      for (int i = r_.Below(3); i-- > 0;)
        if (SConstraint* c = Pick(r_, constraints_)) cs->SetConstraint(c->GetName(), c);
      for (int i = r_.Below(2); i-- > 0;) cs->InsertTargetSet(Pick(r_, constraintSets_));
    }
    for (SConstraintGroup* g : constraintGroups_)
      for (int i = r_.Below(3); i-- > 0;)
        if (SConstraintSet* cs = Pick(r_, constraintSets_)) g->SetConstraintSet(cs->GetName(), cs);
    for (SCell* c : cells_) {
      if (r_.Chance(50)) c->SetDefaultRepresentation(Pick(r_, reps_));
      if (r_.Chance(30)) c->InsertAggregateSlot(Pick(r_, slots_));
    }
    for (SSlot* s : slots_) {
      if (r_.Chance(50)) s->SetMemberCell(Pick(r_, cells_));
      if (r_.Chance(50)) s->SetAggregateCell(Pick(r_, cells_));
    }
    for (SPortScalar* p : portScalars_) {
      if (r_.Chance(30)) p->InsertPortBus(Pick(r_, portBuses_));
      if (r_.Chance(30)) p->InsertPortBundle(Pick(r_, portBundles_));
      if (r_.Chance(30)) p->InsertPortScalarFan(Pick(r_, portScalars_));
    }
    for (SPortBus* b : portBuses_) {
      for (int i = r_.Below(3); i-- > 0;) b->SetPortScalar(r_.Below(4), Pick(r_, portScalars_));
      if (r_.Chance(30) && !b->GetAllIndiceses().empty()) b->SetSubPortBus(*b->GetAllIndiceses().begin(), Pick(r_, portBuses_));
    }
    for (SPortBundle* b : portBundles_)
      for (int i = r_.Below(3); i-- > 0;) b->InsertPort(Pick(r_, portScalars_));
    for (SRepresentation* rep : reps_) {
      if (r_.Chance(50)) rep->InsertFile(Pick(r_, files_));
      if (r_.Chance(50)) rep->SetDefaultConfiguration(Pick(r_, configurations_));
    }
    for (SConfiguration* cfg : configurations_)
      for (int i = r_.Below(3); i-- > 0;) cfg->SetSelectedRepresentation(Pick(r_, cellInstances_), Pick(r_, reps_));
    for (SSchematicSheet* sheet : sheets_) {
      for (int i = r_.Below(3); i-- > 0;) sheet->InsertGenericCellInstance(Pick(r_, genericInstances_));
      for (int i = r_.Below(3); i-- > 0;) sheet->InsertNet(Pick(r_, nets_));
    }
    for (SGenericCellInstance* g : genericInstances_)
      if (r_.Chance(50)) g->SetSchematicSheet(Pick(r_, sheets_));
    for (SCellInstance* ci : cellInstances_)
      if (r_.Chance(30)) ci->SetAggregateSlotInstance(Pick(r_, reps_), Pick(r_, slotInstances_));
    for (SSlotInstance* si : slotInstances_) {
      if (r_.Chance(50)) si->SetSlot(Pick(r_, slots_));
      if (r_.Chance(50)) si->SetMemberCellInstance(Pick(r_, cellInstances_));
      if (r_.Chance(50)) si->SetAggregateCellInstance(Pick(r_, cellInstances_));
    }
    for (SPortInstanceScalar* p : portInstScalars_) {
      if (r_.Chance(70)) p->SetPort(Pick(r_, portScalars_));
      if (r_.Chance(50)) {
        SNetScalar* n = Pick(r_, nets_);
        p->SetNetScalar(n);
        if (n && r_.Chance(90)) n->InsertPortInstanceScalar(p);
      }
      if (r_.Chance(30)) p->SetPhysicalNode(Pick(r_, nodes_));
      if (r_.Chance(50)) p->SetPartPinInstance(Pick(r_, partPinInstances_));
      if (r_.Chance(30)) p->InsertPortInstanceBus(Pick(r_, portInstBuses_));
      if (r_.Chance(30)) p->InsertPortInstanceBundle(Pick(r_, portInstBundles_));
      if (r_.Chance(every_ ? 100 : 10)) {
        SConnectorPinInstance* cpi = new (s_->GetHeap()) SConnectorPinInstance();
        cpi->SetName(Name());
        Id(cpi);
        cpi->SetPortInstanceScalar(p);
        p->SetConnectorPinInstance(cpi);
      }
    }
    for (SPortInstanceBus* b : portInstBuses_) {
      if (r_.Chance(50)) b->SetPort(Pick(r_, portBuses_));
      for (int i = r_.Below(3); i-- > 0;) b->SetPortInstanceScalar(r_.Below(4), Pick(r_, portInstScalars_));
      if (r_.Chance(30) && !b->GetAllIndiceses().empty())
        b->SetSubPortInstanceBus(*b->GetAllIndiceses().begin(), Pick(r_, portInstBuses_));
    }
    for (SPortInstanceBundle* b : portInstBundles_) {
      if (r_.Chance(50)) b->SetPort(Pick(r_, portBundles_));
      for (int i = r_.Below(3); i-- > 0;) b->InsertPortInstance(Pick(r_, portInstScalars_));
    }
    for (SNetScalar* n : nets_) {
      if (r_.Chance(30)) n->InsertNetBus(Pick(r_, netBuses_));
      if (r_.Chance(30)) n->InsertNetBundle(Pick(r_, netBundles_));
      if (r_.Chance(30)) n->InsertPowerPlaneRegion(Pick(r_, powerRegions_));
      if (r_.Chance(30)) n->InsertSchematicSheet(Pick(r_, sheets_));
      if (r_.Chance(30)) n->InsertDriverReceiverPair(Pick(r_, pinPairs_));
      if (r_.Chance(30)) n->SetElectricalNet(Pick(r_, electricalNets_));
      if (r_.Chance(20)) n->SetVictimSegment(Pick(r_, segments_), Pick(r_, segments_));
    }
    for (SNetBus* b : netBuses_) {
      for (int i = r_.Below(3); i-- > 0;) b->SetNetScalar(r_.Below(4), Pick(r_, nets_));
      if (r_.Chance(30) && !b->GetAllIndiceses().empty()) b->SetSubNetBus(*b->GetAllIndiceses().begin(), Pick(r_, netBuses_));
    }
    for (SNetBundle* b : netBundles_)
      for (int i = r_.Below(3); i-- > 0;) b->InsertNet(r_.Chance(50) ? static_cast<SNet*>(Pick(r_, nets_)) : Pick(r_, netBuses_));
    for (SSegment* seg : segments_) {
      if (r_.Chance(50)) seg->InsertEndpoint(Pick(r_, nodes_));
      if (r_.Chance(30)) seg->SetRegion(Pick(r_, regions_));
      if (r_.Chance(30)) seg->SetVictimNet(Pick(r_, nets_));
    }
    for (SPhysicalNode* node : nodes_) {
      if (r_.Chance(30)) node->InsertSegment(Pick(r_, segments_));
      if (r_.Chance(30)) node->SetPortInstanceScalar(Pick(r_, portInstScalars_));
      if (r_.Chance(30)) node->SetPadStack(Pick(r_, padStacks_));
      if (r_.Chance(30)) node->SetVirtualPin(Pick(r_, virtualPins_));
    }
    for (SPinPair* pp : pinPairs_) {
      for (int i = r_.Below(3); i-- > 0;) pp->InsertPin(Pin());
      if (r_.Chance(30)) pp->SetNetScalar(Pick(r_, nets_));
      if (r_.Chance(30)) pp->SetElectricalNet(Pick(r_, electricalNets_));
    }
    for (SFromTo* ft : fromTos_) {
      for (int i = r_.Below(3); i-- > 0;) ft->InsertPin(Pin());
      if (r_.Chance(30)) ft->InsertSegment(Pick(r_, segments_));
    }
    for (SVirtualPin* v : virtualPins_) {
      if (r_.Chance(30)) v->InsertPin(Pick(r_, partInstances_));
      if (r_.Chance(30)) v->SetPhysicalNode(Pick(r_, nodes_));
    }
    for (SEbdPin* e : ebdPins_)
      if (r_.Chance(50)) e->InsertPin(Pick(r_, partPinInstances_));
    for (SElectricalNet* e : electricalNets_) {
      for (int i = r_.Below(3); i-- > 0;) e->InsertNetScalar(Pick(r_, nets_));
      if (r_.Chance(30)) e->InsertElectricalNet(Pick(r_, electricalNets_));
      if (r_.Chance(30)) e->InsertDriverReceiverPair(Pick(r_, pinPairs_));
      if (r_.Chance(20)) e->SetElectricalNet(Pick(r_, electricalNets_));
    }
    for (SModule* m : modules_)
      for (int i = r_.Below(3); i-- > 0;)
        if (SPartInstance* pi = Pick(r_, partInstances_)) m->SetPartInstance(pi->GetName(), pi);
    for (SPart* p : parts_) {
      for (int i = r_.Below(3); i-- > 0;)
        if (SPackage* pk = Pick(r_, packages_)) p->SetPackage(pk->GetName(), pk);
      for (int i = r_.Below(3); i-- > 0;)
        if (SPinMapping* pm = Pick(r_, pinMappings_)) p->SetPinMapping(pm->GetName(), pm);
      if (r_.Chance(50)) p->SetSelectedPackage(Pick(r_, packages_));
      if (r_.Chance(50)) p->SetSelectedMapping(Pick(r_, pinMappings_));
    }
    for (SPartPin* pin : partPins_)
      if (r_.Chance(50)) pin->SetPackagePin(Pick(r_, packagePins_));
    for (SPartPinInstance* ppi : partPinInstances_) {
      if (r_.Chance(50)) ppi->SetPartPin(Pick(r_, partPins_));
      if (r_.Chance(50)) ppi->SetPortInstanceScalar(Pick(r_, portInstScalars_));
      if (r_.Chance(30)) ppi->SetPadStack(Pick(r_, padStacks_));
    }
    for (SPadStack* ps : padStacks_) {
      if (r_.Chance(30)) ps->SetPartPinInstance(Pick(r_, partPinInstances_));
      if (r_.Chance(30)) ps->SetPhysicalNode(Pick(r_, nodes_));
      if (r_.Chance(30)) ps->SetStackUp(Pick(r_, stackUps_));
    }
    for (SPad* pad : pads_)
      for (int i = r_.Below(3); i-- > 0;) pad->InsertRegion(Pick(r_, regions_));
    for (SStackUp* su : stackUps_)
      for (int i = r_.Below(3); i-- > 0;) su->InsertPadStack(Pick(r_, padStacks_));
  }

  SPin* Pin() {
    switch (r_.Below(3)) {
      case 0: return Pick(r_, portInstScalars_);
      case 1: return Pick(r_, virtualPins_);
      default: return Pick(r_, ebdPins_);
    }
  }

  static void Forget(const TavrinObject* o) {
    if (building_) building_->ForEachList([o](auto& v) {
      v.erase(std::remove_if(v.begin(), v.end(), [o](const auto* p) { return tavrin::AsObject(p) == o; }), v.end());
    });
  }
  template <class F>
  void ForEachList(F f) {
    f(projects_);
    f(files_);
    f(constraints_);
    f(constraintSets_);
    f(constraintGroups_);
    f(values_);
    f(ranges_);
    f(cells_);
    f(portScalars_);
    f(portBuses_);
    f(portBundles_);
    f(slots_);
    f(reps_);
    f(modules_);
    f(configurations_);
    f(sheets_);
    f(cellInstances_);
    f(genericInstances_);
    f(partInstances_);
    f(portInstScalars_);
    f(portInstBuses_);
    f(portInstBundles_);
    f(slotInstances_);
    f(partPinInstances_);
    f(ebdPins_);
    f(nets_);
    f(netBuses_);
    f(netBundles_);
    f(segments_);
    f(nodes_);
    f(pinPairs_);
    f(fromTos_);
    f(virtualPins_);
    f(electricalNets_);
    f(stackUps_);
    f(layers_);
    f(regions_);
    f(powerRegions_);
    f(parts_);
    f(partPins_);
    f(packages_);
    f(packagePins_);
    f(padStacks_);
    f(pads_);
    f(pinMappings_);
  }
  static thread_local Builder* building_;

  Rng r_;
  bool every_;
  SSession* s_ = nullptr;
  std::vector<SProject*> projects_;
  std::vector<SFile*> files_;
  std::vector<SConstraint*> constraints_;
  std::vector<SConstraintSet*> constraintSets_;
  std::vector<SConstraintGroup*> constraintGroups_;
  std::vector<SValue*> values_;
  std::vector<SRangeValue*> ranges_;
  std::vector<SCell*> cells_;
  std::vector<SPortScalar*> portScalars_;
  std::vector<SPortBus*> portBuses_;
  std::vector<SPortBundle*> portBundles_;
  std::vector<SSlot*> slots_;
  std::vector<SRepresentation*> reps_;
  std::vector<SModule*> modules_;
  std::vector<SConfiguration*> configurations_;
  std::vector<SSchematicSheet*> sheets_;
  std::vector<SCellInstance*> cellInstances_;
  std::vector<SGenericCellInstance*> genericInstances_;
  std::vector<SPartInstance*> partInstances_;
  std::vector<SPortInstanceScalar*> portInstScalars_;
  std::vector<SPortInstanceBus*> portInstBuses_;
  std::vector<SPortInstanceBundle*> portInstBundles_;
  std::vector<SSlotInstance*> slotInstances_;
  std::vector<SPartPinInstance*> partPinInstances_;
  std::vector<SEbdPin*> ebdPins_;
  std::vector<SNetScalar*> nets_;
  std::vector<SNetBus*> netBuses_;
  std::vector<SNetBundle*> netBundles_;
  std::vector<SSegment*> segments_;
  std::vector<SPhysicalNode*> nodes_;
  std::vector<SPinPair*> pinPairs_;
  std::vector<SFromTo*> fromTos_;
  std::vector<SVirtualPin*> virtualPins_;
  std::vector<SElectricalNet*> electricalNets_;
  std::vector<SStackUp*> stackUps_;
  std::vector<SLayer*> layers_;
  std::vector<SRegion*> regions_;
  std::vector<SPowerPlaneRegion*> powerRegions_;
  std::vector<SPart*> parts_;
  std::vector<SPartPin*> partPins_;
  std::vector<SPackage*> packages_;
  std::vector<SPackagePin*> packagePins_;
  std::vector<SPadStack*> padStacks_;
  std::vector<SPad*> pads_;
  std::vector<SPinMapping*> pinMappings_;
};

thread_local Builder* Builder::building_ = nullptr;

}  // namespace

SSession* BuildRandomModel(std::uint64_t seed, bool everyClass) { return Builder(seed, everyClass).Build(); }

}  // namespace tavrin_test
