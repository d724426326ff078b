// The main dialog inside the test's own process: ShowMainDialog runs on a
// thread of its own while the test looks at what it built, with the
// platform calls that only answer within one process (dialog-unit
// conversion, font and brush objects, icons, focus).
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <string>

#include "app/main_dialog.h"
#include "tests/windows/window_helpers.h"

namespace trevalda::testing {
namespace {

struct DialogRun {
  std::int32_t result = -1;
};

DWORD WINAPI RunDialog(void* data) {
  PrepareCommonControls();
  static_cast<DialogRun*>(data)->result = ShowMainDialog(nullptr);
  return 0;
}

class DialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    thread_ = CreateThread(nullptr, 0, RunDialog, &run_, 0, &threadId_);
    ASSERT_NE(thread_, nullptr);
    dialog_ = WaitForMainDialog(GetCurrentProcessId());
    ASSERT_NE(dialog_, nullptr) << "the dialog \"Trevalda\" did not appear";
  }

  void TearDown() override {
    if (thread_ == nullptr) {
      return;
    }
    if (dialog_ != nullptr && IsWindow(dialog_)) {
      PostMessageW(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0);
    }
    EXPECT_EQ(WaitForSingleObject(thread_, kShortTimeout), WAIT_OBJECT_0)
        << "the dialog did not end";
    CloseHandle(thread_);
  }

  // Ends the dialog with the platform's close command and waits for
  // ShowMainDialog to return.
  std::int32_t EndWithCloseCommand() {
    PostMessageW(dialog_, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(WaitForSingleObject(thread_, kShortTimeout), WAIT_OBJECT_0);
    return run_.result;
  }

  HWND Control(int id) const { return GetDlgItem(dialog_, id); }

  // A rectangle in dialog units converted by the dialog itself.
  RECT Mapped(int x, int y, int width, int height) const {
    RECT rect{x, y, x + width, y + height};
    MapDialogRect(dialog_, &rect);
    return rect;
  }

  // A control's rectangle in the dialog's client coordinates.
  RECT ClientRectOf(HWND control) const {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog_, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  }

  static int ScreenDotsPerInch() {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
  }

  HANDLE thread_ = nullptr;
  DWORD threadId_ = 0;
  DialogRun run_;
  HWND dialog_ = nullptr;
};

void ExpectRect(const RECT& actual, const RECT& expected) {
  EXPECT_EQ(actual.left, expected.left);
  EXPECT_EQ(actual.top, expected.top);
  EXPECT_EQ(actual.right, expected.right);
  EXPECT_EQ(actual.bottom, expected.bottom);
}

TEST_F(DialogTest, PositionAndSizesFollowTheDialogUnits) {
  RECT client{};
  GetClientRect(dialog_, &client);
  const RECT size = Mapped(0, 0, 201, 120);
  EXPECT_EQ(client.right, size.right);
  EXPECT_EQ(client.bottom, size.bottom);
  // The template's position places the client area, as the platform does
  // for every dialog template.
  POINT corner{0, 0};
  ClientToScreen(dialog_, &corner);
  const RECT origin = Mapped(70, 70, 0, 0);
  EXPECT_EQ(corner.x, origin.left);
  EXPECT_EQ(corner.y, origin.top);

  ExpectRect(ClientRectOf(Control(IDC_DATE_PICKER)), Mapped(5, 5, 110, 20));
  ExpectRect(ClientRectOf(Control(IDC_DESCRIPTION)), Mapped(5, 35, 190, 60));
  ExpectRect(ClientRectOf(Control(IDC_QUIT)), Mapped(5, 100, 30, 15));
  ExpectRect(ClientRectOf(Control(IDC_CREATE)), Mapped(160, 100, 35, 15));
}

TEST_F(DialogTest, ControlsHaveBoldMsSansSerifOfTwoSizes) {
  const int dpi = ScreenDotsPerInch();
  const auto expectFont = [&](int id, double points) {
    SCOPED_TRACE(id);
    auto font = reinterpret_cast<HFONT>(SendMessageW(Control(id), WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr);
    LOGFONTW lf{};
    ASSERT_EQ(GetObjectW(font, sizeof(lf), &lf), static_cast<int>(sizeof(lf)));
    EXPECT_STREQ(lf.lfFaceName, L"MS Sans Serif");
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_EQ(lf.lfHeight, -static_cast<LONG>(std::nearbyint(dpi * points / 72.0)));
    EXPECT_FALSE(lf.lfItalic);
    EXPECT_EQ(lf.lfCharSet, 0);
    EXPECT_EQ(lf.lfEscapement, 0);
  };
  expectFont(IDC_DATE_PICKER, 18);
  expectFont(IDC_DESCRIPTION, 10);
  expectFont(IDC_QUIT, 10);
  expectFont(IDC_CREATE, 10);
  if (dpi == 96) {
    LOGFONTW lf{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Control(IDC_DATE_PICKER), WM_GETFONT, 0, 0)),
               sizeof(lf), &lf);
    EXPECT_EQ(lf.lfHeight, -24);
  }
  // One platform font serves the label and both buttons.
  EXPECT_EQ(SendMessageW(Control(IDC_DESCRIPTION), WM_GETFONT, 0, 0),
            SendMessageW(Control(IDC_QUIT), WM_GETFONT, 0, 0));
  EXPECT_EQ(SendMessageW(Control(IDC_QUIT), WM_GETFONT, 0, 0),
            SendMessageW(Control(IDC_CREATE), WM_GETFONT, 0, 0));
}

