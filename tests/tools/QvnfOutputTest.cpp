// qvnf's writers on a real stream: JSON laid out exactly as nlohmann-json
// lays out the same document, numbers and fields as printf writes them,
// and lines that pass the buffer or a field's room.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>

#include "Output.h"

namespace {

using nlohmann::json;

// What write puts on a stream through an Out.
template <typename Write>
std::string Written(Write write) {
  std::FILE* f = std::tmpfile();
  if (f == nullptr) return "(no temporary file)";
  {
    qvnf::Out out(f);
    write(out);
  }
  std::string text;
  std::rewind(f);
  char buf[4096];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;)
    text.append(buf, n);
  std::fclose(f);
  return text;
}

std::string Printed(const char* format, long long v) {
  char buf[64];
  std::snprintf(buf, sizeof buf, format, v);
  return buf;
}

TEST(QvnfOutput, JsonAsNlohmannLaysItOut) {
  const double inf = std::numeric_limits<double>::infinity();
  const double reals[] = {
      0.0,   -0.0,         1.5,  -2.25, 1e20,       1e16,       1e15,
      0.001, 1.2345e-7,    3e-5, -3e-5, 123456.789, 12345678.5, 2.5e-300,
      1e300, std::nan(""), inf,  -inf,  0.1};
  const std::string texts[] = {"plain",           "say \"hi\"\\",
                               "tab\tline\n\x01", "caf\xc3\xa9",
                               "bad \xff byte",   ""};
  const std::string got = Written([&](qvnf::Out& out) {
    qvnf::JsonOut j(out);
    j.Object().Key("empty_array").Array().End();
    j.Key("empty_object").Object().End();
    j.Key("flags").Array().Bool(true).Bool(false).End();
    j.Key("ints").Array();
    for (std::int64_t v : {std::int64_t{0}, std::int64_t{-7},
                           std::int64_t{4294967296}, INT64_MIN, INT64_MAX})
      j.Int(v);
    j.End().Key("raw").Raw("12").Key("reals").Array();
    for (double v : reals) j.Real(v);
    j.End().Key("texts").Array();
    for (const std::string& t : texts) j.Str(t);
    j.End().End().Finish();
  });
  json want = {{"empty_array", json::array()},
               {"empty_object", json::object()},
               {"flags", {true, false}},
               {"ints", {0, -7, 4294967296LL, INT64_MIN, INT64_MAX}},
               {"raw", 12},
               {"reals", json::array()},
               {"texts", json::array()}};
  for (double v : reals) want["reals"].push_back(v);
  for (const std::string& t : texts) want["texts"].push_back(t);
  EXPECT_EQ(want.dump(2, ' ', false, json::error_handler_t::replace) + "\n",
            got);
  // Each number reads back as the value written.
  for (double v : reals) {
    SCOPED_TRACE(v);
    const json back = json::parse(qvnf::JsonNumber(v));
    if (std::isfinite(v)) {
      EXPECT_EQ(v, back.get<double>());
    } else {
      EXPECT_TRUE(back.is_null());
    }
  }
}

TEST(QvnfOutput, NumbersTextsAndFieldsAsPrintfWritesThem) {
  for (std::int64_t v :
       {0LL, 7LL, -7LL, 99LL, 100LL, 99999LL, 100000LL, -123456LL, 4294967295LL,
        4294967296LL, 999999999999999999LL, 9223372036854775807LL,
        -9223372036854775807LL}) {
    SCOPED_TRACE(v);
    const auto u = static_cast<std::uint64_t>(v < 0 ? -v : v);
    EXPECT_EQ(Printed("%llu", static_cast<long long>(u)).size(),
              static_cast<std::size_t>(qvnf::DecimalLength(u)));
    EXPECT_EQ(Printed("%lld", v) + "|" + Printed("%12lld", v) + "|" +
                  Printed("%-12lld", v) + "|" + Printed("%lld", v) + "|" +
                  Printed("%llx", v & 0xffff) + "|",
              Written([v](qvnf::Out& out) {
                out.Int(v);
                out.Put('|');
                out.Right(v, 12);
                out.Put('|');
                qvnf::Fields line(out);
                line.Left(std::to_string(v), 12).Text("|").Int(v).Text("|");
                line.Done();
                out.Hex(static_cast<std::uint64_t>(v & 0xffff), 0);
                out.Put('|');
              }));
  }
  // Texts of every length up to 20 go whole into a field; names fill 8
  // columns.
  for (std::size_t n = 0; n <= 20; ++n) {
    const std::string text = std::string("abcdefghijklmnopqrstu").substr(0, n);
    SCOPED_TRACE(n);
    EXPECT_EQ(text + "|Name    |" + std::string(3, ' ') + "-5",
              Written([&](qvnf::Out& out) {
                qvnf::Fields(out)
                    .Text(text)
                    .Text("|")
                    .Name8(qvnf::BlockName("Name"))
                    .Text("|")
                    .Spaces(-1)
                    .Right(-5, 5)
                    .Done();
              }));
  }
}

TEST(QvnfOutput, LongLinesAndFieldsPastTheirRoom) {
  // A line longer than the buffer, and a printf line longer than its
  // first try, go out whole; Hex pads to the digits asked.
  const std::string big(qvnf::Out::kBuffer + 123, 'x');
  const std::string mid(700, 'y');
  EXPECT_EQ("00ff" + big + mid + "7\n" + big, Written([&](qvnf::Out& out) {
              out.Hex(255, 4);
              out.Put(big);
              out.Printf("%s%d\n", mid.c_str(), 7);
              for (char ch : big) out.Put(ch);
            }));
  // A line's fields stop at kMost bytes: what would pass is cut.
  const std::string fill(qvnf::Fields::kMost - 6, '.');
  EXPECT_EQ(fill + "    12", Written([&](qvnf::Out& out) {
              qvnf::Fields(out).Text(fill).Right(123456, 10).Done();
            }));
  EXPECT_EQ(fill + "Name  ", Written([&](qvnf::Out& out) {
              qvnf::Fields(out)
                  .Text(fill)
                  .Name8(qvnf::BlockName("Name"))
                  .Spaces(4)
                  .Done();
            }));
  EXPECT_EQ(fill + "123456", Written([&](qvnf::Out& out) {
              qvnf::Fields(out).Text(fill).Int(12345678).Done();
            }));
}

}  // namespace
