// The operation kinds as the library's own code uses them, made from ops.def: the
// opcode enum, the opcode limit, and the opcode of a record class.
//
//   zc_sketch::opcodeOf<zc_UISketchOpCircle>(filled)   // 4, or 29 when filled
#pragma once

#include "dispc/sketchop.h"

#include <algorithm>

namespace zc_sketch {

enum Opcode : long {
#define ZC_SKETCH_OP(code, name, Class, length) k##name = code,
#define ZC_SKETCH_OP_FILLED(code, name, Class, length) kFilled##name = code,
#include "ops.def"
};

// One more than the highest code that has a kind.
inline constexpr long kOpcodeLimit = [] {
  long limit = 0;
  for (long code : {
#define ZC_SKETCH_OP(code, ...) code##L,
#include "ops.def"
       })
    limit = std::max(limit, code + 1);
  return limit;
}();

// The row of a record class (and of its filled form): a record class without a row
// has no opcode and cannot be recorded.
template <class R, bool Filled>
struct KindOf;
#define ZC_SKETCH_OP(code, name, Class, length)     \
  template <>                                        \
  struct KindOf<Class, false> {                      \
    static constexpr long kOpcode = code;            \
    static constexpr long kFixedLength = length;     \
  };
#define ZC_SKETCH_OP_FILLED(code, name, Class, length) \
  template <>                                           \
  struct KindOf<Class, true> {                          \
    static constexpr long kOpcode = code;               \
    static constexpr long kFixedLength = length;        \
  };
#include "ops.def"

// The opcode that records a value of R: the filled form's when `filled` and R has
// one.
template <class R>
constexpr long opcodeOf(bool filled = false) {
  if constexpr (requires { KindOf<R, true>::kOpcode; }) {
    return filled ? KindOf<R, true>::kOpcode : KindOf<R, false>::kOpcode;
  } else {
    return KindOf<R, false>::kOpcode;
  }
}

}  // namespace zc_sketch
