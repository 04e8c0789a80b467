// Footprint import (see fpimport.h): the items of F.Fab read into pieces and closed
// outlines, the pieces joined into chains, the loops made polys, the body chosen and
// the open chains checked against it; pads on request.
#include "dispc/wrfm/fpimport.h"

#include "wrfm/fpimport_sexpr.h"

#include "zfound/strings.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <deque>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

ZC_EXCEPTION_FAMILY_SERIALIZE(zcFootprintImport::Errors, zcExceptionWithString, "zcFootprintImport::Errors")
ZC_EXCEPTION_DEFINE(zcFootprintImport::Malformed, Errors, "zcFootprintImport::Malformed", 0x11000390)
ZC_EXCEPTION_DEFINE(zcFootprintImport::UnknownItem, Errors, "zcFootprintImport::UnknownItem", 0x11000391)
ZC_EXCEPTION_DEFINE(zcFootprintImport::BadItem, Errors, "zcFootprintImport::BadItem", 0x11000392)
ZC_EXCEPTION_DEFINE(zcFootprintImport::NoOutline, Errors, "zcFootprintImport::NoOutline", 0x11000393)
ZC_EXCEPTION_DEFINE(zcFootprintImport::OpenOutline, Errors, "zcFootprintImport::OpenOutline", 0x11000394)
ZC_EXCEPTION_DEFINE(zcFootprintImport::RefusedOutline, Errors, "zcFootprintImport::RefusedOutline", 0x11000395)
ZC_EXCEPTION_DEFINE(zcFootprintImport::Unreadable, Errors, "zcFootprintImport::Unreadable", 0x11000396)

namespace {

using zc_fp::Node;
using Vec = zcVector<2>;

constexpr double kTol = zcFootprintImport::zkJoinTolerance;
constexpr double kDegree = 0.017453292519943295;

std::string pointText(const Vec& p) {
  std::ostringstream out;
  out.precision(9);
  out << '(' << p.x() << ", " << p.y() << ')';
  return out.str();
}

// A straight piece (span 0) or an arc from a to b, as the file gives it.
struct Piece {
  Vec a, b;
  double span = 0;  // degrees, signed
  long line = 0;
  std::size_t order = 0;  // the item's place in the file
  bool isDot() const { return span == 0 && a.distance(b) <= kTol; }
  Vec point(double t) const;  // t in [0, 1] along the piece
};

Vec Piece::point(double t) const {
  if (span == 0) return a + (b - a) * t;
  // The centre lies on the chord's perpendicular, on the left of travel for a positive span.
  const double theta = span * kDegree;
  const Vec chord = b - a;
  const double half = chord.length() / 2;
  const double r = half / std::sin(std::fabs(theta) / 2);
  const double h = std::sqrt(std::max(0.0, r * r - half * half));
  const double side = (std::fabs(theta) > 3.141592653589793 ? -1.0 : 1.0) * (theta > 0 ? 1.0 : -1.0);
  const Vec c = a + chord / 2 + chord.unit().perp() * (h * side);
  const double start = std::atan2(a.y() - c.y(), a.x() - c.x()) + theta * t;
  return c + Vec(std::cos(start), std::sin(start)) * r;
}

// A piece taken one way or the other along a chain.
struct Step {
  std::size_t piece;
  bool reversed;
};

// A closed outline before it becomes a poly.
struct Loop {
  std::size_t order;  // where its first item comes in the file
  long line;
  std::vector<zcSMDGDPolyVertex> vertices;
  double area = 0;
};

// Signed area of a closed chain of vertices whose spans sit on the arriving vertex.
double loopArea(const std::vector<zcSMDGDPolyVertex>& vs) {
  double area = 0;
  for (std::size_t k = 0; k < vs.size(); ++k) {
    const Vec& p = vs[(k + vs.size() - 1) % vs.size()].point();
    const Vec& q = vs[k].point();
    area += p.cross(q) / 2;
    const double theta = vs[k].segmentAngleSpan().value() * kDegree;
    if (theta != 0) {
      const double r = p.distance(q) / (2 * std::sin(std::fabs(theta) / 2));
      area += r * r / 2 * (theta - std::sin(theta));
    }
  }
  return area;
}

class Importer {
public:
  Importer(const std::string& source, bool pads) : source_(source), withPads_(pads) {}

