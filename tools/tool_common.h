// What every subcommand of `tavrin` shares: how it reports usage errors and
// failures, how it reads `-` (standard input) where it reads a file, and how
// it restores a file without the timing lines Restore prints.
//
//   usage error  "usage: tavrin CMD ARGS" on standard error, exit status 2
//   failure      "tavrin CMD: PATH: reason" on standard error, exit status 1
#ifndef TAVRIN_TOOLS_TOOL_COMMON_H
#define TAVRIN_TOOLS_TOOL_COMMON_H

#include <string>

class SSession;

namespace tool {

// Prints "usage: tavrin <text>" to standard error; returns 2.
int Usage(const char* text);
// Prints "tavrin <command>: <path>: <reason>" to standard error; returns 1.
int Fail(const char* command, const char* path, const std::string& reason);

// A file argument as a readable path: `-` is standard input, copied into a
// scratch file that goes away with this object (restores and the loaders
// read regular files only). Shown() is what messages name.
class InputPath {
 public:
  explicit InputPath(const char* argument);
  ~InputPath();
  InputPath(const InputPath&) = delete;
  InputPath& operator=(const InputPath&) = delete;

  // False when standard input could not be copied; Error() says why.
  bool Ok() const { return m_ok; }
  const std::string& Error() const { return m_error; }
  const char* Path() const { return m_path.c_str(); }
  const char* Shown() const { return m_shown.c_str(); }

 private:
  std::string m_path;
  std::string m_shown;
  std::string m_error;
  bool m_ok = true;
  bool m_scratch = false;
};

// A name or text in double quotes, with '"', '\' and bytes outside
// printable ASCII escaped (\xHH), so empty or odd names stay visible.
std::string Quote(const char* text);
// The same as a JSON string: bytes outside printable ASCII as \u00HH.
std::string JsonQuote(const char* text);

// SSession::Restore with its two timing lines kept off standard output, so
// that the command's own output stays clean. 1 on success.
int QuietRestore(SSession& session, const char* path);
// A fresh session holding the file restored quietly, or null with the
// reason in error (the session is then deleted).
SSession* RestoreInput(const InputPath& input, std::string& error);

}  // namespace tool

#endif
