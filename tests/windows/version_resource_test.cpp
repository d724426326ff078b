// The version resource of both Windows programs, read back the way Explorer
// reads it: the version of project(), the product name and the Spanish
// description, in the Spanish (Spain) UTF-16 block.
//
//   version_resource_test.exe --exe <trevalda.exe> --exe <trevalda-agenda.exe>
//                             --exe <trevalda-cli.exe>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "text/windows_api.h"

namespace trevalda::testing {
namespace {

std::vector<std::filesystem::path>& Programs() {
  static std::vector<std::filesystem::path> programs;
  return programs;
}

std::wstring Widen(const char* text) { return std::wstring(text, text + std::strlen(text)); }

class VersionResource {
 public:
  explicit VersionResource(const std::filesystem::path& program) {
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
    if (size == 0) return;
    data_.resize(size);
    if (!GetFileVersionInfoW(program.c_str(), 0, size, data_.data())) data_.clear();
  }

  bool Found() const { return !data_.empty(); }

  const VS_FIXEDFILEINFO* Fixed() {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data_.data(), L"\\", &value, &length) ||
        length < sizeof(VS_FIXEDFILEINFO)) {
      return nullptr;
    }
    return static_cast<const VS_FIXEDFILEINFO*>(value);
  }

  DWORD Translation() {
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueW(data_.data(), L"\\VarFileInfo\\Translation", &value, &length) ||
        length < sizeof(DWORD)) {
      return 0;
    }
    return *static_cast<const DWORD*>(value);
  }

  std::wstring String(const wchar_t* name) {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring path = std::wstring(L"\\StringFileInfo\\0C0A04B0\\") + name;
    if (!VerQueryValueW(data_.data(), path.c_str(), &value, &length) || length == 0) return {};
    return std::wstring(static_cast<const wchar_t*>(value));
  }

 private:
  std::vector<unsigned char> data_;
};

TEST(VersionResourceTest, EveryProgramCarriesTheProjectVersionAndSpanishTexts) {
  ASSERT_EQ(Programs().size(), 3u) << "falta --exe <programa> (tres veces)";
  int major = 0, minor = 0, patch = 0;
  ASSERT_EQ(std::sscanf(TREVALDA_VERSION, "%d.%d.%d", &major, &minor, &patch), 3);
  for (const auto& program : Programs()) {
    SCOPED_TRACE(program.string());
    VersionResource resource(program);
    ASSERT_TRUE(resource.Found());
    const VS_FIXEDFILEINFO* fixed = resource.Fixed();
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwProductVersionMS, static_cast<DWORD>(major << 16 | minor));
    EXPECT_EQ(fixed->dwProductVersionLS, static_cast<DWORD>(patch << 16));
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    // Spanish (Spain) in UTF-16: language 0x0C0A, code page 1200.
    EXPECT_EQ(resource.Translation(), 0x04B00C0Au);
    EXPECT_EQ(resource.String(L"ProductName"), L"Trevalda");
    EXPECT_EQ(resource.String(L"ProductVersion"), Widen(TREVALDA_VERSION));
    EXPECT_EQ(resource.String(L"FileVersion"), Widen(TREVALDA_VERSION));
    EXPECT_EQ(resource.String(L"OriginalFilename"), program.filename().wstring());
    // The accents come through as UTF-16, not as UTF-8 bytes read as 1252.
    EXPECT_NE(resource.String(L"FileDescription").find(L"un d\u00eda por p\u00e1gina"),
              std::wstring::npos);
  }
}

}  // namespace
}  // namespace trevalda::testing

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::string(argv[i]) == "--exe") trevalda::testing::Programs().emplace_back(argv[++i]);
  }
  return RUN_ALL_TESTS();
}
