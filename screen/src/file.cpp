// Files written through a temporary file and a rename.
#include "zscreen/file.h"
#include "zscreen/png.h"

#include "zfound/strings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

namespace {

// The temporary file: removed unless it was renamed into place.
struct Temporary {
  std::string path;
  int fd = -1;
  bool kept = false;
  ~Temporary() {
    if (fd >= 0) ::close(fd);
    if (!kept && !path.empty()) ::unlink(path.c_str());
  }
};

[[noreturn]] void fail(const char* verb, const std::string& path, int error) {
  throw zcScreenError::IOError(zfFileErrorText(verb, path, error));
}

mode_t newFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

}  // namespace

std::wstring zfMessageText(const std::string& text) {
  try {
    return zfConvertString(text);
  } catch (const zcException&) {
    return L"(unprintable)";
  }
}

std::wstring zfFileErrorText(const char* verb, const std::string& path, int error) {
  return zfMessageText(std::string("cannot ") + verb + ' ' + path + ": " + std::strerror(error));
}

namespace {
void writeAll(int fd, const void* data, std::size_t size, const std::string& path) {
  const char* at = static_cast<const char*>(data);
  for (std::size_t left = size; left > 0;) {
    const ssize_t n = ::write(fd, at, left);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) fail("write", path, n < 0 ? errno : EIO);
    at += n;
    left -= static_cast<std::size_t>(n);
  }
}
}  // namespace

void zfWriteFileAtomically(const std::string& path, const void* data, std::size_t size) {
  const std::filesystem::path target(path);
  struct stat existing {};
  const bool exists = ::stat(path.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) fail("write", path, EISDIR);
  if (target.filename().empty()) fail("write", path, EISDIR);
  // A device, pipe or socket cannot be replaced by a renamed file (that would turn
  // /dev/null into a regular file): such a target is written in place.
  if (exists && !S_ISREG(existing.st_mode)) {
    Temporary direct;
    direct.fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
    if (direct.fd < 0) fail("write", path, errno);
    writeAll(direct.fd, data, size, path);
    return;
  }

  Temporary temp;
  temp.path = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
  std::vector<char> name(temp.path.begin(), temp.path.end());
  name.push_back('\0');
  temp.fd = ::mkstemp(name.data());
  if (temp.fd < 0) {
    temp.path.clear();
    fail("write", path, errno);
  }
  temp.path = name.data();
  if (::fchmod(temp.fd, exists ? existing.st_mode & 07777 : newFileMode()) != 0) fail("write", path, errno);

  writeAll(temp.fd, data, size, path);
  if (::fsync(temp.fd) != 0) fail("write", path, errno);
  const int fd = temp.fd;
  temp.fd = -1;
  if (::close(fd) != 0) fail("write", path, errno);
  if (::rename(temp.path.c_str(), path.c_str()) != 0) fail("write", path, errno);
  temp.kept = true;
}
