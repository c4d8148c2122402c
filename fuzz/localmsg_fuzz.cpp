// Message lookups in an arbitrary local message file with arbitrary keys.
#include <QvBase/QvProgress.h>
#include <QvBase/QvStdString.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "FuzzUtil.h"

namespace {

void CheckLookup(QvProgress& p, const std::string& file,
                 const QvStdString& key) {
  QvStdString text(std::string("stale"));
  if (!p.GetLocalMsg(key, text)) {
    QV_FUZZ_CHECK(std::strcmp(text.c_str(), key.c_str()) == 0);
    return;
  }
  // A found key is in the file, and its message comes out trimmed.
  QV_FUZZ_CHECK(file.find(key.c_str()) != std::string::npos);
  if (!text.empty()) {
    QV_FUZZ_CHECK(std::strchr(" \t\"\r\n", text.back()) == nullptr);
    QV_FUZZ_CHECK(std::strchr(" \t\",", text.front()) == nullptr);
  }
  QV_FUZZ_CHECK(text.size() < 1024);
  // Looking up in place gives the same message.
  QvStdString same(key);
  QV_FUZZ_CHECK(p.GetLocalMsg(same, same) && same == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  qvfuzz::Bytes in(data, size);
  const QvStdString key1(in.Text(40));
  const QvStdString key2(in.Text(40));
  const std::string file = in.Rest();
  QvProgress p;
  QV_FUZZ_CHECK(p.OpenLocalMessageFile(qvfuzz::WriteScratch(0, file).c_str()));
  CheckLookup(p, file, key1);
  CheckLookup(p, file, key2);
  CheckLookup(p, file, key1);
  return 0;
}
