// The index of an SMD poly's pieces: their boxes in a sparse grid, so that an edit tests
// its new pieces only against the pieces near them. Private to the library (and to
// tests, which switch a poly to the plain validation through it).
//
// Pieces are numbered 2s for the rounded segment s and 2v + 1 for the rounding arc of
// vertex v. The cells are square, about twice the pieces' mean extent when the index is
// built, so that each cell holds a few pieces whatever the outline's shape; a piece
// whose box would cover many cells is kept in a list that every query visits. While
// an edit runs, every change is logged so that a refused edit can put the index back.
#pragma once

#include "dispc/wrfm/smdpoly.h"

#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

struct zcSMDGDPoly::Index {
  struct Box {
    double x0, y0, x1, y1;
  };
  // The box of no piece: disjoint from every box.
  static constexpr Box kNone{1.0, 1.0, -1.0, -1.0};
  // NaN boxes never count as disjoint.
  static bool disjoint(const Box& a, const Box& b) {
    return a.x1 < b.x0 || b.x1 < a.x0 || a.y1 < b.y0 || b.y1 < a.y0;
  }

  // An index of cells of side `cell`, built for a poly of `vertices` vertices.
  Index(double cell, long vertices) : builtFor(vertices), cell_(cell) {}

  // Sets the box of piece `id` (kNone: no piece); the old box is logged while
  // `logging` is set.
  void put(std::uint32_t id, const Box& box);
  // Calls f(id) for each piece whose box meets `query`, once each, until f returns true.
  template <class F>
  bool any(const Box& query, F&& f);
  // Puts back the logged boxes, latest first, and empties the log.
  void undo();

  // The validations of a poly skip every pruning (boxes, grid, index) when set: tests
  // hold the two forms against each other.
  static void usePlainChecks(zcSMDGDPoly& poly, bool plain) { poly.plain_ = plain; }

  // The cells of side `cell` that box b covers.
  struct Range {
    std::int64_t x0, y0, x1, y1;
    bool big;  // too many cells (or not finite): kept apart
  };
  static Range range(const Box& b, double cell);

  long builtFor;
  bool logging = false;
  std::vector<std::pair<std::uint32_t, Box>> log;

private:
  static std::uint64_t key(std::int64_t x, std::int64_t y) {
    return (static_cast<std::uint64_t>(x + (std::int64_t{1} << 31)) << 32) |
           static_cast<std::uint64_t>(y + (std::int64_t{1} << 31));
  }
  void link(std::uint32_t id, const Box& box, bool add);

  double cell_;
  std::vector<Box> boxes_;
  std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> cells_;
  std::vector<std::uint32_t> big_;
  std::vector<std::uint32_t> seen_;
  std::uint32_t stamp_ = 0;
};

template <class F>
bool zcSMDGDPoly::Index::any(const Box& query, F&& f) {
  if (seen_.size() < boxes_.size()) seen_.resize(boxes_.size(), 0);
  if (++stamp_ == 0) {
    std::fill(seen_.begin(), seen_.end(), 0);
    stamp_ = 1;
  }
  const auto visit = [&](std::uint32_t id) {
    if (seen_[id] == stamp_) return false;
    seen_[id] = stamp_;
    return !disjoint(boxes_[id], query) && f(id);
  };
  const Range r = range(query, cell_);
  const double cells = static_cast<double>(r.x1 - r.x0 + 1) * static_cast<double>(r.y1 - r.y0 + 1);
  if (r.big || cells > static_cast<double>(cells_.size())) {
    // Visiting every piece is cheaper than visiting the query's cells.
    for (std::uint32_t id = 0; id < boxes_.size(); ++id)
      if (visit(id)) return true;
    return false;
  }
  for (std::int64_t y = r.y0; y <= r.y1; ++y)
    for (std::int64_t x = r.x0; x <= r.x1; ++x) {
      const auto it = cells_.find(key(x, y));
      if (it == cells_.end()) continue;
      for (std::uint32_t id : it->second)
        if (visit(id)) return true;
    }
  for (std::uint32_t id : big_)
    if (visit(id)) return true;
  return false;
}
