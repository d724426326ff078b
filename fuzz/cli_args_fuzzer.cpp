// Fuzzes the command-line parser. The input is split into arguments at NUL
// bytes, as the system hands them over; any list must come back as either
// options or a refusal with a message, never a crash or a read out of
// bounds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/cli_options.h"

namespace {

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace trevalda;
  std::vector<std::string> args;
  std::string current;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      args.push_back(current);
      current.clear();
    } else {
      current.push_back(static_cast<char>(data[i]));
    }
  }
  if (!current.empty()) args.push_back(current);

  const Result<CliOptions> result = ParseCommandLine(args);
  if (!result) {
    Check(!result.message().empty());
    return 0;
  }
  // What the program does next with an accepted date.
  if (!result->date.empty()) static_cast<void>(NormalizeDateText(result->date));
  return 0;
}
