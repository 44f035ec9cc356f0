#include <bit>

#include "engine/engine.h"
#include "engine/walk.h"

namespace m4k7 {

namespace {

// The first entry holding the key, or keyCount.
inline uint32_t ScanIndex(const ImageDescriptor &image, uint16_t wanted) {
  uint32_t i = 0;
  while (i < image.keyCount && image.keys[i] != wanted) ++i;
  return i;
}

// The entry holding the key in an index that ascends with no key twice, or
// keyCount. Such keys step by at least one, so key k stands no later than
// entry k - keys[0] and no earlier than entry count - 1 - (keys[last] - k):
// the root keys at the front and the monitors' keys at the back, which run
// almost without gaps, are found in a window of a few entries. Within the
// window a bisection without a branch on the comparison closes in (eight
// probes at most for this image's 190 keys, where the scan took up to 190).
// Every probe lies inside the window, and the window inside the index,
// whatever the entries hold: an index that is marked but out of order gives
// a wrong answer, never a read outside the index.
inline uint32_t BisectIndex(const uint16_t *keys, uint32_t count, uint16_t wanted) {
  const uint32_t last = count - 1;
  if (wanted < keys[0] || wanted > keys[last]) return count;
  const uint32_t above = uint32_t(keys[last] - wanted);
  const uint32_t lo = above < last ? last - above : 0;
  const uint32_t below = uint32_t(wanted - keys[0]);
  const uint32_t hi = below < last ? below : last;
  if (lo > hi) return count;
  // Halving a power-of-two window needs no size arithmetic: the first probe
  // leaves a window of bit_floor(n) entries that holds the first entry not
  // below the key, or its end.
  const uint32_t n = hi - lo + 1;
  uint32_t step = std::bit_floor(n);
  const uint16_t *base = keys + lo;
  if (base[step - 1] < wanted) base += n - step;
  while (step > 1) {
    step /= 2;
    base = base[step - 1] < wanted ? base + step : base;
  }
  const uint32_t i = uint32_t(base - keys) + (*base < wanted ? 1 : 0);
  return i <= hi && keys[i] == wanted ? i : count;
}

// Entry i's start node: 3 when i is past the index, -1 when the node table
// is absent or the node past it.
inline AccessStatus StartAt(const ImageDescriptor &image, uint32_t i, uint32_t *start) {
  if (i == image.keyCount) return kUnknownKey;
  const uint32_t node = image.keyNodes[i];
  if (image.nodes == nullptr || node >= image.nodeCount) return kFailed;
  *start = node;
  return kOk;
}

inline AccessStatus WalkEntry(const ImageDescriptor &image, uint32_t i, uint32_t key,
                              const AccessRequest *request, LeafDescriptor *descriptor) {
  uint32_t start = 0;
  const AccessStatus status = StartAt(image, i, &start);
  if (status != kOk) return status;
  const DbNode &node = image.nodes[start];
  return WalkNode(image, key, request, node.word0, node.word1, descriptor);
}

// In a marked index the key is first tried at its upper bound, where it
// stands in a run without gaps from the front (the root keys).
inline uint32_t GuessEntry(const ImageDescriptor &image, uint16_t wanted) {
  const uint32_t guess = uint32_t(wanted - image.keys[0]);
  return guess < image.keyCount && image.keys[guess] == wanted ? guess : image.keyCount;
}

} // namespace

// The bisecting end of LookupKey, apart so that the keys found by a scan or
// at their guessed entry (the root keys) reach their walk without the
// bisection's register saves.
AccessStatus LookupBisected(const ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                            LeafDescriptor *descriptor);
AccessStatus LookupBisected(const ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                            LeafDescriptor *descriptor) {
  return WalkEntry(image, BisectIndex(image.keys, image.keyCount, uint16_t(key)), key, request, descriptor);
}

AccessStatus FindKeyStart(const ImageDescriptor &image, uint32_t key, uint32_t *index) {
  if (image.keys == nullptr || image.keyNodes == nullptr || image.keyCount == 0) return kFailed;
  const uint16_t wanted = uint16_t(key);
  if (!image.keysSorted) return StartAt(image, ScanIndex(image, wanted), index);
  const uint32_t guess = GuessEntry(image, wanted);
  return StartAt(image, guess != image.keyCount ? guess : BisectIndex(image.keys, image.keyCount, wanted),
                 index);
}

namespace {

// LookupKey, inline in AnswerKey: the root keys' lookups are a few
// instructions, which a call's register saves would double.
inline AccessStatus Lookup(const ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                           LeafDescriptor *descriptor) {
  if (image.keys == nullptr || image.keyNodes == nullptr || image.keyCount == 0) return kFailed;
  const uint16_t wanted = uint16_t(key);
  if (!image.keysSorted) return WalkEntry(image, ScanIndex(image, wanted), key, request, descriptor);
  const uint32_t guess = GuessEntry(image, wanted);
  if (guess != image.keyCount) return WalkEntry(image, guess, key, request, descriptor);
  return LookupBisected(image, key, request, descriptor);
}

} // namespace

AccessStatus LookupKey(const ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                       LeafDescriptor *descriptor) {
  return Lookup(image, key, request, descriptor);
}

AccessStatus AnswerKey(const ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                       uint32_t bufferSize, void *buffer, uint32_t *outSize) {
  LeafDescriptor leaf{};
  const AccessStatus status = Lookup(image, key, request, &leaf);
  if (status != kOk) return status;
  return FetchLeaf(image, request, bufferSize, buffer, outSize, leaf);
}

} // namespace m4k7
