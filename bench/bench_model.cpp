// The whole model on a generated board (bench/board_generator.h) of 10^5
// and 10^6 objects: build, save, restore (and once more into freed memory), driver-receiver pairs and
// teardown timed, side by side in the same process with
//   std         the same objects in std containers with new/delete
//               (build and teardown baseline, bytes per object)
//   raw write   the saved bytes written in 64 KiB writes to a temporary
//               file, synced and renamed as Save does (save limit)
//   bare read   the saved file read with the same 64 KiB reads, every line
//               converted (numbers parsed, texts measured), nothing built
//               (restore limit)
//   SQLite      the same rows in one transaction, synced and renamed into
//               place, and loaded back into plain rows (when built with it)
// Each run is a fresh child process (memory figures do not inherit freed
// memory); the ratios are printed per run, then their min and median.
//
//   bench_model [RUNS [FOLDER]]     (default: 3 runs in /tmp)
//   bench_model --phase build|save|restore SIZE [FOLDER]
//                                   that phase alone, five times, for a profiler
#include <fcntl.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#ifdef TAVRIN_BENCH_SQLITE
#include <sqlite3.h>
#endif

#include "bench/board_generator.h"
#include "design/session_files.h"
#include "platform/private_heap.h"
#include "tavrin/tavrin.h"

#include "bench/bench_common.h"

