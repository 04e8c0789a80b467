/* Status codes of the C libraries the core calls, and the exception each raises.
 *
 * A C operation returns a signed 32-bit status: zero or more is success, a negative
 * value is one row of the table below. zfThrowExceptionOnFailure (zfound/exception.h)
 * raises the row's exception; C code sees the ZF_STATUS_... names only. This header is
 * plain C (C99 and later) and C++; the third column is read by C++ alone.
 *
 *   code  name                          raised in C++
 */
#ifndef ZFOUND_STATUS_H
#define ZFOUND_STATUS_H

#define ZF_STATUS_TABLE(X)                                                                          \
  X(-1, ZF_STATUS_BAD_PARAMS, zcShapesError::BadParams())   /* a bad argument: a negative count */  \
  X(-2, ZF_STATUS_BAD_GEOM, zcShapesError::BadGeom())       /* non-finite geometry */               \
  X(-3, ZF_STATUS_DEGENERATE_SHAPE, zcShapesError::DegenerateShape())                               \
  X(-4, ZF_STATUS_BAD_RADIUS, zcShapesError::BadRadius())                                           \
  X(-5, ZF_STATUS_BAD_COEF, zcShapesError::BadCoef())                                               \
  X(-6, ZF_STATUS_EMPTY_SHAPE, zcShapesError::EmptyShape())                                         \
  X(-7, ZF_STATUS_SINGULAR, zcMathError::Singular())        /* a map without an inverse */          \
  X(-8, ZF_STATUS_BAD_COORD, zcPel::BadCoord())                                                     \
  X(-9, ZF_STATUS_UNBOUND_WINDOW, zcPel::UnboundWindow())                                           \
  X(-10, ZF_STATUS_NULL_POINTER, zcBadPointer())            /* a pointer that must not be null */   \
  X(-11, ZF_STATUS_SIZE_OVERFLOW, std::length_error("a count or size passes its largest value"))   \
  X(-12, ZF_STATUS_NO_MEMORY, std::bad_alloc())                                                     \
  X(-13, ZF_STATUS_MALFORMED, zcMalformedData())            /* bytes that break their layout */

#define ZF_STATUS_ENUMERATOR(code, name, raised) name = (code),
typedef enum zf_status { ZF_STATUS_OK = 0, ZF_STATUS_TABLE(ZF_STATUS_ENUMERATOR) } zf_status;
#undef ZF_STATUS_ENUMERATOR

#endif
