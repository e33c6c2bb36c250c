// Builds a small design database, saves it, restores it into a second
// session and prints what came back.
//
//   tavrin_example [FILE]      (default: example_design.tdb)
#include <cstdio>

#include <tavrin/tavrin.h>

namespace {

const char* Text(const char* s) { return s ? s : ""; }

void Print(const SSession* session) {
  std::printf("projects:\n");
  for (auto it = session->GetAllProjects().begin(); it != session->GetAllProjects().end(); ++it) {
    SProject* p = it->second;
    std::printf("  %s (host %s, units %s)\n", p->GetName(), Text(p->GetHostCAD()), Text(p->GetUnits()));
    for (auto a = p->GetAllAttributes().begin(); a != p->GetAllAttributes().end(); ++a) {
      CString text;
      p->GetAttribute((*a)->GetName(), text);
      std::printf("    attribute %-12s = %s\n", (*a)->GetName(), text.GetString());
    }
    for (auto c = p->GetAllConstraintInstances().begin(); c != p->GetAllConstraintInstances().end(); ++c) {
      CString text;
      int drc = 0;
      p->GetConstraintStr((*c)->GetName(), text, &drc);
      std::printf("    constraint %-11s = %s\n", (*c)->GetName(), text.GetString());
    }
    for (auto c = p->GetAllConstraints().begin(); c != p->GetAllConstraints().end(); ++c) {
      SUnitlessValue* basis = SUnitlessValue::Cast(c->second->GetBasis());
      std::printf("    rule %-17s basis %.3f mm\n", c->second->GetName(),
                  basis ? basis->GetInUnits(TAVRIN_UNIT_MM) : 0.0);
    }
    for (auto f = p->GetAllFiles().begin(); f != p->GetAllFiles().end(); ++f)
      std::printf("    file %-12s kind %-10s stamp %ld\n", f->second->GetName(), Text(f->second->GetKind()),
                  f->second->GetTimeStamp());
  }
  std::printf("libraries (newest first):\n");
  for (auto it = session->GetAllLibraries().begin(); it != session->GetAllLibraries().end(); ++it)
    std::printf("  %-16s %s\n", static_cast<const char*>(it->first), it->second->GetClassName());
}

}  // namespace

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : "example_design.tdb";
  SSession* session = AllocSession();
  if (!session) {
    std::fprintf(stderr, "cannot create a session\n");
    return 1;
  }

  SProject* board = session->CreateProject("board");
  board->SetHostCAD("schematic-entry");
  board->SetUnits("mil");
  SFile* netlist = board->CreateFile("board.net");
  netlist->SetKind("netlist");
  netlist->SetAlias("main netlist");
  netlist->SetTimeStamp(1765000000);
  board->CreateFile("board.pxr")->SetKind("xref");

  // Attributes and constraints on any design element: with native mode off
  // numbers are kept as text, with it on as typed values.
  board->SetAttribute("revision", "B");
  board->SetAttribute("layers", 6);
  SDesignElement::SetNativeMode(true);
  board->SetAttribute("thickness_mm", 1.6f);
  board->SetConstraint("MAX_VIAS", 12, 0);
  SDesignElement::SetNativeMode(false);

  // A project-wide rule whose basis value is a length: 8 mil.
  SConstraint* clearance = board->CreateConstraint("CLEARANCE");
  SAttribute* holder = board->CreateAttribute("clearance_value");
  SUnitlessValue* length = holder->CreateUnitlessValue();
  length->SetInUnits(8.0, TAVRIN_UNIT_MIL);
  clearance->SetBasis(length);
  session->CreateProject("backplane")->SetHostCAD("layout");

  session->CreatePackageLibrary("std_packages")->SetLocation("/libs/packages");
  session->CreatePadStackLibrary("std_padstacks");
  session->CreatePinMappingLibrary("std_pinmaps");

  std::printf("== built\n");
  Print(session);
  SLibrary* lib = session->GetLibrary("std_padstacks");
  std::printf("lookup std_padstacks: %s\n", lib ? lib->GetClassName() : "not found");
  std::printf("lookup BOARD: %s\n", session->GetProject("BOARD") ? "found" : "not found (names are case-sensitive)");

  if (!session->Save(path)) {
    std::fprintf(stderr, "cannot save %s\n", path);
    delete session;
    return 1;
  }
  std::printf("saved %s (format version %d)\n", path, GetDBFileVersion(path));

  SSession* copy = AllocSession();
  int restored = copy && copy->Restore(path);
  std::printf("\n== restored: %s\n", restored ? "yes" : "no");
  if (restored) Print(copy);
  delete copy;
  delete session;
  return restored ? 0 : 1;
}
