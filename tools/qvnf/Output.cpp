#include "Output.h"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <nlohmann/json.hpp>

namespace qvnf {

Out::Out(std::FILE* f) : f_(f), buf_(kBuffer) {}

Out::~Out() {
  Flush();
}

bool Out::Flush() {
  if (used_ > 0 && std::fwrite(buf_.data(), 1, used_, f_) != used_)
    failed_ = true;
  used_ = 0;
  if (std::fflush(f_) != 0) failed_ = true;
  return !failed_;
}

void Out::PutLong(std::string_view s) {
  while (!s.empty()) {
    if (used_ == kBuffer) Flush();
    const std::size_t n = std::min(s.size(), kBuffer - used_);
    std::memcpy(buf_.data() + used_, s.data(), n);
    used_ += n;
    s.remove_prefix(n);
  }
}

std::size_t Out::Digits(char* buf, std::int64_t v) {
  char* const end = buf + 24;
  char* const q = DecimalBefore(end, v);
  std::memmove(buf, q, static_cast<std::size_t>(end - q));
  return static_cast<std::size_t>(end - q);
}

void Out::Printf(const char* format, ...) {
  char small[512];
  std::va_list args;
  va_start(args, format);
  std::va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(small, sizeof small, format, args);
  va_end(args);
  if (n >= 0 && static_cast<std::size_t>(n) < sizeof small) {
    Put(std::string_view(small, static_cast<std::size_t>(n)));
  } else if (n >= 0) {
    std::vector<char> big(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(big.data(), big.size(), format, again);
    Put(std::string_view(big.data(), static_cast<std::size_t>(n)));
  }
  va_end(again);
}

void Out::Hex(std::uint64_t v, int digits) {
  char buf[24];
  const auto r = std::to_chars(buf, buf + sizeof buf, v, 16);
  const int n = static_cast<int>(r.ptr - buf);
  for (int i = n; i < digits; ++i) Put('0');
  Put(std::string_view(buf, static_cast<std::size_t>(n)));
}

void JsonOut::NextMember() {
  Open& top = open_.back();
  out_.Put(top.members++ == 0 ? std::string_view("\n")
                              : std::string_view(",\n"));
  out_.Spaces(2 * static_cast<int>(open_.size()));
}

void JsonOut::BeforeValue() {
  if (!open_.empty() && !open_.back().object) NextMember();
}

JsonOut& JsonOut::Object() {
  BeforeValue();
  out_.Put('{');
  open_.push_back({true, 0});
  return *this;
}

JsonOut& JsonOut::Array() {
  BeforeValue();
  out_.Put('[');
  open_.push_back({false, 0});
  return *this;
}

JsonOut& JsonOut::End() {
  const Open top = open_.back();
  open_.pop_back();
  if (top.members > 0) {
    out_.Put('\n');
    out_.Spaces(2 * static_cast<int>(open_.size()));
  }
  out_.Put(top.object ? '}' : ']');
  return *this;
}

JsonOut& JsonOut::Key(std::string_view key) {
  NextMember();
  out_.Put('"');
  out_.Put(key);
  out_.Put("\": ");
  return *this;
}

JsonOut& JsonOut::Str(std::string_view s) {
  BeforeValue();
  bool plain = true;
  for (const char c : s)
    plain = plain && c >= 0x20 && c < 0x7f && c != '"' && c != '\\';
  if (plain) {
    out_.Put('"');
    out_.Put(s);
    out_.Put('"');
  } else {
    out_.Put(
        nlohmann::json(std::string(s))
            .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
  }
  return *this;
}

JsonOut& JsonOut::Int(std::int64_t v) {
  BeforeValue();
  out_.Int(v);
  return *this;
}

JsonOut& JsonOut::Real(double v) {
  BeforeValue();
  out_.Put(JsonNumber(v));
  return *this;
}

JsonOut& JsonOut::Bool(bool v) {
  BeforeValue();
  out_.Put(v ? "true" : "false");
  return *this;
}

JsonOut& JsonOut::Raw(std::string_view json) {
  BeforeValue();
  out_.Put(json);
  return *this;
}

std::string JsonNumber(double v) {
  if (!std::isfinite(v)) return "null";
  if (v == 0) return std::signbit(v) ? "-0.0" : "0.0";
  // The shortest digits that read back as v, then nlohmann-json's layout:
  // plain notation for decimal exponents from -4 to 15, else d.ddde+XX.
  char buf[64];
  const auto r =
      std::to_chars(buf, buf + sizeof buf, v, std::chars_format::scientific);
  const std::string text(buf, r.ptr);
  const std::size_t e = text.find('e');
  std::string digits;
  for (std::size_t i = 0; i < e; ++i)
    if (text[i] >= '0' && text[i] <= '9') digits += text[i];
  const int k = static_cast<int>(digits.size());
  const int n = std::stoi(text.substr(e + 1)) + 1;  // digits before the point
  std::string out = v < 0 ? "-" : "";
  if (k <= n && n <= 15) {
    out += digits + std::string(static_cast<std::size_t>(n - k), '0') + ".0";
  } else if (0 < n && n <= 15) {
    out += digits.substr(0, static_cast<std::size_t>(n)) + "." +
           digits.substr(static_cast<std::size_t>(n));
  } else if (-4 < n && n <= 0) {
    out += "0." + std::string(static_cast<std::size_t>(-n), '0') + digits;
  } else {
    out += digits.substr(0, 1);
    if (k > 1) out += "." + digits.substr(1);
    const int x = n - 1;
    out += x < 0 ? "e-" : "e+";
    const std::string xs = std::to_string(x < 0 ? -x : x);
    out += (xs.size() < 2 ? "0" : "") + xs;
  }
  return out;
}

}  // namespace qvnf
