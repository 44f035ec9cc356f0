// Key lookup, node walk and value fetch over one database image. The image
// is a parameter so that tests can walk small, deliberately broken images;
// the module passes CompiledImage().
#pragma once

#include <cstdint>

#include "engine/image.h"
#include "engine/status.h"

namespace m4k7 {

// The two words of the leaf a walk ended in, unchanged.
// Word 0: kind and pool offset (0 for NK_COMPUTED).
// Word 1: bits 31-16 the key the leaf answers, bits 15-0 the element count
//         (the ComputedValueId for NK_COMPUTED).
struct LeafDescriptor {
  uint32_t word0;
  uint32_t word1;
};

// A corrupted image with a cycle would recurse without end; real images are
// a dozen nodes deep, so a walk deeper than this fails with -1.
inline constexpr uint32_t kMaxWalkDepth = 256;
// Sequences may share children, so a corrupted image of a few dozen nodes
// can hold more paths than any walk could finish; a walk that enters more
// nodes than this fails with -1. Real walks enter at most a few hundred.
inline constexpr uint32_t kMaxWalkSteps = 65536;

// Finds the key's start node: the node index the key index gives for the
// key's low 16 bits (first match; a marked index is bisected). 0 and
// *index, which is below nodeCount; 3 not in the index; -1 absent index or
// node table, or a start past the node table, in the order LookupKey meets
// them. A service that walks one key per item finds its start once.
AccessStatus FindKeyStart(const ImageDescriptor &image, uint32_t key, uint32_t *index);

// Finds the key's start node (FindKeyStart) and walks it.
// 0 and the descriptor on a leaf; 1 no leaf carries the key; 3 not in the
// index; -1 absent tables or bad index; selector statuses pass through.
AccessStatus LookupKey(const ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                       LeafDescriptor *descriptor);

// LookupKey, then FetchLeaf of the leaf it found: a key answered from the
// tree alone. outSize must be present.
AccessStatus AnswerKey(const ImageDescriptor &image, uint32_t key, const AccessRequest *request,
                       uint32_t bufferSize, void *buffer, uint32_t *outSize);

// The walk of one node for a key and request, WalkNode, is in walk.h.

// Copies the values the descriptor names into the buffer, widened as its
// kind says, or reports the size needed (2). outSize must be present.
AccessStatus FetchLeaf(const ImageDescriptor &image, const AccessRequest *request, uint32_t bufferSize,
                       void *buffer, uint32_t *outSize, LeafDescriptor descriptor);

// Reads the printer-data value named by an NK_WIDE leaf into *result:
// 0 read; 1 not read (no handle, or the spooler refused); -1 bad descriptor
// or exhausted memory.
AccessStatus ReadPrinterDword(const ImageDescriptor &image, PrinterHandle printer,
                              const LeafDescriptor &descriptor, uint32_t *result);

// The name of the printer-data value that value number `number` stands for:
// key 8's answer for I[0] = number, asked without a printer, which must be
// an NK_WIDE leaf. 0 and *name written; 3 no key 8; 1 or -1 from the walk;
// -1 a name that is not NK_WIDE, or exhausted memory.
AccessStatus LookupValueName(const ImageDescriptor &image, int32_t number, LeafDescriptor *name);

// The printer-data value that value number `number` names, as the
// printer-data select reads it: the name is key 8's NK_WIDE answer for
// I[0] = number, asked without a printer. 0 read; 1 the printer has no such
// value; 3 no key 8; -1 no name, a name that is not NK_WIDE, or exhausted
// memory; -4 no printer.
AccessStatus ReadNamedPrinterValue(const ImageDescriptor &image, PrinterHandle printer, int32_t number,
                                   uint32_t *value);

// The user's locale country code (international dialling code): 0, or -1
// when the source is not 0x500F or the locale cannot be read.
AccessStatus ReadLocaleCountry(uint32_t source, int32_t *result);

} // namespace m4k7
