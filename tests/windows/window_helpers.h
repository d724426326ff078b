// Helpers for the tests that drive the dialog through its windows: bounded
// waits, finding top-level windows of a process, reading texts, and the
// "Programador" message boxes.
#pragma once

#include "text/windows_api.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cwctype>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace trevalda::testing {

// Every wait of the tests is bounded by one of these, milliseconds.
inline constexpr DWORD kStartTimeout = 60000;    // a first start under Wine is slow
inline constexpr DWORD kCommandTimeout = 30000;  // drawing and saving a page
inline constexpr DWORD kShortTimeout = 10000;
// How long a test watches for something that must not happen.
inline constexpr DWORD kQuietPeriod = 1500;

// Polls `condition` every 20 ms until it holds or `timeout` ms have passed.
template <typename Condition>
bool WaitFor(Condition&& condition, DWORD timeout) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout);
  while (true) {
    if (condition()) {
      return true;
    }
    if (std::chrono::steady_clock::now() >= end) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

inline std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  const int length = GetClassNameW(window, name, 256);
  return std::wstring(name, length > 0 ? static_cast<std::size_t>(length) : 0);
}

// The text of a window of any process (WM_GETTEXT, which the system copies
// between processes), or empty after 5 s without an answer.
inline std::wstring TextOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length)) {
    return {};
  }
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                           SMTO_ABORTIFHUNG, 5000, &copied)) {
    return {};
  }
  text.resize(static_cast<std::size_t>(copied));
  return text;
}

// The title the system keeps for a window; unlike GetWindowTextW it never
// sends a message, so a busy window cannot hold the caller up.
inline std::wstring TitleOf(HWND window) {
  wchar_t title[256] = {};
  const int length = InternalGetWindowText(window, title, 256);
  return std::wstring(title, length > 0 ? static_cast<std::size_t>(length) : 0);
}

inline bool SameText(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::towlower(a[i]) != std::towlower(b[i])) {
      return false;
    }
  }
  return true;
}

// The visible top-level windows of process `processId` with class
// `windowClass` (any when empty) and title `title`.
inline std::vector<HWND> TopWindows(DWORD processId, std::wstring_view windowClass,
                                    std::wstring_view title) {
  struct Search {
    DWORD processId;
    std::wstring_view windowClass;
    std::wstring_view title;
    std::vector<HWND> found;
  } search{processId, windowClass, title, {}};
  EnumWindows(
      [](HWND window, LPARAM data) -> BOOL {
        auto& s = *reinterpret_cast<Search*>(data);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == s.processId && IsWindowVisible(window) && TitleOf(window) == s.title &&
            (s.windowClass.empty() || SameText(ClassOf(window), s.windowClass))) {
          s.found.push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The main dialog of a process once it is shown (it is built hidden and
// becomes visible only after its controls, fonts and tables exist).
inline HWND WaitForMainDialog(DWORD processId, DWORD timeout = kStartTimeout) {
  HWND dialog = nullptr;
  WaitFor(
      [&] {
        const std::vector<HWND> found = TopWindows(processId, L"", L"Trevalda");
        dialog = found.empty() ? nullptr : found.front();
        return dialog != nullptr;
      },
      timeout);
  return dialog;
}

// The report boxes ("Programador") of a process that are open now.
inline std::vector<HWND> ReportBoxes(DWORD processId) {
  return TopWindows(processId, L"#32770", L"Programador");
}

inline HWND WaitForReportBox(DWORD processId, DWORD timeout = kCommandTimeout) {
  HWND box = nullptr;
  WaitFor(
      [&] {
        const std::vector<HWND> found = ReportBoxes(processId);
        box = found.empty() ? nullptr : found.front();
        return box != nullptr;
      },
      timeout);
  return box;
}

// The message of a message box: its static text control (identifier
// 0xFFFF); otherwise the longest text among its static controls.
inline std::wstring ReportText(HWND box) {
  if (HWND text = GetDlgItem(box, 0xFFFF); text != nullptr) {
    return TextOf(text);
  }
  std::wstring longest;
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (SameText(ClassOf(child), L"Static")) {
      std::wstring text = TextOf(child);
      if (text.size() > longest.size()) {
        longest = std::move(text);
      }
    }
  }
  return longest;
}

// Whether the box shows an icon (an icon static holding one).
inline bool ReportHasIcon(HWND box) {
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    const auto style = static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE));
    if (SameText(ClassOf(child), L"Static") && (style & SS_TYPEMASK) == SS_ICON) {
      DWORD_PTR icon = 0;
      SendMessageTimeoutW(child, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 5000, &icon);
      if (icon != 0 && IsWindowVisible(child)) {
        return true;
      }
    }
  }
  return false;
}

// Presses OK on a report box and waits until it is gone.
inline bool CloseReportBox(HWND box) {
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  return WaitFor([&] { return !IsWindow(box); }, kShortTimeout);
}

// Posts a click of a dialog button as the button itself reports it.
inline void PostButtonCommand(HWND dialog, int id, WORD code = BN_CLICKED) {
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, code),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Posts a key press (down and up) to a window.
inline void PostKey(HWND window, WPARAM key) {
  const UINT scan = MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC);
  PostMessageW(window, WM_KEYDOWN, key, static_cast<LPARAM>(1 | (scan << 16)));
  PostMessageW(window, WM_KEYUP, key, static_cast<LPARAM>(1 | (scan << 16) | (3u << 30)));
}

// Ends the test program with exit code 3 when one test runs longer than
// `limit`, naming the test, so that a window that never answers cannot hold
// a test run up forever. Installed once, before RUN_ALL_TESTS.
class Watchdog : public ::testing::EmptyTestEventListener {
 public:
  explicit Watchdog(std::chrono::seconds limit) : limit_(limit) {
    std::thread([this] { Watch(); }).detach();
  }

  void OnTestStart(const ::testing::TestInfo& test) override {
    name_ = std::string(test.test_suite_name()) + "." + test.name();
    started_.store(Now());
  }
  void OnTestEnd(const ::testing::TestInfo&) override { started_.store(0); }

 private:
  static std::int64_t Now() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
  }

  void Watch() {
    const std::int64_t limit =
        std::chrono::duration_cast<std::chrono::milliseconds>(limit_).count();
    while (true) {
      std::this_thread::sleep_for(std::chrono::seconds(1));
      const std::int64_t started = started_.load();
      if (started != 0 && Now() - started > limit) {
        std::fprintf(stderr, "\n%s: no result after %lld s, giving up\n", name_.c_str(),
                     static_cast<long long>(limit_.count()));
        std::fflush(stderr);
        std::fflush(stdout);
        ExitProcess(3);
      }
    }
  }

  std::chrono::seconds limit_;
  std::atomic<std::int64_t> started_{0};
  std::string name_;  // written before started_ is set, read after
};

// What every UI test program does before its tests: the window system is
// set up on the main thread (a hidden window made and destroyed) before any
// other thread makes windows, and the watchdog is installed.
inline void PrepareUiTests() {
  HWND probe = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  if (probe != nullptr) {
    DestroyWindow(probe);
  }
  ::testing::UnitTest::GetInstance()->listeners().Append(new Watchdog(std::chrono::seconds(90)));
}

}  // namespace trevalda::testing
