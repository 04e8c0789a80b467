// Graphics lists from arbitrary bytes: the first four are the record count, the rest
// the record buffer. Import, drawing and printing must agree on whether the list is
// well formed; a malformed list appends and draws nothing.
#include "programs.h"

#include "support/grlist_records.h"
#include "support/tablet_screen.h"

#include "dispc/glexport.h"
#include "dispc/glist.h"

#include "zfound/bytes.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

void zfReadGraphicsListBytes(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return;
  std::vector<unsigned char> records(data + 4, data + size);
  zgr_list list{};
  list.count = zfLoadI32(data);
  list.used = records.size();
  list.records = records.empty() ? nullptr : records.data();
  static std::FILE* const sink = std::fopen("/dev/null", "w");
  const bool printable = zgr_list_print(&list, sink) == ZF_STATUS_OK;

  zcGraphicList graphics;
  zc_test::Screen screen;
  bool malformed = false;
  try {
    zfGraphicListAppend(graphics, &list);
  } catch (const zcMalformedData&) {
    malformed = true;
  } catch (const zcShapesError::Errors&) {
  } catch (const zcMathError::Errors&) {
  }
  try {
    zfUITabletDraw(screen.tablet, &list, zcUITablet::eOverlay);
  } catch (const zcMalformedData&) {
    if (!malformed || !screen.overlay.calls().empty()) std::abort();
  } catch (const zcShapesError::Errors&) {
  } catch (const zcMathError::Errors&) {
  }
  if (malformed == printable || (malformed && !graphics.items().empty())) std::abort();
}

std::vector<std::uint8_t> zfGraphicsListSeed() {
  zgr_list list;
  zgr_list_init(&list);
  std::mt19937 rng(1);
  zc_test::randomRecords(&list, rng, 40);
  std::vector<std::uint8_t> bytes(4);
  zfStoreI32(bytes.data(), list.count);
  bytes.insert(bytes.end(), list.records, list.records + list.used);
  zgr_list_free(&list);
  return bytes;
}
