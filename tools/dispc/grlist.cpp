// `dispc export` and `dispc import`: graphic lists to and from graphics-list records,
// and the demo's round trip through them.
//
// A records file, as `export -o` writes it and `import` reads it, little-endian:
//   @0  "zgrl"   @4 format version (u32) 1   @8 record count (i32)   @12 zero (u32)
//   @16 used bytes (u64)   @24 the records, exactly that many bytes (grlist/grlist.h)
#include "commands.h"

#include "dispc/glexport.h"
#include "dispc/glist.h"

#include "zscreen/file.h"
#include "zscreen/screen.h"

#include "zfound/archive.h"
#include "zfound/bytes.h"
#include "zfound/strings.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kFileHeader = 24;
constexpr unsigned char kMagic[4] = {'z', 'g', 'r', 'l'};

// A graphics list that frees its buffer.
struct Records {
  Records() { zgr_list_init(&list); }
  ~Records() { zgr_list_free(&list); }
  Records(const Records&) = delete;
  Records& operator=(const Records&) = delete;
  zgr_list list;
};

zcGraphicList readListArchive(const std::string& path) {
  zcArchive in(zfReadArchiveFile(path));
  zcGraphicList list;
  in || list;
  if (in.remaining() != 0)
    throw zcArchive::BadFormat(std::to_wstring(in.remaining()) + L" bytes follow the graphic list in " +
                               zfMessageText(path));
  return list;
}

void writeRecords(const std::string& path, const zgr_list& list) {
  std::vector<unsigned char> bytes(kFileHeader);
  std::memcpy(bytes.data(), kMagic, 4);
  zfStoreU32(&bytes[4], 1);
  zfStoreI32(&bytes[8], list.count);
  zfStoreU32(&bytes[16], static_cast<std::uint32_t>(list.used));
  zfStoreU32(&bytes[20], static_cast<std::uint32_t>(std::uint64_t(list.used) >> 32));
  if (list.used) bytes.insert(bytes.end(), list.records, list.records + list.used);
  zfWriteFileAtomically(path, bytes.data(), bytes.size());
}

// The records of the file at `path`, which `list` then names (count, used bytes,
// buffer); the header must name exactly the bytes that follow it.
std::vector<unsigned char> readRecords(const std::string& path, zgr_list& list) {
  std::ifstream in(path, std::ios::binary);
  if (!in || std::filesystem::is_directory(path))
    throw zcArchive::IOError(zfFileErrorText("open", path, errno ? errno : EISDIR));
  std::vector<unsigned char> bytes;
  char chunk[1 << 16];
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    bytes.insert(bytes.end(), chunk, chunk + in.gcount());
    if (bytes.size() > zkMaxArchiveFile)
      throw zcMalformedData(zfMessageText(path) + L" is larger than the largest file read");
  }
  const bool header = bytes.size() >= kFileHeader && std::memcmp(bytes.data(), kMagic, 4) == 0 &&
                      zfLoadU32(&bytes[4]) == 1 &&
                      (zfLoadU32(&bytes[16]) | std::uint64_t(zfLoadU32(&bytes[20])) << 32) == bytes.size() - kFileHeader;
  if (!header) throw zcMalformedData(zfMessageText(path) + L" is not a graphics-list records file of version 1");
  list.count = zfLoadI32(&bytes[8]);
  bytes.erase(bytes.begin(), bytes.begin() + kFileHeader);
  list.used = bytes.size();
  list.records = bytes.data();
  return bytes;
}

// The records as zgr_list_print writes them, one line each.
std::vector<std::string> printed(const zgr_list& list) {
  const std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::tmpfile(), &std::fclose);
  if (!f) throw zcArchive::IOError(zfFileErrorText("create", "a temporary file", errno));
  zfThrowExceptionOnFailure(zgr_list_print(&list, f.get()));
  std::rewind(f.get());
  std::vector<std::string> lines(1);
  for (int c; (c = std::fgetc(f.get())) != EOF;) {
    if (c == '\n')
      lines.emplace_back();
    else
      lines.back().push_back(char(c));
  }
  lines.pop_back();
  return lines;
}

}  // namespace

