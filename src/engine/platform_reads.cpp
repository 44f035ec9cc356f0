// The two reads that leave the module: a printer's stored value and the
// user's locale country.
#include <cstdlib>

#include "engine/engine.h"
#include "platform/platform.h"

namespace m4k7 {

AccessStatus ReadPrinterDword(const ImageDescriptor &image, PrinterHandle printer,
                              const LeafDescriptor &descriptor, uint32_t *result) {
  if (printer == nullptr) return kNotFound;
  if (result == nullptr) return kFailed;
  if (kindOf(descriptor.word0) != NodeKind::NK_WIDE) return kFailed;
  const uint32_t offset = operandOf(descriptor.word0);
  const uint32_t count = countOf(descriptor.word1);
  if (image.bytePool == nullptr || uint64_t(offset) + count > image.byteSize) return kFailed;

  // One character more than the leaf holds, left zero: the spooler reads the
  // name up to its terminator, and a name leaf that lacks one must not send
  // it past the block.
  platform::ScratchBlock name(2 * size_t(count) + 2);
  if (!name) return kFailed;
  uint16_t *chars = name.as<uint16_t>();
  for (uint32_t i = 0; i <= count; ++i) chars[i] = 0;
  for (uint32_t i = 0; i < count; ++i) chars[i] = image.bytePool[offset + i];

  // A stored value shorter than 4 bytes fills only the low bytes.
  uint32_t value = 0;
  if (platform::ReadPrinterData(printer, chars, &value) != 0) return kNotFound;
  *result = value;
  return kOk;
}

AccessStatus ReadLocaleCountry(uint32_t source, int32_t *result) {
  if (result == nullptr || uint16_t(source) != kLocaleSource) return kFailed;
  const uint32_t length = platform::LocaleCountryText(nullptr, 0);
  // A length of 0 means the locale cannot be told; asking again with a
  // block of 0 bytes would only repeat the length query.
  if (length == 0) return kFailed;
  platform::ScratchBlock text(length);
  if (!text) return kFailed;
  char *chars = text.as<char>();
  if (platform::LocaleCountryText(chars, length) == 0) return kFailed;
  chars[length - 1] = '\0';
  *result = std::atoi(chars);
  return kOk;
}

} // namespace m4k7
