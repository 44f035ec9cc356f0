// What a walk reports as it goes. The module walks with NoObserver, whose
// empty members the compiler removes, so an observed walk costs the module
// nothing; `m4k7db explain` walks with an observer that records every event
// and so shows the engine's own decisions, never a re-enactment of them.
#pragma once

#include <cstdint>

#include "engine/status.h"

namespace m4k7 {

// Where the value a selector or guard compares comes from.
enum class ValueSource : uint8_t { Parameter, PrinterData, Locale };

// Why a node ends its walk with a status of its own rather than one its
// children gave. Every failure of the walk has one; "not found" endings
// (empty lists, no case matching) have one too, so that a reader sees why.
#define M4K7_WALK_STOPS(X)                                                                                   \
  X(TooDeep, "deeper than the walk's depth bound")                                                           \
  X(TooManySteps, "more nodes entered than the walk's step bound")                                           \
  X(NotWalkable, "a node of this kind cannot be walked")                                                     \
  X(NoNodeTable, "the image has no node table")                                                              \
  X(PastNodeTable, "a list entry or target lies past the node table")                                        \
  X(EmptyList, "the list is empty")                                                                          \
  X(NoCaseMatched, "no case matched")                                                                        \
  X(NotACase, "a list entry is not a case this select accepts")                                              \
  X(NotAMask, "the masked select's operand is not a mask node")                                              \
  X(RangePastPool, "a range names bounds past the integer pool")                                             \
  X(NotAString, "a string case's string node is not a string")                                               \
  X(StringPastPool, "a string case's text lies past the string pool")                                        \
  X(NoRequest, "the select needs a request and there is none")                                               \
  X(MissingInt, "the request has no such integer slot")                                                      \
  X(MissingString, "the request has no such string slot")                                                    \
  X(LocaleUnreadable, "the locale's country code cannot be read")                                            \
  X(NoValueNameIndex, "no key index or node table to find key 8, which names printer-data values")           \
  X(NoValueNameKey, "key 8, which names printer-data values, is not in the key index")                       \
  X(NoWorkCopy, "the work copy for the value-name walk could not be allocated")                              \
  X(NoValueName, "key 8 names no value for this number")                                                     \
  X(NoPrinter, "the value is read from the printer, and no printer is open")                                 \
  X(BadValueName, "the value name cannot be read: not a wide text leaf, past the byte pool, or no memory")   \
  X(NoPrinterValue, "the printer has no such value, and the select has no default")

enum class WalkStop : uint8_t {
#define M4K7_WALK_STOP_ENUM(name, text) name,
  M4K7_WALK_STOPS(M4K7_WALK_STOP_ENUM)
#undef M4K7_WALK_STOP_ENUM
};

// The reason as a reader is told it.
constexpr const char *WalkStopText(WalkStop stop) {
  constexpr const char *kTexts[] = {
#define M4K7_WALK_STOP_TEXT(name, text) text,
      M4K7_WALK_STOPS(M4K7_WALK_STOP_TEXT)
#undef M4K7_WALK_STOP_TEXT
  };
  return kTexts[uint8_t(stop)];
}

// The events of one walk, in the order they happen. Index is the node's
// place in the node table, or kNoNodeIndex for a start node given as words.
// An observer is copied into the walk, so it is a small handle; its members
// are const and record through what it points to.
inline constexpr uint32_t kNoNodeIndex = UINT32_MAX;

struct NoObserver {
  // A node is entered; Left follows with the status it ends with.
  void Entered(uint32_t /*index*/, uint32_t /*word0*/, uint32_t /*word1*/) const {}
  void Left(AccessStatus /*status*/) const {}
  // A leaf: it answers the walk's key, or is another key's and is skipped.
  void Leaf(bool /*answers*/) const {}
  // The value a select compares: as read, and after its mask.
  void Compared(ValueSource /*source*/, uint16_t /*selector*/, uint32_t /*read*/, uint32_t /*value*/) const {}
  // The text a string select compares (a missing slot entry reads as "").
  void ComparedText(uint16_t /*slot*/, const char * /*text*/) const {}
  // One entry of a select's case list, matched or not; the first matching
  // entry's target is entered next.
  void Case(uint32_t /*entry*/, bool /*matched*/) const {}
  // A guard of a guarded sequence: I[slot] was compared with its value.
  void Guard(uint32_t /*index*/, uint16_t /*slot*/, int32_t /*value*/, bool /*passed*/) const {}
  // A printer-data select asks key 8 for the name of value `number`; the
  // nested walk's events follow.
  void ValueName(int32_t /*number*/) const {}
  // The printer has no value of that name and the select's default decides.
  void DefaultForMissingValue() const {}
  // The node ends with `status` for `stop`'s reason.
  void Stopped(WalkStop /*stop*/, AccessStatus /*status*/) const {}
};

} // namespace m4k7