namespace {

using tavrin_bench::Now;
using tavrin_bench::Slurp;
using tavrin_bench::StatusKb;
using tavrin_bench::SyncFolder;

using tavrin_bench::BoardPlan;

double CpuSeconds() {
  struct rusage u;
  getrusage(RUSAGE_SELF, &u);
  return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}
long Rss() { return StatusKb("VmRSS:") * 1024; }
long Peak() { return StatusKb("VmHWM:") * 1024; }
long MallocBytes() {
  struct mallinfo2 m = mallinfo2();
  return static_cast<long>(m.uordblks + m.hblkhd);
}

// ---- the std baseline: the same objects, texts as std::string ----------------------------

struct StdObject {
  virtual ~StdObject() = default;
  std::string name;
  int32_t id = 0;
  std::map<std::string, std::unique_ptr<StdObject>> attributes;  // attribute -> its value
};
struct StdValue : StdObject {
  std::string text;
  int32_t number = 0;
};
struct StdPort : StdObject {
  int signalType = 0;
};
struct StdPackagePin : StdObject {
  int x = 0, y = 0;
};
struct StdPackage : StdObject {
  int xLength = 0, yLength = 0;
  std::vector<std::unique_ptr<StdPackagePin>> pins;
};
struct StdPartPin : StdObject {
  int x = 0, y = 0;
  StdPackagePin* packagePin = nullptr;
};
struct StdPart : StdObject {
  int type = 0;
  std::map<std::string, StdPackage*> packages;
  std::map<std::string, std::unique_ptr<StdPartPin>> pins;
};
struct StdCell : StdObject {
  std::map<std::string, std::unique_ptr<StdPort>> ports;  // the interface
  std::unique_ptr<StdObject> interface;
  std::map<std::string, std::unique_ptr<StdPart>> parts;
};
struct StdPad : StdObject {
  int layer = 0;
};
struct StdPadStack : StdObject {
  int bottom = 0, top = 0;
  std::map<int, std::unique_ptr<StdPad>> pads;
};
struct StdNet;
struct StdPinInstance;
struct StdPortInstance : StdObject {
  StdPort* port = nullptr;
  StdNet* net = nullptr;
  StdPinInstance* pin = nullptr;
};
struct StdPinInstance : StdObject {
  StdPartPin* partPin = nullptr;
  StdPortInstance* port = nullptr;
  StdPadStack* padStack = nullptr;
};
struct StdPartInstance : StdObject {
  StdCell* cell = nullptr;
  std::string refDes;
  int x = 0, y = 0, rotation = 0, layer = 0;
  std::map<std::string, std::unique_ptr<StdPortInstance>> ports;
  std::map<std::string, std::unique_ptr<StdPinInstance>> pins;
};
struct StdNet : StdObject {
  float voltage = 0;
  bool constant = false;
  std::vector<StdPortInstance*> pins;
  std::map<std::string, std::unique_ptr<StdObject>> constraints;
  StdObject* electrical = nullptr;
};
struct StdBus : StdObject {
  std::vector<StdNet*> bits;
};
struct StdElectricalNet : StdObject {
  std::vector<StdNet*> nets;
};
struct StdRegion : StdObject {
  int kind = 0;
};
struct StdLayer : StdObject {
  std::map<std::string, std::unique_ptr<StdRegion>> regions;
};
struct StdModule : StdObject {
  std::map<std::string, std::unique_ptr<StdPartInstance>> instances;
  std::map<std::string, std::unique_ptr<StdNet>> nets;
  std::map<std::string, std::unique_ptr<StdBus>> buses;
  std::map<std::string, std::unique_ptr<StdElectricalNet>> electrical;
  std::map<std::string, std::unique_ptr<StdObject>> diffPairs;
  std::unique_ptr<StdObject> layout, stackUp;
  std::map<int, std::unique_ptr<StdLayer>> layers;
};
struct StdBoard : StdObject {
  std::map<std::string, std::unique_ptr<StdCell>> cells;
  std::map<std::string, std::unique_ptr<StdPackage>> packages;
  std::map<std::string, std::unique_ptr<StdPadStack>> padStacks;
  std::unique_ptr<StdModule> module;
};

template <class T>
T* Put(std::map<std::string, std::unique_ptr<T>>& map, const std::string& name) {
  std::unique_ptr<T>& slot = map[name];
  slot.reset(new T);
  slot->name = name;
  return slot.get();
}

std::unique_ptr<StdBoard> BuildStd(const BoardPlan& plan) {
  std::unique_ptr<StdBoard> b(new StdBoard);
  b->name = "board";
  std::vector<StdPadStack*> padStacks;
  for (const std::string& name : plan.padStacks) {
    StdPadStack* ps = Put(b->padStacks, name);
    ps->bottom = 1;
    ps->top = plan.layers;
    for (int l : {1, plan.layers}) {
      ps->pads[l].reset(new StdPad);
      ps->pads[l]->layer = l;
    }
    padStacks.push_back(ps);
  }
  std::vector<StdCell*> cells;
  std::vector<StdPart*> parts;
  for (const BoardPlan::PartType& t : plan.parts) {
    StdCell* cell = Put(b->cells, t.name);
    cell->interface.reset(new StdObject);
    StdPart* part = Put(cell->parts, t.name);
    part->type = t.partType;
    StdPackage* package = Put(b->packages, t.name);
    package->xLength = 100 * t.pins;
    package->yLength = 60 + 10 * t.pins;
    part->packages[t.name] = package;
    for (int p = 0; p < t.pins; ++p) {
      std::string pin = std::to_string(p + 1);
      Put(cell->ports, pin)->signalType = t.signalTypes[static_cast<std::size_t>(p)];
      package->pins.emplace_back(new StdPackagePin);
      StdPackagePin* pp = package->pins.back().get();
      pp->name = pin;
      pp->x = 50 * (p / 2);
      pp->y = p % 2 ? 100 : 0;
      StdPartPin* partPin = Put(part->pins, pin);
      partPin->x = pp->x;
      partPin->y = pp->y;
      partPin->packagePin = pp;
    }
    cells.push_back(cell);
    parts.push_back(part);
  }
  Put(b->cells, "top");
  b->module.reset(new StdModule);
  StdModule& m = *b->module;
  m.name = "board";
  m.layout.reset(new StdObject);
  m.stackUp.reset(new StdObject);
  for (int l = 1; l <= plan.layers; ++l) {
    std::unique_ptr<StdLayer>& layer = m.layers[l];
    layer.reset(new StdLayer);
    std::string n = std::to_string(l);
    Put(layer->regions, (l == 2 || l == plan.layers - 1 ? "P" : "S") + n)->kind = 1;
    Put(layer->regions, "I" + n)->kind = 2;
  }
  std::vector<StdPartInstance*> instances;
  instances.reserve(plan.instances.size());
  for (const BoardPlan::Instance& in : plan.instances) {
    const BoardPlan::PartType& t = plan.parts[static_cast<std::size_t>(in.part)];
    StdCell* cell = cells[static_cast<std::size_t>(in.part)];
    StdPart* part = parts[static_cast<std::size_t>(in.part)];
    StdPartInstance* pi = Put(m.instances, in.name);
    pi->cell = cell;
    pi->refDes = in.name;
    pi->x = in.x;
    pi->y = in.y;
    pi->rotation = in.rotation * 1000;
    pi->layer = in.layer;
    StdValue* v = new StdValue;
    v->text = in.value;
    pi->attributes["VALUE"].reset(v);
    for (int p = 0; p < t.pins; ++p) {
      std::string pin = std::to_string(p + 1);
      StdPortInstance* at = Put(pi->ports, pin);
      StdPinInstance* ppi = Put(pi->pins, pin);
      at->port = cell->ports[pin].get();
      ppi->partPin = part->pins[pin].get();
      ppi->port = at;
      ppi->padStack = padStacks[static_cast<std::size_t>(t.padStack)];
      at->pin = ppi;
    }
    instances.push_back(pi);
  }
  std::vector<StdNet*> nets;
  nets.reserve(plan.nets.size());
  for (const BoardPlan::Net& n : plan.nets) {
    StdNet* net = Put(m.nets, n.name);
    if (n.power) {
      net->voltage = n.name == "VCC" ? 3.3f : 0.0f;
      net->constant = true;
    }
    if (n.maxLength) {
      StdValue* c = new StdValue;
      c->number = n.maxLength;
      net->constraints["MAX_LENGTH"].reset(c);
    }
    for (const std::pair<int, int>& pin : n.pins) {
      StdPortInstance* at = instances[static_cast<std::size_t>(pin.first)]->ports[std::to_string(pin.second + 1)].get();
      net->pins.push_back(at);
      at->net = net;
    }
    nets.push_back(net);
  }
  for (std::size_t i = 0; i < plan.buses.size(); ++i) {
    StdBus* bus = Put(m.buses, "BUS" + std::to_string(i));
    for (int n : plan.buses[i]) bus->bits.push_back(nets[static_cast<std::size_t>(n)]);
  }
  for (const std::pair<int, int>& e : plan.electricalNets) {
    StdNet* a = nets[static_cast<std::size_t>(e.first)];
    StdNet* c = nets[static_cast<std::size_t>(e.second)];
    StdElectricalNet* en = Put(m.electrical, "E_" + a->name);
    en->nets = {a, c};
    a->electrical = c->electrical = en;
  }
  Put(m.diffPairs, "DP0");
  return b;
}

// ---- the limits: raw write and bare read ---------------------------------------------------

void RawWrite(const std::string& bytes, const std::string& path) {
  std::string tmp = path + ".tmp";
  int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) std::abort();
  const std::size_t chunk = 64 * 1024;
  for (std::size_t at = 0; at < bytes.size(); at += chunk) {
    std::size_t n = std::min(chunk, bytes.size() - at);
    if (write(fd, bytes.data() + at, n) != static_cast<ssize_t>(n)) std::abort();
  }
  fsync(fd);
  close(fd);
  std::rename(tmp.c_str(), path.c_str());
  SyncFolder(path);
}

