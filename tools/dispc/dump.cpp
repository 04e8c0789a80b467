// `dispc dump`: a disassembler for sketches. One line per operation: offset, whole
// length (properties block, header and payload), kind, layer, header color, the
// properties when a block sets them, and the record's own summary of its payload. The last line counts the operations and says whether the
// walk ended exactly at the sketch's size.
#include "commands.h"

#include "dispc/sketchop.h"
#include "dispc/uierror.h"

#include "zfound/strings.h"

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Concatenates what an output stream makes of each part (numbers as %g with six
// significant digits).
template <class... Parts>
std::string str(const Parts&... parts) {
  std::ostringstream out;
  (out << ... << parts);
  return out.str();
}

const char* flag(bool on, const char* text) { return on ? text : ""; }

const char* layerName(zcUITablet::Layers layer) {
  switch (layer) {
    case zcUITablet::eImage:
      return "image";
    case zcUITablet::eOverlay:
      return "overlay";
    default:
      return "both";
  }
}

std::string propsText(const zcGraphicProps& p) {
  return str("{width ", p.penWidth(), " style ", static_cast<int>(p.penStyle()), " join ",
             static_cast<int>(p.penJoin()), " cap ", static_cast<int>(p.penEndCap()), flag(p.fill(), " fill"),
             p.arrowHead() ? (p.arrowHeadForward() ? " arrow-forward" : " arrow-backward") : "",
             flag(p.showVertex(), " vertices"), '}');
}

}  // namespace

std::string zfColorText(const zcColor& color) {
  if (color.isStockColor() && color.isIndexColor()) {
    for (const zcNamedColor& n : zfStockColors())
      if (n.color.index() == color.index() && n.color.rgbStruct() == color.rgbStruct()) return n.name;
  }
  char text[16];
  if (color.isIndexColor()) {
    // A stock color read from outside may carry a triple of its own: its index rules.
    std::snprintf(text, sizeof text, "index %u", static_cast<unsigned>(color.index()));
  } else if (color.isRGBColor()) {
    std::snprintf(text, sizeof text, "#%06X", static_cast<unsigned>(color.rgbStruct().rgb()));
  } else {
    std::snprintf(text, sizeof text, "flags 0x%02X", static_cast<unsigned>(color.flags()));
  }
  return text;
}

int zfRunDump(const std::string& path) {
  zcUISketch sketch = zfReadSketchArchive(path);
  // The whole listing is built first, so that a sketch that fails half-way prints
  // nothing but the error.
  std::string out = str("sketch ", path, ": ", sketch.size(), " bytes\n");
  char line[160];
  std::snprintf(line, sizeof line, "%8s %6s  %-27s %-7s %-10s %s\n", "offset", "length", "operation", "layer", "color",
                "payload");
  out += line;
  long count = 0;
  zcUISketchCursor walk(sketch);
  for (; !walk.atEnd(); ++count) {
    const zc_UISketchOpData& record = walk.next();
    const zc_UISketchOpHeader& header = walk.header();
    const zcUISketchOpKind& kind = *zfUISketchOpKind(header.opcode());
    std::snprintf(line, sizeof line, "%8ld %6ld  %-27s %-7s %-10s ", walk.offset(), walk.length(), kind.name,
                  layerName(header.layer()), zfColorText(header.color()).c_str());
    out += line;
    if (walk.hasBlock()) out += str("props ", propsText(header.props()), ' ');
    out += record.describe(zfColorText);
    out += flag(kind.filled, " filled");
    out += '\n';
  }
  const long at = walk.position();
  out += str(count, count == 1 ? " operation, " : " operations, ", at, " of ", sketch.size(), " bytes: ",
             at == sketch.size() ? "the walk ended exactly at the size" : "the walk ran past the size", '\n');
  std::fputs(out.c_str(), stdout);
  return at == sketch.size() ? 0 : 1;
}
