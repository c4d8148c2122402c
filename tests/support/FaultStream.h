// FaultStream.h - a real stdio stream (made with fopencookie) over bytes in
// memory that can be told to fail, for fault-injection tests.
// Writes fail once failWritesAfter bytes have been written in total, reads
// once failReadsAfter bytes have been read, seeks once failSeeksAfter bytes
// have been moved either way (-1: never). A failing write keeps the bytes
// that still fitted.
// On Windows the store is a temporary file: plain streams work the same, but
// no fault can be planned (Open gives null) and the counters stay 0.
#ifndef QVBASE_TESTS_SUPPORT_FAULTSTREAM_H
#define QVBASE_TESTS_SUPPORT_FAULTSTREAM_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// Skips the running test where FaultStream cannot fail or count.
#define QV_NEEDS_FAULT_STREAM()                                         \
  if (!qvtest::FaultStream::Supported())                                \
  GTEST_SKIP() << "no stdio stream on callbacks here: fault injection " \
                  "and stream counters are unavailable"

namespace qvtest {

struct FaultPlan {
  std::int64_t failWritesAfter = -1, failReadsAfter = -1, failSeeksAfter = -1;
  bool unbuffered = false;  // each fread/fwrite goes straight to the store
};

class FaultStream {
 public:
  /// Whether planned faults and the counters work on this system.
  static bool Supported();

  explicit FaultStream(std::vector<unsigned char> initial = {},
                       FaultPlan plan = {});
  ~FaultStream();
  FaultStream(const FaultStream&) = delete;
  FaultStream& operator=(const FaultStream&) = delete;
  /// Opens a stream on the store ("rb", "wb", "r+b", ...); the store keeps
  /// its bytes for "w" modes too, the position starts at 0.
  std::FILE* Open(const char* mode);

  /// The bytes in the store (on Windows, what has reached the file).
  const std::vector<unsigned char>& Bytes() const;
  std::int64_t Written() const { return m_Written; }
  std::int64_t Read() const { return m_Read; }
  /// How many times the cookie's close function has run.
  int Closes() const { return m_Closes; }

 private:
#if defined(_WIN32)
  std::string m_Path;  // the temporary file that holds the store
  mutable std::vector<unsigned char> m_Data;
#else
  static ssize_t CookieRead(void* self, char* buf, size_t size);
  static ssize_t CookieWrite(void* self, const char* buf, size_t size);
  static int CookieSeek(void* self, off64_t* offset, int whence);
  static int CookieClose(void* self);
  std::vector<unsigned char> m_Data;
#endif
  FaultPlan m_Plan;
  std::int64_t m_Pos = 0;  // index into m_Data
  std::int64_t m_Written = 0, m_Read = 0;
  int m_Closes = 0;
};

}  // namespace qvtest

#endif  // QVBASE_TESTS_SUPPORT_FAULTSTREAM_H
