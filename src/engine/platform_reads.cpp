// The two reads that leave the module: a printer's stored value and the
// user's locale country.
#include <cstdlib>
#include <cstring>

#include "engine/engine.h"
#include "platform/platform.h"

namespace m4k7 {

AccessStatus ReadPrinterDword(const ImageDescriptor &image, PrinterHandle printer,
                              const LeafDescriptor &descriptor, uint32_t *result) {
  if (printer == nullptr) return kNotFound;
  if (result == nullptr) return kFailed;
  if (kindOf(descriptor.word0) != NodeKind::NK_WIDE) return kFailed;
  const uint32_t offset = operandOf(descriptor.word0), count = countOf(descriptor.word1);
  if (image.bytePool == nullptr || offset + count > image.byteSize) return kFailed;

  platform::ScratchBlock name(2 * size_t(count));
  if (!name) return kFailed;
  auto *wide = name.as<uint16_t>();
  std::memset(wide, 0, 2 * size_t(count));
  for (uint32_t i = 0; i < count; ++i) wide[i] = image.bytePool[offset + i];
  // A name without its terminator would be read past its end.
  if (count == 0 || wide[count - 1] != 0) return kFailed;

  return platform::ReadPrinterData(printer, wide, result) == 0 ? kOk : kNotFound;
}

AccessStatus ReadLocaleCountry(uint32_t source, int32_t *result) {
  if (result == nullptr || uint16_t(source) != kLocaleSource) return kFailed;
  const uint32_t length = platform::LocaleCountryText(nullptr, 0);
  platform::ScratchBlock text(length);
  if (!text) return kFailed;
  if (length == 0 || platform::LocaleCountryText(text.as<char>(), length) == 0) return kFailed;
  text.as<char>()[length - 1] = '\0';
  *result = std::atoi(text.as<char>());
  return kOk;
}

} // namespace m4k7
