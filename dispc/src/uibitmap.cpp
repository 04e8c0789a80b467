// Bitmaps and the hit tests of icon patterns.
#include "dispc/uibitmap.h"
#include "dispc/uitablet.h"

#include <cwchar>

zcUIBitmap::zcUIBitmap(const zcRLEBuffer& image, const std::vector<unsigned char>& colorMap, bool passThrough,
                       unsigned char passColor)
    : zcRLEBuffer(image), colorMap_(colorMap), passThrough_(passThrough), passColor_(passColor) {}

const wchar_t* const zcUITablet::pointIconData_ =
    L"/.....+0+...../.....+0+...../.....+0+...../...+00000+.../...0++0++0.../+++0++0++0+++/"
    L"0000000000000/+++0++0++0+++/...0++0++0.../...+00000+.../.....+0+...../.....+0+...../"
    L".....+0+...../";

// Constant-initialized: empty until pointIcon() builds it, whenever that runs.
constinit zcRLEBuffer zcUITablet::pointIcon_;

bool zcUITablet::iconTouched(const wchar_t* pattern, const zcPair<long>& p, long rowLength) {
  if (!pattern || !*pattern) return false;
  const wchar_t* cells = pattern + 1;
  const long n = static_cast<long>(std::wcslen(cells));
  if (rowLength == -1) {
    // The first row with its separator; a pattern without a second separator is one
    // row as long as the rest.
    const wchar_t* end = std::wcschr(cells, pattern[0]);
    rowLength = (end ? static_cast<long>(end - cells) : n) + 1;
  }
  if (p.x() < 0 || p.x() >= rowLength - 1 || p.y() < 0 || p.y() > n / rowLength) return false;
  const long index = p.y() * rowLength + p.x();
  return index < n && cells[index] != L' ' && cells[index] != L'.';
}

bool zcUITablet::pointIconTouched(const zcPair<long>& p) {
  if (p.x() < -6 || p.x() > 6 || p.y() < -6 || p.y() > 6) return false;
  return iconTouched(pointIconData_, zcPair<long>(p.x() + 6, p.y() + 6), 14);
}
