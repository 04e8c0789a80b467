// A painting scope for tests: it paints nothing and records every slot call as one
// line of text, so that a test can assert exactly what a tablet asked to paint.
//
//   zcLoggingScope scope(zcPair<long>(100, 80));     // size 100 × 80, origin (0, 0)
//   zcUITablet tablet(&scope, nullptr);
//   ... draw ...
//   EXPECT_EQ(scope.last(), "drawLineSeg (1,2)-(3,4) color=cyan width=1");
//   EXPECT_EQ(scope.count("drawPoint"), 2u);
//   scope.clear();
//
// Entry format: the slot's name, a space, then its arguments, as the patterns in
// logging_scope.cpp spell them, each % standing for one argument ("drawLineSeg %-% %"
// logs "drawLineSeg (1,2)-(3,4) color=cyan width=1"). Names are unique per slot: the
// overloaded draw slots get the shape's or image's kind in the name (drawEllipseArc2,
// drawRGB16, drawReducedPel8).
// Values: numbers in their shortest exact form (1, 0.5, -2.25); booleans 0 or 1;
// a position (x,y), with the prefix "@drawPoint" when the argument is the scope's own
// drawing point object; rectangles [x,y,w,h]; a stock color by its name (cyan, pass),
// others index(i) or rgb(r,g,b); <props> is "color=<color> width=w" followed by the
// fields that differ from the defaults: fill, style=s, join=j, cap=c, noArrow,
// backArrow, vertex. Run data lists every byte of a row, terminating pair included,
// rows separated by ";" ("5,3,0,0;7,3,0,0"). Pels list rows the same way (8-bit and
// 16-bit pels in decimal, packed RGB pels as 0x hex); images of more than 4096 pels
// show "pels=(n pels)" instead.
//
// Queries size(), drawingInhibited() and the implemented sample/expand slots are not
// logged (the painting slots they call are).
//
// Behaviour that tablets rely on: size() and drawingInhibited() answer what was set;
// drawTo and drawToRelPels move the drawing point to the line's end; the lock slots
// keep a stack (pop answers whether a locking entry is left); every painting slot adds
// the pixel box of what it would paint (pen width ignored) to the change rectangles
// with change() and sets modified, or, while inhibited, only collects it as a client
// change. makeKidScope makes a zcLoggingScope moved onto this scope at the rectangle,
// with an empty log and this scope's inhibition, labelled "<label>/<n>". The caller
// may delete it; kids still alive when their maker is destroyed are deleted with it,
// so destroy tablets before the scopes whose kid scopes they hold.
#pragma once

#include "dispc/uiscope.h"

#include "zfound/rle.h"
#include "zfound/shape.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

class zcLoggingScope : public zcUIScope {
public:
  explicit zcLoggingScope(const zcPair<long>& size = zcPair<long>(640, 480),
                          const zcPair<long>& origin = zcPair<long>(), std::string label = "scope");
  ~zcLoggingScope() override;
  zcLoggingScope(const zcLoggingScope&) = delete;
  zcLoggingScope& operator=(const zcLoggingScope&) = delete;

  // --- The log ---------------------------------------------------------------------
  const std::vector<std::string>& calls() const { return calls_; }
  void clear() { calls_.clear(); }
  // The number of entries of one slot name ("drawLineSeg").
  std::size_t count(std::string_view name) const;
  // The entries of one slot name, in order.
  std::vector<std::string> callsOf(std::string_view name) const;
  // The latest entry; empty when there is none.
  std::string last() const { return calls_.empty() ? std::string() : calls_.back(); }
  // The latest run-length image that reached slot 17 or 18 (default when none).
  const zcRLEBuffer& lastRLE() const { return lastRLE_; }

  // --- Answers -----------------------------------------------------------------------
  void setSize(const zcPair<long>& size) { size_ = size; }
  void setInhibited(bool inhibited) { inhibited_ = inhibited; }
  long lockDepth() const { return static_cast<long>(locks_.size()); }
  const std::string& label() const { return label_; }

  // --- Bookkeeping opened up for tests ------------------------------------------------
  using zcUIScope::drawX;
  using zcUIScope::drawY;
  using zcUIScope::kids;
  using zcUIScope::parent;
  using zcUIScope::pelExpand;
  using zcUIScope::pelScale;
  using zcUIScope::root;
  using zcUIScope::trackChanges;
  using zcUIScope::xCoord;
  using zcUIScope::yCoord;

  // --- Slots -------------------------------------------------------------------------
  void moved(const zcUIScope& parent, const zcUIRect& r) override;
  zcUIScope* makeKidScope(const zcUIRect& r, bool temporary) override;
  void dragStart() override;
  void dragStop() override;
  void dragErase() override;
  void dragAnimate(bool on) override;
  void lockScreenUpdatesPush(bool lock) override;
  bool lockScreenUpdatesPop() override;
  void optimizeDrawing(bool on) override;

