// The output layer of saved files: a buffered writer on a temporary file
// beside the target that becomes the target only when the whole file has
// reached the disk (flush, sync, close, rename, folder sync).
//
// Every system call goes through this layer, so a test can count them and
// make the k-th operation of a kind fail (see io::FailAt).
#ifndef TAVRIN_PERSIST_OUTPUT_FILE_H
#define TAVRIN_PERSIST_OUTPUT_FILE_H

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "persist/text_codec.h"

namespace tavrin {

namespace io {
// Operations of the output layer. A flush empties the buffer and issues one
// or more writes; syncs, closes and opens cover both the temporary file and
// its folder.
enum class Op { kOpen, kWrite, kFlush, kSync, kRename, kClose };
constexpr int kOpCount = 6;
const char* OpName(Op op);
// Makes the k-th operation of that kind after the last ResetFaults fail
// (counting from 1); 0 disables it.
void FailAt(Op op, long k);
// Clears the injected faults and the operation counters.
void ResetFaults();
// Operations of that kind issued since the last ResetFaults.
long Count(Op op);
}  // namespace io

class OutputFile {
 public:
  static constexpr std::size_t kBufferSize = 64 * 1024;

  OutputFile();
  ~OutputFile();  // removes the temporary file unless committed
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates the temporary file in the target's folder. A symbolic link (or a
  // chain of them) is followed: the file it names is the one replaced, and
  // created when missing. False when the target exists and is no regular
  // file (folder, FIFO, device, socket) or the temporary file cannot be
  // created.
  bool Open(const char* target);
  bool IsOpen() const { return m_fd >= 0; }
  // False once any operation failed; the failure is kept.
  bool ok() const { return !m_failed; }

  void Write(const void* data, std::size_t n) {
    if (m_cursor + n <= kBufferSize) {
      std::memcpy(m_buf + m_cursor, data, n);
      m_cursor += n;
      if (m_cursor > m_len) m_len = m_cursor;
      return;
    }
    WriteSlow(static_cast<const char*>(data), n);
  }
  void Put(char c) { Write(&c, 1); }
  // Room for n bytes at the write position, or null when the buffer is too
  // full (then use Write). Advance by the bytes actually placed there.
  char* Space(std::size_t n) { return m_cursor + n <= kBufferSize ? m_buf + m_cursor : nullptr; }
  void Advance(std::size_t n) {
    m_cursor += n;
    if (m_cursor > m_len) m_len = m_cursor;
  }

  // One line: n characters and a line feed.
  void PutLine(const char* text, std::size_t n) {
    if (char* at = Space(n + 1)) {
      std::memcpy(at, text, n);
      at[n] = '\n';
      Advance(n + 1);
      return;
    }
    Write(text, n);
    Put('\n');
  }
  // The decimal line of v.
  void PutIntLine(int32_t v) {
    if (char* at = Space(12)) {
      char* end = FormatInt32(at, v);
      *end++ = '\n';
      Advance(static_cast<std::size_t>(end - at));
      return;
    }
    char line[16];
    char* end = FormatInt32(line, v);
    *end++ = '\n';
    Write(line, static_cast<std::size_t>(end - line));
  }
  // A text of n characters holding no line feed: its length line and its
  // characters line, in one step when the buffer has room.
  void PutTextLines(const char* text, std::size_t n) {
    if (char* at = Space(n + 13)) {
      char* end = FormatInt32(at, static_cast<int32_t>(n));
      *end++ = '\n';
      if (n) {
        std::memcpy(end, text, n);
        end += n;
        *end++ = '\n';
      }
      Advance(static_cast<std::size_t>(end - at));
      return;
    }
    PutIntLine(static_cast<int32_t>(n));
    if (n) PutLine(text, n);
  }

  int64_t Tell() const { return m_bufStart + static_cast<int64_t>(m_cursor); }
  // Moves the write position; later writes overwrite from there.
  bool Seek(int64_t position);

  // Flushes, syncs and closes the temporary file, renames it over the target
  // and syncs the folder. False on any failure: before the rename the
  // temporary file is removed and the target is untouched; a failure of the
  // folder sync comes after the rename, when the target already holds the
  // complete new file.
  bool Commit();
  // Closes and removes the temporary file; the target is untouched.
  void Abort();

  const std::string& error() const { return m_error; }

 private:
  static constexpr std::size_t kNameMax = 255;  // bytes of a file name
  static constexpr int kMaxLinks = 40;           // as the system's own bound

  // Follows the links from target to the file to replace; st describes it
  // when exists is set. False (failure kept) when a link cannot be followed.
  bool ResolveTarget(const char* target, std::string& resolved, struct stat& st, bool& exists);
  void WriteSlow(const char* data, std::size_t n);
  bool Flush();
  void Fail(const char* what, int err);

  int m_fd = -1;
  bool m_failed = false;
  std::string m_target;
  std::string m_temp;
  std::string m_error;
  char* m_buf;
  std::size_t m_cursor = 0;  // write position in the buffer
  std::size_t m_len = 0;     // bytes of the buffer that hold data
  int64_t m_bufStart = 0;    // file position of m_buf[0]
};

}  // namespace tavrin

#endif
