// tavrin: inspects saved design files. `tavrin COMMAND ARGS...`.
//
// Every command follows one convention: `tavrin COMMAND --help` prints its
// usage (exit 0); a usage error prints it on standard error (exit 2); a
// failure prints "tavrin COMMAND: PATH: reason" (exit 1); `-` names
// standard input wherever a file is read (see tool_common.h).
#include <cstdio>
#include <cstring>

#include <tavrin/version.h>

#define TAVRIN_COMMAND(name, function, help) int function(int argc, char** argv);
#include "commands.def"
#undef TAVRIN_COMMAND

namespace {

struct Command {
  const char* name;
  int (*run)(int argc, char** argv);
  const char* help;
};

const Command kCommands[] = {
#define TAVRIN_COMMAND(name, function, help) {#name, function, help},
#include "commands.def"
#undef TAVRIN_COMMAND
};

bool IsHelp(const char* arg) { return !std::strcmp(arg, "-h") || !std::strcmp(arg, "--help"); }

int Usage(FILE* out) {
  std::fprintf(out,
               "usage: tavrin COMMAND ARGS...\n"
               "       tavrin COMMAND --help\n"
               "       tavrin --version\n\ncommands:\n");
  for (const Command& c : kCommands) std::fprintf(out, "  %-7s %s\n", c.name, c.help);
  std::fprintf(out, "\nA FILE of '-' is read from standard input.\n");
  return out == stdout ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage(stderr);
  if (IsHelp(argv[1]) || !std::strcmp(argv[1], "help")) return Usage(stdout);
  if (!std::strcmp(argv[1], "--version")) {
    std::printf("tavrin %s\n", TavrinVersion());
    return 0;
  }
  for (const Command& c : kCommands) {
    if (std::strcmp(argv[1], c.name) != 0) continue;
    if (argc >= 3 && IsHelp(argv[2])) {
      std::printf("usage: tavrin %s %s\n", c.name, c.help);
      return 0;
    }
    return c.run(argc - 1, argv + 1);
  }
  std::fprintf(stderr, "tavrin: unknown command '%s'\n", argv[1]);
  return Usage(stderr);
}
