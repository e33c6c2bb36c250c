// The random session: the ownership tree first, then references drawn from everything made.
#include "random_model.h"

#include <algorithm>
#include <cfloat>
#include <climits>
#include <functional>
#include <vector>

#include <tavrin/tavrin.h>

namespace tavrin_test {
namespace {

// splitmix64: the same stream on every platform and standard library.
struct Rng {
  std::uint64_t state;
  std::uint64_t Next() {
    std::uint64_t z = (state += 0x9e3779b97f4a7c15ull);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ull;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebull;
    return z ^ (z >> 31);
  }
  int Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
  bool Chance(int percent) { return Below(100) < percent; }
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
auto SetIdIf(T* o, long id, int) -> decltype(o->SetId(id), void()) { o->SetId(id); }
template <class T>
void SetIdIf(T*, long, long) {}

template <class T>
using Made = std::vector<T*>;

class Builder {
 public:
  Builder(std::uint64_t seed, bool every) : r_{seed}, every_(every) {}

  SSession* Build() {
    s_ = AllocSession();
    if (!s_) return nullptr;
    // A value the library deletes (replaced by a new one) leaves values_; nothing else is deleted.
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
    const int extremes[] = {INT_MIN, INT_MAX, 0, -1};
    int k = r_.Below(6);
    return k < 4 ? extremes[k] : static_cast<int>(r_.Next() % 200001) - 100000;
  }
  float Float() {
    const float extremes[] = {0.0f, -1.5f, FLT_MAX, 1e-7f};
    int k = r_.Below(6);
    return k < 4 ? extremes[k] : static_cast<float>(static_cast<int>(r_.Next() % 2000001) - 1000000) / 1000.0f;
  }
  double Length() { return static_cast<double>(r_.Below(200000)) / 100.0; }
  g_TavrinUnitType Unit() { return static_cast<g_TavrinUnitType>(r_.Below(7)); }
  template <class T>
  T* Id(T* o) {
    if (o && r_.Chance(50)) SetIdIf(o, Int(), 0);
    return o;
  }

  template <class T>
  T* Decorate(T* o) {
    SDesignElement* e = o;
    Opt(30, Id(e), &SDesignElement::SetPinNum, &SDesignElement::SetClientFlags);
    for (int i = Count(2); i-- > 0;) Assignment(e->CreateAttribute(Name()));
    if (r_.Chance(30)) e->SetAttribute(Name(), Int());
    if (r_.Chance(30)) e->SetConstraint(Name(), Float(), Int());
    for (int i = every_ ? 1 : r_.Below(2); i-- > 0;)
      if (SConstraintInstance* ci = e->CreateConstraintInstance(Name(), Pick(r_, constraints_)))
        ci->SetDrcCode(Int()), Assignment(ci);
    return o;
  }
  // Lists a new object, decorated (Add) or given an identifier (Keep).
  template <class L, class T>
  T* Add(L& list, T* o) { list.push_back(Decorate(o)); return o; }
  template <class L, class T>
  T* Keep(L& list, T* o) { Id(o); list.push_back(o); return o; }
  void Assignment(SAssignment* a) {
    if (!Id(a)) return;
    if (r_.Chance(30)) a->SetIsGlobal(true);
    if (SValue* v = Value(a, every_ ? 8 : 9, 2)) values_.push_back(v);
  }
  // A value of a random kind made by an assignment or a list; none past the kinds.
  template <class H>
  SValue* Value(H* h, int kinds, int depth) {
    switch (r_.Below(kinds)) {
      case 0: return Opt(100, Id(h->CreateEnumeratedValue()), &SEnumeratedValue::SetName, &SEnumeratedValue::SetValue);
      case 1: return Val(h->CreateBooleanValue(), r_.Chance(50));
      case 2: return Val(h->CreateStringValue(), Name());
      case 3: return Val(h->CreateIntegerValue(), Int());
      case 4: return Val(h->CreateRealValue(), Float());
      case 5: return Val(h->CreateUnitlessValue(), Int());
      case 6: return Range(h->CreateRangeValue());
      case 7: return List(h->CreateListValue(), depth - 1);
      default: return nullptr;
    }
  }
  template <class V, class X>
  V* Val(V* v, X x) {
    if (v) v->SetValue(x), Id(v);
    return v;
  }
  SValue* List(SListValue* v, int depth) {
    if (!Id(v)) return v;
    for (int i = r_.Below(4); i-- > 0;) Value(v, depth > 0 ? 8 : 7, depth);
    return v;
  }
  SRangeValue* Range(SRangeValue* v) {
    if (!Id(v)) return v;
    for (int b = 0; b < 3; ++b) {
      int kind = r_.Below(4);
      if (kind == 0) Val(b == 0 ? v->CreateLowerIntegerValue() : b == 1 ? v->CreateUpperIntegerValue() : v->CreateStepIntegerValue(), Int());
      if (kind == 1) Val(b == 0 ? v->CreateLowerRealValue() : b == 1 ? v->CreateUpperRealValue() : v->CreateStepRealValue(), Float());
      if (kind == 2) Val(b == 0 ? v->CreateLowerUnitlessValue() : b == 1 ? v->CreateUpperUnitlessValue() : v->CreateStepUnitlessValue(), Int());
    }
    return v;
  }

