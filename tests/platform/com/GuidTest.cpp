#include "platform/com/Guid.h"

#include <gtest/gtest.h>

namespace {

TEST(GuidTest, ParsesTheRegistryFormIntoItsFields) {
  constexpr GUID g = GuidFromString("{6AAE1EC1-662A-11D0-889D-00AA00BBB76A}");
  EXPECT_EQ(g.Data1, 0x6AAE1EC1u);
  EXPECT_EQ(g.Data2, 0x662A);
  EXPECT_EQ(g.Data3, 0x11D0);
  const BYTE tail[8] = {0x88, 0x9D, 0x00, 0xAA, 0x00, 0xBB, 0xB7, 0x6A};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(g.Data4[i], tail[i]) << i;
}

TEST(GuidTest, LowerCaseDigitsParseLikeUpperCase) {
  EXPECT_EQ(GuidFromString("{881949a1-d6f3-11d0-89ab-00a0c9054129}"),
            GuidFromString("{881949A1-D6F3-11D0-89AB-00A0C9054129}"));
}

TEST(GuidTest, PrintsBackTheTextItWasParsedFrom) {
  const char text[] = "{B3A6F3E0-2B43-11CF-A2DE-00AA00B93356}";
  EXPECT_EQ(GuidToString(GuidFromString(text)), text);
  EXPECT_EQ(GuidToString(GUID_NULL), "{00000000-0000-0000-0000-000000000000}");
}

TEST(GuidTest, GuidsDifferingInOneByteAreDifferent) {
  const GUID a = GuidFromString("{A4665C60-2673-11CF-A31A-00AA00B93356}");
  GUID b = a;
  EXPECT_EQ(a, b);
  b.Data4[7] ^= 1;
  EXPECT_NE(a, b);
  EXPECT_NE(a, GUID_NULL);
}

}  // namespace
