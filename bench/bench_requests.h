// The questions the benchmarks ask: one per kind of answer, with the
// settings a driver has when it asks them.
#pragma once

#include <cstdint>
#include <vector>

#include "m4k7db.h"

namespace m4k7::bench {

using AccessFn = AccessStatus(M4K7DB_CALL *)(uint32_t, const AccessRequest *, uint32_t, void *, uint32_t *);

struct Question {
  const char *name;
  AccessFn function;
  uint32_t key;
  int32_t slot0 = 0; // I[0]: the value number the root database names
  int32_t slot5 = 1; // I[5]: the driver's media, the status monitor's state
};

// A4 on plain paper, four inks, standard quality, borderless off, sheet feeder.
inline std::vector<int32_t> DriverSettings() {
  std::vector<int32_t> ints(106, 0);
  ints[4] = 4; // ink count
  ints[5] = 1; // media
  ints[6] = 1;
  ints[7] = 7;  // paper source
  ints[8] = 2;  // quality
  ints[28] = 9; // paper size
  ints[52] = 0; // margin mode
  ints[96] = 14800;
  ints[97] = 21000;
  return ints;
}

inline const Question kQuestions[] = {
    {"root/plain name", VRT_AccessRootDataBase, 3},
    {"root/value name by I[0]", VRT_AccessRootDataBase, 8, 1},
    {"drv/ink counts (item list)", VRT_AccessDrvDataBase, 4108},
    {"drv/paper sizes (checked list)", VRT_AccessDrvDataBase, 4113},
    {"drv/page setup (grouped list)", VRT_AccessDrvDataBase, 4121},
    {"drv/print-mode record", VRT_AccessDrvDataBase, 4126},
    {"mnt/cleaning script", VRT_AccessMntDataBase, 0x3003},
    {"sm/status display", VRT_AccessSMDataBase, 0x6001, 0, 2},
};

// Requests of each database's standard shape, settings filled for the driver.
struct Requests {
  explicit Requests(const Question &q) {
    ints[0] = q.slot0;
    ints[5] = q.slot5;
  }
  std::vector<int32_t> ints = DriverSettings();
  const char *strings[12] = {"", "", "", "", "", "", "", "", "", "", "", ""};
  AccessRequest request{nullptr, 0, 12, strings, uint32_t(ints.size()), ints.data(), nullptr};
};

} // namespace m4k7::bench
