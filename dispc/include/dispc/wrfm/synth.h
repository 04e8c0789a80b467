// Synthetic drawing: closed generalized polygons and SMD polys rendered into 8-bit
// pel buffers as regions of one value with anti-aliased boundaries (model images).
//
//   zcPelBuffer<unsigned char> img(256, 256);                       // zeros
//   zfDrawSynthetic(body, zcXform<2>(), img, 255);                  // the default renderer
//   zfDrawSynthetic(body, zcXform<2>(), img, 255, eExactCoverage);  // exact pel areas
//
// Conventions. Pel (c, r) covers [c, c + 1) × [r, r + 1) of the image plane, y downward,
// its centre at (c + 0.5, r + 0.5). A pel value computed as a real number x is stored as
// trunc(x + 0.5). A boundary pel gets old + (v − old) × f, f being the part of the pel
// the region covers (as the renderer estimates it).
//
// Two renderers. An affine map (the handle says isLinear()) goes to the exact renderer,
// anything else to the general renderer, which samples the boundary through the map.
//
// Coverage modes of the exact renderer (our extension; the default is the documented
// behaviour):
//  - eNeighbourBlend: the inside is filled through pel centres, then every boundary
//    piece is drawn with drawLinePelBuf / drawArcPelBuf, which blend each boundary pel
//    between its neighbours across the boundary, arcs as chords within 0.05 pel, lines
//    within 2 pels of the window's edge left out.
//  - eExactCoverage: every pel gets its exact covered area, arcs as exact elliptical
//    arcs, up to the window's edge; for matching model images against camera images.
//    Parts of an outline that overlap count once (nonzero rule, coverage at most 1).
// The general renderer always uses exact coverage of its sampled polygon.
//
// Choices this library makes where the contract leaves them open:
//  - A singular map (or a buffer transform that makes it singular) draws nothing.
//  - A map that sends a boundary point to infinity or NaN, or whose Jacobian changes sign
//    along the boundary (a projective map through its horizon, a fold), raises
//    zcShapesError::BadGeom before anything is written.
//  - The sampling scale of a non-linear map is the larger singular value of its linear
//    part at the origin.
//  - Arcs are flattened into at most zkGenPolyMaxChords chords, however large.
//  - With the inside filled through pel centres, a centre exactly on the boundary counts
//    as inside where the boundary is entered from the left along the row, and outside
//    where it is left; a boundary along a row of centres counts for the rows below it.
//  - A rounded segment that the roundings at its two ends consume entirely is skipped.
//
// Failures, all raised before the first pel is written (the buffer stays unchanged):
// zcShapesError::BadGeom (an open generalized polygon, non-finite mapped points),
// zcBadPointer (an empty transform handle), zcShapesError::DegenerateShape (a boundary
// line or chord whose ends coincide), zcPel::BadCoord (pels of a line outside the window)
// and zcPel::UnboundWindow (an unbound buffer).
#pragma once

#include "dispc/export.h"
#include "dispc/wrfm/arc.h"
#include "dispc/wrfm/lineseg.h"

#include "zfound/geometry.h"
#include "zfound/handle.h"
#include "zfound/pelbuf.h"
#include "zfound/xformbase.h"

class zcGenPoly;

// How the exact renderer finds the part of a boundary pel that the region covers.
enum zeSyntheticCoverage : int { eNeighbourBlend = 0, eExactCoverage = 1 };

// Renders the closed polygon; x maps its world coordinates to the buffer's client
// coordinates. BadGeom for an open polygon.
DISPC_API void zfDrawSynthetic(const zcGenPoly& poly, const zcPtrHandle_const<zc2XformBase>& x,
                               zcPelBuffer<unsigned char>& pb, unsigned char value,
                               zeSyntheticCoverage coverage = eNeighbourBlend);
DISPC_API void zfDrawSynthetic(const zcGenPoly& poly, const zcXform<2>& x, zcPelBuffer<unsigned char>& pb,
                               unsigned char value, zeSyntheticCoverage coverage = eNeighbourBlend);

// The boundary rasterizers. They write through the copy of the buffer they are given
// (copies share pels). The value is the pel value's 8 bits.
//
// drawLinePelBuf maps the line by X and clips it to the window shrunk by 2 pels. Plain
// (antialias 0): a Bresenham line from the first end's pel toward the second's, the
// second end's pel left out, so joined lines write their common pel once. Anti-aliased:
// each pel the line crosses is blended between its two neighbours across the line
// (above and below for a line nearer to horizontal, left and right otherwise), which
// must already hold the outside and inside values.
DISPC_API void drawLinePelBuf(zcPelBuffer<unsigned char> pb, const zc2SegmentLine& line, const zcXform<2>& X,
                              signed char value, signed char antialias);
// The arc mapped by X as chords within 0.05 pel of it (steps of at most 5 degrees),
// each drawn with drawLinePelBuf; every chord is checked before the first is drawn.
// Plain lines widen the four bounds (pointers may be null) to every chord end after
// the first.
DISPC_API void drawArcPelBuf(zcPelBuffer<unsigned char> pb, const zc2SegmentArc& arc, const zcXform<2>& X,
                             signed char value, signed char antialias, double* xMin, double* xMax, double* yMin,
                             double* yMax);
// In each pel row whose centre the mapped segment crosses, the pel where it crosses is
// set to value (a one-row segment marks the pels of its two ends). The arc form cuts
// the arc into chords of at most 5 degrees and widens the bounds to their ends.
DISPC_API void drawHorizontalExtentsPelBuf(zcPelBuffer<unsigned char> pb, const zc2SegmentLine& line,
                                           const zcXform<2>& X, signed char value);
DISPC_API void drawHorizontalExtentsPelBuf(zcPelBuffer<unsigned char> pb, const zc2SegmentArc& arc,
                                           const zcXform<2>& X, signed char value, double* xMin, double* xMax,
                                           double* yMin, double* yMax);