  // Values drawn by the type a setter takes.
  const char* Draw(const char*) { return Name(); }
  int Draw(int) { return Int(); }
  long Draw(long) { return Int(); }
  float Draw(float) { return Float(); }
  double Draw(double) { return Float(); }
  bool Draw(bool) { return r_.Chance(50); }
  template <class T, class C, class R, class A>
  void Draw(int percent, T* o, R (C::*set)(A)) { if (r_.Chance(percent)) (o->*set)(Draw(std::decay_t<A>())); }
  template <class T, class C, class R>
  void Draw(int percent, T* o, R (C::*set)(double, g_TavrinUnitType)) { if (r_.Chance(percent)) (o->*set)(Length(), Unit()); }
  // Calls each setter of a non-null object, with the given chance, with a drawn value (or length and unit).
  template <class T, class... S>
  T* Opt(int percent, T* o, S... setters) { if (o) (Draw(percent, o, setters), ...); return o; }

  // Libraries made by `create`, each with up to `n` members made by `member`.
  template <class L, class F>
  void Libraries(L* (SSession::*create)(const char*), int n, F member) {
    for (int i = Count(2); i-- > 0;) {
      L* lib = (s_->*create)(Name());
      Id(static_cast<SLibrary*>(lib)), Opt(50, lib, &SLibrary::SetLocation), Opt(30, lib, &SLibrary::SetAccessType);
      for (int j = Count(n); j-- > 0;) member(lib);
    }
  }
  void Libraries() {
    Libraries(&SSession::CreatePackageLibrary, 3, [this](SPackageLibrary* lib) {
      SPackage* p = Opt(100, Add(packages_, lib->CreatePackage(Name())), &SPackage::SetPower, &SPackage::SetXLength,
                        &SPackage::SetYLength);
      p->SetType(static_cast<TavrinPackageType>(Int()));
      if (r_.Chance(30)) p->SetPackageLibrary(lib);
      for (int k = Count(3); k-- > 0;)
        Opt(100, Add(packagePins_, p->CreatePackagePin()), &SPackagePin::SetName, &SPackagePin::SetX, &SPackagePin::SetY);
    });
    Libraries(&SSession::CreatePadStackLibrary, 3, [this](SPadStackLibrary* lib) {
      SPadStack* ps =
          Opt(100, Add(padStacks_, lib->CreatePadStack(Name())), &SPadStack::SetBottomLayer, &SPadStack::SetTopLayer);
      Unitless(ps, &SPadStack::CreateXExtentValUnitlessValue, &SPadStack::CreateYExtentValUnitlessValue);
      if (r_.Chance(30)) ps->SetPadStackLibrary(lib);
      for (int k = Count(3); k-- > 0;) XY(Add(pads_, ps->CreatePad(r_.Below(4))));
    });
    Libraries(&SSession::CreatePinMappingLibrary, 2, [this](SPinMappingLibrary* lib) {
      SPinMapping* m = Keep(pinMappings_, lib->CreatePinMapping(Name()));
      for (int k = r_.Below(3); k-- > 0;) m->AddGlobalEntry(Name(), Name());
      for (int k = r_.Below(3); k-- > 0;) m->AddSlotEntry(r_.Below(3), Name(), Name());
    });
  }
  template <class T, class... C>
  void Unitless(T* o, C... create) { ((r_.Chance(50) ? void(Val((o->*create)(), Int())) : void()), ...); }
  template <class T>
  void XY(T* o) { Unitless(o, &T::CreateXValUnitlessValue, &T::CreateYValUnitlessValue); }