int zfRunExport(const std::string& path, const std::string& output) {
  const zcGraphicList graphics = readListArchive(path);
  Records records;
  zfGraphicListAppend(&records.list, graphics);
  std::fflush(stdout);
  zfThrowExceptionOnFailure(zgr_list_print(&records.list, stdout));
  for (const zcPtrHandle<zcGraphic>& g : graphics.items())
    if (!zfGraphicListExportable(*g)) std::printf("skipped %s\n", zc_Instantiator::nameOf(*g));
  if (!output.empty()) {
    writeRecords(output, records.list);
    std::printf("%s: %d records, %zu bytes\n", output.c_str(), records.list.count, records.list.used);
  }
  return 0;
}

int zfRunImport(const std::string& path, const std::string& output) {
  zgr_list list{};
  const std::vector<unsigned char> bytes = readRecords(path, list);
  zcGraphicList graphics;
  zfGraphicListAppend(graphics, &list);
  for (std::size_t i = 0; i < graphics.items().size(); ++i) {
    const zcGraphic& g = *graphics.items()[i];
    std::printf("#%zu %s %s\n", i, zc_Instantiator::nameOf(g), zfColorText(g.color()).c_str());
  }
  if (!output.empty()) {
    zcScreen screen(640, 480);
    zcUITablet tablet(&screen.image(), &screen.overlay());
    zfMapTablet(tablet, zcTabletMap());
    zfUITabletDraw(tablet, &list, zcUITablet::eOverlay);
    screen.save(output);
    std::printf("%s: %zu graphics drawn\n", output.c_str(), graphics.items().size());
  }
  return 0;
}

bool zfGraphicsListDemo(const std::string& dir) {
  const zcGraphicList scene = readListArchive((std::filesystem::path(dir) / "scene.glist").string());
  const std::string pngPath = (std::filesystem::path(dir) / "grlist.png").string();
  Records records, again;
  zfGraphicListAppend(&records.list, scene);
  zcGraphicList back;
  zfGraphicListAppend(back, &records.list);
  zfGraphicListAppend(&again.list, back);
  // A general rectangle comes back through its half sizes and orientation, which round
  // unless it is axis-aligned: such records may differ in their last bits.
  const std::vector<std::string> first = printed(records.list), second = printed(again.list);
  std::size_t same = 0, rounded = 0;
  for (std::size_t i = 0; i < first.size() && i < second.size(); ++i) {
    same += first[i] == second[i];
    rounded += first[i] != second[i] && first[i].find(" genRect ") != std::string::npos;
  }
  const bool sameRecords = first.size() == second.size() && same + rounded == first.size();
  zcScreen screen(640, 550);
  zcUITablet tablet(&screen.image(), &screen.overlay());
  zfMapTablet(tablet, zcTabletMap());
  zfUITabletDraw(tablet, &records.list, zcUITablet::eOverlay);
  screen.save(pngPath);
  zcUITablet recorder;
  zfUITabletDraw(recorder, &records.list, zcUITablet::eOverlay);
  const bool sameSketch = recorder.sketch() == back.sketch(zcUITablet::eOverlay);
  std::printf("\ngraphics list: %d of %zu graphics exported (%zu bytes of records), imported and drawn to %s\n",
              records.list.count, scene.items().size(), records.list.used, pngPath.c_str());
  std::printf("graphics list exported again: %zu of %zu records identical, %zu rotated general rectangles rounded%s\n",
              same, first.size(), rounded, sameRecords ? "" : ", the rest DIFFERENT");
  std::printf("graphics list drawn as imported: %s\n", sameSketch ? "identical" : "DIFFERENT");
  return sameRecords && sameSketch;
}
