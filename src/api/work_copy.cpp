#include "api/work_copy.h"

#include <cstddef>

#include "platform/platform.h"

namespace m4k7 {

namespace {

constexpr TemplateShape kShapes[] = {{1, 1}, {106, 0}, {14, 5}, {1, 0}, {4, 0}, {17, 9}};

// The integer slots follow the header, the string slots follow them, each
// at its own alignment.
constexpr size_t AlignUp(size_t n, size_t a) { return (n + a - 1) / a * a; }

} // namespace

bool ShapeOf(int32_t templateNumber, TemplateShape *shape) {
  if (templateNumber < 0 || templateNumber > 5) return false;
  *shape = kShapes[templateNumber];
  return true;
}

AccessRequest *MakeWorkCopy(int32_t templateNumber, const AccessRequest *source) {
  TemplateShape shape{};
  if (!ShapeOf(templateNumber, &shape)) return nullptr;
  const size_t intsAt = AlignUp(sizeof(AccessRequest), alignof(int32_t));
  const size_t stringsAt = AlignUp(intsAt + shape.intSlots * sizeof(int32_t), alignof(const char *));
  void *block = platform::Allocate(stringsAt + shape.stringSlots * sizeof(const char *));
  if (block == nullptr) return nullptr;

  auto *base = static_cast<unsigned char *>(block);
  auto *copy = static_cast<AccessRequest *>(block);
  auto *ints = reinterpret_cast<int32_t *>(base + intsAt);
  auto *strings = reinterpret_cast<const char **>(base + stringsAt);

  copy->printerHandle = source ? source->printerHandle : nullptr;
  copy->context = source ? source->context : 0;
  copy->printerName = nullptr;

  // Slots the source does not fill are cleared: 0, or no string (read as "").
  copy->stringParamCount = shape.stringSlots;
  copy->stringParams = shape.stringSlots ? strings : nullptr;
  const uint32_t sourceStrings = source && source->stringParams ? source->stringParamCount : 0;
  for (uint32_t i = 0; i < shape.stringSlots; ++i)
    strings[i] = i < sourceStrings ? source->stringParams[i] : nullptr;

  copy->intParamCount = shape.intSlots;
  copy->intParams = ints;
  const uint32_t sourceInts = source && source->intParams ? source->intParamCount : 0;
  for (uint32_t i = 0; i < shape.intSlots; ++i) ints[i] = i < sourceInts ? source->intParams[i] : 0;
  return copy;
}

void FreeWorkCopy(AccessRequest *copy) { platform::Release(copy); }

} // namespace m4k7