  void Project() {
    SProject* p = Opt(50, Decorate(s_->CreateProject(Name())), &SProject::SetHostCAD, &SProject::SetUnits);
    for (int i = Count(2); i-- > 0;)
      Opt(100, Opt(50, Keep(files_, p->CreateFile(Name())), &SFile::SetAlias, &SFile::SetKind), &SFile::SetTimeStamp,
          &SFile::SetGMT);
    for (int i = Count(3); i-- > 0;) Keep(constraints_, p->CreateConstraint(Name()));
    for (int i = Count(2); i-- > 0;) Keep(constraintSets_, p->CreateConstraintSet(Name()));
    for (int i = Count(2); i-- > 0;) Keep(constraintGroups_, p->CreateConstraintGroup(Name()));
    std::size_t first = cells_.size();
    for (int i = Count(4); i-- > 0;) cells_.push_back(p->CreateDesignCell(Name()));
    for (std::size_t i = first; i < cells_.size(); ++i) Cell(cells_[i]);
    for (int i = r_.Below(3); i-- > 0;) p->InsertTopCell(Pick(r_, cells_));
  }

  void Cell(SCell* c) {
    Opt(30, Decorate(c), &SCell::SetInstanceCount);
    if (r_.Chance(80)) {
      SInterface* iface = Id(c->CreateInterface());
      for (int i = Count(4); i-- > 0;) Port(iface->CreatePortScalar(Name()));
      for (int i = Count(2); i-- > 0;) Port(iface->CreatePortBus(Name()));
      for (int i = Count(2); i-- > 0;) Port(iface->CreatePortBundle(Name()));
      if (r_.Chance(50)) iface->SetSwappablePort(Pick(r_, portScalars_), Pick(r_, portScalars_));
    }
    for (int i = r_.Below(2); i-- > 0;) Port(c->CreateGlobalPortPortScalar(Name()));
    for (int i = r_.Below(2); i-- > 0;) Port(c->CreateGlobalPortPortBus(Name()));
    for (int i = r_.Below(2); i-- > 0;) Port(c->CreateGlobalPortPortBundle(Name()));
    for (int i = Count(2); i-- > 0;) Opt(50, Add(slots_, c->CreateMemberSlotSlot(r_.Below(4))), &SSlot::SetName);
    for (int i = Count(2); i-- > 0;) Representation(c->CreateConnectivityRepresentation(Name()));
    for (int i = Count(2); i-- > 0;) {
      SSchematicRepresentation* sch = c->CreateSchematicRepresentation(Name());
      Representation(sch);
      for (int j = Count(2); j-- > 0;)
        Opt(100, Add(sheets_, sch->CreateSchematicSheet(r_.Below(4))), &SSchematicSheet::SetNumber);
    }
    for (int i = Count(2); i-- > 0;) Module(c->CreateModule(Name()));
    for (int i = Count(1); i-- > 0;) Part(c->CreatePart(Name()));
  }

  void Port(SPort* p) {
    if (!p) return;
    Decorate(p)->SetSignalType(static_cast<TavrinPortType>(r_.Below(9)));
    if (r_.Chance(30)) p->SetbIsGlobal(true);
    if (SPortScalar* s = SPortScalar::Cast(p)) portScalars_.push_back(s);
    if (SPortBus* b = SPortBus::Cast(p)) portBuses_.push_back(Indices(b));
    if (SPortBundle* b = SPortBundle::Cast(p)) portBundles_.push_back(b);
  }
  template <class B>
  B* Indices(B* b) {
    b->SetSize(r_.Below(5));
    for (int i = r_.Below(3); i-- > 0;) Range(b->CreateIndicesRangeValue());
    return b;
  }

