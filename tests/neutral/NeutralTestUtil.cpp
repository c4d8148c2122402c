#include "NeutralTestUtil.h"

#include <cstring>
#include <memory>

namespace qvtest {

FaultPlan Unbuffered() {
  FaultPlan plan;
  plan.unbuffered = true;
  return plan;
}

void PutU32(Bytes& out, std::uint32_t v, bool reversed) {
  for (int i = 0; i < 4; ++i)
    out.push_back(
        static_cast<unsigned char>(v >> (8 * (reversed ? 3 - i : i))));
}

void PutText(Bytes& out, const std::string& text, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i)
    out.push_back(i < text.size() ? static_cast<unsigned char>(text[i]) : 0);
}

void PutIdBlock(Bytes& out, const std::string& name, std::int32_t end,
                std::uint32_t version, bool reversed) {
  PutText(out, name, 8);
  PutU32(out, static_cast<std::uint32_t>(end), reversed);
  PutU32(out, version, reversed);
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

Sample GoodSample() {
  return {"sample",
          {1, -2, 0x7FFFFFFF},
          {0.5, -1e300},
          {1.5f, -0.0f, 3.25f, 1e-30f}};
}

std::vector<Step> SampleWriteSteps() {
  auto at = std::make_shared<std::vector<std::int32_t>>(3, -1);
  const Sample v = GoodSample();
  auto begin = [at](int i, const char* name, unsigned version) {
    return [=](QvNeutralFile& nf) {
      return ((*at)[i] = nf.WriteIdBlock(name, version)) >= 0;
    };
  };
  auto complete = [at](int i) {
    return [=](QvNeutralFile& nf) { return nf.UpdateIdBlock((*at)[i]); };
  };
  return {
      [v](QvNeutralFile& nf) { return nf.WriteHeader(v.shortText, "x"); },
      begin(0, "Alpha", 1),
      [v](QvNeutralFile& nf) { return nf.WriteInt(v.ints, 3); },
      begin(1, "Inner", 2),
      [v](QvNeutralFile& nf) { return nf.WriteDouble(v.doubles, 2); },
      complete(1),
      [](QvNeutralFile& nf) { return nf.WriteNullIdBlock(); },
      complete(0),
      begin(2, "BetaBlock", 3),
      [v](QvNeutralFile& nf) { return nf.WriteFloat(v.floats, 4); },
      complete(2),
  };
}

std::vector<Step> SampleReadSteps(Sample& out) {
  auto block = std::make_shared<QvNeutralFile::IdBlock>();
  Sample* o = &out;
  auto scan = [block](const char* name) {
    return [=](QvNeutralFile& nf) { return nf.ScanIdBlock(name, *block); };
  };
  return {
      [o](QvNeutralFile& nf) {
        return nf.ReadHeader(nullptr, o->shortText, nullptr);
      },
      scan("Alpha"),
      [o](QvNeutralFile& nf) { return nf.ReadInt(o->ints, 3); },
      scan("Inner"),
      [o](QvNeutralFile& nf) { return nf.ReadDouble(o->doubles, 2); },
      scan("BetaBlock"),
      [o](QvNeutralFile& nf) { return nf.ReadFloat(o->floats, 4); },
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
