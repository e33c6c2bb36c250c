#include "tool_common.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include <tavrin/design.h>

namespace tool {

int Usage(const char* text) {
  std::fprintf(stderr, "usage: tavrin %s\n", text);
  return 2;
}

int Fail(const char* command, const char* path, const std::string& reason) {
  std::fprintf(stderr, "tavrin %s: %s: %s\n", command, path, reason.c_str());
  return 1;
}

namespace {
// The text in double quotes; quotes and backslashes escaped, other bytes
// outside printable ASCII written with `hexFormat`.
std::string Escaped(const char* text, const char* hexFormat) {
  std::string out = "\"";
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p) {
    if (*p == '"' || *p == '\\') {
      out += '\\';
      out += static_cast<char>(*p);
    } else if (*p < 0x20 || *p >= 0x7f) {
      char hex[8];
      std::snprintf(hex, sizeof hex, hexFormat, *p);
      out += hex;
    } else {
      out += static_cast<char>(*p);
    }
  }
  return out + "\"";
}
}  // namespace

std::string Quote(const char* text) { return Escaped(text, "\\x%02x"); }

std::string JsonQuote(const char* text) { return Escaped(text, "\\u%04x"); }

InputPath::InputPath(const char* argument) : m_path(argument), m_shown(argument) {
  if (std::strcmp(argument, "-") != 0) return;
  m_shown = "(standard input)";
  const char* dir = std::getenv("TMPDIR");
  std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/tavrin-stdin-XXXXXX";
  int fd = mkstemp(&pattern[0]);
  if (fd < 0) {
    m_ok = false;
    m_error = std::string("cannot make a scratch file: ") + std::strerror(errno);
    return;
  }
  m_path = pattern;
  m_scratch = true;
  char buffer[1 << 16];
  for (;;) {
    ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      m_ok = false;
      m_error = std::string("cannot read standard input: ") + std::strerror(errno);
      break;
    }
    for (ssize_t done = 0; done < n;) {
      ssize_t w = write(fd, buffer + done, static_cast<std::size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        m_ok = false;
        m_error = std::string("cannot copy standard input: ") + std::strerror(errno);
        break;
      }
      done += w;
    }
    if (!m_ok) break;
  }
  close(fd);
}

InputPath::~InputPath() {
  if (m_scratch) unlink(m_path.c_str());
}

int QuietRestore(SSession& session, const char* path) {
  std::fflush(stdout);
  int saved = dup(STDOUT_FILENO);
  int null = open("/dev/null", O_WRONLY);
  bool redirected = saved >= 0 && null >= 0 && dup2(null, STDOUT_FILENO) >= 0;
  if (null >= 0) close(null);
  int ok = session.Restore(path);
  std::fflush(stdout);
  if (redirected) dup2(saved, STDOUT_FILENO);
  if (saved >= 0) close(saved);
  return ok;
}

}  // namespace tool

namespace tool {

SSession* RestoreInput(const InputPath& input, std::string& error) {
  if (!input.Ok()) {
    error = input.Error();
    return nullptr;
  }
  SSession* session = AllocSession();
  if (!session) {
    error = "out of memory";
    return nullptr;
  }
  if (!QuietRestore(*session, input.Path())) {
    error = session->GetLastError();
    delete session;
    return nullptr;
  }
  return session;
}

}  // namespace tool