  void Representation(SRepresentation* rep) {
    reps_.push_back(Decorate(rep));
    Opt(50, rep, &SRepresentation::SetUnits);
    for (int i = Count(2); i-- > 0;) Net(rep->CreateNetScalar(Name()));
    for (int i = Count(1); i-- > 0;)
      Indices(Opt(50, Add(netBuses_, rep->CreateNetBus(Name())), &SNetBus::SetPrefix, &SNetBus::SetSuffix));
    for (int i = Count(1); i-- > 0;) Add(netBundles_, rep->CreateNetBundle(Name()));
    for (int i = Count(2) + (every_ ? 3 : 0); i-- > 0;) {
      SCell* of = Pick(r_, cells_);
      switch (every_ && i < 3 ? i : r_.Below(3)) {  // every kind once for a model of every class
        case 0: CellInstance(rep->CreateGenericCellInstance(Name(), of)); break;
        case 1: CellInstance(rep->CreateModuleInstance(Name(), of)); break;
        default: CellInstance(rep->CreatePartInstance(Name(), of)); break;
      }
    }
    for (int i = Count(1); i-- > 0;) Add(configurations_, rep->CreateConfiguration(Name()));
    for (int i = Count(1); i-- > 0;) {
      SOATContext* ctx = Id(rep->CreateOATContext(Name()));
      for (int j = Count(2); j-- > 0;) Assignment(ctx->CreateProperty(Name()));
      for (int j = r_.Below(2); j-- > 0;) Assignment(ctx->CreateAttribute(Name()));
      for (int j = r_.Below(2); j-- > 0;) Assignment(ctx->CreateConstraintInstance(Name(), Pick(r_, constraints_)));
    }
  }

  void Net(SNetScalar* n) {
    Opt(30, Decorate(n), &SNetScalar::SetUID, &SNetScalar::SetbIsGlobal);
    Opt(100, n, &SNetScalar::SetVoltage, &SNetScalar::SetbConstantVoltage);
    nets_.push_back(n);
    for (int i = Count(2); i-- > 0;)
      Opt(100, Keep(segments_, n->CreateSegment()), &SSegment::SetImpedance, &SSegment::SetVelocity);
    for (int i = Count(2); i-- > 0;) XY(Opt(50, Add(nodes_, n->CreatePhysicalNode()), &SPhysicalNode::SetName));
    for (int i = Count(1); i-- > 0;) PinPair(n->CreatePinPair(Name()));
    for (int i = Count(1); i-- > 0;) PinPair(n->CreateDriverReceiverPair(Name()));
    for (int i = Count(2); i-- > 0;)
      Opt(100, Add(fromTos_, r_.Chance(50) ? n->CreateFromTo(Name()) : n->CreateRoutedFromTo(Name())),
          &SFromTo::SetbScheduled, &SFromTo::SetbRouted, &SFromTo::SetbUserDefined);
    for (int i = Count(2); i-- > 0;)
      Opt(100, Opt(50, Add(virtualPins_, n->CreateVirtualPin(Name())), &SVirtualPin::SetX, &SVirtualPin::SetY),
          &SVirtualPin::SetGuidePin);
  }

  void PinPair(SPinPair* pp) { if (pp) Add(pinPairs_, pp); }

