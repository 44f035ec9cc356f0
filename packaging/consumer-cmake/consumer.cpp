// Asks the driver database for the A4 sheet's size (key 0x1003 with the
// paper size I[28] = 9) through the installed m4k7db.
#include <cstdint>
#include <cstdio>
#include <vector>

#include <m4k7db.h>

int main() {
  std::vector<int32_t> ints(106, 0); // the driver's request shape
  ints[28] = 9;
  AccessRequest request{};
  request.intParamCount = uint32_t(ints.size());
  request.intParams = ints.data();

  uint32_t size = 0;
  if (VRT_AccessDrvDataBase(0x1003, &request, 0, nullptr, &size) != M4K7DB_BUFFER_TOO_SMALL) return 1;
  std::vector<int32_t> answer(size / sizeof(int32_t));
  AccessStatus status = VRT_AccessDrvDataBase(0x1003, &request, size, answer.data(), &size);
  if (status != M4K7DB_OK || answer.size() != 2) {
    std::fprintf(stderr, "key 0x1003: status %d\n", int(status));
    return 1;
  }
  std::printf("paper size 9: %d x %d (0.01 mm)\n", int(answer[0]), int(answer[1]));
  return 0;
}
