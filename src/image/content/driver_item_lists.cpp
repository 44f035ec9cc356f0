// The full item lists of four driver settings (list id n is the setting
// I[n]); the list service puts each id's paired value into its first
// attribute.
#include "driver_content.h"

namespace imagec::driver {

void AddItemLists(ImageBuilder &b) {
  b.itemList(28,
             {{11, 15762},  {78, 15763},  {9, 15760},   {13, 15767},  {1, 15751},   {5, 15755},  {43, 15776},
              {270, 15778}, {271, 15779}, {272, 15789}, {273, 15790}, {275, 15792}, {8, 15758},  {66, 15757},
              {12, 15765},  {257, 15764}, {3, 15769},   {24, 15793},  {274, 15791}, {256, 15744}});
  b.itemList(7, {{4, 15301}, {7, 15302}});
  b.itemList(5, {{1, 15101},
                 {277, 15123},
                 {271, 15117},
                 {283, 15130},
                 {262, 15108},
                 {270, 15116},
                 {276, 15122},
                 {279, 15125},
                 {259, 15105},
                 {273, 15119},
                 {258, 15104},
                 {2, 15102},
                 {263, 15109},
                 {275, 15121}});
  b.itemList(4, {{4, 15004}, {6, 15006}});
  b.nameCodeKey(4109, "all ink counts", "item list");
  b.nameCodeKey(4111, "all media types", "item list");
  b.nameCodeKey(4115, "all paper sources", "item list");
}

} // namespace imagec::driver
