// Cross-reference loader on files the tests write, and the xref inspector.
#include <string>
#include <vector>

#include "fixture.h"

int RunXref(int argc, char** argv);

namespace {

using tavrin_test::ScratchDir;
using tavrin_test::WriteFile;

std::vector<std::string> Items(const CStringList* list) {
  std::vector<std::string> out;
  if (!list) return out;
  for (POSITION pos = list->GetHeadPosition(); pos;) out.push_back(list->GetNext(pos).str());
  return out;
}
using Names = std::vector<std::string>;

class PxrTest : public ::testing::Test {
 protected:
  // Writes text to a fresh file and loads it; returns LoadFile's result.
  int Load(const std::string& text, int internalNets = 0) {
    std::string path = dir.File("x" + std::to_string(++files) + ".txt");
    WriteFile(path, text);
    return pxr.LoadFile(path.c_str(), internalNets);
  }
  std::string NetPhys(const char* log) {
    CString out("<none>");
    return pxr.NetLogToPhysName(log, out) ? out.str() : "<none>";
  }
  std::string CompPhys(const char* log) {
    CString out("<none>");
    return pxr.CompLogToPhysName(log, out) ? out.str() : "<none>";
  }
  Names NetLogs(const char* phys) {
    CStringList* out = nullptr;
    return pxr.NetPhysToLogNames(phys, out) ? Items(out) : Names{"<none>"};
  }
  Names CompLogs(const char* phys) {
    CStringList* out = nullptr;
    return pxr.CompPhysToLogNames(phys, out) ? Items(out) : Names{"<none>"};
  }

