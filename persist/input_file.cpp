#include "persist/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace tavrin {

namespace {
int Refuse(int fd, int err, const char* text, const char** why) {
  if (fd >= 0) ::close(fd);
  if (why) *why = text ? text : std::strerror(err);
  errno = err;
  return -1;
}
}  // namespace

int OpenRegularFile(const char* path, const char** why) {
  if (!path || !*path) return Refuse(-1, ENOENT, "no file name", why);
  // Nothing but a regular file is opened, so opening has no effect on a
  // device; the check is repeated on the open file in case the name changed
  // meanwhile.
  struct stat st;
  if (::stat(path, &st) != 0) return Refuse(-1, errno, nullptr, why);
  if (S_ISDIR(st.st_mode)) return Refuse(-1, EISDIR, nullptr, why);
  if (!S_ISREG(st.st_mode)) return Refuse(-1, EINVAL, "not a regular file", why);
  int fd;
  do fd = ::open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC); while (fd < 0 && errno == EINTR);
  if (fd < 0) return Refuse(-1, errno, nullptr, why);
  if (::fstat(fd, &st) != 0) return Refuse(fd, errno, nullptr, why);
  if (S_ISDIR(st.st_mode)) return Refuse(fd, EISDIR, nullptr, why);
  if (!S_ISREG(st.st_mode)) return Refuse(fd, EINVAL, "not a regular file", why);
  int flags = ::fcntl(fd, F_GETFL);
  if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return Refuse(fd, errno, nullptr, why);
  return fd;
}

InputFile::InputFile() : m_buf(static_cast<char*>(std::malloc(kBufferSize))) {}

InputFile::~InputFile() {
  Close();
  std::free(m_buf);
}

bool InputFile::Open(const char* path) {
  Close();
  if (!m_buf) {
    m_error = "out of memory";
    return false;
  }
  int fd = OpenRegularFile(path, &m_error);
  if (fd < 0) return false;
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    m_error = std::strerror(errno);
    ::close(fd);
    return false;
  }
  m_fd = fd;
  m_error = "";
  m_size = st.st_size;
  m_limit = m_size;
  m_pos = m_bufStart = 0;
  m_bufLen = 0;
  return true;
}

void InputFile::Close() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  m_size = m_limit = m_pos = m_bufStart = 0;
  m_bufLen = 0;
}

bool InputFile::Seek(int64_t position) {
  if (m_fd < 0 || position < 0 || position > m_size) return false;
  m_pos = position;
  return true;
}

bool InputFile::Fill() {
  if (m_fd < 0) return false;
  if (m_pos >= m_bufStart && m_pos < m_bufStart + static_cast<int64_t>(m_bufLen)) return true;
  ssize_t r;
  do r = ::pread(m_fd, m_buf, kBufferSize, static_cast<off_t>(m_pos)); while (r < 0 && errno == EINTR);
  if (r <= 0) {
    m_bufLen = 0;
    return false;
  }
  m_bufStart = m_pos;
  m_bufLen = static_cast<std::size_t>(r);
  return true;
}

bool InputFile::ReadLine(char* out, std::size_t cap, std::size_t* length) {
  std::size_t kept = 0, total = 0;
  bool complete = ScanLine([&](const char* p, std::size_t n) {
    if (kept < cap) {
      std::size_t k = n < cap - kept ? n : cap - kept;
      std::memcpy(out + kept, p, k);
      kept += k;
    }
    total += n;
  });
  out[kept] = '\0';
  if (length) *length = total;
  return complete;
}

std::size_t InputFile::ReadBounded(char* out, std::size_t max) {
  std::size_t n = 0;
  while (n < max && m_pos < m_limit && Fill()) {
    char c = m_buf[m_pos - m_bufStart];
    ++m_pos;
    out[n++] = c;
    if (c == '\n') break;
  }
  out[n] = '\0';
  return n;
}

std::size_t InputFile::ReadBytes(void* out, std::size_t n) {
  char* dst = static_cast<char*>(out);
  std::size_t done = 0;
  while (done < n && m_pos < m_limit && Fill()) {
    int64_t end = m_bufStart + static_cast<int64_t>(m_bufLen);
    if (end > m_limit) end = m_limit;
    std::size_t k = static_cast<std::size_t>(end - m_pos);
    if (k > n - done) k = n - done;
    std::memcpy(dst + done, m_buf + (m_pos - m_bufStart), k);
    done += k;
    m_pos += static_cast<int64_t>(k);
  }
  return done;
}

}  // namespace tavrin