  zcFootprintImport::Outlines run(std::string_view text) {
    const Node root = zc_fp::readSExpression(text, source_);
    if (root.head() != "footprint" && root.head() != "module")
      fail<zcFootprintImport::Malformed>(root.line, "not a footprint: the root list is '" +
                                                        std::string(root.head()) + "', not 'footprint' or 'module'");
    if (root.items.size() < 2 || root.items[1].isList())
      fail<zcFootprintImport::Malformed>(root.line, "the footprint has no name");
    out_.name = zfConvertString(root.items[1].text);
    for (std::size_t i = 2; i < root.items.size(); ++i) item(root.items[i], i);
    outlines(root.line);
    return std::move(out_);
  }

private:
  template <class E>
  [[noreturn]] void fail(long line, const std::string& what) const {
    throw E(zfConvertString(zc_fp::where(source_, line, what)));
  }

  // --- Items ---------------------------------------------------------------------------

  static bool onFab(const Node& item) {
    for (const Node& key : item.items)
      if (key.head() == "layer" && key.items.size() == 2 && key.items[1].isAtom()) return key.items[1].text == "F.Fab";
    return false;
  }

  void item(const Node& node, std::size_t order) {
    const std::string_view head = node.head();
    if (head == "pad") {
      if (withPads_) pad(node);
      return;
    }
    if (!node.isList() || !onFab(node)) return;
    if (head == "fp_text" || head == "fp_text_box") {
      ++out_.counts.texts;
      return;
    }
    if (head == "fp_line") {
      ++out_.counts.lines;
      const Keys k = keys(node, {"start", "end"});
      pieces_.push_back(Piece{point(k, 0), point(k, 1), 0.0, node.line, order});
    } else if (head == "fp_arc") {
      ++out_.counts.arcs;
      arc(node, order);
    } else if (head == "fp_circle") {
      ++out_.counts.circles;
      const Keys k = keys(node, {"center", "end"});
      const Vec c = point(k, 0), e = point(k, 1);
      closed(node, order, guarded(node.line, [&] { return zcSMDGDPoly::circle(c.distance(e), c).vertices(); }));
    } else if (head == "fp_rect") {
      ++out_.counts.rects;
      const Keys k = keys(node, {"start", "end"});
      const Vec s = point(k, 0), e = point(k, 1);
      closed(node, order, {corner(s), corner(Vec(e.x(), s.y())), corner(e), corner(Vec(s.x(), e.y()))});
    } else if (head == "fp_poly") {
      ++out_.counts.polygons;
      polygon(node, order);
    } else {
      fail<zcFootprintImport::UnknownItem>(node.line, "the item '" + std::string(head) + "' on F.Fab is not read");
    }
  }

  // The keys of an item that the importer reads, by position in `names`; the keys that
  // carry only drawing attributes are passed over, anything else is refused.
  struct Keys {
    const Node* item;
    std::vector<std::string_view> names;
    std::vector<const Node*> found;
  };

  Keys keys(const Node& item, std::initializer_list<std::string_view> names) const {
    static constexpr std::string_view kIgnored[] = {"layer", "width", "stroke", "fill", "tstamp", "uuid"};
    Keys k{&item, names, std::vector<const Node*>(names.size(), nullptr)};
    const std::string head(item.head());
    for (std::size_t i = 1; i < item.items.size(); ++i) {
      const Node& key = item.items[i];
      if (key.isAtom()) {
        if (key.kind == Node::eSymbol && key.text == "locked") continue;
        fail<zcFootprintImport::UnknownItem>(key.line, "the word '" + key.text + "' in " + head + " is not read");
      }
      const std::string_view name = key.head();
      if (std::find(std::begin(kIgnored), std::end(kIgnored), name) != std::end(kIgnored)) continue;
      const auto at = std::find(names.begin(), names.end(), name);
      if (at == names.end())
        fail<zcFootprintImport::UnknownItem>(key.line,
                                             "the key '" + std::string(name) + "' in " + head + " is not read");
      const Node*& slot = k.found[static_cast<std::size_t>(at - names.begin())];
      if (slot) fail<zcFootprintImport::BadItem>(key.line, "the key '" + std::string(name) + "' is given twice");
      slot = &key;
    }
    return k;
  }

