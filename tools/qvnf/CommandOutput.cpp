#include <iostream>

#include "Commands.h"
#include "FileReport.h"
#include "Output.h"

namespace qvnf {

const std::string& VersionTexts::Of(std::uint32_t v) {
  if (!any_ || v != last_) {
    text_ = VersionText(v);
    last_ = v;
    any_ = true;
  }
  return text_;
}

std::string VersionText(std::uint32_t v) {
  const std::string date = VersionDate(v);
  return date.empty() ? std::to_string(v)
                      : std::to_string(v) + " (" + date + ")";
}

void BlockColumns(Fields& line, VersionTexts& versions, const BlockInfo& b) {
  line.Text("  ")
      .Left(versions.Of(b.version), 22)
      .Text("  ")
      .Right(b.endAddress, 10)
      .Text("  ")
      .Right(b.dataSize, 10)
      .Done();
}

void PutMark(Out& out, const BlockInfo& b, std::int64_t fileSize) {
  if (b.mark == BlockMark::Ok) return;
  out.Put("  ! ");
  out.Put(MarkText(b, fileSize));
}

void PrintError(const std::string& path, const std::string& why, bool asJson,
                const std::string& line) {
  if (asJson) {
    Out out;
    JsonOut j(out);
    j.Object().Key("error").Str(why).Key("file").Str(path).End().Finish();
  }
  std::cerr << "qvnf: " << line << "\n";
}

int OpenFailure(const Cursor& c, bool asJson) {
  const std::string message = StatusMessage(c);
  PrintError(c.Path(), message, asJson, message);
  return c.Status() == OpenStatus::IoError ? kExitUsage : kExitDamaged;
}

std::string HexBytes(const unsigned char* data, std::size_t n,
                     const char* sep) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  out.reserve(n * 3);
  for (std::size_t i = 0; i < n; ++i) {
    if (i > 0) out += sep;
    out += kDigits[data[i] >> 4];
    out += kDigits[data[i] & 15];
  }
  return out;
}

}  // namespace qvnf
