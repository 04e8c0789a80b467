#include "archive_program.h"

#include "dispc/color.h"
#include "dispc/dispprop.h"
#include "dispc/graphic.h"
#include "dispc/uierror.h"

#include "zfound/geometry.h"

#include <set>
#include <string>

namespace {

// Objects read through pointers at the top level; a back-reference may name one twice.
std::set<zcPersistent*>& loaded() {
  static std::set<zcPersistent*> objects;
  return objects;
}

template <class T>
void value(zcArchive& a) {
  T v{};
  a || v;
}

void pointer(zcArchive& a) {
  zcPersistent* p = nullptr;
  if (a.isStoring()) {
    static zcUIError::InvalidUISketch failure;
    static zcGraphic::BadParams message(L"Item index out of range");
    static zcGraphicProps props(zcColor::orange, 2, zcGraphicProps::ePenStyleDefault, true);
    static zcPersistent* const samples[] = {&failure, &message, &props, nullptr};
    static unsigned next = 0;
    p = samples[next++ % 4];
  }
  a.serializePointer(p);
  if (a.isLoading() && p) loaded().insert(p);
}

using Step = void (*)(zcArchive&);
const Step kSteps[] = {
    value<bool>, value<unsigned char>, value<int>, value<long>, value<unsigned long>, value<double>,
    value<std::wstring>, value<zcVector<2>>, value<zcXform<2>>, value<zc2Rigid>, value<zcPair<long>>,
    value<zcColor>, value<zcRGB>, value<zcGraphicProps>, pointer,
};

}  // namespace

void zfArchiveProgramStep(zcArchive& archive, unsigned char selector) {
  kSteps[selector % std::size(kSteps)](archive);
}

std::size_t zfArchiveProgramStepCount() { return std::size(kSteps); }

void zfArchiveProgramRelease() {
  for (zcPersistent* p : loaded()) delete p;
  loaded().clear();
}
