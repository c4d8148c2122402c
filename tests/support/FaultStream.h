// FaultStream.h - a real stdio stream (made with fopencookie) over bytes in
// memory that can be told to fail, for fault-injection tests.
//
// Writes fail once failWritesAfter bytes have been written in total, reads
// once failReadsAfter bytes have been read, seeks once failSeeksAfter bytes
// have been moved either way (-1: never). A failing write keeps the bytes
// that still fitted, so the store holds exactly the first N bytes sent.
// positionBase shifts every position the stream reports, which lets a test
// see positions past 2 GiB without a 2 GiB file; seeks below it fail.
#ifndef QVBASE_TESTS_SUPPORT_FAULTSTREAM_H
#define QVBASE_TESTS_SUPPORT_FAULTSTREAM_H

#include <cstdint>
#include <cstdio>
#include <vector>

namespace qvtest {

struct FaultPlan {
  std::int64_t failWritesAfter = -1;
  std::int64_t failReadsAfter = -1;
  std::int64_t failSeeksAfter = -1;
  std::int64_t positionBase = 0;
  bool unbuffered = false;  // each fread/fwrite goes straight to the store
};

class FaultStream {
 public:
  explicit FaultStream(std::vector<unsigned char> initial = {},
                       FaultPlan plan = {});
  ~FaultStream();
  FaultStream(const FaultStream&) = delete;
  FaultStream& operator=(const FaultStream&) = delete;

  /// Opens a stream on the store ("rb", "wb", "r+b", ...); the store keeps
  /// its bytes for "w" modes too, the position starts at positionBase.
  /// The caller closes it with fclose (or hands it to code that does).
  std::FILE* Open(const char* mode);

  const std::vector<unsigned char>& Bytes() const { return m_Data; }
  std::int64_t Written() const { return m_Written; }
  std::int64_t Read() const { return m_Read; }
  /// How many times the cookie's close function has run.
  int Closes() const { return m_Closes; }

 private:
  static ssize_t CookieRead(void* self, char* buf, size_t size);
  static ssize_t CookieWrite(void* self, const char* buf, size_t size);
  static int CookieSeek(void* self, off64_t* offset, int whence);
  static int CookieClose(void* self);

  std::vector<unsigned char> m_Data;
  FaultPlan m_Plan;
  std::int64_t m_Pos = 0;  // index into m_Data
  std::int64_t m_Written = 0;
  std::int64_t m_Read = 0;
  int m_Closes = 0;
};

}  // namespace qvtest

#endif  // QVBASE_TESTS_SUPPORT_FAULTSTREAM_H
