// Grouped lists: command sequences assembled from fragments. Each entry of
// a key's list is a small tree whose leaves are fragments tagged 0x5008;
// every entry picks the fragment that fits the current settings, or none,
// and the fragments are joined in entry order. The driver asks key 4121
// before every page, so the only allocation is the descriptor array of a
// long list.
#include <cstdint>

#include "drvlists/drvlists.h"
#include "drvlists/grouped_entries.h"
#include "drvlists/list_keys.h"
#include "engine/engine.h"
#include "engine/walk.h"
#include "platform/platform.h"

namespace m4k7 {

AccessStatus FindGroupedList(const ImageDescriptor &image, uint16_t key, uint32_t *first, uint32_t *count) {
  const GroupedListTable &g = image.groups;
  if (!g.groupKeys || !g.groupEntryCounts || !g.groupEntryStarts || !g.entryNodes || image.nodes == nullptr)
    return kNotFound;
  uint32_t list = 0;
  while (list < g.groupCount && g.groupKeys[list] != key) ++list;
  if (list == g.groupCount) return kNotFound;
  *first = uint32_t(g.groupEntryStarts[list]);
  *count = g.groupEntryCounts[list];
  return kOk;
}

namespace {

// Lists of up to this many entries keep their fragments' descriptors on the
// stack: the driver asks key 4121 before every page, and a heap block would
// cost it more than the walks.
constexpr uint32_t kEntriesOnStack = 16;

// Walks the h entries from `first` into `fragments`, then measures or
// writes the fragments.
AccessStatus Assemble(const ImageDescriptor &image, uint32_t first, uint32_t h, LeafDescriptor *fragments,
                      const AccessRequest *request, uint32_t bufferSize, void *buffer, uint32_t *outSize) {
  const AccessStatus walked = ForEachGroupedEntry(image, first, h, [&](uint32_t m, uint32_t node) {
    return WalkGroupedEntry(image, node, request, &fragments[m]);
  });
  if (walked != kOk) return walked;

  // Measure every fragment first: the caller learns the whole length from
  // one size query.
  uint64_t total = 0;
  for (uint32_t m = 0; m < h; ++m) {
    if (kindOf(fragments[m].word0) == NodeKind(0)) continue;
    uint32_t size = 0;
    const AccessStatus status = FetchLeaf(image, request, 0, nullptr, &size, fragments[m]);
    if (status != kOk && status != kBufferTooSmall) return status;
    total += size;
  }
  if (total > UINT32_MAX) return kFailed;
  if (total > bufferSize) {
    *outSize = uint32_t(total);
    return kBufferTooSmall;
  }

  // The buffer's presence is left to the fetches: without one, the first
  // fragment answers 2 and that is the status.
  auto *out = static_cast<uint8_t *>(buffer);
  uint32_t written = 0;
  for (uint32_t m = 0; m < h; ++m) {
    if (kindOf(fragments[m].word0) == NodeKind(0)) continue;
    uint32_t size = 0;
    const AccessStatus status =
        FetchLeaf(image, request, bufferSize - written, out ? out + written : nullptr, &size, fragments[m]);
    if (status != kOk) return status;
    written += size;
  }
  *outSize = written;
  return kOk;
}

} // namespace

AccessStatus AnswerGroupedList(const ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                               uint32_t bufferSize, void *buffer, uint32_t *outSize) {
  uint32_t first = 0, h = 0;
  AccessStatus found = FindGroupedList(image, uint16_t(key), &first, &h);
  if (found != kOk) return found;
  if (h <= kEntriesOnStack) {
    LeafDescriptor onStack[kEntriesOnStack];
    return Assemble(image, first, h, onStack, request, bufferSize, buffer, outSize);
  }
  platform::ScratchBlock block(sizeof(LeafDescriptor) * size_t(h));
  if (!block) return kFailed;
  return Assemble(image, first, h, block.as<LeafDescriptor>(), request, bufferSize, buffer, outSize);
}

} // namespace m4k7