  // The numbers of key `index`; `count` of them, within the coordinate bound.
  std::vector<double> numbers(const Keys& k, std::size_t index, std::size_t count) const {
    const std::string name(k.names[index]);
    const Node* key = k.found[index];
    if (!key) fail<zcFootprintImport::BadItem>(k.item->line, std::string(k.item->head()) + " has no (" + name + ")");
    std::vector<double> values;
    for (std::size_t i = 1; i < key->items.size(); ++i) {
      const Node& v = key->items[i];
      if (v.kind != Node::eNumber) fail<zcFootprintImport::BadItem>(v.line, "'" + v.text + "' is not a number");
      if (std::fabs(v.number) > zcFootprintImport::zkMaxCoordinate)
        fail<zcFootprintImport::BadItem>(v.line, v.text + " lies beyond the largest coordinate taken");
      values.push_back(v.number);
    }
    if (values.size() != count)
      fail<zcFootprintImport::BadItem>(key->line, "(" + name + ") needs " + std::to_string(count) +
                                                      (count == 1 ? " number" : " numbers"));
    return values;
  }

  Vec point(const Keys& k, std::size_t index) const {
    const std::vector<double> xy = numbers(k, index, 2);
    return Vec(xy[0], xy[1]);
  }

  static zcSMDGDPolyVertex corner(const Vec& p, double span = 0, double radius = 0) {
    return zcSMDGDPolyVertex(p, radius, zcDegree(span), 0.5, 0.5, -1, zcDimTol(-1.0, -1.0, -1.0, zcDimTol::eOffsets));
  }

  void arc(const Node& node, std::size_t order) {
    const Keys k = keys(node, {"start", "end", "mid", "angle"});
    if (k.found[2] && k.found[3]) fail<zcFootprintImport::BadItem>(node.line, "fp_arc with both (mid) and (angle)");
    if (k.found[3]) {
      // The older form: the centre, the first point and the span.
      const Vec c = point(k, 0), a = point(k, 1);
      const double span = numbers(k, 3, 1)[0];
      if (!(std::fabs(span) > 1e-9 && std::fabs(span) < 360) || a.distance(c) <= kTol)
        fail<zcFootprintImport::BadItem>(node.line, "fp_arc without a radius or a span in (-360, 360) other than 0");
      const double t = span * kDegree;
      const Vec d = a - c;
      const Vec b = c + Vec(d.x() * std::cos(t) - d.y() * std::sin(t), d.x() * std::sin(t) + d.y() * std::cos(t));
      pieces_.push_back(Piece{a, b, span, node.line, order});
      return;
    }
    const Vec a = point(k, 0), m = point(k, 2), b = point(k, 1);
    if (a.distance(b) <= kTol && a.distance(m) > kTol) {
      // A whole circle (start and end together, mid across): two half turns.
      pieces_.push_back(Piece{a, m, 180.0, node.line, order});
      pieces_.push_back(Piece{m, b, 180.0, node.line, order});
      return;
    }
    const Vec u = m - a, v = b - a;
    const double turn = u.cross(v);
    const double scale = std::max(u.lengthSq(), v.lengthSq());
    if (!(std::fabs(turn) > 1e-12 * scale) || a.distance(b) <= kTol)
      fail<zcFootprintImport::BadItem>(node.line, "fp_arc through " + pointText(a) + ", " + pointText(m) + " and " +
                                                      pointText(b) + " is no arc");
    // The centre relative to a, from |c|² = 2 c·u = 2 c·v.
    const Vec c = a + Vec(v.y() * u.lengthSq() - u.y() * v.lengthSq(), u.x() * v.lengthSq() - v.x() * u.lengthSq()) /
                          (2 * turn);
    const double from = std::atan2(a.y() - c.y(), a.x() - c.x());
    const double to = std::atan2(b.y() - c.y(), b.x() - c.x());
    // Through m turning left (turn > 0) the angle grows from a to b.
    double sweep = std::fmod(turn > 0 ? to - from : from - to, 2 * 3.141592653589793);
    if (sweep < 0) sweep += 2 * 3.141592653589793;
    pieces_.push_back(Piece{a, b, (turn > 0 ? sweep : -sweep) / kDegree, node.line, order});
  }

