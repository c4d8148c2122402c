// QvFile reading an arbitrary file by lines, words and strings in an
// arbitrary order, with an arbitrary separator set.
#include <QvBase/QvFile.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzUtil.h"

namespace {

// Everything handed out lies in the object's line buffer, zero-terminated.
void CheckPiece(const QvFile& f, const char* piece) {
  if (piece == nullptr) return;
  const char* buf = f.Data();
  QV_FUZZ_CHECK(piece >= buf && piece < buf + QvFile::kBufferSize);
  QV_FUZZ_CHECK(piece + std::strlen(piece) < buf + QvFile::kBufferSize);
}

// Words hold no separator; they are empty only when the file has zero bytes
// (a word that starts with one reads as an empty text).
void CheckWord(const QvFile& f, const char* word, const std::string& seps,
               bool zeros) {
  CheckPiece(f, word);
  if (word == nullptr) return;
  QV_FUZZ_CHECK(*word != '\0' || zeros);
  for (const char* p = word; *p; ++p)
    QV_FUZZ_CHECK(seps.find(*p) == std::string::npos);
}

// In binary mode the lines read to the end give the file back (up to its
// first zero byte, which ends a line's text in the buffer).
void CheckLines(const std::string& path, const std::string& content) {
  QvFile f(path.c_str());
  QV_FUZZ_CHECK(f.OpenToRead(false));
  std::string joined;
  int lines = 0;
  for (const char* l; (l = f.GetLine()) != nullptr;) {
    CheckPiece(f, l);
    joined += l;
    QV_FUZZ_CHECK(++lines <= int(content.size()) + 1);
  }
  if (content.find('\0') == std::string::npos) QV_FUZZ_CHECK(joined == content);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  qvfuzz::Bytes in(data, size);
  std::string seps = in.Text(6);
  seps.erase(std::strlen(seps.c_str()));  // a set ends at its first zero
  const bool text = in.Byte() & 1;
  const std::string ops = in.Text(64);
  const std::string content = in.Rest();
  const std::string& path = qvfuzz::WriteScratch(0, content);
  CheckLines(path, content);

  QvFile f(path.c_str());
  if (!seps.empty()) f.SetSeparator(seps.c_str());
  const bool zeros = content.find('\0') != std::string::npos;
  const std::string active = seps.empty() ? " \t\n\r" : seps;
  QV_FUZZ_CHECK(f.OpenToRead(text));
  // The operations chosen by the input, repeated until the file is done.
  int nulls = 0;
  for (int round = 0; round < 16 && nulls < 16; ++round) {
    for (unsigned char op : ops.empty() ? std::string(1, '\0') : ops) {
      const char* got = nullptr;
      switch (op % 9) {
        case 0:
          got = f.GetLine();
          CheckPiece(f, got);
          break;
        case 1:
          got = f.GetDataLine();
          CheckPiece(f, got);
          break;
        case 2:
          got = f.GetFirstWord();
          CheckWord(f, got, active, zeros);
          break;
        case 3:
          got = f.GetNextWord();
          CheckWord(f, got, active, zeros);
          break;
        case 4:
          got = f.GetRemainString();
          CheckPiece(f, got);
          break;
        case 5:
          got = f.GetString();
          CheckWord(f, got, " \t\n\r", zeros);
          break;
        case 6:
          got = f.GetNextString();
          CheckPiece(f, got);
          break;
        case 7:
          got = f.Data();
          f.CheckDataInclude(ops.c_str());
          break;
        default:
          got = f.Data();
          f.CheckFirstWordIs(seps.c_str());
      }
      nulls = got == nullptr ? nulls + 1 : 0;
    }
  }
  QvFile copy(f);
  QV_FUZZ_CHECK(!copy.IsOpen() && std::strcmp(copy.Data(), f.Data()) == 0);
  return 0;
}