  void CellInstance(SCellInstance* ci) {
    if (!ci) return;
    Opt(30, Decorate(ci), &SCellInstance::SetUID);
    cellInstances_.push_back(ci);
    for (int i = Count(3); i-- > 0;) Add(portInstScalars_, ci->CreatePortInstanceScalar(Name()));
    for (int i = Count(1); i-- > 0;) Indices(Add(portInstBuses_, ci->CreatePortInstanceBus(Name())));
    for (int i = Count(1); i-- > 0;) Add(portInstBundles_, ci->CreatePortInstanceBundle(Name()));
    for (int i = Count(1); i-- > 0;)
      Opt(50, Add(slotInstances_, ci->CreateMemberSlotInstanceSlotInstance(r_.Below(4))),
          &SSlotInstance::SetGateName, &SSlotInstance::SetGateUID);
    if (SGenericCellInstance* g = SGenericCellInstance::Cast(ci)) genericInstances_.push_back(g);
    SPartInstance* pi = SPartInstance::Cast(ci);
    if (!pi) return;
    Opt(50, pi, &SPartInstance::SetRefDes), Opt(100, pi, &SPartInstance::SetLayer);
    pi->SetRotation(r_.Below(720) - 360);
    Opt(70, pi, &SPartInstance::SetX, &SPartInstance::SetY);
    partInstances_.push_back(pi);
    for (int i = Count(3); i-- > 0;)
      Opt(50, Opt(30, Add(partPinInstances_, pi->CreatePartPinInstance(Name())), &SPartPinInstance::SetDrillOverride,
                  &SPartPinInstance::SetPadStackOverride),
          &SPartPinInstance::SetX, &SPartPinInstance::SetY);
    for (int i = Count(1); i-- > 0;) Opt(50, Add(ebdPins_, pi->CreateEbdPin(Name())), &SEbdPin::SetGroup);
  }

  void Module(SModule* m) {
    Representation(m);
    modules_.push_back(m);
    for (int i = Count(2); i-- > 0;) {
      SElectricalNet* e = Opt(100, Add(electricalNets_, m->CreateElectricalNet(Name())), &SElectricalNet::SetbDiffPair);
      for (int j = Count(1); j-- > 0;) PinPair(e->CreatePinPair(Name()));
      for (int j = r_.Below(2); j-- > 0;) PinPair(e->CreateConnPinPair(Name()));
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
      SObjectType* t = Id(m->CreateObjectType(Name()));
      if (!t) continue;
      for (int j = Count(2); j-- > 0;) {
        SObject* o = Opt(100, Decorate(t->CreateObject(Name())), &SObject::SetLevel, &SObject::SetCompObj);
        if (SObject* child = o->CreateObject(Name())) Decorate(child);
      }
    }
    for (int i = Count(1); i-- > 0;) {
      SCondRule* rule = m->CreateCondRule(Name(), static_cast<SCondRule::CondRuleObjType>(r_.Below(8)), Name(),
                                          static_cast<SCondRule::CondRuleObjType>(r_.Below(8)));
      if (!Id(rule)) continue;
      for (int j = Count(1); j-- > 0;)
        if (SRuleSet* rs = rule->CreateRuleSet(Name())) Decorate(rs);
    }
    if (r_.Chance(every_ ? 100 : 70)) {
      SLayout* layout = Id(m->CreateLayout());
      if (r_.Chance(every_ ? 100 : 80)) StackUp(layout->CreateStackUp());
    }
  }

  void StackUp(SStackUp* su) {
    if (!Id(su)) return;
    stackUps_.push_back(Opt(50, su, &SStackUp::SetName));
    std::vector<SLayer*> layers;
    for (int i = Count(3); i-- > 0;) {
      SLayer* l = Opt(50, Add(layers, su->CreateLayer(r_.Below(5))), &SLayer::SetType, &SLayer::SetConductor,
                      &SLayer::SetDielectricName, &SLayer::SetThickness, &SLayer::SetViaDiameter);
      Opt(100, l, &SLayer::SetDielectricConstant);
      for (int j = Count(2); j-- > 0;)
        Opt(50, Add(regions_, l->CreateSignalRegion(Name())), &SSignalRegion::SetTLF, &SSignalRegion::SetTraceSpacing,
            &SSignalRegion::SetTraceWidth);
      for (int j = Count(1); j-- > 0;)
        powerRegions_.push_back(Opt(50, Add(regions_, l->CreatePowerPlaneRegion(Name())), &SPowerPlaneRegion::SetType));
      for (int j = Count(1); j-- > 0;) Add(regions_, l->CreateInsulatorRegion(Name()));
    }
    su->SetTopLayer(Pick(r_, layers)), su->SetBottomLayer(Pick(r_, layers));
    for (SLayer* l : layers) {
      if (r_.Chance(70)) l->SetNextLayer(Pick(r_, layers));
      if (r_.Chance(50)) l->SetStackUp(su);
    }
  }

