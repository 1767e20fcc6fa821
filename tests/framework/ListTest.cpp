#include "framework/List.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

TEST(ListTest, AddsFindsAndRemovesInOrder) {
  TList<int> list;
  EXPECT_EQ(list.Add(10), 0);
  EXPECT_EQ(list.Add(20), 1);
  list.Add(30);
  EXPECT_EQ(list.Count(), 3);
  EXPECT_EQ(list.IndexOf(30), 2);
  EXPECT_EQ(list.IndexOf(99), -1);
  EXPECT_EQ(list.Remove(20), 1);
  EXPECT_EQ(list[1], 30);
  EXPECT_EQ(list.Remove(20), -1);
  list.Delete(0);
  EXPECT_EQ(list.Count(), 1);
  int sum = 0;
  for (int v : list) sum += v;
  EXPECT_EQ(sum, 30);
}

TEST(ListTest, EveryAccessOutsideTheListRaisesAListError) {
  TList<int> list;
  list.Add(1);
  EXPECT_THROW(list.Items(1), EListError);
  EXPECT_THROW(list[-1], EListError);
  EXPECT_THROW(list.Delete(3), EListError);
  const TList<int>& view = list;
  EXPECT_THROW(view.Items(7), EListError);
}

TEST(ListTest, AListOfUniquePointersOwnsItsItems) {
  auto shared = std::make_shared<int>(5);
  {
    TList<std::unique_ptr<std::shared_ptr<int>>> list;
    list.Add(std::make_unique<std::shared_ptr<int>>(shared));
    EXPECT_EQ(shared.use_count(), 2);
  }
  EXPECT_EQ(shared.use_count(), 1);
}

}  // namespace
