#include <cstdio>
#include <iostream>

#include "Commands.h"
#include "FileReport.h"

namespace qvnf {

void PrintJson(const nlohmann::json& j) {
  std::cout << j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace)
            << "\n";
}

std::string VersionText(std::uint32_t v) {
  const std::string date = VersionDate(v);
  return date.empty() ? std::to_string(v)
                      : std::to_string(v) + " (" + date + ")";
}

int OpenFailure(const Image& image, bool asJson) {
  const std::string message =
      StatusMessage(image.path, image.status, image.errorText, image.Size());
  if (asJson) PrintJson({{"file", image.path}, {"error", message}});
  std::cerr << "qvnf: " << message << "\n";
  return image.status == OpenStatus::IoError ? kExitUsage : kExitDamaged;
}

std::string HexBytes(const unsigned char* data, std::size_t n,
                     const char* sep) {
  std::string out;
  for (std::size_t i = 0; i < n; ++i) {
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02x", data[i]);
    if (i > 0) out += sep;
    out += buf;
  }
  return out;
}

}  // namespace qvnf
