#include "support/SinkRunner.h"

#include <chrono>
#include <future>
#include <memory>

#include "pipeline/ACS_Classes.h"

namespace testing_support {

SinkOutcome RunToEnd(TACSOutput& sink) {
  auto outcome = std::make_shared<std::promise<SinkOutcome>>();
  std::future<SinkOutcome> ended = outcome->get_future();
  sink.SetOnDone([outcome](TComponent*) { outcome->set_value({true, ""}); });
  sink.SetOnThreadException(
      [outcome](TComponent*, const std::exception& error) { outcome->set_value({false, error.what()}); });
  sink.Run();
  if (ended.wait_for(std::chrono::minutes(1)) != std::future_status::ready) {
    return {false, "the run did not end"};
  }
  return ended.get();
}

}  // namespace testing_support
