#include "engine/work_copy.h"

#include <cstddef>
#include <cstring>
#include <new>

#include "platform/platform.h"

namespace m4k7 {

namespace {

constexpr size_t AlignUp(size_t at, size_t alignment) { return (at + alignment - 1) / alignment * alignment; }

// Where the slots sit in the one block: header, integers, string pointers.
struct Layout {
  size_t ints;
  size_t strings;
  size_t total;
};

Layout LayoutOf(const TemplateShape &shape) {
  Layout l{};
  l.ints = AlignUp(sizeof(AccessRequest), alignof(int32_t));
  l.strings = AlignUp(l.ints + shape.intSlots * sizeof(int32_t), alignof(const char *));
  l.total = l.strings + shape.stringSlots * sizeof(const char *);
  return l;
}

// How many leading entries a source really provides: an array that is
// absent holds none, whatever its count says.
uint32_t Provided(const void *array, AccessWord count, uint32_t room) {
  if (array == nullptr) return 0;
  return count < room ? uint32_t(count) : room;
}

} // namespace

bool ShapeOf(int32_t templateNumber, TemplateShape *shape) {
  if (templateNumber < 0 || templateNumber > 5) return false;
  if (shape != nullptr) *shape = kTemplateShapes[templateNumber];
  return true;
}

AccessRequest *MakeWorkCopy(int32_t templateNumber, const AccessRequest *source) {
  TemplateShape shape{};
  if (!ShapeOf(templateNumber, &shape)) return nullptr;
  const Layout layout = LayoutOf(shape);
  auto *block = static_cast<unsigned char *>(platform::Allocate(layout.total));
  if (block == nullptr) return nullptr;

  auto *copy = new (block) AccessRequest{};
  auto *ints = reinterpret_cast<int32_t *>(block + layout.ints);
  auto *strings = reinterpret_cast<const char **>(block + layout.strings);
  if (source != nullptr) {
    copy->printerHandle = source->printerHandle;
    copy->context = source->context;
  }

  copy->stringParamCount = shape.stringSlots;
  copy->stringParams = shape.stringSlots == 0 ? nullptr : strings;
  const uint32_t givenStrings =
      source == nullptr ? 0 : Provided(source->stringParams, source->stringParamCount, shape.stringSlots);
  for (uint32_t i = 0; i < shape.stringSlots; ++i)
    strings[i] = i < givenStrings ? source->stringParams[i] : nullptr;

  copy->intParamCount = shape.intSlots;
  copy->intParams = ints;
  const uint32_t givenInts =
      source == nullptr ? 0 : Provided(source->intParams, source->intParamCount, shape.intSlots);
  // The list services make one per call and set a slot per item: the 106
  // driver slots go as one block copy, not slot by slot.
  if (givenInts != 0) std::memcpy(ints, source->intParams, givenInts * sizeof(int32_t));
  if (givenInts < shape.intSlots)
    std::memset(ints + givenInts, 0, (shape.intSlots - givenInts) * sizeof(int32_t));
  return copy;
}

void FreeWorkCopy(AccessRequest *copy) { platform::Release(copy); }

} // namespace m4k7