  void Part(SPart* p) {
    Decorate(p)->SetType(static_cast<TavrinPartType>(r_.Below(8)));
    parts_.push_back(p);
    for (int i = Count(3); i-- > 0;) Opt(100, Add(partPins_, p->CreatePartPin(Name())), &SPartPin::SetX, &SPartPin::SetY);
    for (int i = r_.Below(3); i-- > 0;) PinPair(p->CreatePinPair(Name()));
    for (int i = r_.Below(2); i-- > 0;) p->AddDiscretePinPair(Name());
  }

  // Each object of `of` links, with the given chance (0: none to two), one drawn from `from`.
  template <class T, class U, class F>
  void Link(const std::vector<T*>& of, int percent, const std::vector<U*>& from, F link) {
    for (T* o : of)
      for (int i = percent ? r_.Chance(percent) : r_.Below(3); i-- > 0;) std::invoke(link, o, Pick(r_, from));
  }
  template <class T, class U, class F>
  void Keyed(const std::vector<T*>& of, const std::vector<U*>& from, F link) {
    Link(of, 0, from, [&](T* o, U* u) { if (u) std::invoke(link, o, u->GetName(), u); });
  }
  // Bus members at indices 0 to 3, and a sub-bus of the same kind at the first index range.
  template <class B, class M, class F, class G>
  void Bus(const std::vector<B*>& of, const std::vector<M*>& members, F member, G sub) {
    Link(of, 0, members, [&](B* b, M* m) { std::invoke(member, b, r_.Below(4), m); });
    Link(of, 30, of, [&](B* b, B* s) {
      if (!b->GetAllIndiceses().empty()) std::invoke(sub, b, *b->GetAllIndiceses().begin(), s);
    });
  }