// Reads the file in 64 KiB reads and converts every line: a number line to
// its value, a text line to its length. Returns a checksum.
long long BareRead(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) std::abort();
  const std::size_t chunk = 64 * 1024;
  std::vector<char> buf(chunk + 4096);
  std::size_t carry = 0;
  long long sum = 0;
  off_t pos = 0;
  for (;;) {
    ssize_t r = pread(fd, buf.data() + carry, chunk, pos);
    if (r <= 0) break;
    pos += r;
    const char* p = buf.data();
    const char* end = buf.data() + carry + static_cast<std::size_t>(r);
    for (;;) {
      const char* lf = static_cast<const char*>(std::memchr(p, '\n', static_cast<std::size_t>(end - p)));
      if (!lf) break;
      const char* q = p;
      bool negative = *q == '-';
      if (negative) ++q;
      long long v = 0;
      while (q < lf && static_cast<unsigned>(*q - '0') < 10) v = v * 10 + (*q++ - '0');
      sum += q == lf ? (negative ? -v : v) : lf - p;
      p = lf + 1;
    }
    carry = static_cast<std::size_t>(end - p);
    if (carry > 4096) carry = 0;  // a longer line than the board holds: dropped
    std::memmove(buf.data(), p, carry);
  }
  close(fd);
  return sum;
}

