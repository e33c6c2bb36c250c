// The input layer of saved files: a buffered reader with seeking and a
// read limit, reading lines of any length without holding more of them
// than the caller asks for.
#ifndef TAVRIN_PERSIST_INPUT_FILE_H
#define TAVRIN_PERSIST_INPUT_FILE_H

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tavrin {

// Opens path for reading when it is a regular file. FIFOs, devices, folders
// and sockets are refused at once: a FIFO without a writer would block the
// open, a device could be read without end. Returns the descriptor, or -1
// with errno set and *why (when given) saying what went wrong.
int OpenRegularFile(const char* path, const char** why);

class InputFile {
 public:
  static constexpr std::size_t kBufferSize = 64 * 1024;

  InputFile();
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // False when the file cannot be opened for reading or is no regular file
  // (see OpenRegularFile); error() then says why.
  bool Open(const char* path);
  const char* error() const { return m_error; }
  bool IsOpen() const { return m_fd >= 0; }
  void Close();
  int64_t Size() const { return m_size; }

  int64_t Tell() const { return m_pos; }
  // False (position unchanged) for a position outside the file.
  bool Seek(int64_t position);
  // No read goes past this position (initially the end of the file).
  void SetLimit(int64_t limit) { m_limit = limit < m_size ? limit : m_size; }
  int64_t Limit() const { return m_limit; }
  int64_t Remaining() const { return m_limit > m_pos ? m_limit - m_pos : 0; }

  // Consumes one line through its line feed, handing its characters (without
  // the line feed) to sink(const char*, size_t) in one or more pieces. False
  // when no line feed comes before the limit: the line is incomplete.
  template <class Sink>
  bool ScanLine(Sink&& sink) {
    for (;;) {
      if (m_pos >= m_limit || !Fill()) return false;
      const char* p = m_buf + (m_pos - m_bufStart);
      int64_t end = m_bufStart + static_cast<int64_t>(m_bufLen);
      if (end > m_limit) end = m_limit;
      std::size_t avail = static_cast<std::size_t>(end - m_pos);
      const char* lf = static_cast<const char*>(std::memchr(p, '\n', avail));
      if (lf) {
        std::size_t n = static_cast<std::size_t>(lf - p);
        sink(p, n);
        m_pos += static_cast<int64_t>(n) + 1;
        return true;
      }
      sink(p, avail);
      m_pos += static_cast<int64_t>(avail);
    }
  }
  // The common number line, an optional '-' and at most 18 digits right
  // before the line feed, read straight from the buffer. False, with
  // nothing consumed, for any other line (read it with ScanLine).
  bool TryReadPlainNumber(int64_t& v) {
    std::size_t n;
    if (!PeekPlainNumber(v, n)) return false;
    m_pos += static_cast<int64_t>(n);
    return true;
  }
  // The same without consuming the line: n is its length with the line feed.
  bool PeekPlainNumber(int64_t& v, std::size_t& n) const {
    int64_t end = m_bufStart + static_cast<int64_t>(m_bufLen);
    if (end > m_limit) end = m_limit;
    if (m_pos < m_bufStart || m_pos >= end) return false;
    const char* p = m_buf + (m_pos - m_bufStart);
    const char* stop = m_buf + (end - m_bufStart);
    const char* q = p;
    bool negative = *q == '-';
    if (negative) ++q;
    const char* digits = q;
    uint64_t acc = 0;
    while (q < stop && static_cast<unsigned>(*q - '0') < 10 && q - digits < 18) acc = acc * 10 + static_cast<unsigned>(*q++ - '0');
    if (q == digits || q >= stop || *q != '\n') return false;
    v = negative ? -static_cast<int64_t>(acc) : static_cast<int64_t>(acc);
    n = static_cast<std::size_t>(q - p) + 1;
    return true;
  }
  // The n characters of the next line when the buffer holds all of them and
  // its line feed before the limit, and they hold no line feed and no NUL;
  // else null. Nothing is consumed (Skip(n + 1) does).
  const char* PeekTextLine(std::size_t n) const {
    int64_t end = m_bufStart + static_cast<int64_t>(m_bufLen);
    if (end > m_limit) end = m_limit;
    if (m_pos < m_bufStart || end - m_pos <= static_cast<int64_t>(n)) return nullptr;
    const char* p = m_buf + (m_pos - m_bufStart);
    if (p[n] != '\n' || std::memchr(p, '\n', n) || std::memchr(p, '\0', n)) return nullptr;
    return p;
  }
  // Consumes n bytes that PeekTextLine showed in the buffer.
  void Skip(std::size_t n) { m_pos += static_cast<int64_t>(n); }
  // Consumes one line and keeps at most `cap` of its characters in out
  // (terminated; out holds cap + 1 bytes). Sets *length to the line's full
  // length when given. False when the line is incomplete.
  bool ReadLine(char* out, std::size_t cap, std::size_t* length = nullptr);
  // Reads at most `max` characters, stopping after a line feed (which is
  // kept), into out (terminated; out holds max + 1 bytes). Returns the count.
  std::size_t ReadBounded(char* out, std::size_t max);
  // Reads up to n raw bytes; returns the count read.
  std::size_t ReadBytes(void* out, std::size_t n);

 private:
  // Makes the byte at m_pos available in the buffer; false at the end.
  bool Fill();

  int m_fd = -1;
  const char* m_error = "";
  char* m_buf;
  int64_t m_size = 0;
  int64_t m_limit = 0;
  int64_t m_pos = 0;
  int64_t m_bufStart = 0;
  std::size_t m_bufLen = 0;
};

}  // namespace tavrin

#endif
