#include "app/OrderedWork.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr size_t BlockSize = 1024;
// Below this many items a block is cheaper on one thread than starting another.
constexpr size_t ItemsPerThread = 16;

void ProduceBlock(size_t first, std::vector<std::string>& results, int threads,
                  const std::function<std::string(size_t)>& produce) {
  std::atomic<size_t> next{0};
  std::exception_ptr failure;
  std::mutex failureLock;
  const auto work = [&] {
    try {
      for (size_t i = next++; i < results.size(); i = next++) {
        results[i] = produce(first + i);
      }
    } catch (...) {
      // The others stop at their next item; the first failure reaches the caller.
      next = results.size();
      std::lock_guard lock(failureLock);
      if (!failure) {
        failure = std::current_exception();
      }
    }
  };
  const size_t helpers =
      std::min(static_cast<size_t>(std::max(threads, 1)), results.size() / ItemsPerThread + 1) - 1;
  std::vector<std::jthread> running;
  running.reserve(helpers);
  for (size_t h = 0; h < helpers; ++h) {
    running.emplace_back(work);
  }
  work();
  running.clear();
  if (failure) {
    std::rethrow_exception(failure);
  }
}

}  // namespace

void ProduceInOrder(size_t count, int threads, const std::function<std::string(size_t)>& produce,
                    const std::function<void(const std::string&)>& consume) {
  std::vector<std::string> results;
  for (size_t first = 0; first < count; first += BlockSize) {
    results.assign(std::min(BlockSize, count - first), std::string());
    ProduceBlock(first, results, threads, produce);
    for (const std::string& result : results) {
      consume(result);
    }
  }
}