  ScratchDir dir;
  CPxr pxr;
  int files = 0;
};

const Names kNone{"<none>"};

TEST_F(PxrTest, NetPairLines) {
  ASSERT_EQ(Load("Net_Cross_Reference\n"
                 "(A B C)\n"
                 "  (\"QP\"   \"QL\")  \n"
                 "\t( SOLO )\n"
                 "(P2    L2)\n"
                 "End_Net\n"),
            1);
  // First token physical, last logical, middle tokens dropped.
  EXPECT_EQ(NetPhys("C"), "A");
  EXPECT_EQ(NetLogs("A"), Names{"C"});
  EXPECT_EQ(NetPhys("B"), "<none>");
  EXPECT_EQ(NetLogs("B"), kNone);
  // Quotes stripped from both names.
  EXPECT_EQ(NetPhys("QL"), "QP");
  EXPECT_EQ(NetLogs("QP"), Names{"QL"});
  EXPECT_EQ(NetPhys("\"QL\""), "<none>");
  // A single token is both names; a run of blanks is one separator.
  EXPECT_EQ(NetPhys("SOLO"), "SOLO");
  EXPECT_EQ(NetPhys("L2"), "P2");
  // Nets and components are separate name spaces; look-ups are case-sensitive.
  EXPECT_EQ(CompPhys("C"), "<none>");
  EXPECT_EQ(NetPhys("c"), "<none>");
}

TEST_F(PxrTest, RepeatedNetNames) {
  ASSERT_EQ(Load("Net_Cross_Reference\n"
                 "(P1 L1)\n(P1 L2)\n(P2 L1)\n(P1 L3)\n"
                 "End_\n"),
            1);
  EXPECT_EQ(NetLogs("P1"), (Names{"L1", "L2", "L3"}));
  EXPECT_EQ(NetLogs("P2"), Names{"L1"});
  EXPECT_EQ(NetPhys("L1"), "P2");  // the later line wins
  EXPECT_EQ(NetPhys("L2"), "P1");
}

TEST_F(PxrTest, SectionTitlesAndEndLines) {
  const std::string text =
      "(OUT1 OUTSIDE)\n"
      "Net_Cross_Reference\n"
      "(P1 L1)\n"
      "Internal_Net_Cross_Reference\n"
      "Endless\n"
      "End_Of_Nets\n"
      "(P9 L9)\n"
      "  Internal_Net_Cross_Reference  \n"
      "(I1 IL1)\n"
      "Net_Cross_Reference\n"  // a title switches section without an End_ line
      "(P2 L2)\n"
      "END_\n"
      "(P3 L3)\n"
      "net_cross_reference\n"
      "End_\n"
      "(P4 L4)\n";
  ASSERT_EQ(Load(text, 0), 1);
  EXPECT_EQ(NetPhys("OUTSIDE"), "<none>");
  EXPECT_EQ(NetPhys("L1"), "P1");
  // Not the title in this mode: a data line of the net section.
  EXPECT_EQ(NetPhys("Internal_Net_Cross_Reference"), "Internal_Net_Cross_Reference");
  EXPECT_EQ(NetPhys("Endless"), "Endless");
  EXPECT_EQ(NetPhys("L9"), "<none>");
  EXPECT_EQ(NetPhys("IL1"), "<none>");
  EXPECT_EQ(NetPhys("L2"), "P2");
  // Only "End_" exactly (case-sensitive) closes; titles are case-sensitive.
  EXPECT_EQ(NetPhys("END_"), "END_");
  EXPECT_EQ(NetPhys("L3"), "P3");
  EXPECT_EQ(NetPhys("net_cross_reference"), "net_cross_reference");
  EXPECT_EQ(NetPhys("L4"), "<none>");

  CPxr internal;
  std::string path = dir.File("internal.txt");
  WriteFile(path, text);
  ASSERT_EQ(internal.LoadFile(path.c_str(), 1), 1);
  CString out;
  EXPECT_FALSE(internal.NetLogToPhysName("L1", out));  // plain title ignored
  EXPECT_TRUE(internal.NetLogToPhysName("IL1", out));
  EXPECT_EQ(out.str(), "I1");
  EXPECT_TRUE(internal.NetLogToPhysName("Net_Cross_Reference", out));  // a data line now
  EXPECT_TRUE(internal.NetLogToPhysName("L2", out));
  EXPECT_FALSE(internal.NetLogToPhysName("L4", out));
}

TEST_F(PxrTest, ComponentStateMachine) {
  ASSERT_EQ(Load("Pin_Cross_Reference\n"
                 "(\"U1\"\n"
                 "  (\"LU1\" a b)\n"
                 "    (1 A1)\n"
                 "    (2 A2)\n"
                 "  )\n"
                 "  (\"LU1B\")\n"
                 "    (\"PINLINE\")\n"
                 "  )\n"
                 ")\n"
                 "( \t\"IC 7\"  \n"
                 "  (x \"has \"inner\" quotes\" y)\n"
                 "  )\n"
                 "  (\"lonely quote)\n"
                 "  )\n"
                 ")\n"
                 "U3\n"
                 "  (\"LU3\")\n"
                 ")\n"
                 ")\n"
                 ")\n"
                 "(\"ORPHAN\")\n"
                 "End_Pins\n"
                 "(\"AFTER\"\n"),
            1);
  EXPECT_EQ(CompLogs("U1"), (Names{"LU1", "LU1B"}));
  EXPECT_EQ(CompPhys("LU1"), "U1");
  EXPECT_EQ(CompPhys("LU1B"), "U1");
  // Lines inside a block are not stored.
  EXPECT_EQ(CompPhys("PINLINE"), "<none>");
  EXPECT_EQ(CompLogs("1"), kNone);
  // Name line: leading "( \t\"" and trailing "\" \t" go; inner blanks stay.
  // Logical name: between the first and the last quote; empty with one quote.
  EXPECT_EQ(CompLogs("IC 7"), (Names{"has \"inner\" quotes", ""}));
  EXPECT_EQ(CompPhys(""), "IC 7");
  // A second ")" while expecting a component is taken as a component name.
  EXPECT_EQ(CompLogs("U3"), Names{"LU3"});
  EXPECT_EQ(CompLogs(")"), Names{"ORPHAN"});
  EXPECT_EQ(CompPhys("AFTER"), "<none>");
  EXPECT_EQ(NetPhys("LU1"), "<none>");
}

TEST_F(PxrTest, ComponentSectionRestartsAtTitle) {
  ASSERT_EQ(Load("Pin_Cross_Reference\n"
                 "U1\n"
                 "(\"A\")\n"
                 "Pin_Cross_Reference\n"  // back to expecting a component
                 "U2\n"
                 "(\"B\")\n"
                 ")\n"
                 "(\"C\")\n"
                 "Net_Cross_Reference\n"
                 "(P L)\n"
                 "End_\n"),
            1);
  EXPECT_EQ(CompLogs("U1"), Names{"A"});
  EXPECT_EQ(CompLogs("U2"), (Names{"B", "C"}));
  EXPECT_EQ(NetPhys("L"), "P");
}

TEST_F(PxrTest, LongLinesAreReadInPiecesOf255) {
  // 259 characters: the first 255 form one line, the last four another.
  std::string longLine = "(P1 " + std::string(251, 'm') + " L1)";
  ASSERT_EQ(longLine.size(), 259u);
  ASSERT_EQ(Load("Net_Cross_Reference\n" + longLine + "\n(P2 L2)\nEnd_\n"), 1);
  EXPECT_EQ(NetPhys(std::string(251, 'm').c_str()), "P1");
  EXPECT_EQ(NetPhys("L1"), "L1");
  EXPECT_EQ(NetPhys("L2"), "P2");

  // 254 characters and the line feed fit one read; 255 leave the line feed
  // to a read of its own, an empty line that yields an empty pair.
  CPxr fits;
  std::string path = dir.File("fits.txt");
  WriteFile(path, "Net_Cross_Reference\n(P " + std::string(250, 'f') + ")\nEnd_\n");
  ASSERT_EQ(fits.LoadFile(path.c_str(), 0), 1);
  CString out;
  EXPECT_FALSE(fits.NetLogToPhysName("", out));
  ASSERT_EQ(Load("Net_Cross_Reference\n(P " + std::string(251, 'g') + ")\nEnd_\n"), 1);
  EXPECT_EQ(NetPhys(std::string(251, 'g').c_str()), "P");
  EXPECT_EQ(NetPhys(""), "");

  // A title split across two reads is no title.
  ASSERT_EQ(Load(std::string(240, ' ') + "Pin_Cross_Reference\nU9\n(\"LU9\")\n"), 1);
  EXPECT_EQ(CompPhys("LU9"), "<none>");
}

TEST_F(PxrTest, MalformedInputIsHandledSafely) {
  std::string junk;
  for (int i = 0; i < 100000; ++i) junk += static_cast<char>((i * 37 + 11) % 256);
  std::string text = "Net_Cross_Reference\n" + std::string(70000, 'z') + "\n" + junk +
                     "\n(P1 L1)\n(AB" + std::string(1, '\0') + "CD EF)\n" +
                     "Pin_Cross_Reference\r\nU1\r\n(\"LU1\")\r\n)\r\n)\r\n" +
                     "Net_Cross_Reference\n(P2 L2)";  // no final line feed
  ASSERT_EQ(Load(text), 1);
  EXPECT_EQ(NetPhys("L1"), "P1");
  EXPECT_EQ(NetPhys("AB"), "AB");  // text after a NUL byte ends that read
  EXPECT_EQ(NetPhys("EF"), "<none>");
  EXPECT_EQ(CompPhys("LU1"), "U1");  // carriage returns are white space
  EXPECT_EQ(NetPhys("L2"), "P2");

  ASSERT_EQ(Load(""), 1);
  ASSERT_EQ(Load(std::string(1000, '\0')), 1);

  CPxr lone;
  std::string path = dir.File("lone.txt");
  WriteFile(path, "Net_Cross_Reference\n)\n");
  ASSERT_EQ(lone.LoadFile(path.c_str(), 0), 1);
  CStringList* list = nullptr;
  ASSERT_TRUE(lone.NetPhysToLogNames("", list));  // a lone ")" is an empty pair
  EXPECT_EQ(Items(list), Names{""});
}

TEST_F(PxrTest, LoadingAddsToEarlierLoads) {
  const std::string text = "Net_Cross_Reference\n(P1 L1)\n(P1 L2)\nEnd_\n"
                           "Pin_Cross_Reference\nU1\n(\"A\")\n)\n)\nEnd_\n";
  std::string path = dir.File("Twice.TXT");
  WriteFile(path, text);
  ASSERT_EQ(pxr.LoadFile(path.c_str(), 0), 1);
  ASSERT_EQ(pxr.LoadFile(path.c_str(), 0), 1);
  EXPECT_EQ(NetLogs("P1"), (Names{"L1", "L2", "L1", "L2"}));
  EXPECT_EQ(CompLogs("U1"), (Names{"A", "A"}));

  // Path compared ignoring case, against the file loaded last only.
  std::string upper = path;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(pxr.FileAlreadyLoaded(path.c_str()), 1);
  EXPECT_EQ(pxr.FileAlreadyLoaded(upper.c_str()), 1);
  EXPECT_EQ(pxr.FileAlreadyLoaded((path + "x").c_str()), 0);
  EXPECT_EQ(pxr.FileAlreadyLoaded(nullptr), 0);
  ASSERT_EQ(Load("Net_Cross_Reference\n(P1 L3)\n"), 1);
  EXPECT_EQ(pxr.FileAlreadyLoaded(path.c_str()), 0);
  EXPECT_EQ(NetLogs("P1"), (Names{"L1", "L2", "L1", "L2", "L3"}));

  CPxr fresh;  // nothing loaded: no path matches, not even the empty one
  EXPECT_EQ(fresh.FileAlreadyLoaded(""), 0);
  EXPECT_EQ(fresh.FileAlreadyLoaded(path.c_str()), 0);
}

TEST_F(PxrTest, UnreadableFileChangesNothing) {
  std::string path = dir.File("good.txt");
  WriteFile(path, "Net_Cross_Reference\n(P1 L1)\nEnd_\n");
  ASSERT_EQ(pxr.LoadFile(path.c_str(), 0), 1);
  EXPECT_EQ(pxr.LoadFile(dir.File("missing.txt").c_str(), 0), 0);
  EXPECT_EQ(pxr.LoadFile(dir.path().c_str(), 0), 0);  // a folder
  EXPECT_EQ(pxr.LoadFile(nullptr, 0), 0);
  EXPECT_EQ(pxr.FileAlreadyLoaded(path.c_str()), 1);
  EXPECT_EQ(pxr.FileAlreadyLoaded(dir.File("missing.txt").c_str()), 0);
  EXPECT_EQ(NetPhys("L1"), "P1");

  // Misses and null names leave the outputs alone.
  CString name("keep");
  CStringList sentinel;
  CStringList* list = &sentinel;
  EXPECT_EQ(pxr.NetLogToPhysName("nope", name), 0);
  EXPECT_EQ(pxr.CompLogToPhysName(nullptr, name), 0);
  EXPECT_EQ(pxr.NetPhysToLogNames(nullptr, list), 0);
  EXPECT_EQ(pxr.CompPhysToLogNames("P1", list), 0);
  EXPECT_EQ(name.str(), "keep");
  EXPECT_EQ(list, &sentinel);
}

// ---- the inspector ----------------------------------------------------------

struct XrefRun {
  int status;
  std::string out;
  std::string err;
};

XrefRun Xref(std::vector<std::string> args) {
  args.insert(args.begin(), "xref");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  int status = RunXref(static_cast<int>(args.size()), argv.data());
  XrefRun run{status, testing::internal::GetCapturedStdout(), ""};
  run.err = testing::internal::GetCapturedStderr();
  return run;
}

TEST(XrefCommand, PrintsCounterpartsBothWays) {
  ScratchDir dir;
  std::string path = dir.File("board.xref");
  WriteFile(path,
            "Net_Cross_Reference\n(P1 L1)\n(P1 L2)\n(U1 NU)\nEnd_\n"
            "Pin_Cross_Reference\nU1\n(\"LU1\")\n)\n(\"LU\\x\")\n)\n)\nEnd_\n");
  XrefRun run = Xref({path, "L1", "P1", "U1", "LU1", "missing", "LU\\x"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out,
            "net \"L1\" -> physical \"P1\"\n"
            "net \"P1\" -> logical \"L1\" \"L2\"\n"
            "net \"U1\" -> logical \"NU\"\n"
            "component \"U1\" -> logical \"LU1\" \"LU\\\\x\"\n"
            "component \"LU1\" -> physical \"U1\"\n"
            "\"missing\" not found\n"
            "component \"LU\\\\x\" -> physical \"U1\"\n");

  WriteFile(path, "Internal_Net_Cross_Reference\n(P\x01 L1)\n");
  EXPECT_EQ(Xref({path, "L1"}).out, "\"L1\" not found\n");
  EXPECT_EQ(Xref({"--internal", path, "L1"}).out, "net \"L1\" -> physical \"P\\x01\"\n");
  EXPECT_EQ(Xref({"-i", path, "L1"}).status, 0);
}

TEST(XrefCommand, FailsWithOneLineReason) {
  ScratchDir dir;
  XrefRun missing = Xref({dir.File("none.xref"), "N"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.out, "");
  EXPECT_NE(missing.err.find("none.xref"), std::string::npos);
  EXPECT_EQ(missing.err.find('\n'), missing.err.size() - 1);
  for (const auto& args : {std::vector<std::string>{}, {"file"}, {"-i", "file"}}) {
    XrefRun usage = Xref(args);
    EXPECT_EQ(usage.status, 1);
    EXPECT_NE(usage.err.find("usage"), std::string::npos);
  }
}

}  // namespace
