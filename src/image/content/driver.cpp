#include "content.h"
#include "driver_content.h"

namespace imagec {

void AddDriverKeys(ImageBuilder &b) {
  using namespace driver;
  b.keyOfAllRoots(kFragmentKey, "printer command fragment the settings reach first");
  // A plain lookup of the fragment key answers the first fragment the
  // request reaches, so the paper-size tree goes first: with driver settings
  // that answer is the page-format command of the current paper size.
  NodeRef paperSizes = AddPaperSizeTree(b);
  NodeRef printModes = AddPrintSettingTrees(b);
  AddOtherDriverKeys(b);
  AddGroupedLists(b, printModes, paperSizes);
  AddItemLists(b);
}

} // namespace imagec
