#include "app/OrderedWork.h"

#include <stdexcept>
#include <thread>

#include <gtest/gtest.h>

TEST(OrderedWork, ResultsArriveInTheItemsOrderWhicheverThreadFinishesFirst) {
  std::vector<std::string> seen;
  const auto produce = [](size_t i) {
    if (i % 97 == 0) {
      std::this_thread::yield();  // an early item finishes after later ones
    }
    return std::to_string(i);
  };
  ProduceInOrder(2500, 4, produce, [&seen](const std::string& result) { seen.push_back(result); });
  ASSERT_EQ(seen.size(), 2500u);
  for (size_t i = 0; i < seen.size(); ++i) {
    ASSERT_EQ(seen[i], std::to_string(i));
  }
}

TEST(OrderedWork, AFailureReachesTheCallerAfterEveryThreadStopped) {
  const auto produce = [](size_t i) -> std::string {
    if (i == 300) {
      throw std::runtime_error("item 300");
    }
    return {};
  };
  EXPECT_THROW(ProduceInOrder(2000, 2, produce, [](const std::string&) {}), std::runtime_error);
}
