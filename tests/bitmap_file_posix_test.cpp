// Saving where POSIX rules apply: permission bits and the umask, a file
// standing in for a folder, FIFOs and sockets, symbolic links, and the
// superuser's exemption from permissions.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>

#include <filesystem>
#include <iterator>
#include <optional>
#include <system_error>
#include <vector>

#include "canvas/bitmap_file.h"
#include "canvas/canvas.h"
#include "canvas/file_io.h"
#include "test_support.h"

namespace trevalda {
namespace {

namespace fs = std::filesystem;
using test::ReadAll;
using test::ScopedCanvas;
using test::WriteAll;

class BitmapFilePosixTest : public test::FolderTest {
 protected:
  BitmapFilePosixTest() : FolderTest("bitmap_file_posix") {}
};

TEST_F(BitmapFilePosixTest, FolderThatIsAFileIsReported) {
  ScopedCanvas canvas(4, 4);
  WriteAll(dir() / "not-a-folder", {1, 2, 3});
  const SaveResult result = SaveCanvasBitmap(dir() / "not-a-folder" / "page.bmp");
  EXPECT_EQ(result.status, SaveStatus::kFailed);
  EXPECT_EQ(result.error, std::errc::not_a_directory);
  EXPECT_EQ(ReadAll(dir() / "not-a-folder"), (std::vector<std::uint8_t>{1, 2, 3}));
}

TEST_F(BitmapFilePosixTest, UnwritableFolderIsReportedAndTheOldFileKept) {
  if (::geteuid() == 0) {
    GTEST_SKIP() << "permissions do not bind the superuser";
  }
  ScopedCanvas canvas(4, 4);
  const std::vector<std::uint8_t> old(500, 0x5A);
  WriteAll(dir() / "page.bmp", old);
  fs::permissions(dir(), fs::perms::owner_read | fs::perms::owner_exec);
  const SaveResult result = SaveCanvasBitmap(dir() / "page.bmp");
  fs::permissions(dir(), fs::perms::owner_all);
  EXPECT_EQ(result.status, SaveStatus::kFailed);
  EXPECT_EQ(result.step, "crear");
  EXPECT_EQ(result.error, std::errc::permission_denied);
  EXPECT_EQ(ReadAll(dir() / "page.bmp"), old);
}

TEST_F(BitmapFilePosixTest, ReplacedFileKeepsItsPermissions) {
  ScopedCanvas canvas(4, 4);
  const fs::path file = dir() / "page.bmp";
  WriteAll(file, {1});
  fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  ASSERT_TRUE(SaveCanvasBitmap(file).Saved());
  EXPECT_EQ(fs::status(file).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// The new page's mode: the umask's for a new file, the old file's
// permission bits for a replaced one (never set-user-ID, set-group-ID or
// sticky), and nothing from the file a symbolic link points to, which itself
// is left as it was.
TEST_F(BitmapFilePosixTest, PageModeComesFromTheUmaskOrTheReplacedFileOnly) {
  enum class Before { kNothing, kFile, kLinkToFile };
  struct Case {
    Before before;
    mode_t oldMode;
    mode_t umask;
    mode_t expected;
  };
  const Case cases[] = {
      {Before::kNothing, 0, 022, 0644},       {Before::kNothing, 0, 077, 0600},
      {Before::kFile, 0640, 022, 0640},       {Before::kFile, 04755, 077, 0755},
      {Before::kFile, 07777, 022, 0777},      {Before::kLinkToFile, 04777, 077, 0600},
      {Before::kLinkToFile, 0600, 000, 0666},
  };
  ScopedCanvas canvas(4, 4);
  const fs::path file = dir() / "page.bmp";
  const fs::path other = dir() / ".other";
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::oct << c.oldMode << " umask " << c.umask);
    fs::remove(file);
    fs::remove(other);
    if (c.before == Before::kFile) WriteAll(file, {1});
    if (c.before == Before::kLinkToFile) {
      WriteAll(other, {1});
      fs::create_symlink(".other", file);
    }
    if (c.before != Before::kNothing) {
      ASSERT_EQ(::chmod(file.c_str(), c.oldMode), 0);
    }
    const mode_t previous = ::umask(c.umask);
    const bool saved = SaveCanvasBitmap(file).Saved();
    ::umask(previous);
    ASSERT_TRUE(saved);
    struct stat info {};
    ASSERT_EQ(::lstat(file.c_str(), &info), 0);
    EXPECT_TRUE(S_ISREG(info.st_mode));
    EXPECT_EQ(info.st_mode & 07777, c.expected);
    if (c.before == Before::kLinkToFile) {
      EXPECT_EQ(ReadAll(other), std::vector<std::uint8_t>{1});
      ASSERT_EQ(::stat(other.c_str(), &info), 0);
      EXPECT_EQ(info.st_mode & 07777, c.oldMode);
    }
  }
}

// A FIFO or a socket holding the name is refused and left as it was; so is a
// FIFO that turns up while the file is being written.
TEST_F(BitmapFilePosixTest, NonRegularTargetsAreRefusedAndKept) {
  ScopedCanvas canvas(4, 4);
  const fs::path fifo = dir() / "fifo.bmp";
  const fs::path socketFile = dir() / "s.bmp";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  // Bound by a name relative to the folder: a socket's path is short.
  const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::copy_n("s.bmp", 6, address.sun_path);
  const fs::path here = fs::current_path();
  fs::current_path(dir());
  const int bound = ::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
  fs::current_path(here);
  ASSERT_EQ(bound, 0);
  for (const fs::path& target : {fifo, socketFile}) {
    const SaveResult result = SaveCanvasBitmap(target);
    EXPECT_EQ(result.step, "crear") << target;
    EXPECT_EQ(result.error, canvas::MakeError(canvas::SaveRefusal::kNotRegularFile));
  }
  ::close(listener);
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_TRUE(fs::is_socket(socketFile));

  const fs::path late = dir() / "late.bmp";
  canvas::SetFileFaultHookForTesting([&](canvas::FileStep step) {
    if (step == canvas::FileStep::kRename) ::mkfifo(late.c_str(), 0644);
    return std::error_code();
  });
  const SaveResult result = SaveCanvasBitmap(late);
  canvas::SetFileFaultHookForTesting(nullptr);
  EXPECT_EQ(result.step, "renombrar");
  EXPECT_TRUE(fs::is_fifo(late));
  EXPECT_EQ(Listing().size(), 3u) << "no temporary file";
}

// A symbolic link at the page's name is replaced itself when it leads to a
// regular file (which stays as it was); one that leads to anything else or
// to nothing is refused and kept, as is a link in /dev (/dev/stdout).
TEST_F(BitmapFilePosixTest, OnlyLinksToRegularFilesAreReplaced) {
  ScopedCanvas canvas(4, 4);
  WriteAll(dir() / "file", {7});
  fs::create_directory(dir() / "folder");
  using canvas::SaveRefusal;
  const struct {
    const char* name;
    const char* leadsTo;
    std::optional<SaveRefusal> refusal;  // none: replaced
  } kLinks[] = {
      {"to-file.bmp", "file", std::nullopt},
      {"to-device.bmp", "/dev/null", SaveRefusal::kLinkToSpecial},
      {"to-folder.bmp", "folder", SaveRefusal::kLinkToSpecial},
      {"broken.bmp", "missing", SaveRefusal::kBrokenLink},
      {"loop.bmp", "loop.bmp", SaveRefusal::kBrokenLink},
  };
  for (const auto& link : kLinks) {
    const fs::path target = dir() / link.name;
    fs::create_symlink(link.leadsTo, target);
    const SaveResult result = SaveCanvasBitmap(target);
    if (!link.refusal) {
      EXPECT_TRUE(result.Saved()) << link.name;
      EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(target))) << link.name;
      EXPECT_EQ(ReadAll(dir() / "file"), std::vector<std::uint8_t>{7}) << "the file it led to";
      continue;
    }
    EXPECT_EQ(result.step, "crear") << link.name;
    EXPECT_EQ(result.error, canvas::MakeError(*link.refusal)) << link.name;
    EXPECT_TRUE(fs::is_symlink(target)) << link.name;
    EXPECT_EQ(fs::read_symlink(target), link.leadsTo) << link.name;
  }
  EXPECT_EQ(Listing().size(), 2u + std::size(kLinks)) << "no temporary file";
  EXPECT_TRUE(fs::is_character_file("/dev/null"));