  void draw(const zcGenShape& shape, const zcColor& color) override;
  void draw(const zcEllipseArc& arc, const zcGraphicProps& props) override;
  void draw(const zcEllipse& ellipse, const zcGraphicProps& props) override;
  void draw(const zcPolygon& polygon, const zcGraphicProps& props) override;
  void draw(const zcRLEBuffer& image, const zcPoint& pos, const std::vector<zcColor>& colorMap, bool passThrough,
            unsigned char passValue) override;
  void draw(const zcRLEBuffer& image, const zcPoint& pos, const std::vector<unsigned char>& colorMap,
            bool passThrough, unsigned char passValue, bool flag) override;
  void draw(const zcPelBuffer_const<unsigned char>& image, const zcPoint& pos, bool passThrough,
            unsigned char passValue, bool flag) override;
  void draw(const std::wstring& text, const zcPoint& pos, const zcColor& foreground, const zcColor& background,
            const zcUIFormat& format) override;
  void draw(const zcPolyline& polyline, const zcGraphicProps& props) override;
  void draw(const zcGenRect& rect, const zcGraphicProps& props) override;
  void draw(const zcEllipseArc2& arc, const zcGraphicProps& props) override;
  void draw(const zcEllipse2& ellipse, const zcGraphicProps& props) override;
  void draw(const zcLineSeg& segment, const zcGraphicProps& props) override;
  void draw(const zcPoint& point, const zcGraphicProps& props) override;
  void textRect(const std::wstring& text, const zcPoint& pos, const zcUIFormat& format, zcUIRect& out) override;

  // The pel-buffer slots of one pel type (all but the unscaled 8-bit one).
#define ZC_LOGGING_PEL_SLOTS(T)                                                                                  \
  void draw(const zcPelBuffer_const<T>& image, const zcPoint& pos, bool passThrough, T passValue) override;     \
  void drawReduced(const zcPelBuffer_const<T>& image, const zcPoint& pos, const zcPair<double>& scale,           \
                   bool passThrough, T passValue, bool flag) override;                                           \
  void drawMagnified(const zcPelBuffer_const<T>& image, const zcPoint& pos, const zcPair<double>& scale,         \
                     bool passThrough, T passValue, bool flag, InterpolationModes mode) override;
  ZC_LOGGING_PEL_SLOTS(zcPackedRGB32)
  ZC_LOGGING_PEL_SLOTS(zcPackedRGB16)
  ZC_LOGGING_PEL_SLOTS(unsigned short)
#undef ZC_LOGGING_PEL_SLOTS
  void drawReduced(const zcPelBuffer_const<unsigned char>& image, const zcPoint& pos, const zcPair<double>& scale,
                   bool passThrough, unsigned char passValue, bool flag) override;
  void drawMagnified(const zcPelBuffer_const<unsigned char>& image, const zcPoint& pos, const zcPair<double>& scale,
                     bool passThrough, unsigned char passValue, bool flag, InterpolationModes mode) override;

  void set(const zcUIRect& rect, const zcColor& color) override;
  void set(const zcColor& color) override;
  void fill(const zcPair<long>& pos, const zcColor& fillColor, const zcColor& boundary, bool fillType0) override;
  void drawTo(const zcPoint& p, const zcGraphicProps& props) override;
  void drawToRelPels(long dx, long dy, const zcGraphicProps& props) override;
  bool drawingInhibited(Layers layer) const override;
  zcPair<long> size() const override;
  void displayClipRectChanged(const zcUIRect& r) override;

  // The renderings used in entries, for tests that build expected lines.
  static std::string text(double value);
  static std::string text(const zcColor& color);
  static std::string text(const zcGraphicProps& props);
  static std::string text(const zcUIRect& rect);

private:
  void log(std::string entry) const { calls_.push_back(std::move(entry)); }
  // A position argument: "(x,y)", or "@drawPoint(x,y)" for the drawing point itself.
  std::string position(const zcPoint& p) const;
  // Adds what a slot paints (scope pixels) to the change rectangles.
  void painted(const zcUIRect& r, bool opaque = false);
  // The pixel box of a shape in scope pixels, null when it has none.
  zcUIRect pixelBox(const zcShape& shape) const;
  zcUIRect imageBox(const zcPoint& pos, long width, long height) const;

  mutable std::vector<std::string> calls_;
  zcPair<long> size_;
  std::string label_;
  bool inhibited_ = false;
  // Text is one line of cells of 8 × 16 pixels.
  const zcPair<long> textCell_{8, 16};
  std::vector<bool> locks_;
  zcRLEBuffer lastRLE_;
  long kidsMade_ = 0;
  zcLoggingScope* maker_ = nullptr;
  std::vector<zcLoggingScope*> made_;
};
