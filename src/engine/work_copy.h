// Work copies: requests the module builds for its own lookups, so that the
// caller's request is never written.
#pragma once

#include <cstdint>

#include "engine/driver_slots.h"
#include "m4k7db.h"

namespace m4k7 {

// Request shapes, one per database in the order of the access functions.
enum class RequestTemplate : int32_t {
  Root = 0,            // 1 integer, 1 string slot
  Driver = 1,          // kDriverSlotCount integer slots
  LanguageMonitor = 2, // 14 integer, 5 string slots
  Maintenance = 3,     // 1 integer slot
  PA = 4,              // 4 integer slots
  StatusMonitor = 5,   // 17 integer, 9 string slots
};

struct TemplateShape {
  uint32_t intSlots;
  uint32_t stringSlots;
};

// Each database's standard request, in the order of RequestTemplate: the
// shape a caller's request has, and the tool's requests by default.
inline constexpr TemplateShape kTemplateShapes[] = {
    {1, 1},                // root
    {kDriverSlotCount, 0}, // driver
    {14, 5},               // language monitor
    {1, 0},                // maintenance
    {4, 0},                // PA
    {17, 9},               // status monitor
};

// The shape of a template number, or false for a number outside 0..5.
bool ShapeOf(int32_t templateNumber, TemplateShape *shape);

// One heap block: the header, then the integer slots, then the string
// slots. printerHandle and context come from the source (0 without one),
// and the leading slots are copied from it as far as both have them; the
// other slots are cleared. No printerName. nullptr for an unknown template
// or exhausted memory.
AccessRequest *MakeWorkCopy(int32_t templateNumber, const AccessRequest *source);

// Releases a work copy; nullptr does nothing.
void FreeWorkCopy(AccessRequest *copy);

// Frees a work copy on every path out of a scope.
class WorkCopy {
public:
  WorkCopy(RequestTemplate shape, const AccessRequest *source)
      : copy_(MakeWorkCopy(int32_t(shape), source)) {}
  ~WorkCopy() { FreeWorkCopy(copy_); }
  WorkCopy(const WorkCopy &) = delete;
  WorkCopy &operator=(const WorkCopy &) = delete;

  explicit operator bool() const { return copy_ != nullptr; }
  AccessRequest *get() const { return copy_; }
  // The copy's own integer slots, which its user sets before each lookup.
  int32_t *ints() const { return const_cast<int32_t *>(copy_->intParams); }

private:
  AccessRequest *copy_;
};

} // namespace m4k7