  void References() {
    Link(constraints_, 50, values_, &SConstraint::SetBasis);
    Link(constraints_, 50, values_, &SConstraint::SetDefaultValue);
    Keyed(constraintSets_, constraints_, &SConstraintSet::SetConstraint);
    Link(constraintSets_, 0, constraintSets_, &SConstraintSet::InsertTargetSet);
    Keyed(constraintGroups_, constraintSets_, &SConstraintGroup::SetConstraintSet);
    Link(cells_, 50, reps_, &SCell::SetDefaultRepresentation);
    Link(cells_, 30, slots_, &SCell::InsertAggregateSlot);
    Link(slots_, 50, cells_, &SSlot::SetMemberCell);
    Link(slots_, 50, cells_, &SSlot::SetAggregateCell);
    Link(portScalars_, 30, portBuses_, &SPortScalar::InsertPortBus);
    Link(portScalars_, 30, portBundles_, &SPortScalar::InsertPortBundle);
    Link(portScalars_, 30, portScalars_, &SPortScalar::InsertPortScalarFan);
    Bus(portBuses_, portScalars_, &SPortBus::SetPortScalar, &SPortBus::SetSubPortBus);
    Link(portBundles_, 0, portScalars_, &SPortBundle::InsertPort);
    Link(reps_, 50, files_, &SRepresentation::InsertFile);
    Link(reps_, 50, configurations_, &SRepresentation::SetDefaultConfiguration);
    Link(configurations_, 0, cellInstances_,
         [this](SConfiguration* c, SCellInstance* ci) { c->SetSelectedRepresentation(ci, Pick(r_, reps_)); });
    Link(sheets_, 0, genericInstances_, &SSchematicSheet::InsertGenericCellInstance);
    Link(sheets_, 0, nets_, &SSchematicSheet::InsertNet);
    Link(genericInstances_, 50, sheets_, &SGenericCellInstance::SetSchematicSheet);
    Link(cellInstances_, 30, reps_, [this](SCellInstance* ci, SRepresentation* rep) {
      ci->SetAggregateSlotInstance(rep, Pick(r_, slotInstances_));
    });
    Link(slotInstances_, 50, slots_, &SSlotInstance::SetSlot);
    Link(slotInstances_, 50, cellInstances_, &SSlotInstance::SetMemberCellInstance);
    Link(slotInstances_, 50, cellInstances_, &SSlotInstance::SetAggregateCellInstance);
    Link(portInstScalars_, 70, portScalars_, [](SPortInstanceScalar* p, SPortScalar* s) { p->SetPort(s); });
    Link(portInstScalars_, 50, nets_, [this](SPortInstanceScalar* p, SNetScalar* n) {
      p->SetNetScalar(n);
      if (n && r_.Chance(90)) n->InsertPortInstanceScalar(p);
    });
    Link(portInstScalars_, 30, nodes_, &SPortInstanceScalar::SetPhysicalNode);
    Link(portInstScalars_, 50, partPinInstances_, &SPortInstanceScalar::SetPartPinInstance);
    Link(portInstScalars_, 30, portInstBuses_, &SPortInstanceScalar::InsertPortInstanceBus);
    Link(portInstScalars_, 30, portInstBundles_, &SPortInstanceScalar::InsertPortInstanceBundle);
    for (SPortInstanceScalar* p : portInstScalars_) {
      if (!r_.Chance(every_ ? 100 : 10)) continue;
      SConnectorPinInstance* cpi = new (s_->GetHeap()) SConnectorPinInstance();
      cpi->SetName(Name());
      Id(cpi)->SetPortInstanceScalar(p);
      p->SetConnectorPinInstance(cpi);
    }
    Link(portInstBuses_, 50, portBuses_, [](SPortInstanceBus* b, SPortBus* p) { b->SetPort(p); });
    Bus(portInstBuses_, portInstScalars_, &SPortInstanceBus::SetPortInstanceScalar, &SPortInstanceBus::SetSubPortInstanceBus);
    Link(portInstBundles_, 50, portBundles_, [](SPortInstanceBundle* b, SPortBundle* p) { b->SetPort(p); });
    Link(portInstBundles_, 0, portInstScalars_, &SPortInstanceBundle::InsertPortInstance);
    Link(nets_, 30, netBuses_, &SNetScalar::InsertNetBus);
    Link(nets_, 30, netBundles_, &SNetScalar::InsertNetBundle);
    Link(nets_, 30, powerRegions_, &SNetScalar::InsertPowerPlaneRegion);
    Link(nets_, 30, sheets_, &SNetScalar::InsertSchematicSheet);
    Link(nets_, 30, pinPairs_, &SNetScalar::InsertDriverReceiverPair);
    Link(nets_, 30, electricalNets_, &SNetScalar::SetElectricalNet);
    Link(nets_, 20, segments_, [this](SNetScalar* n, SSegment* s) { n->SetVictimSegment(s, Pick(r_, segments_)); });
    Bus(netBuses_, nets_, &SNetBus::SetNetScalar, &SNetBus::SetSubNetBus);
    Link(netBundles_, 0, nets_, [this](SNetBundle* b, SNetScalar* n) {
      b->InsertNet(r_.Chance(50) ? static_cast<SNet*>(n) : Pick(r_, netBuses_));
    });
    Link(segments_, 50, nodes_, &SSegment::InsertEndpoint);
    Link(segments_, 30, regions_, &SSegment::SetRegion);
    Link(segments_, 30, nets_, &SSegment::SetVictimNet);
    Link(nodes_, 30, segments_, &SPhysicalNode::InsertSegment);
    Link(nodes_, 30, portInstScalars_, &SPhysicalNode::SetPortInstanceScalar);
    Link(nodes_, 30, padStacks_, &SPhysicalNode::SetPadStack);
    Link(nodes_, 30, virtualPins_, &SPhysicalNode::SetVirtualPin);
    Link(pinPairs_, 0, pinPairs_, [this](SPinPair* pp, SPinPair*) { pp->InsertPin(Pin()); });
    Link(pinPairs_, 30, nets_, &SPinPair::SetNetScalar);
    Link(pinPairs_, 30, electricalNets_, &SPinPair::SetElectricalNet);
    Link(fromTos_, 0, fromTos_, [this](SFromTo* ft, SFromTo*) { ft->InsertPin(Pin()); });
    Link(fromTos_, 30, segments_, &SFromTo::InsertSegment);
    Link(virtualPins_, 30, partInstances_, &SVirtualPin::InsertPin);
    Link(virtualPins_, 30, nodes_, &SVirtualPin::SetPhysicalNode);
    Link(ebdPins_, 50, partPinInstances_, &SEbdPin::InsertPin);
    Link(electricalNets_, 0, nets_, &SElectricalNet::InsertNetScalar);
    Link(electricalNets_, 30, electricalNets_, &SElectricalNet::InsertElectricalNet);
    Link(electricalNets_, 30, pinPairs_, &SElectricalNet::InsertDriverReceiverPair);
    Link(electricalNets_, 20, electricalNets_, &SElectricalNet::SetElectricalNet);
    Keyed(modules_, partInstances_, &SModule::SetPartInstance);
    Keyed(parts_, packages_, &SPart::SetPackage);
    Keyed(parts_, pinMappings_, &SPart::SetPinMapping);
    Link(parts_, 50, packages_, &SPart::SetSelectedPackage);
    Link(parts_, 50, pinMappings_, &SPart::SetSelectedMapping);
    Link(partPins_, 50, packagePins_, &SPartPin::SetPackagePin);
    Link(partPinInstances_, 50, partPins_, &SPartPinInstance::SetPartPin);
    Link(partPinInstances_, 50, portInstScalars_, &SPartPinInstance::SetPortInstanceScalar);
    Link(partPinInstances_, 30, padStacks_, &SPartPinInstance::SetPadStack);
    Link(padStacks_, 30, partPinInstances_, &SPadStack::SetPartPinInstance);
    Link(padStacks_, 30, nodes_, &SPadStack::SetPhysicalNode);
    Link(padStacks_, 30, stackUps_, &SPadStack::SetStackUp);
    Link(pads_, 0, regions_, &SPad::InsertRegion);
    Link(stackUps_, 0, padStacks_, &SStackUp::InsertPadStack);
  }