TEST_F(DialogTest, ControlFontsAreReleasedWhenTheDialogEnds) {
  auto pickerFont =
      reinterpret_cast<HGDIOBJ>(SendMessageW(Control(IDC_DATE_PICKER), WM_GETFONT, 0, 0));
  auto controlFont = reinterpret_cast<HGDIOBJ>(SendMessageW(Control(IDC_CREATE), WM_GETFONT, 0, 0));
  ASSERT_EQ(GetObjectType(pickerFont), static_cast<DWORD>(OBJ_FONT));
  ASSERT_EQ(GetObjectType(controlFont), static_cast<DWORD>(OBJ_FONT));
  EXPECT_EQ(EndWithCloseCommand(), 0);
  EXPECT_EQ(GetObjectType(pickerFont), 0u);
  EXPECT_EQ(GetObjectType(controlFont), 0u);
}

TEST_F(DialogTest, LabelIsWhiteOnASolidRedBrush) {
  HDC dc = CreateCompatibleDC(nullptr);
  ASSERT_NE(dc, nullptr);
  auto brush = reinterpret_cast<HBRUSH>(
      SendMessageW(dialog_, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                   reinterpret_cast<LPARAM>(Control(IDC_DESCRIPTION))));
  ASSERT_NE(brush, nullptr);
  LOGBRUSH lb{};
  ASSERT_NE(GetObjectW(brush, sizeof(lb), &lb), 0);
  EXPECT_EQ(lb.lbStyle, static_cast<UINT>(BS_SOLID));
  EXPECT_EQ(lb.lbColor, 0x0000FFu);
  EXPECT_EQ(GetTextColor(dc), 0xFFFFFFu);
  EXPECT_EQ(GetBkColor(dc), 0x0000FFu);
  // The buttons keep the platform's colours.
  auto other =
      reinterpret_cast<HBRUSH>(SendMessageW(dialog_, WM_CTLCOLORBTN, reinterpret_cast<WPARAM>(dc),
                                            reinterpret_cast<LPARAM>(Control(IDC_QUIT))));
  EXPECT_NE(other, brush);
  DeleteDC(dc);
}

TEST_F(DialogTest, IconsComeFromResource200InTwoSizes) {
  const auto iconSize = [](HICON icon) {
    ICONINFO info{};
    SIZE size{0, 0};
    if (icon != nullptr && GetIconInfo(icon, &info)) {
      BITMAP bitmap{};
      GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
      size = SIZE{bitmap.bmWidth, info.hbmColor != nullptr ? bitmap.bmHeight : bitmap.bmHeight / 2};
      if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
      if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
    }
    return size;
  };
  const SIZE big =
      iconSize(reinterpret_cast<HICON>(SendMessageW(dialog_, WM_GETICON, ICON_BIG, 0)));
  const SIZE small =
      iconSize(reinterpret_cast<HICON>(SendMessageW(dialog_, WM_GETICON, ICON_SMALL, 0)));
  EXPECT_EQ(big.cx, 32);
  EXPECT_EQ(big.cy, 32);
  EXPECT_EQ(small.cx, 16);
  EXPECT_EQ(small.cy, 16);
}

TEST_F(DialogTest, PickerOpensOnTodayAsDayMonthYear) {
  SYSTEMTIME today{};
  GetLocalTime(&today);
  wchar_t expected[16];
  swprintf(expected, 16, L"%02u/%02u/%04u", today.wDay, today.wMonth, today.wYear);
  const std::wstring shown = TextOf(Control(IDC_DATE_PICKER));
  SYSTEMTIME later{};
  GetLocalTime(&later);
  if (later.wDay == today.wDay) {  // not across midnight
    EXPECT_EQ(shown, expected);
  }
}

TEST_F(DialogTest, FocusComesBackAfterTheDialogWasInactive) {
  // Share the dialog thread's keyboard state so that this thread can move
  // and read its focus.
  ASSERT_TRUE(AttachThreadInput(GetCurrentThreadId(), threadId_, TRUE));
  SetFocus(Control(IDC_CREATE));
  ASSERT_EQ(GetFocus(), Control(IDC_CREATE));
  SendMessageW(dialog_, WM_NCACTIVATE, FALSE, 0);
  SetFocus(Control(IDC_DATE_PICKER));
  SendMessageW(dialog_, WM_NCACTIVATE, TRUE, 0);
  EXPECT_EQ(GetFocus(), Control(IDC_CREATE));
  AttachThreadInput(GetCurrentThreadId(), threadId_, FALSE);
}

TEST_F(DialogTest, SalirEndsTheDialogWithResultZero) {
  PostButtonCommand(dialog_, IDC_QUIT);
  ASSERT_EQ(WaitForSingleObject(thread_, kShortTimeout), WAIT_OBJECT_0);
  EXPECT_EQ(run_.result, 0);
  EXPECT_FALSE(IsWindow(dialog_));
}

TEST_F(DialogTest, CloseCommandEndsTheDialogWithResultZero) {
  EXPECT_EQ(EndWithCloseCommand(), 0);
  EXPECT_FALSE(IsWindow(dialog_));
}

}  // namespace
}  // namespace trevalda::testing

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  trevalda::testing::PrepareUiTests();
  return RUN_ALL_TESTS();
}
