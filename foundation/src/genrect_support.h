// Internal helpers shared by the general rectangle sources (genrect*.cpp): boundary
// pieces, nearest points, sampling and the image blocks of a zcGenRect.
#pragma once

#include "zfound/genrect.h"

#include <vector>

namespace zc_genrect {

// More sampling steps than this on one piece raise zcShapesError::SampleOverflow,
// whatever maxPoints says, so that a tiny tolerance cannot run away.
inline constexpr long kMaxSampleSteps = 1L << 24;

// One piece of a boundary in world coordinates: a segment a → b, or the elliptical
// arc P(t) = center + u cos t + v sin t for t from t0 to t1.
struct Piece {
  bool arc = false;
  zcPoint a, b;
  zcPoint center;
  zcVector<2> u, v;
  double t0 = 0.0, t1 = 0.0;

  static Piece segment(const zcPoint& from, const zcPoint& to) {
    Piece p;
    p.a = from;
    p.b = to;
    return p;
  }
  static Piece ellipseArc(const zcPoint& c, const zcVector<2>& u, const zcVector<2>& v, double from, double to) {
    Piece p;
    p.arc = true;
    p.center = c;
    p.u = u;
    p.v = v;
    p.t0 = from;
    p.t1 = to;
    return p;
  }

  zcPoint at(double t) const;
  zcPoint nearest(const zcPoint& p) const;
};

// An axis-aligned box by its extremes.
struct Box {
  double xmin, ymin, xmax, ymax;
};

zcPoint nearestOnSegment(const zcPoint& a, const zcPoint& b, const zcPoint& p);
// The larger singular value of the matrix with columns u, v.
double largestSingularValue(const zcVector<2>& u, const zcVector<2>& v);
// Perimeter of the ellipse with conjugate semi-diameters u and v.
double ellipsePerimeter(const zcVector<2>& u, const zcVector<2>& v);
// The tolerance to sample with: 0 when none is asked, else raised to the limit of
// double precision for a shape of the given size.
double samplingTolerance(const zcSampleParams& params, double size);
// ceil(count), at least 1; SampleOverflow past kMaxSampleSteps.
long stepCount(double count);
// Samples a closed chain of pieces from the first piece's start back to it. When
// cornersBetweenPieces is set, the joints after segments are corners.
void samplePieces(const std::vector<Piece>& pieces, bool cornersBetweenPieces, const zcSampleParams& params,
                  double tolerance, zcSampleResult& result);
// Points exactly params.spacing apart along a closed polyline (ring.front() ==
// ring.back()); the last step may be shorter.
void sampleUniform(const std::vector<zcPoint>& ring, const zcSampleParams& params, zcSampleResult& result);

std::vector<Piece> boundaryPieces(const zcGenRect& g);
Box boxOf(const zcGenRect& g);
zcRect boxOf(const Box& box);
// Inside and not on the boundary (with a small margin).
bool strictlyWithin(const zcGenRect& g, const zcPoint& p);

// The archive fields of a rectangle (center, M row by row, fractions); loading
// validates and raises zcArchive::BadFormat for an invalid rectangle.
void serializeFields(zcArchive& archive, zcGenRect& g);
// The 96-byte block (image bytes 0 to 95) and the 56-byte tail (bytes 96 to 151).
void writeBlock(unsigned char* p, const zcGenRect& g);
void writeTail(unsigned char* p, const zcGenRect& g);
zcGenRect readBlock(const unsigned char* p);

}  // namespace zc_genrect