  SPin* Pin() {
    const int k = r_.Below(3);
    if (k == 0) return Pick(r_, portInstScalars_);
    return k == 1 ? static_cast<SPin*>(Pick(r_, virtualPins_)) : Pick(r_, ebdPins_);
  }

  static void Forget(const TavrinObject* o) {
    if (!building_) return;
    Made<SValue>& v = building_->values_;
    v.erase(std::remove_if(v.begin(), v.end(), [o](SValue* x) { return tavrin::AsObject(x) == o; }), v.end());
  }
  static inline thread_local Builder* building_ = nullptr;

  Rng r_;
  bool every_;
  SSession* s_ = nullptr;
  Made<SFile> files_; Made<SConstraint> constraints_; Made<SConstraintSet> constraintSets_;
  Made<SConstraintGroup> constraintGroups_; Made<SValue> values_; Made<SCell> cells_; Made<SPortScalar> portScalars_;
  Made<SPortBus> portBuses_; Made<SPortBundle> portBundles_; Made<SSlot> slots_; Made<SRepresentation> reps_;
  Made<SModule> modules_; Made<SConfiguration> configurations_; Made<SSchematicSheet> sheets_;
  Made<SCellInstance> cellInstances_; Made<SGenericCellInstance> genericInstances_; Made<SPartInstance> partInstances_;
  Made<SPortInstanceScalar> portInstScalars_; Made<SPortInstanceBus> portInstBuses_;
  Made<SPortInstanceBundle> portInstBundles_; Made<SSlotInstance> slotInstances_;
  Made<SPartPinInstance> partPinInstances_; Made<SEbdPin> ebdPins_; Made<SNetScalar> nets_; Made<SNetBus> netBuses_;
  Made<SNetBundle> netBundles_; Made<SSegment> segments_; Made<SPhysicalNode> nodes_; Made<SPinPair> pinPairs_;
  Made<SFromTo> fromTos_; Made<SVirtualPin> virtualPins_; Made<SElectricalNet> electricalNets_;
  Made<SStackUp> stackUps_; Made<SRegion> regions_; Made<SPowerPlaneRegion> powerRegions_; Made<SPart> parts_;
  Made<SPartPin> partPins_; Made<SPackage> packages_; Made<SPackagePin> packagePins_; Made<SPadStack> padStacks_;
  Made<SPad> pads_; Made<SPinMapping> pinMappings_;
};

}  // namespace

SSession* BuildRandomModel(std::uint64_t seed, bool everyClass) { return Builder(seed, everyClass).Build(); }

}  // namespace tavrin_test
