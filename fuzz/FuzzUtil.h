// FuzzUtil.h - shared pieces of the fuzz targets: a property check that
// stops the run, a reader that splits the fuzzer's bytes into parameters,
// and scratch files for the readers that only work on files.
#ifndef QVBASE_FUZZ_FUZZUTIL_H
#define QVBASE_FUZZ_FUZZUTIL_H

#include <cstddef>
#include <cstdint>
#include <string>

// A broken property is reported like a crash, so that the fuzzer keeps the
// input that showed it.
#define QV_FUZZ_CHECK(cond) \
  ((cond) ? (void)0 : qvfuzz::Fail(#cond, __FILE__, __LINE__))

namespace qvfuzz {

[[noreturn]] void Fail(const char* what, const char* file, int line);

// Hands out the fuzzer's bytes front to back; past the end it gives zeros
// and empty texts.
class Bytes {
 public:
  Bytes(const std::uint8_t* data, std::size_t size) : p_(data), n_(size) {}
  std::uint8_t Byte();
  // A text of at most maxLen bytes whose length is the next byte.
  std::string Text(std::size_t maxLen);
  // Everything not taken yet.
  std::string Rest();
  std::size_t Left() const { return n_; }

 private:
  const std::uint8_t* p_;
  std::size_t n_;
};

// A file of this process (one per slot), removed at exit. Write replaces
// its content and returns its path.
const std::string& ScratchPath(int slot);
const std::string& WriteScratch(int slot, const std::string& content);

}  // namespace qvfuzz

#endif  // QVBASE_FUZZ_FUZZUTIL_H