  void polygon(const Node& node, std::size_t order) {
    const Keys k = keys(node, {"pts"});
    if (!k.found[0]) fail<zcFootprintImport::BadItem>(node.line, "fp_poly has no (pts)");
    std::vector<zcSMDGDPolyVertex> vs;
    for (std::size_t i = 1; i < k.found[0]->items.size(); ++i) {
      const Node& xy = k.found[0]->items[i];
      if (xy.head() != "xy")
        fail<zcFootprintImport::UnknownItem>(xy.line, "only (xy) points are read in fp_poly");
      const Keys p{&node, {"xy"}, {&xy}};
      vs.push_back(corner(point(p, 0)));
    }
    if (vs.size() > 1 && vs.back().point().distance(vs.front().point()) <= kTol) vs.pop_back();
    closed(node, order, std::move(vs));
  }

  // The vertices that `build` makes, a poly's refusal of them reported at `line`.
  template <class Build>
  std::vector<zcSMDGDPolyVertex> guarded(long line, Build build) const {
    try {
      return build();
    } catch (const zcException& e) {
      fail<zcFootprintImport::RefusedOutline>(line, "outline refused: " + e.what());
    }
  }

  void closed(const Node& node, std::size_t order, std::vector<zcSMDGDPolyVertex> vertices) {
    loops_.push_back(Loop{order, node.line, std::move(vertices)});
  }

  // --- Pads --------------------------------------------------------------------------------

  void pad(const Node& node) {
    const auto atom = [&](std::size_t i) {
      return i < node.items.size() && node.items[i].isAtom() ? node.items[i].text : std::string();
    };
    const std::string number = atom(1), type = atom(2), shape = atom(3);
    if (type != "smd" || (shape != "rect" && shape != "roundrect" && shape != "circle" && shape != "oval")) {
      ++out_.counts.padsSkipped;
      return;
    }
    const Node *at = nullptr, *size = nullptr, *ratio = nullptr;
    for (const Node& key : node.items) {
      if (key.head() == "at") at = &key;
      if (key.head() == "size") size = &key;
      if (key.head() == "roundrect_rratio") ratio = &key;
    }
    const Keys k{&node, {"at", "size", "roundrect_rratio"}, {at, size, ratio}};
    if (!at) fail<zcFootprintImport::BadItem>(node.line, "pad " + number + " has no (at)");
    const std::size_t atCount = at->items.size() == 4 ? 3 : 2;
    const std::vector<double> place = numbers(k, 0, atCount);
    const std::vector<double> wh = numbers(k, 1, 2);
    if (!(wh[0] > kTol && wh[1] > kTol)) fail<zcFootprintImport::BadItem>(node.line, "pad " + number + " has no area");
    double r = 0;
    if (shape == "roundrect") r = std::clamp(ratio ? numbers(k, 2, 1)[0] : 0.25, 0.0, 0.5);
    const double w = wh[0] / 2, h = wh[1] / 2, s = std::min(w, h);
    std::vector<zcSMDGDPolyVertex> vs;
    if (shape == "circle" || (shape != "rect" && w == h && (shape == "oval" || r >= 0.5 - 1e-12))) {
      vs = guarded(node.line, [&] { return zcSMDGDPoly::circle(shape == "circle" ? w : s, Vec(0, 0)).vertices(); });
    } else if (shape == "oval" || r >= 0.5 - 1e-12) {
      // Two half circles joined by the long sides, turning the way from `along` to `across`.
      const Vec along = w > h ? Vec(w - s, 0) : Vec(0, h - s), across = w > h ? Vec(0, s) : Vec(s, 0);
      const double half = along.cross(across) > 0 ? 180 : -180;
      vs = {corner(-along - across, half), corner(along - across), corner(along + across, half),
            corner(-along + across)};
    } else {
      const double radius = 2 * r * s;
      vs = {corner(Vec(-w, -h), 0, radius), corner(Vec(w, -h), 0, radius), corner(Vec(w, h), 0, radius),
            corner(Vec(-w, h), 0, radius)};
    }
    const double t = (atCount == 3 ? place[2] : 0.0) * kDegree;
    const double c = std::cos(t), sn = std::sin(t);
    for (zcSMDGDPolyVertex& v : vs) {
      const Vec p = v.point();
      // Counter-clockwise as drawn with y down.
      v.point(Vec(place[0] + p.x() * c + p.y() * sn, place[1] - p.x() * sn + p.y() * c));
    }
    pads_.push_back(Loop{0, node.line, std::move(vs)});
    padNames_.push_back(L"pad " + zfConvertString(number));
  }

