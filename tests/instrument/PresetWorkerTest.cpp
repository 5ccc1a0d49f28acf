#include "instrument/PresetWorker.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <mutex>
#include <thread>
#include <vector>

namespace {

PresetWorker::Request Numbered(int generation) {
  PresetWorker::Request r;
  r.generation = generation;
  std::snprintf(r.path, sizeof r.path, "p%d", generation);
  return r;
}

// Two threads: one posts as fast as it can while the worker runs a slow handler. Requests run in
// posting order, a waiting one is replaced by a newer one, and the newest always runs.
TEST(PresetWorker, RunsRequestsInOrderAndTheNewestAlways) {
  std::mutex seenLock;
  std::vector<int> seen;
  PresetWorker worker([&](const PresetWorker::Request& r) {
    ASSERT_EQ("p" + std::to_string(r.generation), std::string(r.path));
    std::this_thread::sleep_for(std::chrono::microseconds(200));
    std::lock_guard<std::mutex> lock(seenLock);
    seen.push_back(r.generation);
  });
  std::thread poster([&] {
    for (int g = 1; g <= 2000; ++g) {
      while (!worker.Post(Numbered(g), g % 2 == 0)) std::this_thread::yield();
    }
  });
  poster.join();
  worker.WaitIdle();
  std::lock_guard<std::mutex> lock(seenLock);
  ASSERT_FALSE(seen.empty());
  EXPECT_LT(seen.size(), 2000u);  // waiting requests were replaced
  EXPECT_EQ(2000, seen.back());
  for (size_t i = 1; i < seen.size(); ++i) ASSERT_LT(seen[i - 1], seen[i]);
}

TEST(PresetWorker, RefusesUnterminatedPathsAndRequestsAfterStop) {
  std::atomic<int> runs{0};
  PresetWorker worker([&](const PresetWorker::Request&) { ++runs; });
  PresetWorker::Request unterminated;
  std::memset(unterminated.path, 'x', sizeof unterminated.path);
  EXPECT_FALSE(worker.Post(unterminated, true));
  EXPECT_TRUE(worker.Post(Numbered(1), true));
  worker.WaitIdle();
  EXPECT_EQ(1, runs.load());
  worker.Stop();
  EXPECT_TRUE(worker.Stopping());
  EXPECT_FALSE(worker.Post(Numbered(2), true));
  worker.WaitIdle();  // returns at once after Stop
  worker.Stop();      // twice is harmless
  EXPECT_EQ(1, runs.load());
}

}  // namespace
