// The cross-reference loader, and the xref inspector.
#include "fixture.h"

int RunXref(int argc, char** argv);

namespace {

using tavrin_test::ScratchDir;
using tavrin_test::WriteFile;

// What name maps to as logical and as physical name: "PHYS|LOG,LOG", "-" a miss.
std::string Look(CPxr& pxr, bool nets, const char* name) {
  CString phys;
  CStringList* logs = nullptr;
  int hasPhys = nets ? pxr.NetLogToPhysName(name, phys) : pxr.CompLogToPhysName(name, phys);
  int hasLogs = nets ? pxr.NetPhysToLogNames(name, logs) : pxr.CompPhysToLogNames(name, logs);
  std::string out = (hasPhys ? phys.str() : "-") + (hasLogs ? "|" : "|-");
  for (POSITION pos = hasLogs ? logs->GetHeadPosition() : nullptr; pos;) {
    out += logs->GetNext(pos).str();
    if (pos) out += ',';
  }
  return out;
}

class PxrTest : public ::testing::Test {
 protected:
  int Load(const std::string& text, int internalNets = 0, CPxr* into = nullptr) {
    std::string path = dir.File("x" + std::to_string(++files) + ".txt");
    WriteFile(path, text);
    return (into ? into : &pxr)->LoadFile(path.c_str(), internalNets);
  }
  std::string Net(const char* name, CPxr* in = nullptr) { return Look(in ? *in : pxr, true, name); }
  std::string Comp(const char* name) { return Look(pxr, false, name); }
  ScratchDir dir;
  CPxr pxr;
  int files = 0;
};

// First token physical, last logical, quotes stripped; a later line of a logical name wins; "\r" is a blank.
TEST_F(PxrTest, NetPairLines) {
  ASSERT_EQ(Load("Net_Cross_Reference\n(A B C)\n  (\"QP\"   \"QL\")  \n\t( SOLO )\n"
                 "(P1 L1)\r\n(P1 L2)\n(P2 L1)\nEnd_Net\nNet_Cross_Reference\n(P3 L3)"), 1);
  EXPECT_EQ(Net("C") + Net("A") + Net("QL") + Net("SOLO"), "A|--|CQP|-SOLO|SOLO");
  EXPECT_EQ(Net("P1") + Net("L1") + Net("L3") + Net("c"), "-|L1,L2P2|-P3|--|-");  // case-sensitive
}

// Titles (trimmed, case-sensitive) switch section anywhere; "End_..." ends one; the other mode's is data.
TEST_F(PxrTest, SectionTitlesAndEndLines) {
  const std::string text = "(O1 OUT)\nNet_Cross_Reference\n(P1 L1)\nInternal_Net_Cross_Reference\nEndless\n"
                           "End_Of_Nets\n(P9 L9)\n  Internal_Net_Cross_Reference  \n(I1 IL1)\n"
                           "Net_Cross_Reference\n(P2 L2)\nnet_cross_reference\nEnd_\n(P4 L4)\n";
  ASSERT_EQ(Load(text, 0), 1);
  EXPECT_EQ(Net("OUT") + Net("L1") + Net("L9") + Net("IL1") + Net("L2") + Net("L4"), "-|-P1|--|--|-P2|--|-");
  for (const char* data : {"Internal_Net_Cross_Reference", "Endless", "net_cross_reference"})
    EXPECT_EQ(Net(data), std::string(data) + "|" + data);
  CPxr internal;
  ASSERT_EQ(Load(text, 1, &internal), 1);
  EXPECT_EQ(Net("L1", &internal) + Net("IL1", &internal) + Net("L2", &internal), "-|-I1|-P2|-");
  EXPECT_EQ(Net("Net_Cross_Reference", &internal), "Net_Cross_Reference|Net_Cross_Reference");
}

// A component name line, blocks opened by a quoted logical name and closed by ")", then ")".
TEST_F(PxrTest, ComponentStateMachine) {
  ASSERT_EQ(Load("Pin_Cross_Reference\n"
                 "(\"U1\"\n  (\"LU1\" a b)\n    (1 A1)\n  )\n  (\"LU1B\")\n    (\"PIN\")\n  )\n)\n"
                 "( \t\"IC 7\"  \n  (x \"has \"inner\" quotes\" y)\n  )\n  (\"lonely)\n  )\n)\n"
                 "U3\n(\"A\")\nPin_Cross_Reference\n"  // a title restarts: expect a component
                 "U4\n(\"B\")\n)\n)\n)\n(\"ORPHAN\")\nEnd_Pins\n(\"AFTER\"\n"), 1);
  EXPECT_EQ(Comp("U1") + Comp("LU1B") + Comp("PIN"), "-|LU1,LU1BU1|--|-");  // block contents are not stored
  // A logical name lies between the first and the last quote, empty with a single quote.
  EXPECT_EQ(Comp("IC 7") + Comp(""), "-|has \"inner\" quotes,IC 7|-");
  EXPECT_EQ(Comp("U3") + Comp("U4") + Comp("AFTER") + Net("LU1"), "-|A-|B-|--|-");
  EXPECT_EQ(Comp(")"), "-|ORPHAN");  // a ")" where a component is expected names one
}

TEST_F(PxrTest, LongLinesAreReadInPiecesOf255) {
  const std::string m(251, 'm');  // 259 characters: the first 255 form one line, the last four another
  ASSERT_EQ(Load("Net_Cross_Reference\n(P1 " + m + " L1)\n(P2 L2)\nEnd_\n"), 1);
  EXPECT_EQ(Net(m.c_str()) + Net("L1") + Net("L2"), "P1|-L1|L1P2|-");
  // 255 characters leave the line feed to a read of its own: an empty line, an empty pair.
  ASSERT_EQ(Load("Net_Cross_Reference\n(P " + std::string(251, 'g') + ")\n"), 1);
  EXPECT_EQ(Net(""), "|");
  // A title cut across two reads is no title.
  ASSERT_EQ(Load(std::string(240, ' ') + "Pin_Cross_Reference\nU9\n(\"LU9\")\n"), 1);
  EXPECT_EQ(Comp("LU9"), "-|-");
}

// Loads add up; the last path is kept, compared ignoring case.
TEST_F(PxrTest, LoadsAddUpAndRememberThePath) {
  std::string path = dir.File("Twice.TXT");
  WriteFile(path, "Net_Cross_Reference\n(P1 L1)\nEnd_\nPin_Cross_Reference\nU1\n(\"A\")\n)\n)\n");
  ASSERT_EQ(pxr.LoadFile(path.c_str(), 0) + pxr.LoadFile(path.c_str(), 0), 2);
  EXPECT_EQ(pxr.LoadFile(dir.File("missing.txt").c_str(), 0) + pxr.LoadFile(nullptr, 0), 0);
  EXPECT_TRUE(pxr.FileAlreadyLoaded(dir.File("twice.txt").c_str()) && !pxr.FileAlreadyLoaded((path + "x").c_str()));
  EXPECT_EQ(Comp("U1"), "-|A,A");
  EXPECT_EQ(Net("P1"), "-|L1,L1");
}

// What `tavrin xref ARGS` prints on standard output and standard error, then its exit status.
std::string Xref(std::vector<std::string> args) {
  args.insert(args.begin(), "xref");
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  int status = RunXref(static_cast<int>(argv.size()), argv.data());
  std::string out = testing::internal::GetCapturedStdout();
  return out + testing::internal::GetCapturedStderr() + std::to_string(status);
}

// Counterparts both ways, names quoted and escaped; status 1 and one line for no pairs, 2 for usage.
TEST(XrefCommand, PrintsCounterpartsOrOneLineReason) {
  ScratchDir dir;
  std::string path = dir.File("board.xref");
  WriteFile(path, "Net_Cross_Reference\n(P1 L1)\n(P1 L2)\n(U1 NU)\nEnd_\n"
                  "Pin_Cross_Reference\nU1\n(\"LU1\")\n)\n(\"LU\\x\")\n)\n)\n");
  EXPECT_EQ(Xref({path, "L1", "P1", "U1", "missing", "LU\\x"}),
            "net \"L1\" -> physical \"P1\"\nnet \"P1\" -> logical \"L1\" \"L2\"\nnet \"U1\" -> logical \"NU\"\n"
            "component \"U1\" -> logical \"LU1\" \"LU\\\\x\"\n\"missing\" not found\n"
            "component \"LU\\\\x\" -> physical \"U1\"\n0");
  WriteFile(path, "Internal_Net_Cross_Reference\n(P\x01 L1)\n");  // without -i, no pair
  EXPECT_EQ(Xref({path, "L1"}),
            "tavrin xref: " + path + ": loads nothing: no Net_Cross_Reference or Pin_Cross_Reference pairs\n1");
  EXPECT_EQ(Xref({"--internal", path, "L1"}), "net \"L1\" -> physical \"P\\x01\"\n0");
  EXPECT_EQ(Xref({"-i", "file"}).back(), '2');
}

}  // namespace