  // --- Chains and outlines -------------------------------------------------------------------

  // The unused piece (earliest in the file) with an end within the tolerance of p, and
  // whether that end is its start.
  std::optional<std::pair<std::size_t, bool>> meeting(const Vec& p) const {
    const auto first = std::lower_bound(ends_.begin(), ends_.end(), p.x() - kTol,
                                        [](const End& e, double x) { return e.at.x() < x; });
    std::optional<std::pair<std::size_t, bool>> best;
    for (auto e = first; e != ends_.end() && e->at.x() <= p.x() + kTol; ++e)
      if (!used_[e->piece] && e->at.distance(p) <= kTol && (!best || e->piece < best->first))
        best = std::make_pair(e->piece, e->isStart);
    return best;
  }

  Vec from(const Step& s) const { return s.reversed ? pieces_[s.piece].b : pieces_[s.piece].a; }
  Vec to(const Step& s) const { return s.reversed ? pieces_[s.piece].a : pieces_[s.piece].b; }

  void chains(std::vector<std::deque<Step>>& open) {
    used_.assign(pieces_.size(), false);
    for (std::size_t i = 0; i < pieces_.size(); ++i) {
      if (pieces_[i].isDot()) continue;
      ends_.push_back(End{pieces_[i].a, i, true});
      ends_.push_back(End{pieces_[i].b, i, false});
    }
    std::sort(ends_.begin(), ends_.end(), [](const End& x, const End& y) { return x.at.x() < y.at.x(); });
    for (std::size_t i = 0; i < pieces_.size(); ++i) {
      if (used_[i]) continue;
      used_[i] = true;
      std::deque<Step> chain{Step{i, false}};
      bool isLoop = false;
      if (!pieces_[i].isDot()) {
        while (auto next = meeting(to(chain.back()))) {
          used_[next->first] = true;
          chain.push_back(Step{next->first, !next->second});
          if (to(chain.back()).distance(from(chain.front())) <= kTol) {
            isLoop = true;
            break;
          }
        }
        while (!isLoop) {
          const auto prev = meeting(from(chain.front()));
          if (!prev) break;
          used_[prev->first] = true;
          chain.push_front(Step{prev->first, prev->second});
        }
      }
      if (!isLoop) {
        open.push_back(std::move(chain));
        continue;
      }
      // Vertex k is where piece k starts; the piece before it (the last one, for vertex 0)
      // arrives there with its span.
      Loop loop{pieces_[i].order, pieces_[i].line, {}};
      for (std::size_t k = 0; k < chain.size(); ++k) {
        const Step& arriving = chain[(k + chain.size() - 1) % chain.size()];
        const double span = pieces_[arriving.piece].span * (arriving.reversed ? -1 : 1);
        loop.vertices.push_back(corner(from(chain[k]), span));
      }
      loops_.push_back(std::move(loop));
    }
  }

  zcSMDGDPoly make(const Loop& loop, const std::wstring& name) const {
    try {
      zcSMDGDPoly poly(name);
      poly.vertices(loop.vertices);
      poly.close();
      return poly;
    } catch (const zcException& e) {
      fail<zcFootprintImport::RefusedOutline>(loop.line, "outline refused: " + e.what());
    }
  }