  // A link in /dev, even one to a regular file, also when the folder is
  // reached through a link.
  const fs::path shm = "/dev/shm";
  if (::access(shm.c_str(), W_OK) != 0) GTEST_SKIP() << "no /dev/shm to write to";
  std::string name = "trevalda-test-";
  name.append(std::to_string(::getpid())).append(".bmp");
  const fs::path inDev = shm / name;
  fs::create_symlink(dir() / "file", inDev);
  fs::create_directory_symlink(shm, dir() / "shm");
  for (const fs::path& target : {inDev, dir() / "shm" / inDev.filename()}) {
    const SaveResult result = SaveCanvasBitmap(target);
    EXPECT_EQ(result.error, canvas::MakeError(SaveRefusal::kSystemLink)) << target;
  }
  EXPECT_TRUE(fs::is_symlink(inDev));
  fs::remove(inDev);
  for (const auto& entry : fs::directory_iterator(shm)) {
    EXPECT_FALSE(canvas::IsTempName(entry.path())) << entry.path();
  }
}

// Someone who knows the process id cannot block the save by making the
// names it would use; a stale temporary file that is a symbolic link is
// never followed or removed.
TEST_F(BitmapFilePosixTest, GuessableAndHostileNamesDoNotGetInTheWay) {
  ScopedCanvas canvas(4, 4);
  for (int n = 0; n < 8; ++n) {
    WriteAll(dir() / (".page.bmp.tmp-" + std::to_string(::getpid()) + "-" + std::to_string(n)), {});
  }
  EXPECT_TRUE(SaveCanvasBitmap(dir() / "page.bmp").Saved());
  const fs::path link = canvas::TempNameFor(dir() / "x.bmp", 7);
  WriteAll(dir() / "victim", {9});
  fs::create_symlink("victim", link);
  const timespec old[2] = {{0, 0}, {0, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, link.c_str(), old, AT_SYMLINK_NOFOLLOW), 0);
  ASSERT_EQ(::utimensat(AT_FDCWD, (dir() / "victim").c_str(), old, 0), 0);
  EXPECT_EQ(RemoveStaleTemporaryFiles(dir()), 0u);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(ReadAll(dir() / "victim"), std::vector<std::uint8_t>{9});
}

}  // namespace
}  // namespace trevalda
