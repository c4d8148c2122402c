// Word and field scans of QvStdString with arbitrary texts, separator
// sets and starting positions.
#include <QvBase/QvStdString.h>

#include <clocale>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "FuzzUtil.h"

namespace {

const QvStdString kWhite(std::string(" \t\n\r"));

bool HasAny(const std::string& word, const std::string& set) {
  return word.find_first_of(set) != std::string::npos;
}

// GetWord: words are non-empty, hold no separator, and the position only
// moves forward until the scan ends at -1.
int WalkWords(const QvStdString& text, int pos, const QvStdString& seps) {
  int words = 0;
  while (pos >= 0) {
    QvStdString word(std::string("unchanged"));
    const int before = pos;
    if (!text.GetWord(pos, word, seps)) {
      QV_FUZZ_CHECK(pos == before && word == "unchanged");
      break;
    }
    ++words;
    QV_FUZZ_CHECK(!word.empty() && !HasAny(word, seps));
    QV_FUZZ_CHECK(pos == -1 || (pos > before && pos <= int(text.size())));
  }
  return words;
}

// GetCSWord never moves back, and the scan ends within a bounded number of
// calls. (A field found after a leading separator may leave the position
// where it was; the next call then moves on.) Returns what the calls gave.
std::string WalkFields(const QvStdString& text, int pos,
                       const QvStdString& seps) {
  std::string got;
  int calls = 0;
  while (pos >= 0 && pos <= int(text.size()) + 1) {
    QvStdString field;
    const int before = pos;
    const bool ok = text.GetCSWord(pos, field, seps);
    got += (ok ? field : std::string("-")) + "@" + std::to_string(pos) + ";";
    QV_FUZZ_CHECK(pos == -1 || pos >= before);
    QV_FUZZ_CHECK(++calls <= 2 * int(text.size()) + 4);
  }
  return got;
}

// GetValue reads the next white-space word as sscanf would in "C".
void WalkValues(const QvStdString& text, int pos, unsigned kind) {
  while (pos >= 0) {
    int wordPos = pos;
    QvStdString word;
    const bool hasWord = text.GetWord(wordPos, word, kWhite);
    const int before = pos;
    bool ok = false;
    switch (kind % 4) {
      case 0: {
        double v = 0, ref = 0;
        ok = text.GetValue(pos, v);
        const bool refOk =
            hasWord && std::sscanf(word.c_str(), "%lf", &ref) == 1;
        QV_FUZZ_CHECK(ok == refOk);
        if (ok) QV_FUZZ_CHECK(std::memcmp(&v, &ref, sizeof v) == 0 || v != v);
        break;
      }
      case 1: {
        float v = 0, ref = 0;
        ok = text.GetValue(pos, v);
        const bool refOk =
            hasWord && std::sscanf(word.c_str(), "%f", &ref) == 1;
        QV_FUZZ_CHECK(ok == refOk);
        if (ok) QV_FUZZ_CHECK(std::memcmp(&v, &ref, sizeof v) == 0 || v != v);
        break;
      }
      case 2: {
        int v = 0;
        ok = text.GetValue(pos, v);
        if (ok)
          QV_FUZZ_CHECK(hasWord && word.find_first_not_of("0123456789+-") ==
                                       std::string::npos);
        break;
      }
      default: {
        char v = 0;
        ok = text.GetValue(pos, v);
        // sscanf sees a word that starts with a zero byte as empty.
        QV_FUZZ_CHECK(ok == (hasWord && word[0] != '\0'));
        if (ok) QV_FUZZ_CHECK(v == word[0]);
      }
    }
    if (!hasWord) {
      QV_FUZZ_CHECK(pos == before);
      break;
    }
    QV_FUZZ_CHECK(pos == wordPos);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  static const bool cLocale = std::setlocale(LC_ALL, "C") != nullptr;
  (void)cLocale;
  qvfuzz::Bytes in(data, size);
  const QvStdString seps(in.Text(8));
  const QvStdString key(in.Text(6));
  const unsigned start = in.Byte();
  const unsigned kind = in.Byte();
  const QvStdString text(in.Rest());
  const int pos = text.empty() ? 0 : int(start % (text.size() + 1));

  WalkWords(text, pos, seps);
  QV_FUZZ_CHECK(WalkWords(text, 0, kWhite) == text.CountWord());
  WalkFields(text, pos, seps);
  if (seps.size() == 1)  // one separator has a path of its own
    QV_FUZZ_CHECK(WalkFields(text, 0, seps) ==
                  WalkFields(text, 0, QvStdString(seps + seps)));
  WalkValues(text, pos, kind);

  QvStdString word;
  if (text.GetFirstWord(word, seps))
    QV_FUZZ_CHECK(text.IfFirstWordIs(word, seps));
  const int at = text.GetKeyPos(key, pos);
  QV_FUZZ_CHECK(at == (text.find(key, pos) == std::string::npos
                           ? -1
                           : int(text.find(key, pos))));
  if (text.GetWordAfterKey(key, word, seps))
    QV_FUZZ_CHECK(!word.empty() && !HasAny(word, seps) &&
                  text.find(key) != std::string::npos);
  if (text.IfIncludeWord(key, seps))
    QV_FUZZ_CHECK(!key.empty() && text.IfInclude(key));
  int checkPos = pos;
  text.CheckWord(checkPos, key);
  return 0;
}