  void outlines(long rootLine) {
    std::vector<std::deque<Step>> open;
    chains(open);
    std::stable_sort(loops_.begin(), loops_.end(), [](const Loop& x, const Loop& y) { return x.order < y.order; });
    for (Loop& loop : loops_) {
      loop.area = std::fabs(loopArea(loop.vertices));
      if (!(loop.area > kTol * kTol))
        fail<zcFootprintImport::RefusedOutline>(loop.line, "outline refused: it encloses no area");
    }
    if (loops_.empty() && open.empty()) fail<zcFootprintImport::NoOutline>(rootLine, "no closed outline on F.Fab");
    std::optional<zcSMDGDPoly> body;
    if (!loops_.empty()) {
      const auto largest = std::max_element(loops_.begin(), loops_.end(),
                                            [](const Loop& x, const Loop& y) { return x.area < y.area; });
      std::rotate(loops_.begin(), largest, largest + 1);
      body = make(loops_.front(), L"body");
    }
    for (const std::deque<Step>& chain : open) {
      if (body && onOrInside(*body, chain)) {
        ++out_.counts.markings;
        continue;
      }
      const Vec a = from(chain.front()), b = to(chain.back());
      std::ostringstream gap;
      gap.precision(6);
      gap << a.distance(b);
      fail<zcFootprintImport::OpenOutline>(
          pieces_[chain.front().piece].line,
          std::string(body ? "an open outline leaves the body" : "the outline is not closed") + ": its loose ends " +
              pointText(a) + " and " + pointText(b) + " are " + gap.str() + " mm apart");
    }
    out_.polys.push_back(std::move(*body));
    for (std::size_t i = 1; i < loops_.size(); ++i) out_.polys.push_back(make(loops_[i], L"outline"));
    out_.counts.loops = static_cast<long>(loops_.size());
    for (std::size_t i = 0; i < pads_.size(); ++i) out_.polys.push_back(make(pads_[i], padNames_[i]));
    out_.counts.pads = static_cast<long>(pads_.size());
  }

  bool onOrInside(const zcSMDGDPoly& body, const std::deque<Step>& chain) const {
    for (const Step& s : chain)
      for (double t : {0.0, 0.5, 1.0}) {
        const Vec p = pieces_[s.piece].point(t);
        if (zcSMDGDPolyPrivate::distToPoint(body, p) > kTol && !zcSMDGDPolyPrivate::inside(body, p)) return false;
      }
    return true;
  }

  struct End {
    Vec at;
    std::size_t piece;
    bool isStart;
  };

  const std::string& source_;
  bool withPads_;
  zcFootprintImport::Outlines out_;
  std::vector<Piece> pieces_;
  std::vector<Loop> loops_;
  std::vector<Loop> pads_;
  std::vector<std::wstring> padNames_;
  std::vector<End> ends_;
  std::vector<bool> used_;
};

}  // namespace

zcFootprintImport::Outlines zcFootprintImport::outlines(std::string_view text, const std::string& source, bool pads) {
  return Importer(source, pads).run(text);
}

zcFootprintImport::Outlines zcFootprintImport::outlinesFromFile(const std::string& path, bool pads) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error))
    throw Unreadable(zfConvertString(path + ": is a directory, not a footprint file"));
  std::ifstream in(path, std::ios::binary);
  if (!in) throw Unreadable(zfConvertString(path + ": " + std::strerror(errno)));
  in.seekg(0, std::ios::end);
  const std::streamoff size = in.tellg();
  if (size < 0) throw Unreadable(zfConvertString(path + ": cannot tell its size"));
  if (static_cast<std::size_t>(size) > zc_fp::zkMaxFootprintBytes)
    throw Malformed(zfConvertString(zc_fp::where(path, 1, "the file is larger than " +
                                                              std::to_string(zc_fp::zkMaxFootprintBytes) + " bytes")));
  std::string text(static_cast<std::size_t>(size), '\0');
  in.seekg(0);
  if (!in.read(text.data(), size)) throw Unreadable(zfConvertString(path + ": " + std::strerror(errno)));
  return outlines(text, path, pads);
}

namespace {
zcFootprintImport::Counts assign(const zcFootprintImport::Outlines& outlines, zcSMDGDModel& model) {
  zcSMDGDModel made(outlines.name);
  for (const zcSMDGDPoly& poly : outlines.polys) made << poly;
  model = made;
  return outlines.counts;
}
}  // namespace

zcFootprintImport::Counts zcFootprintImport::read(std::string_view text, const std::string& source,
                                                  zcSMDGDModel& model, bool pads) {
  return assign(outlines(text, source, pads), model);
}

zcFootprintImport::Counts zcFootprintImport::readFile(const std::string& path, zcSMDGDModel& model, bool pads) {
  return assign(outlinesFromFile(path, pads), model);
}
