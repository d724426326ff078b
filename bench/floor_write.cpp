// The floor under one page: what any program that saves a 794 x 1123 24-bit
// page safely must do, and nothing else. It fills a buffer of the page
// file's size, writes it to a temporary file in the target's folder,
// flushes it with fdatasync, renames it over the target and flushes the
// folder, as trevalda does.
//
//   floor_write FOLDER          one file, FOLDER/floor.bmp
//   floor_write FOLDER COUNT    COUNT files in a row the way a range writes
//                               them: renamed into place one by one, the
//                               file system flushed once at the end
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr std::size_t kPageFileBytes = 2677286;

bool WriteFile(const std::string& folder, int n, bool flush) {
  static char* buffer = static_cast<char*>(std::malloc(kPageFileBytes));
  if (buffer == nullptr) return false;
  std::memset(buffer, 0xFF - n % 7, kPageFileBytes);
  const std::string name = folder + "/floor-" + std::to_string(n) + ".bmp";
  const std::string temp = folder + "/.floor.tmp-" + std::to_string(::getpid());
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  const bool written = ::write(fd, buffer, kPageFileBytes) == static_cast<ssize_t>(kPageFileBytes);
  const bool synced = !flush || ::fdatasync(fd) == 0;
  if (::close(fd) != 0 || !written || !synced || ::rename(temp.c_str(), name.c_str()) != 0) {
    ::unlink(temp.c_str());
    return false;
  }
  if (flush) {
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0 || ::fsync(dir) != 0) return false;
    ::close(dir);
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "uso: floor_write CARPETA [CUANTOS]\n");
    return 2;
  }
  const std::string folder = argv[1];
  const int count = argc > 2 ? std::atoi(argv[2]) : 1;
  for (int n = 0; n < count; ++n) {
    if (!WriteFile(folder, n, count == 1)) {
      std::perror("floor_write");
      return 1;
    }
  }
  if (count > 1) {
    const int dir = ::open(folder.c_str(), O_RDONLY | O_CLOEXEC);
    if (dir < 0 || ::syncfs(dir) != 0) return 1;
    ::close(dir);
  }
  return 0;
}
