// Footprint import: the fabrication outline of a footprint file (the S-expression
// text of a `.kicad_mod`, root `footprint` or the older `module`) as closed SMD polys.
//
//   zcSMDGDModel model;
//   zcFootprintImport::Counts n = zcFootprintImport::readFile("R_0603.kicad_mod", model);
//   model.poly(0);              // the body: the closed outline of largest area
//   n.markings;                 // open chains inside the body, ignored
//
// What is read. Only items on the layer F.Fab count, and of them the drawn ones:
//  - fp_line (start, end) and fp_arc, either (start, mid, end) or the older form
//    (start: the centre, end: the first point, angle: the span in degrees, positive
//    from +x toward +y, that is clockwise as drawn with y down); an arc whose start
//    and end coincide is the whole circle through mid, two half turns;
//  - fp_circle (center, end: a point on it) as zcSMDGDPoly::circle builds it
//    (vertices left and right of the centre, label 0);
//  - fp_rect (start, end): start, (end.x, start.y), end, (start.x, end.y);
//  - fp_poly (pts (xy x y) ...): its points in order (a last point repeating the
//    first is dropped).
// Keys layer, width, stroke, fill, tstamp, uuid and the word `locked` are ignored, as
// is text (fp_text); an item or key on F.Fab that is none of these (fp_curve, say) is
// refused, and everything off F.Fab is skipped.
//
// Outlines. Lines and arcs join into chains where their end points lie within
// zkJoinTolerance (1e-6 mm), whichever way each runs; a chain that comes back to its
// start is a loop. A loop is a closed poly with one vertex per piece: vertex 0 is the
// start point of the loop's piece that comes first in the file, the loop runs the way
// that piece runs, and each piece's data sits on the vertex where it arrives (an arc's
// signed span; radius 0, fractions 0.5, no label). Where more than two pieces meet,
// the chain goes on with the one that comes first in the file. Circles, rectangles and
// polygons are loops of their own; a loop that encloses no area (a line drawn there and
// back) is refused, and a line of no length is an open chain of its own. Poly 0 is the
// body, the loop of largest area (the first of equal ones); the other loops follow in
// file order. Open chains that lie inside the body or on it (polarity marks, dividers)
// are ignored and counted; one that leaves the body is refused, naming its loose ends.
// Coordinates stay those of the file: millimetres, y down, so a positive span turns
// clockwise as drawn.
//
// Pads (on request): SMD pads of shape rect, roundrect (corners rounded by
// roundrect_rratio × the shorter side; from a ratio of 0.5 an oval), circle and oval
// (two half circles joined by straight sides) become closed polys after the loops, in
// file order, turned by the angle of their (at x y angle), counter-clockwise as drawn,
// and moved to (x, y). Their vertices carry no label (a round pad, as `circle` builds
// it, label 0). Other pads (through-hole, custom, trapezoid) are skipped and counted.
//
// Names: the body poly is "body", other loops "outline", pads "pad NUMBER"; the model
// takes the footprint's name.
//
// Failures are the classes below, each with a message "SOURCE:LINE: what" (SOURCE the
// file path or the name given for text in memory). Nothing is changed on failure.
#pragma once

#include "dispc/export.h"
#include "dispc/wrfm/smdmodel.h"
#include "dispc/wrfm/smdpoly.h"

#include "zfound/exception.h"

#include <string>
#include <string_view>
#include <vector>

class DISPC_API zcFootprintImport {
public:
  ZC_EXCEPTION_FAMILY_WITH_MESSAGE(DISPC_API, zcExceptionWithString)
  // Not a well-formed S-expression (an unbalanced parenthesis, an unterminated string,
  // a stray character, more than one root), too large or too deeply nested, or not a
  // footprint. 0x11000390
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(DISPC_API, Malformed, Errors)
  // An item or key on F.Fab that the importer does not read. 0x11000391
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(DISPC_API, UnknownItem, Errors)
  // A known item whose values cannot be used: a point without two numbers, a
  // coordinate beyond zkMaxCoordinate, an arc through three points on a line, a key
  // given twice, a pad without a size. 0x11000392
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(DISPC_API, BadItem, Errors)
  // Nothing on F.Fab makes a closed outline. 0x11000393
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(DISPC_API, NoOutline, Errors)
  // An open chain that leaves the body (or any open chain when there is no loop):
  // the message names its loose ends and the gap between them. 0x11000394
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(DISPC_API, OpenOutline, Errors)
  // A loop or pad that the poly validation refuses; the message quotes the poly's
  // exception. 0x11000395
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(DISPC_API, RefusedOutline, Errors)
  // A file that cannot be read, with the system's reason. 0x11000396
  ZC_EXCEPTION_CLASS_WITH_MESSAGE(DISPC_API, Unreadable, Errors)

  static constexpr double zkJoinTolerance = 1e-6;
  static constexpr double zkMaxCoordinate = 1e5;

  // What the import read and made of it.
  struct Counts {
    long lines = 0;       // F.Fab items of each kind
    long arcs = 0;
    long circles = 0;
    long rects = 0;
    long polygons = 0;
    long texts = 0;       // F.Fab text, ignored
    long loops = 0;       // closed outlines made polys
    long markings = 0;    // open chains inside or on the body, ignored
    long pads = 0;        // pads made polys
    long padsSkipped = 0; // pads of other kinds or shapes
  };

  struct Outlines {
    std::wstring name;               // the footprint's name
    std::vector<zcSMDGDPoly> polys;  // the body, the other loops, the pads
    Counts counts;
  };

  // The outlines of the footprint text; `source` names it in messages. With `pads`,
  // the SMD pads too.
  static Outlines outlines(std::string_view text, const std::string& source, bool pads = false);
  // The same for the file at `path` (Unreadable when it cannot be read, Malformed when
  // it is larger than the reader takes).
  static Outlines outlinesFromFile(const std::string& path, bool pads = false);

  // The outlines as a model named after the footprint, its polys in the order above;
  // `model` is assigned only when the import succeeds.
  static Counts read(std::string_view text, const std::string& source, zcSMDGDModel& model, bool pads = false);
  static Counts readFile(const std::string& path, zcSMDGDModel& model, bool pads = false);
};
