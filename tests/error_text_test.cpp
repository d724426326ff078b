#include "text/error_text.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <system_error>

namespace trevalda {
namespace {

// The reasons users meet read in Spanish whichever category carries them;
// the others show their number instead of the system's English text.
TEST(ErrorTextTest, CommonReasonsAreSpanishAndTheRestNumbered) {
  struct Case {
    std::error_code error;
    std::string text;
  };
  const Case cases[] = {
      {std::make_error_code(std::errc::no_such_file_or_directory), "no existe"},
      {std::make_error_code(std::errc::permission_denied), "no hay permiso"},
      {std::make_error_code(std::errc::too_many_symbolic_link_levels),
       "hay un bucle de enlaces simbólicos (o demasiados enlaces seguidos)"},
      {std::make_error_code(std::errc::no_space_on_device), "no queda espacio en el disco"},
      {std::make_error_code(std::errc::not_enough_memory), "no queda memoria"},
      {std::error_code(4242, std::generic_category()), "error del sistema [4242]"},
      {std::error_code(987654, std::system_category()), "error del sistema [987654]"},
      {std::error_code(), ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ErrorText(c.error), c.text) << c.error.value();
  }
}

}  // namespace
}  // namespace trevalda
