// The content sources of the M4K7 image (src/image/content/), one function
// per part of the catalogue. AddM4k7Content calls them all.
#pragma once

#include "builder.h"

namespace imagec {

void AddRootKeys(ImageBuilder &b);        // root.cpp
void AddDriverKeys(ImageBuilder &b);      // driver content: keys 0x1001-0x1FFF, internal keys, list tables
void AddPrintModeTables(ImageBuilder &b); // print_modes.cpp: rows and section records of key 4126
void AddLanguageMonitorKeys(ImageBuilder &b); // language_monitor.cpp
void AddMaintenanceKeys(ImageBuilder &b);     // maintenance.cpp
void AddPAKeys(ImageBuilder &b);              // pa.cpp
void AddStatusMonitorKeys(ImageBuilder &b);   // status_monitor.cpp

inline void AddM4k7Content(ImageBuilder &b) {
  AddRootKeys(b);
  AddDriverKeys(b);
  AddPrintModeTables(b);
  AddLanguageMonitorKeys(b);
  AddMaintenanceKeys(b);
  AddPAKeys(b);
  AddStatusMonitorKeys(b);
}

} // namespace imagec
