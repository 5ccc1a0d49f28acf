// A worker thread of one instrument instance that runs preset file reads and writes away from the
// audio thread. It holds one request slot: a request posted before the worker has taken the
// previous one replaces it (the newest wish of the user wins). The worker hands each request to
// the handler given at construction, on the worker thread, one at a time.
//
// Post(..., false) neither blocks nor allocates (audio thread): it fails when the worker holds
// the slot at that instant, and the caller posts again later. The thread starts at construction
// and ends in Stop or the destructor, after the request it is running.
#pragma once

#include "instrument/PresetFile.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class PresetWorker {
 public:
  static constexpr int kPathCapacity = 4096;  // path bytes with the NUL; longer paths are refused

  struct Request {
    enum Kind : int { kRead = 0, kWrite = 1 };
    Kind kind = kRead;
    int generation = 0;    // the caller's count of requests, to drop results it no longer wants
    bool library = false;  // kRead of library entry libraryIndex; path is then left empty
    int libraryIndex = 0;
    double values[kPresetElementCount] = {};  // kWrite: the sound parameters in file order
    char path[kPathCapacity] = {};
  };
  using Handler = std::function<void(const Request&)>;

  explicit PresetWorker(Handler handler);
  ~PresetWorker();
  PresetWorker(const PresetWorker&) = delete;
  PresetWorker& operator=(const PresetWorker&) = delete;

  // Any thread. Copies the request into the slot; with wait unset it gives up (false) when the
  // slot is busy this instant. False after Stop.
  bool Post(const Request& request, bool wait) noexcept;
  // Any thread but the worker's: returns once no request is waiting or running.
  void WaitIdle();
  // Any thread but the worker's: finishes the running request, drops a waiting one, joins.
  void Stop() noexcept;
  // For the handler: true once Stop has begun, so that it gives up waiting for locks.
  bool Stopping() const noexcept;

 private:
  void Run();

  Handler mHandler;
  mutable std::mutex mMutex;
  std::condition_variable mChanged;
  Request mSlot;
  Request mRunning;  // the worker's own copy, so the slot is free while the handler runs
  bool mWaiting = false;
  bool mBusy = false;
  bool mStop = false;
  std::thread mThread;
};