// ---- the peer: SQLite ---------------------------------------------------------------------

#ifdef TAVRIN_BENCH_SQLITE
void Exec(sqlite3* db, const char* sql) {
  char* err = nullptr;
  if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
    std::fprintf(stderr, "sqlite: %s\n", err ? err : "?");
    std::abort();
  }
}

// The board's rows: one per object, its references as columns.
void SqliteSave(const BoardPlan& plan, const std::string& path) {
  std::string tmp = path + ".tmp";
  std::remove(tmp.c_str());
  sqlite3* db = nullptr;
  if (sqlite3_open(tmp.c_str(), &db) != SQLITE_OK) std::abort();
  Exec(db,
       "CREATE TABLE part(id INTEGER PRIMARY KEY, name TEXT, type INT, padstack INT);"
       "CREATE TABLE pin(part INT, name TEXT, signal INT, x INT, y INT);"
       "CREATE TABLE padstack(id INTEGER PRIMARY KEY, name TEXT, bottom INT, top INT);"
       "CREATE TABLE instance(id INTEGER PRIMARY KEY, part INT, name TEXT, refdes TEXT, x INT, y INT,"
       " rotation INT, layer INT, value TEXT);"
       "CREATE TABLE pininstance(instance INT, pin INT, name TEXT, net INT);"
       "CREATE TABLE net(id INTEGER PRIMARY KEY, name TEXT, power INT, maxlength INT, bus INT, electrical INT);");
  Exec(db, "BEGIN");
  sqlite3_stmt* st = nullptr;
  auto prepare = [&](const char* sql) {
    sqlite3_finalize(st);
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) std::abort();
  };
  auto step = [&] {
    if (sqlite3_step(st) != SQLITE_DONE) std::abort();
    sqlite3_reset(st);
  };
  prepare("INSERT INTO padstack VALUES(?,?,?,?)");
  for (std::size_t i = 0; i < plan.padStacks.size(); ++i) {
    sqlite3_bind_int(st, 1, static_cast<int>(i));
    sqlite3_bind_text(st, 2, plan.padStacks[i].c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_int(st, 3, 1);
    sqlite3_bind_int(st, 4, plan.layers);
    step();
  }
  prepare("INSERT INTO part VALUES(?,?,?,?)");
  for (std::size_t i = 0; i < plan.parts.size(); ++i) {
    sqlite3_bind_int(st, 1, static_cast<int>(i));
    sqlite3_bind_text(st, 2, plan.parts[i].name.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_int(st, 3, plan.parts[i].partType);
    sqlite3_bind_int(st, 4, plan.parts[i].padStack);
    step();
  }
  prepare("INSERT INTO pin VALUES(?,?,?,?,?)");
  for (std::size_t i = 0; i < plan.parts.size(); ++i)
    for (int p = 0; p < plan.parts[i].pins; ++p) {
      std::string name = std::to_string(p + 1);
      sqlite3_bind_int(st, 1, static_cast<int>(i));
      sqlite3_bind_text(st, 2, name.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int(st, 3, plan.parts[i].signalTypes[static_cast<std::size_t>(p)]);
      sqlite3_bind_int(st, 4, 50 * (p / 2));
      sqlite3_bind_int(st, 5, p % 2 ? 100 : 0);
      step();
    }
  prepare("INSERT INTO instance VALUES(?,?,?,?,?,?,?,?,?)");
  for (std::size_t i = 0; i < plan.instances.size(); ++i) {
    const BoardPlan::Instance& in = plan.instances[i];
    sqlite3_bind_int(st, 1, static_cast<int>(i));
    sqlite3_bind_int(st, 2, in.part);
    sqlite3_bind_text(st, 3, in.name.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_text(st, 4, in.name.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_int(st, 5, in.x);
    sqlite3_bind_int(st, 6, in.y);
    sqlite3_bind_int(st, 7, in.rotation * 1000);
    sqlite3_bind_int(st, 8, in.layer);
    sqlite3_bind_text(st, 9, in.value.c_str(), -1, SQLITE_STATIC);
    step();
  }
  std::vector<int> bus(plan.nets.size(), -1), electrical(plan.nets.size(), -1);
  for (std::size_t b = 0; b < plan.buses.size(); ++b)
    for (int n : plan.buses[b]) bus[static_cast<std::size_t>(n)] = static_cast<int>(b);
  for (std::size_t e = 0; e < plan.electricalNets.size(); ++e) {
    electrical[static_cast<std::size_t>(plan.electricalNets[e].first)] = static_cast<int>(e);
    electrical[static_cast<std::size_t>(plan.electricalNets[e].second)] = static_cast<int>(e);
  }
  std::vector<int> netOf;
  std::vector<std::size_t> firstPin(plan.instances.size() + 1, 0);
  for (std::size_t i = 0; i < plan.instances.size(); ++i)
    firstPin[i + 1] = firstPin[i] + static_cast<std::size_t>(plan.parts[static_cast<std::size_t>(plan.instances[i].part)].pins);
  netOf.assign(firstPin.back(), -1);
  prepare("INSERT INTO net VALUES(?,?,?,?,?,?)");
  for (std::size_t n = 0; n < plan.nets.size(); ++n) {
    const BoardPlan::Net& net = plan.nets[n];
    sqlite3_bind_int(st, 1, static_cast<int>(n));
    sqlite3_bind_text(st, 2, net.name.c_str(), -1, SQLITE_STATIC);
    sqlite3_bind_int(st, 3, net.power);
    sqlite3_bind_int(st, 4, net.maxLength);
    sqlite3_bind_int(st, 5, bus[n]);
    sqlite3_bind_int(st, 6, electrical[n]);
    step();
    for (const std::pair<int, int>& pin : net.pins)
      netOf[firstPin[static_cast<std::size_t>(pin.first)] + static_cast<std::size_t>(pin.second)] = static_cast<int>(n);
  }
  prepare("INSERT INTO pininstance VALUES(?,?,?,?)");
  for (std::size_t i = 0; i < plan.instances.size(); ++i)
    for (std::size_t p = 0; p < firstPin[i + 1] - firstPin[i]; ++p) {
      std::string name = std::to_string(p + 1);
      sqlite3_bind_int(st, 1, static_cast<int>(i));
      sqlite3_bind_int(st, 2, static_cast<int>(p));
      sqlite3_bind_text(st, 3, name.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_int(st, 4, netOf[firstPin[i] + p]);
      step();
    }
  sqlite3_finalize(st);
  Exec(db, "COMMIT");
  sqlite3_close(db);
  std::rename(tmp.c_str(), path.c_str());
  SyncFolder(path);
}

// Loads every row back into plain rows; returns the rows read.
long SqliteLoad(const std::string& path) {
  sqlite3* db = nullptr;
  if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) std::abort();
  struct Row {
    long long a[9];
    std::string t[3];
  };
  std::vector<Row> rows;
  for (const char* sql : {"SELECT * FROM padstack", "SELECT * FROM part", "SELECT * FROM pin", "SELECT * FROM instance",
                          "SELECT * FROM pininstance", "SELECT * FROM net"}) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) std::abort();
    int columns = sqlite3_column_count(st);
    while (sqlite3_step(st) == SQLITE_ROW) {
      Row r{};
      int texts = 0;
      for (int c = 0; c < columns && c < 9; ++c) {
        if (sqlite3_column_type(st, c) == SQLITE_TEXT && texts < 3)
          r.t[texts++].assign(reinterpret_cast<const char*>(sqlite3_column_text(st, c)),
                              static_cast<std::size_t>(sqlite3_column_bytes(st, c)));
        else r.a[c] = sqlite3_column_int64(st, c);
      }
      rows.push_back(std::move(r));
    }
    sqlite3_finalize(st);
  }
  sqlite3_close(db);
  return static_cast<long>(rows.size());
}
#endif

// ---- one run ------------------------------------------------------------------------------

struct Figures {
  long objects = 0;        // entries of the saved object table
  long fileBytes = 0;
  double build = 0, save = 0, restore = 0, pairs = 0, teardown = 0;
  double restoreAgain = 0;  // into memory the process freed just before
  double stdBuild = 0, stdTeardown = 0, raw = 0, bare = 0;
  double sqlSave = -1, sqlLoad = -1;
  long bytes = 0, stdBytes = 0;  // allocated by the build
  long peak = 0;                 // peak resident growth of the whole run
  int pairsResult = 0;
};

long TableCount(const std::string& bytes) {
  std::size_t at = bytes.find("\n@@@@\n");
  return at == std::string::npos ? 0 : std::atol(bytes.c_str() + at + 6);
}

Figures Run(long size, const std::string& folder) {
  Figures f;
  BoardPlan plan = tavrin_bench::PlanBoard(size, 13);
  std::string path = folder + "/bench-model-" + std::to_string(size) + "-" + std::to_string(getpid()) + ".tvn";
  long rss0 = Rss();

  long malloc0 = MallocBytes();
  double t = Now();
  std::unique_ptr<StdBoard> board = BuildStd(plan);
  f.stdBuild = Now() - t;
  f.stdBytes = MallocBytes() - malloc0;
  t = Now();
  board.reset();
  f.stdTeardown = Now() - t;

  SSession* s = AllocSession();
  t = Now();
  if (tavrin_bench::BuildBoard(s, plan) < 0) std::abort();
  f.build = Now() - t;
  f.bytes = static_cast<long>(tavrin::HeapBytesInUse(s->GetHeap()->heap));

  t = Now();
  if (s->Save(path.c_str()) != 1) std::abort();
  f.save = Now() - t;
  std::string bytes = Slurp(path);
  f.fileBytes = static_cast<long>(bytes.size());
  f.objects = TableCount(bytes);

  std::string copy = path + ".raw";
  t = Now();
  RawWrite(bytes, copy);
  f.raw = Now() - t;
  std::remove(copy.c_str());
  bytes = std::string();

  t = Now();
  long long sum = BareRead(path);
  f.bare = Now() - t;
  if (sum == 42) std::puts("");

  SSession* r = AllocSession();
  t = Now();
  if (!tavrin::SessionFiles::Restore(*r, path.c_str(), nullptr, false)) std::abort();
  f.restore = Now() - t;

  SProject* project = r->GetProject("board");
  SCell* top = project && !project->GetAllTopCells().empty() ? *project->GetAllTopCells().begin() : nullptr;
  SModule* module = top && !top->GetAllModules().empty() ? *top->GetAllModules().begin() : nullptr;
  if (!module) std::abort();
  t = Now();
  f.pairsResult = module->CreateAllDriverReceiverPairs(100);
  f.pairs = Now() - t;
  delete r;

  // Restore needs as much fresh memory as the board took; on a virtual
  // machine the first touch of memory new to the process dominates. The
  // same restore into the memory just freed shows the rest.
  r = AllocSession();
  t = Now();
  if (!tavrin::SessionFiles::Restore(*r, path.c_str(), nullptr, false)) std::abort();
  f.restoreAgain = Now() - t;
  delete r;

  t = Now();
  delete s;
  f.teardown = Now() - t;
  std::remove(path.c_str());

#ifdef TAVRIN_BENCH_SQLITE
  std::string db = path + ".sqlite";
  t = Now();
  SqliteSave(plan, db);
  f.sqlSave = Now() - t;
  t = Now();
  if (SqliteLoad(db) <= 0) std::abort();
  f.sqlLoad = Now() - t;
  std::remove(db.c_str());
#endif
  f.peak = Peak() - rss0;
  return f;
}

// Runs one size in a fresh child process and hands the figures back.
bool RunInChild(long size, const std::string& folder, Figures& out) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    close(fds[0]);
    Figures f = Run(size, folder);
    ssize_t w = write(fds[1], &f, sizeof f);
    _exit(w == static_cast<ssize_t>(sizeof f) ? 0 : 1);
  }
  close(fds[1]);
  ssize_t got = 0;
  for (ssize_t n; got < static_cast<ssize_t>(sizeof out) &&
                  (n = read(fds[0], reinterpret_cast<char*>(&out) + got, sizeof out - static_cast<std::size_t>(got))) > 0;)
    got += n;
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  return got == static_cast<ssize_t>(sizeof out) && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

double Min(std::vector<double> v) { return *std::min_element(v.begin(), v.end()); }
double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// One phase repeated in this process, the others run once around it.
int Phase(const std::string& phase, long size, const std::string& folder) {
  BoardPlan plan = tavrin_bench::PlanBoard(size, 13);
  std::string path = folder + "/bench-model-phase-" + std::to_string(getpid()) + ".tvn";
  SSession* s = AllocSession();
  if (phase != "build" && tavrin_bench::BuildBoard(s, plan) < 0) return 1;
  if (phase == "restore" && s->Save(path.c_str()) != 1) return 1;
  for (int i = 0; i < 5; ++i) {
    double cpu = CpuSeconds();
    double t = Now();
    if (phase == "build") {
      SSession* b = AllocSession();
      if (tavrin_bench::BuildBoard(b, plan) < 0) return 1;
      t = Now() - t;
      cpu = CpuSeconds() - cpu;
      delete b;
    } else if (phase == "save") {
      if (s->Save(path.c_str()) != 1) return 1;
      t = Now() - t;
      cpu = CpuSeconds() - cpu;
    } else if (phase == "restore") {
      SSession* r = AllocSession();
      if (!tavrin::SessionFiles::Restore(*r, path.c_str(), nullptr, false)) return 1;
      t = Now() - t;
      cpu = CpuSeconds() - cpu;
      delete r;
    } else {
      return 2;
    }
    std::printf("%s %.4f s (processor %.4f s)\n", phase.c_str(), t, cpu);
  }
  delete s;
  std::remove(path.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 3 && std::strcmp(argv[1], "--phase") == 0)
    return Phase(argv[2], std::atol(argv[3]), argc > 4 ? argv[4] : "/tmp");
  int runs = argc > 1 ? std::atoi(argv[1]) : 3;
  if (runs < 1) runs = 1;
  std::string folder = argc > 2 ? argv[2] : "/tmp";
  const long sizes[2] = {100000, 1000000};
  std::vector<Figures> all[2];
  for (int i = 0; i < runs; ++i)
    for (int k = 0; k < 2; ++k) {
      Figures f;
      if (!RunInChild(sizes[k], folder, f)) {
        std::fprintf(stderr, "bench_model: the run of %ld objects failed\n", sizes[k]);
        return 1;
      }
      all[k].push_back(f);
    }
  bool sqlite = all[1][0].sqlSave >= 0;

  for (int k = 0; k < 2; ++k) {
    const Figures& f = all[k][0];
    std::printf("board of %ld objects (object table), %ld bytes file, %.1f file bytes per object\n", f.objects,
                f.fileBytes, double(f.fileBytes) / double(f.objects));
  }
  std::printf("\n%-34s", "seconds, run by run");
  for (int k = 0; k < 2; ++k)
    for (int i = 0; i < runs; ++i) std::printf(" %8s", k ? "10^6" : "10^5");
  std::printf("\n");
  auto row = [&](const char* name, double Figures::*field) {
    std::printf("%-34s", name);
    for (int k = 0; k < 2; ++k)
      for (const Figures& f : all[k]) std::printf(" %8.4f", f.*field);
    std::printf("\n");
  };
  row("build", &Figures::build);
  row("build, std containers", &Figures::stdBuild);
  row("save", &Figures::save);
  row("raw write + sync + rename", &Figures::raw);
  row("restore", &Figures::restore);
  row("restore again (memory reused)", &Figures::restoreAgain);
  row("bare read of every line", &Figures::bare);
  row("CreateAllDriverReceiverPairs", &Figures::pairs);
  row("teardown (delete session)", &Figures::teardown);
  row("teardown, std containers", &Figures::stdTeardown);
  if (sqlite) {
    row("SQLite save (one transaction)", &Figures::sqlSave);
    row("SQLite load", &Figures::sqlLoad);
  }

  std::printf("\n%-40s %8s %8s %8s %8s   target\n", "ratio (min, median of runs)", "10^5 min", "median", "10^6 min",
              "median");
  auto ratio = [&](const char* name, auto value, const char* target) {
    std::printf("%-40s", name);
    for (int k = 0; k < 2; ++k) {
      std::vector<double> v;
      for (const Figures& f : all[k]) v.push_back(value(f));
      std::printf(" %8.2f %8.2f", Min(v), Median(v));
    }
    std::printf("   %s\n", target);
  };
  ratio("save / raw write", [](const Figures& f) { return f.save / f.raw; }, "<= 1.5 at 10^6");
  ratio("restore / bare read", [](const Figures& f) { return f.restore / f.bare; }, "<= 1.3");
  ratio("restore again / bare read", [](const Figures& f) { return f.restoreAgain / f.bare; }, "(memory reused)");
  ratio("restore / save", [](const Figures& f) { return f.restore / f.save; }, "<= 1.5");
  if (sqlite) {
    ratio("SQLite save / save", [](const Figures& f) { return f.sqlSave / f.save; }, ">= 5");
    ratio("SQLite load / restore", [](const Figures& f) { return f.sqlLoad / f.restore; }, ">= 2");
  }
  ratio("build / std build", [](const Figures& f) { return f.build / f.stdBuild; }, "<= 0.6");
  ratio("teardown / std teardown", [](const Figures& f) { return f.teardown / f.stdTeardown; }, "<= 0.02");
  ratio("bytes per object / std", [](const Figures& f) { return double(f.bytes) / double(f.stdBytes); }, "<= 0.8");
  ratio("bytes per object", [](const Figures& f) { return double(f.bytes) / double(f.objects); }, "(tavrin)");
  ratio("bytes per object, std", [](const Figures& f) { return double(f.stdBytes) / double(f.objects); }, "(std)");
  ratio("peak resident growth, MB", [](const Figures& f) { return double(f.peak) / 1e6; }, "(whole run)");

  std::printf("\n%-40s %8s %8s   target\n", "growth 10^5 -> 10^6 (min, median)", "min", "median");
  auto growth = [&](const char* name, auto value, const char* target) {
    std::vector<double> v;
    for (int i = 0; i < runs; ++i) v.push_back(value(all[1][static_cast<std::size_t>(i)]) / value(all[0][static_cast<std::size_t>(i)]));
    std::printf("%-40s %8.2f %8.2f   %s\n", name, Min(v), Median(v), target);
  };
  growth("objects", [](const Figures& f) { return double(f.objects); }, "(size)");
  growth("save", [](const Figures& f) { return f.save; }, "<= 10.5");
  growth("restore", [](const Figures& f) { return f.restore; }, "<= 10.5");
  growth("build", [](const Figures& f) { return f.build; }, "<= 10.5");
  growth("memory (bytes allocated by the build)", [](const Figures& f) { return double(f.bytes); }, "<= 10.2");
  std::printf("\npairs result: %d (1: every net paired)\n", all[1][0].pairsResult);
  return 0;
}
