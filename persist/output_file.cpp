#include "persist/output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace tavrin {

namespace io {
namespace {
// Shared by the saves of all threads.
std::atomic<long> g_failAt[kOpCount] = {};
std::atomic<long> g_count[kOpCount] = {};

// Counts one operation of the kind; true when it is the one to fail.
bool Injected(Op op) {
  int i = static_cast<int>(op);
  long n = g_count[i].fetch_add(1, std::memory_order_relaxed) + 1;
  long at = g_failAt[i].load(std::memory_order_relaxed);
  return at > 0 && n == at;
}
}  // namespace

const char* OpName(Op op) {
  static const char* const kNames[kOpCount] = {"open", "write", "flush", "sync", "rename", "close"};
  return kNames[static_cast<int>(op)];
}
void FailAt(Op op, long k) { g_failAt[static_cast<int>(op)].store(k); }
void ResetFaults() {
  for (int i = 0; i < kOpCount; ++i) {
    g_failAt[i].store(0);
    g_count[i].store(0);
  }
}
long Count(Op op) { return g_count[static_cast<int>(op)].load(); }
}  // namespace io

namespace {

using io::Injected;
using io::Op;

int OpenFile(const char* path, int flags, mode_t mode) {
  if (Injected(Op::kOpen)) {
    errno = EACCES;
    return -1;
  }
  int fd;
  do fd = ::open(path, flags | O_CLOEXEC, mode); while (fd < 0 && errno == EINTR);
  return fd;
}

bool SyncFile(int fd) {
  if (Injected(Op::kSync)) {
    errno = EIO;
    return false;
  }
  return ::fsync(fd) == 0;
}

bool CloseFile(int fd) {
  bool injected = Injected(Op::kClose);
  int rc = ::close(fd);  // the descriptor is released whatever close reports
  if (injected) {
    errno = EIO;
    return false;
  }
  return rc == 0 || errno == EINTR;
}

// Writes all n bytes at the file position; false on the first failure.
bool WriteAt(int fd, const char* data, std::size_t n, int64_t position) {
  while (n > 0) {
    if (Injected(Op::kWrite)) {
      errno = ENOSPC;
      return false;
    }
    ssize_t w = ::pwrite(fd, data, n, static_cast<off_t>(position));
    if (w < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (w == 0) {
      errno = ENOSPC;
      return false;
    }
    data += w;
    n -= static_cast<std::size_t>(w);
    position += w;
  }
  return true;
}

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

OutputFile::OutputFile() : m_buf(static_cast<char*>(std::malloc(kBufferSize))) {
  if (!m_buf) Fail("out of memory", ENOMEM);
}

OutputFile::~OutputFile() {
  Abort();
  std::free(m_buf);
}

void OutputFile::Fail(const char* what, int err) {
  if (!m_failed) {
    m_error = what;
    if (err) {
      m_error += ": ";
      m_error += std::strerror(err);
    }
  }
  m_failed = true;
}

bool OutputFile::Open(const char* target) {
  if (!target || !*target || !m_buf) {
    Fail("no file name", 0);
    return false;
  }
  // The file a link names is the one replaced, so the link stays a link.
  struct stat st;
  bool exists = false;
  if (!ResolveTarget(target, m_target, st, exists)) return false;
  if (exists && !S_ISREG(st.st_mode)) {
    // Renaming over a FIFO, a device node or a socket would replace it.
    Fail(S_ISDIR(st.st_mode) ? "the target is a folder" : "the target is not a regular file", 0);
    return false;
  }
  // The temporary name is the target's own name, cut so that it still fits
  // in a file name with its suffix, in the target's folder.
  std::size_t slash = m_target.rfind('/');
  std::string folder = slash == std::string::npos ? std::string() : m_target.substr(0, slash + 1);
  std::string base = slash == std::string::npos ? m_target : m_target.substr(slash + 1);
  static std::atomic<unsigned> s_serial{0};  // saves on other threads may share the folder
  for (int attempt = 0; attempt < 100; ++attempt) {
    char suffix[64];
    int n = std::snprintf(suffix, sizeof suffix, ".tmp-%ld-%u", static_cast<long>(::getpid()), s_serial++);
    std::size_t room = kNameMax - static_cast<std::size_t>(n);
    m_temp = folder + base.substr(0, room) + suffix;
    m_fd = OpenFile(m_temp.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    if (m_fd >= 0 || errno != EEXIST) break;
  }
  if (m_fd < 0) {
    Fail("cannot create the file", errno);
    m_temp.clear();
    return false;
  }
  // A replaced file keeps its permissions.
  if (exists) ::fchmod(m_fd, st.st_mode & 07777);
  return true;
}

bool OutputFile::ResolveTarget(const char* target, std::string& resolved, struct stat& st, bool& exists) {
  resolved = target;
  for (int hops = 0;; ++hops) {
    if (::lstat(resolved.c_str(), &st) != 0) {
      // A missing file (also at the end of a dangling link) is created.
      if (errno == ENOENT) return true;
      Fail("cannot inspect the target", errno);
      return false;
    }
    if (!S_ISLNK(st.st_mode)) {
      exists = true;
      return true;
    }
    if (hops == kMaxLinks) {
      Fail("too many links to the target", ELOOP);
      return false;
    }
    std::string link(static_cast<std::size_t>(st.st_size > 0 ? st.st_size : 0) + 256, '\0');
    ssize_t len = ::readlink(resolved.c_str(), &link[0], link.size());
    if (len < 0 || static_cast<std::size_t>(len) >= link.size()) {
      Fail("cannot read the link to the target", len < 0 ? errno : ENAMETOOLONG);
      return false;
    }
    link.resize(static_cast<std::size_t>(len));
    // A relative link is relative to the folder that holds the link.
    if (link[0] != '/') {
      std::size_t slash = resolved.rfind('/');
      link = slash == std::string::npos ? link : resolved.substr(0, slash + 1) + link;
    }
    resolved = link;
  }
}

bool OutputFile::Flush() {
  if (m_failed) return false;
  if (m_len == 0) return true;
  if (Injected(Op::kFlush)) {
    Fail("flush failed", EIO);
    return false;
  }
  if (!WriteAt(m_fd, m_buf, m_len, m_bufStart)) {
    Fail("write failed", errno);
    return false;
  }
  m_bufStart += static_cast<int64_t>(m_len);
  m_cursor = m_len = 0;
  return true;
}

void OutputFile::WriteSlow(const char* data, std::size_t n) {
  if (m_failed || m_fd < 0) {
    m_failed = true;
    return;
  }
  while (n > 0) {
    if (m_cursor == kBufferSize) {
      // The buffer is full from its start: everything in it is written.
      if (!Flush()) return;
    }
    std::size_t room = kBufferSize - m_cursor;
    std::size_t k = n < room ? n : room;
    std::memcpy(m_buf + m_cursor, data, k);
    m_cursor += k;
    if (m_cursor > m_len) m_len = m_cursor;
    data += k;
    n -= k;
  }
}

bool OutputFile::Seek(int64_t position) {
  if (m_failed || m_fd < 0 || position < 0) return false;
  if (position >= m_bufStart && position <= m_bufStart + static_cast<int64_t>(m_len)) {
    m_cursor = static_cast<std::size_t>(position - m_bufStart);
    return true;
  }
  if (!Flush()) return false;
  m_bufStart = position;
  return true;
}

bool OutputFile::Commit() {
  if (m_fd < 0 || m_failed) {
    Abort();
    return false;
  }
  if (!Flush()) {
    Abort();
    return false;
  }
  if (!SyncFile(m_fd)) {
    Fail("sync failed", errno);
    Abort();
    return false;
  }
  int fd = m_fd;
  m_fd = -1;
  if (!CloseFile(fd)) {
    Fail("close failed", errno);
    Abort();
    return false;
  }
  bool renamed = false;
  if (Injected(Op::kRename)) errno = EIO;
  else renamed = ::rename(m_temp.c_str(), m_target.c_str()) == 0;
  if (!renamed) {
    Fail("rename failed", errno);
    Abort();
    return false;
  }
  m_temp.clear();
  // Make the rename itself durable.
  std::string folder = FolderOf(m_target);
  int dfd = OpenFile(folder.c_str(), O_RDONLY | O_DIRECTORY, 0);
  if (dfd < 0) {
    Fail("cannot open the folder", errno);
    return false;
  }
  bool synced = SyncFile(dfd);
  int syncErr = errno;
  bool closed = CloseFile(dfd);
  if (!synced) Fail("folder sync failed", syncErr);
  else if (!closed) Fail("folder close failed", errno);
  return synced && closed;
}

void OutputFile::Abort() {
  if (m_fd >= 0) {
    ::close(m_fd);
    m_fd = -1;
  }
  if (!m_temp.empty()) {
    ::unlink(m_temp.c_str());
    m_temp.clear();
  }
  m_failed = true;
}

}  // namespace tavrin
