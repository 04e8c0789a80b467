// Expected sketch bytes written out field by field, and readers of logged numbers.
//
//   Stream().block(false, 3).header(2, 0, kRed).point(0, 0).point(10, 0).get()
//   numbersIn("drawTo (8,4) from (2,4) color=red width=1")  // {8, 4, 2, 4}
#pragma once

#include "dispc/dispprop.h"

#include "zfound/bytes.h"
#include "zfound/geometry.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace zc_test {

using Bytes = std::vector<unsigned char>;

// The six bytes a sketch stores for a color: kind flags, index, red, green, blue, 0.
inline const Bytes kRed = {7, 249, 255, 0, 0, 0};
inline const Bytes kCyan = {7, 254, 0, 255, 255, 0};
inline const Bytes kBlue = {7, 252, 0, 0, 255, 0};
inline const Bytes kWhite = {7, 255, 255, 255, 255, 0};
inline const Bytes kBlack = {7, 0, 0, 0, 0, 0};
inline const Bytes kIndex0 = {4, 0, 0, 0, 0, 0};

class Stream {
public:
  Stream& u8(unsigned v) {
    bytes_.push_back(static_cast<unsigned char>(v));
    return *this;
  }
  Stream& i32(std::int32_t v) { return stored<4>(zfStoreI32, v); }
  Stream& f64(double v) { return stored<8>(zfStoreF64, v); }
  Stream& point(double x, double y) { return f64(x).f64(y); }
  Stream& rect(std::int32_t x, std::int32_t y, std::int32_t w, std::int32_t h) { return i32(x).i32(y).i32(w).i32(h); }
  Stream& bytes(const Bytes& b) { return raw(b.data(), b.size()); }
  // A properties block: 40, version 0, fill, width, style, join, end cap, arrow
  // head, arrow head forward, show vertex.
  Stream& block(bool fill, std::int32_t width, bool arrow = true, bool forward = true) {
    return u8(40).u8(0).u8(fill).i32(width).i32(0).i32(0).i32(0).u8(arrow).u8(forward).u8(0);
  }
  Stream& header(unsigned opcode, unsigned layer, const Bytes& color) { return u8(opcode).u8(layer).bytes(color); }
  const Bytes& get() const { return bytes_; }
  operator const Bytes&() const { return bytes_; }

private:
  Stream& raw(const unsigned char* p, std::size_t n) {
    bytes_.insert(bytes_.end(), p, p + n);
    return *this;
  }
  template <std::size_t N, class V>
  Stream& stored(void (*store)(unsigned char*, V), V v) {
    unsigned char b[N];
    store(b, v);
    return raw(b, N);
  }
  Bytes bytes_;
};

inline zcGraphicProps pen(const zcColor& color, long width, bool fill = false) {
  return zcGraphicProps(color, width, zcGraphicProps::ePenStyleDefault, fill);
}

// The numbers of a log entry before its properties (" color=..."), in order.
inline std::vector<double> numbersIn(const std::string& entry) {
  const std::string head = entry.substr(0, entry.find(" color="));
  std::vector<double> out;
  for (const char* p = head.c_str(); *p;) {
    if ((*p >= '0' && *p <= '9') || ((*p == '-' || *p == '.') && (p[1] >= '0' && p[1] <= '9'))) {
      char* end = nullptr;
      out.push_back(std::strtod(p, &end));
      p = end;
    } else {
      ++p;
    }
  }
  return out;
}

// The vertices of a drawPolyline or drawPolygon entry.
inline std::vector<zcPoint> verticesIn(const std::string& entry) {
  const std::vector<double> n = numbersIn(entry);
  std::vector<zcPoint> out;
  for (std::size_t i = 1; i + 1 < n.size(); i += 2) out.emplace_back(n[i], n[i + 1]);
  return out;
}

}  // namespace zc_test
