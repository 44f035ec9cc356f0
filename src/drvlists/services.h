// The item-list services behind DispatchDriverKey's routing table.
#pragma once

#include <cstdint>

#include "drvlists/drvlists.h"

namespace m4k7::drvlists {

// Items whose ids are the key's own leaf (keys 4108, 4110, ..., 4118, 4119).
AccessStatus ItemsFromLeaf(const ImageDescriptor &image, uint16_t key, const AccessRequest *request,
                           uint32_t bufferSize, void *buffer, uint32_t *outSize);

// Items whose ids are a full list of the ItemListTable (keys 4109, 4111, 4115).
AccessStatus ItemsFromTable(const ImageDescriptor &image, uint16_t key, uint16_t listId,
                            const AccessRequest *request, uint32_t bufferSize, void *buffer,
                            uint32_t *outSize);

} // namespace m4k7::drvlists
