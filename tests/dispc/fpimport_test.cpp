// Footprint import: snippets of each item kind into polys, malformed snippets into
// their class and line, every byte-cut into importer errors only, and the installed
// footprint library (skipped without it) into polys that re-validate and round-trip
// and whose box is that of the file's fabrication items.
#include "dispc/wrfm/fpimport.h"

#include "support/files.h"
#include "wrfm/fpimport_sexpr.h"
#include "zfound/checks.h"
#include "zfound/strings.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <iostream>
#include <map>
#include <typeinfo>

namespace {

using Import = zcFootprintImport;
using Vec = zcVector<2>;

std::string fp(const std::string& items) { return "(footprint \"t\"\n" + items + ")\n"; }

struct V {
  double x, y, span = 0, radius = 0;
};
struct Want {
  std::wstring name;
  std::vector<V> vertices;
};

struct Row {
  const char* what;
  std::string text;
  bool pads;
  std::vector<Want> polys;
  long markings = 0, padsSkipped = 0;
};

const std::vector<Row> kRows = {
    {"lines in any order and sense: vertex 0 starts the first line", fp(R"(
  (fp_line (start 4 0) (end 4 2) (layer "F.Fab") (width 0.1) (tstamp x))
  (fp_line (start 0 0) (end 4 0) (layer "F.Fab") (stroke (width 0.1)) locked)
  (fp_line (start 0 2) (end 4 2) (layer "F.Fab") (uuid u))
  (fp_line (start 0 0) (end 0 2) (layer "F.Fab")))"),
     false, {{L"body", {{4, 0}, {4, 2}, {0, 2}, {0, 0}}}}},
    {"arc turning positively, then lines", fp(R"(
  (fp_arc (start 1 0) (mid 0.6 0.8) (end 0 1) (layer "F.Fab"))
  (fp_line (start 0 1) (end 0 0) (layer "F.Fab")) (fp_line (start 0 0) (end 1 0) (layer "F.Fab")))"),
     false, {{L"body", {{1, 0}, {0, 1, 90}, {0, 0}}}}},
    {"arc turning negatively, a line met backwards", fp(R"(
  (fp_arc (start 0 1) (mid 0.8 0.6) (end 1 0) (layer "F.Fab"))
  (fp_line (start 0 0) (end 1 0) (layer "F.Fab")) (fp_line (start 0 0) (end 0 1) (layer "F.Fab")))"),
     false, {{L"body", {{0, 1}, {1, 0, -90}, {0, 0}}}}},
    {"the older root and arc form: the angle turns from +x to +y",
     "(module old (layer F.Cu)\n (fp_arc (start 0 0) (end 2 0) (angle 90) (layer F.Fab) (width 0.1))\n"
     " (fp_line (start 0 2) (end 0 0) (layer F.Fab)) (fp_line (start 0 0) (end 2 0) (layer F.Fab)))",
     false, {{L"body", {{2, 0}, {0, 2, 90}, {0, 0}}}}},
    {"an arc whose ends meet is a whole circle",
     fp(R"((fp_arc (start 1 0) (mid -1 0) (end 1 0) (layer "F.Fab")))"), false,
     {{L"body", {{1, 0, 180}, {-1, 0, 180}}}}},
    {"circle, as the factory builds it", fp(R"((fp_circle (center 1 1) (end 1 3) (layer "F.Fab") (fill none)))"),
     false, {{L"body", {{-1, 1, 180}, {3, 1, 180}}}}},
    {"rectangle", fp(R"((fp_rect (start 0 0) (end 4 2) (layer "F.Fab")))"), false,
     {{L"body", {{0, 0}, {4, 0}, {4, 2}, {0, 2}}}}},
    {"polygon whose last point repeats the first",
     fp(R"((fp_poly (pts (xy 0 0) (xy 3 0) (xy 0 3) (xy 0 0)) (layer "F.Fab")))"), false,
     {{L"body", {{0, 0}, {3, 0}, {0, 3}}}}},
    {"body first, then loops in file order; a marking, text, other layers and pads left out", fp(R"(
  (fp_rect (start 10 10) (end 11 11) (layer "F.Fab"))
  (fp_line (start 0 0) (end 4 0) (layer "F.Fab")) (fp_line (start 1 1) (end 2 1) (layer "F.Fab"))
  (fp_line (start 4 2) (end 4 0) (layer "F.Fab")) (fp_line (start 0 2) (end 0 0) (layer "F.Fab"))
  (fp_line (start 4 2) (end 0 2) (layer "F.Fab")) (fp_circle (center 20 20) (end 21 20) (layer "F.Fab"))
  (fp_line (start 30 30) (end 31 30) (layer "F.Fab")) (fp_line (start 31 30) (end 30 31) (layer "F.Fab"))
  (fp_line (start 30 31) (end 30 30) (layer "F.Fab")) (fp_curve (pts) (layer "F.SilkS"))
  (fp_text user "x" (at 0 0) (layer "F.Fab") (effects (font (size 1 1))))
  (pad "1" smd rect (at 1 1) (size 1 1) (layers "F.Cu")))"),
     false,
     {{L"body", {{0, 0}, {4, 0}, {4, 2}, {0, 2}}},
      {L"outline", {{10, 10}, {11, 10}, {11, 11}, {10, 11}}},
      {L"outline", {{19, 20, 180}, {21, 20, 180}}},
      {L"outline", {{30, 30}, {31, 30}, {30, 31}}}},
     1},
    {"SMD pads turned and moved; other pads skipped", fp(R"(
  (fp_rect (start 0 0) (end 10 10) (layer "F.Fab"))
  (pad "1" smd rect (at 1 2 90) (size 2 1) (layers "F.Cu"))
  (pad "2" smd oval (at 5 5) (size 1 3) (layers "F.Cu"))
  (pad "3" thru_hole circle (at 5 5) (size 1 1) (drill 0.5))
  (pad "4" smd custom (at 5 5) (size 1 1))
  (pad "5" smd roundrect (at 8 8) (size 2 1) (roundrect_rratio 0.25))
  (pad 6 smd circle (at 2 8) (size 1 1)))"),
     true,
     {{L"body", {{0, 0}, {10, 0}, {10, 10}, {0, 10}}},
      {L"pad 1", {{0.5, 3}, {0.5, 1}, {1.5, 1}, {1.5, 3}}},
      {L"pad 2", {{4.5, 4, -180}, {4.5, 6}, {5.5, 6, -180}, {5.5, 4}}},
      {L"pad 5", {{7, 7.5, 0, 0.25}, {9, 7.5, 0, 0.25}, {9, 8.5, 0, 0.25}, {7, 8.5, 0, 0.25}}},
      {L"pad 6", {{1.5, 8, 180}, {2.5, 8, 180}}}},
     0, 2},
};

TEST(FootprintImport, EachItemKindGivesItsPolys) {
  for (const Row& row : kRows) {
    SCOPED_TRACE(row.what);
    const Import::Outlines got = Import::outlines(row.text, "snippet", row.pads);
    ASSERT_EQ(got.polys.size(), row.polys.size());
    EXPECT_EQ(got.counts.markings, row.markings);
    EXPECT_EQ(got.counts.padsSkipped, row.padsSkipped);
    for (std::size_t p = 0; p < got.polys.size(); ++p) {
      const zcSMDGDPoly& poly = got.polys[p];
      EXPECT_EQ(poly.name(), row.polys[p].name);
      EXPECT_TRUE(poly.isClosed());
      ASSERT_EQ(poly.numVertices(), static_cast<long>(row.polys[p].vertices.size())) << "poly " << p;
      for (long i = 0; i < poly.numVertices(); ++i) {
        const V& want = row.polys[p].vertices[static_cast<std::size_t>(i)];
        const zcSMDGDPolyVertex& v = poly.vertex(i);
        EXPECT_NEAR(v.point().x(), want.x, 1e-6) << "poly " << p << " vertex " << i;
        EXPECT_NEAR(v.point().y(), want.y, 1e-6) << "poly " << p << " vertex " << i;
        EXPECT_NEAR(v.segmentAngleSpan().value(), want.span, 1e-6) << "poly " << p << " vertex " << i;
        EXPECT_DOUBLE_EQ(v.vertexRadius(), want.radius);
      }
    }
  }
}

struct BadRow {
  std::string text;
  const std::type_info& cls;
  long line;
  const char* says;
};

TEST(FootprintImport, MalformedInputNamesClassAndLineAndLeavesTheModel) {
  const std::string deep = "(footprint \"t\"" + std::string(64, '(') + std::string(65, ')');
  const std::string rect = "(fp_rect (start 0 0) (end 4 4) (layer \"F.Fab\"))\n";
  const std::vector<BadRow> rows = {
      {"(footprint \"t\"\n(fp_line))\n)", typeid(Import::Malformed), 3, "text after"},
      {"(footprint \"t\"\n(fp_line\n", typeid(Import::Malformed), 2, "not closed"},
      {"(footprint \"t\n\n", typeid(Import::Malformed), 1, "string opened here"},
      {"\n)", typeid(Import::Malformed), 2, "without an opening"},
      {"  \n ", typeid(Import::Malformed), 2, "no list"},
      {deep, typeid(Import::Malformed), 1, "deeper than 64"},
      {"(footprint \"t\"\n a\x01)", typeid(Import::Malformed), 2, "0x01"},
      {"(kicad_pcb \"t\")", typeid(Import::Malformed), 1, "not a footprint"},
      {fp(rect + "(fp_curve (pts) (layer \"F.Fab\"))"), typeid(Import::UnknownItem), 3, "fp_curve"},
      {fp("(fp_line (start 0 0) (end 1 0)\n (net 1) (layer \"F.Fab\"))"), typeid(Import::UnknownItem), 3, "net"},
      {fp("(fp_line (start 0) (end 1 0) (layer \"F.Fab\"))"), typeid(Import::BadItem), 2, "needs 2 numbers"},
      {fp("(fp_line (start 0 1e6) (end 1 0) (layer \"F.Fab\"))"), typeid(Import::BadItem), 2, "beyond"},
      {fp("\n(fp_arc (start 0 0) (mid 1 0) (end 2 0) (layer \"F.Fab\"))"), typeid(Import::BadItem), 3, "no arc"},
      {fp("(fp_line (start 0 0) (end 1 0) (layer \"F.SilkS\"))"), typeid(Import::NoOutline), 1, "no closed"},
      {fp(rect + "(fp_line (start 1 1) (end 6 1) (layer \"F.Fab\"))"), typeid(Import::OpenOutline), 3,
       "loose ends (1, 1) and (6, 1) are 5 mm"},
      {fp("(fp_line (start 0 0) (end 4 0) (layer \"F.Fab\"))(fp_line (start 4 0) (end 4 4) (layer \"F.Fab\"))"
          "(fp_line (start 4 4) (end 0 4) (layer \"F.Fab\"))(fp_line (start 0 4) (end 0 0.05) (layer \"F.Fab\"))"),
       typeid(Import::OpenOutline), 2, "are 0.05 mm apart"},
      {fp("\n(fp_poly (pts (xy 0 0) (xy 2 2) (xy 2 0) (xy 0 3)) (layer \"F.Fab\"))"), typeid(Import::RefusedOutline),
       3, "crossingSegments"},
  };
  zcSMDGDModel model(L"kept");
  model << zcSMDGDPoly::rectangle(4, 2, Vec(10, 10));
  const auto before = zc_test::ownBytes(model);
  for (const BadRow& row : rows) {
    SCOPED_TRACE(row.text);
    try {
      Import::read(row.text, "f.kicad_mod", model);
      ADD_FAILURE() << "accepted";
    } catch (const Import::Errors& e) {
      EXPECT_EQ(typeid(e), row.cls) << e.what();
      const std::string message = zfConvertString(e.messageString());
      EXPECT_EQ(message.rfind("f.kicad_mod:" + std::to_string(row.line) + ": ", 0), 0u) << message;
      EXPECT_NE(message.find(row.says), std::string::npos) << message;
    }
    EXPECT_EQ(zc_test::ownBytes(model), before);
  }
}

TEST(FootprintImport, EveryByteCutFailsAsAnImporterError) {
  const std::string text = fp(R"((fp_arc (start 1 0) (mid 0.6 0.8) (end 0 1) (layer "F.Fab"))
  (fp_arc (start 0 0) (end 0 1) (angle -90) (layer F.Fab)) (fp_line (start 0 0) (end 1 0) (layer "F.Fab"))
  (pad "a\"b" smd oval (at 1 2 30) (size 1 3) (layers "F.Cu")))");
  for (std::size_t n = 0; n <= text.size(); ++n) {
    try {
      Import::outlines(text.substr(0, n), "cut", true);
    } catch (const Import::Errors&) {
    }
  }
}

// --- The installed footprint library -----------------------------------------------------

const std::filesystem::path kLibrary = "/usr/share/kicad/footprints";

// The box of the file's F.Fab drawing, from its items alone: an arc's extremes are its
// circle's axis points on the side of the chord where its middle point lies.
zcRect fabBox(const std::string& text) {
  zcRect box;
  for (const zc_fp::Node& item : zc_fp::readSExpression(text, "box").items) {
    std::map<std::string, Vec> at;  // start, mid, end, center; a polygon's points by number
    bool fab = false;
    for (const zc_fp::Node& k : item.items) {
      fab = fab || (k.head() == "layer" && k.items[1].text == "F.Fab");
      if (k.items.size() == 3 && k.items[1].kind == zc_fp::Node::eNumber)
        at[std::string(k.head())] = Vec(k.items[1].number, k.items[2].number);
      for (std::size_t i = 1; k.head() == "pts" && i < k.items.size(); ++i)
        at[std::to_string(i)] = Vec(k.items[i].items[1].number, k.items[i].items[2].number);
    }
    if (!fab || item.head() == "fp_text") continue;
    const Vec a = at["start"], b = at["end"], m = at["mid"], c = at["center"];
    if (item.head() == "fp_circle") {
      const double r = c.distance(b);
      box.enclose(c - Vec(r, r)).enclose(c + Vec(r, r));
    } else if (item.head() == "fp_arc") {
      // The circumcentre in absolute coordinates.
      const double d = 2 * (a.x() * (m.y() - b.y()) + m.x() * (b.y() - a.y()) + b.x() * (a.y() - m.y()));
      const double a2 = a.lengthSq(), m2 = m.lengthSq(), b2 = b.lengthSq();
      const Vec o = Vec(a2 * (m.y() - b.y()) + m2 * (b.y() - a.y()) + b2 * (a.y() - m.y()),
                        a2 * (b.x() - m.x()) + m2 * (a.x() - b.x()) + b2 * (m.x() - a.x())) / d;
      const double r = o.distance(a);
      box.enclose(a).enclose(b);
      for (const Vec& e : {Vec(r, 0), Vec(0, r), Vec(-r, 0), Vec(0, -r)})
        if (std::signbit((o + e - a).cross(b - a)) == std::signbit((m - a).cross(b - a))) box.enclose(o + e);
    } else {
      for (const auto& [key, p] : at) box.enclose(p);
      if (item.head() == "fp_rect") box.enclose(Vec(a.x(), b.y())).enclose(Vec(b.x(), a.y()));
    }
  }
  return box;
}

TEST(FootprintImport, LibraryPackagesImportRevalidateAndKeepTheirBox) {
  if (!std::filesystem::is_directory(kLibrary)) GTEST_SKIP() << "the footprint library is not installed";
  for (const char* family : {"Resistor_SMD", "Capacitor_SMD", "Package_SO", "Package_QFP"}) {
    std::map<std::string, int> refused;
    int imported = 0;
    for (const auto& entry : std::filesystem::directory_iterator(kLibrary / (std::string(family) + ".pretty"))) {
      SCOPED_TRACE(entry.path().string());
      zcSMDGDModel model;
      try {
        Import::readFile(entry.path(), model);
      } catch (const Import::Errors& e) {
        ++refused[e.what().substr(0, e.what().find(' '))];
        continue;
      }
      ++imported;
      for (const zcSMDGDPoly& poly : model.polys()) {
        zcSMDGDPoly again;
        again.vertices(poly.vertices());
        again.close();
        EXPECT_TRUE(again == poly);
      }
      zc_test::expectOwnRoundTrip(model);
      const zcRect box = model.boundingBox();
      const zcRect want = fabBox(zc_test::readText(entry.path()));
      for (const auto& [g, w] : {std::pair(box.ul(), want.ul()), std::pair(box.lr(), want.lr())}) {
        EXPECT_NEAR(g.x(), w.x(), 1e-6);
        EXPECT_NEAR(g.y(), w.y(), 1e-6);
      }
    }
    std::cout << family << ": " << imported << " imported";
    for (const auto& [cls, n] : refused) std::cout << ", " << n << " refused (" << cls << ")";
    std::cout << "\n";
    EXPECT_TRUE(std::string(family) != "Package_QFP" || refused.empty());
  }
}

}  // namespace
