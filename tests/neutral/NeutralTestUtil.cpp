#include "NeutralTestUtil.h"

#include <cstring>
#include <memory>

namespace qvtest {

void PutU32(Bytes& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

void PutU32Reversed(Bytes& out, std::uint32_t v) {
  for (int i = 3; i >= 0; --i) out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

void PutText(Bytes& out, const std::string& text, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i)
    out.push_back(i < text.size() ? static_cast<unsigned char>(text[i]) : 0);
}

void PutIdBlock(Bytes& out, const std::string& name, std::int32_t end,
                std::uint32_t version, bool reversed) {
  PutText(out, name, 8);
  if (reversed) {
    PutU32Reversed(out, static_cast<std::uint32_t>(end));
    PutU32Reversed(out, version);
  } else {
    PutU32(out, static_cast<std::uint32_t>(end));
    PutU32(out, version);
  }
}

Bytes MakeHeader(unsigned char orderByte) {
  Bytes out;
  PutIdBlock(out, "WyNF", 121, 20000701, orderByte != 0);
  out.push_back(orderByte);
  PutText(out, "20240229", 8);
  PutText(out, "short", 16);
  PutText(out, "long text", 80);
  return out;
}

void PatchU32(Bytes& bytes, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i)
    bytes.at(at + i) = static_cast<unsigned char>(v >> (8 * i));
}

SampleValues GoodSample() {
  SampleValues v;
  std::strcpy(v.shortText, "sample");
  std::strcpy(v.longText, "written step by step");
  const int ints[3] = {1, -2, 0x7FFFFFFF};
  const double doubles[2] = {0.5, -1e300};
  const float floats[4] = {1.5f, -0.0f, 3.25f, 1e-30f};
  std::memcpy(v.ints, ints, sizeof ints);
  std::memcpy(v.doubles, doubles, sizeof doubles);
  std::memcpy(v.floats, floats, sizeof floats);
  std::strcpy(v.tail, "tail");
  return v;
}

std::vector<Step> SampleWriteSteps() {
  struct Addresses {
    std::int32_t alpha = -1, inner = -1, beta = -1;
  };
  auto at = std::make_shared<Addresses>();
  const SampleValues v = GoodSample();
  return {
      [v](QvNeutralFile& nf) {
        return nf.WriteHeader(v.shortText, v.longText);
      },
      [at](QvNeutralFile& nf) {
        return (at->alpha = nf.WriteIdBlock("Alpha", 1)) >= 0;
      },
      [v](QvNeutralFile& nf) { return nf.WriteInt(v.ints, 3); },
      [at](QvNeutralFile& nf) {
        return (at->inner = nf.WriteIdBlock("Inner", 2)) >= 0;
      },
      [v](QvNeutralFile& nf) { return nf.WriteDouble(v.doubles, 2); },
      [at](QvNeutralFile& nf) { return nf.UpdateIdBlock(at->inner); },
      [](QvNeutralFile& nf) { return nf.WriteNullIdBlock(); },
      [at](QvNeutralFile& nf) { return nf.UpdateIdBlock(at->alpha); },
      [at](QvNeutralFile& nf) {
        return (at->beta = nf.WriteIdBlock("BetaBlock", 3)) >= 0;
      },
      [v](QvNeutralFile& nf) {
        return nf.WriteFloat(v.floats, 4) && nf.WriteName(v.tail);
      },
      [at](QvNeutralFile& nf) { return nf.UpdateIdBlock(at->beta); },
  };
}

std::vector<Step> SampleReadSteps(SampleValues& out) {
  auto block = std::make_shared<QvNeutralFile::IdBlock>();
  SampleValues* o = &out;
  return {
      [o](QvNeutralFile& nf) {
        return nf.ReadHeader(o->date, o->shortText, o->longText);
      },
      [block](QvNeutralFile& nf) {
        return nf.ScanIdBlock("Alpha", *block) && block->m_Version == 1;
      },
      [o](QvNeutralFile& nf) { return nf.ReadInt(o->ints, 3); },
      [block](QvNeutralFile& nf) {
        block->m_EndAddress = -1;
        return nf.ReadIdBlock(*block) &&
               std::strcmp(block->m_Name, "Inner") == 0;
      },
      [o](QvNeutralFile& nf) { return nf.ReadDouble(o->doubles, 2); },
      // From the null block closing Alpha's data the walk wraps to the
      // header and finds the block stored after Alpha.
      [block](QvNeutralFile& nf) {
        return nf.ScanIdBlock("BetaBlock", *block) && block->m_Version == 3;
      },
      [o](QvNeutralFile& nf) { return nf.ReadFloat(o->floats, 4); },
      [o](QvNeutralFile& nf) { return nf.ReadString(o->tail, 8); },
  };
}

int RunSteps(QvNeutralFile& nf, const std::vector<Step>& steps,
             const std::function<void()>& probe) {
  int done = 0;
  for (const Step& step : steps) {
    if (!step(nf)) break;
    ++done;
    if (probe) probe();
  }
  return done;
}

}  // namespace qvtest
