#include "imageview_glue.h"

#include "dump.h"
#include "validate.h"

namespace m4k7cli {

std::string DumpImageText(const m4k7::ImageDescriptor &image, const std::vector<uint16_t> &keys) {
  m4k7::imageview::DumpOptions options;
  options.keys = keys;
  return m4k7::imageview::DumpImage(image, options);
}

bool ValidateImageTables(const m4k7::ImageDescriptor &image, std::vector<std::string> *problems) {
  return m4k7::imageview::ValidateImage(image, problems);
}

std::string ImageStatsText(const m4k7::ImageDescriptor &image) {
  return m4k7::imageview::StatsLine(m4k7::imageview::MeasureImage(image));
}

} // namespace m4k7cli
