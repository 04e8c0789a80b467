// Input and output files of the commands: standard input for "-" and /dev/stdin,
// directories refused as such, archives recognised by their header before the rest
// is read, every failure with the system's reason; archives written whole or not at all.
#include "commands.h"

#include "zscreen/file.h"

#include "dispc/uierror.h"
#include "dispc/uisketch.h"

#include "zfound/archive.h"
#include "zfound/strings.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kChunk = 1 << 20;

struct FileCloser {
  void operator()(std::FILE* f) const {
    if (f != stdin) std::fclose(f);
  }
};

[[noreturn]] void ioFailure(const char* verb, const std::string& path, int error) {
  throw zcArchive::IOError(zfFileErrorText(verb, path, error));
}

// Reads up to `count` more bytes onto `bytes`; false at the end of the input.
bool readMore(std::FILE* in, const std::string& name, std::vector<unsigned char>& bytes, std::size_t count) {
  const std::size_t before = bytes.size();
  bytes.resize(before + count);
  const std::size_t got = std::fread(bytes.data() + before, 1, count, in);
  bytes.resize(before + got);
  if (got < count && std::ferror(in)) ioFailure("read", name, errno);
  return got == count;
}

}  // namespace

bool zfIsStandardInput(const std::string& path) { return path == "-" || path == "/dev/stdin"; }

std::vector<unsigned char> zfReadArchiveFile(const std::string& path) {
  const bool standard = zfIsStandardInput(path);
  const std::string name = standard ? std::string("standard input") : path;
  struct stat info {};
  if (!standard && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) ioFailure("read", path, EISDIR);
  const std::unique_ptr<std::FILE, FileCloser> in(standard ? stdin : std::fopen(path.c_str(), "rb"));
  if (!in) ioFailure("open", path, errno);

  std::vector<unsigned char> bytes;
  readMore(in.get(), name, bytes, zcArchive::headerSize);
  try {
    const zcArchive header(bytes);  // checks the header, the one place that knows it
  } catch (const zcException&) {
    throw zcArchive::BadFormat(zfMessageText(name) +
                               L" is not an archive of this format (its first bytes are no archive header)");
  }
  while (readMore(in.get(), name, bytes, kChunk)) {
    if (bytes.size() > zkMaxArchiveFile)
      throw zcArchive::BadFormat(zfMessageText(name) + L" is larger than the largest archive read (" +
                                 std::to_wstring(zkMaxArchiveFile >> 20) + L" MiB)");
  }
  return bytes;
}

zcUISketch zfReadSketchArchive(const std::string& path) {
  const std::vector<unsigned char> bytes = zfReadArchiveFile(path);
  const std::wstring name = zfMessageText(zfIsStandardInput(path) ? std::string("standard input") : path);
  // The sketch's form starts with its version byte, 0 or 1.
  if (bytes.size() == zcArchive::headerSize) throw zcArchive::BadFormat(name + L" holds no sketch: the archive is empty");
  if (bytes[zcArchive::headerSize] > 1)
    throw zcArchive::BadFormat(name + L" holds no sketch: the archive holds other data");
  zcArchive in(bytes);
  zcUISketch sketch;
  try {
    in || sketch;
  } catch (const zcUIError::InvalidUISketch&) {
    // The sketch error carries no text: say which file and what is wrong with it.
    throw zcArchive::BadFormat(name + L" holds an invalid sketch: its operations do not parse");
  }
  // A file with more in it than one sketch is not what this program writes.
  if (in.remaining() != 0)
    throw zcArchive::BadFormat(std::to_wstring(in.remaining()) + L" bytes follow the sketch in " + name);
  return sketch;
}

void zfWriteArchiveFile(const std::string& path, const zcArchive& archive) {
  zfWriteFileAtomically(path, archive.bytes().data(), archive.bytes().size());
}

void zfWriteSketchArchive(const std::string& path, zcUISketch& sketch) {
  zcArchive out;
  out || sketch;
  zfWriteArchiveFile(path, out);
}
