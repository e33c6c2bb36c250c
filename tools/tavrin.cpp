// tavrin: inspects saved design files. `tavrin COMMAND ARGS...`.
#include <cstdio>
#include <cstring>

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

int Usage(FILE* out) {
  std::fprintf(out, "usage: tavrin COMMAND ARGS...\n\ncommands:\n");
  for (const Command& c : kCommands) std::fprintf(out, "  %-7s %s\n", c.name, c.help);
  return out == stdout ? 0 : 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage(stderr);
  if (!std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "help"))
    return Usage(stdout);
  for (const Command& c : kCommands)
    if (!std::strcmp(argv[1], c.name)) return c.run(argc - 1, argv + 1);
  std::fprintf(stderr, "tavrin: unknown command '%s'\n", argv[1]);
  return Usage(stderr);
}
