#include "instrument/PresetWorker.h"

#include <cstring>

PresetWorker::PresetWorker(Handler handler) : mHandler(std::move(handler)) {
  mThread = std::thread([this] { Run(); });
}

PresetWorker::~PresetWorker() { Stop(); }

bool PresetWorker::Post(const Request& request, bool wait) noexcept {
  if (std::memchr(request.path, '\0', sizeof request.path) == nullptr) return false;
  std::unique_lock<std::mutex> lock(mMutex, std::defer_lock);
  if (wait) {
    lock.lock();
  } else if (!lock.try_lock()) {
    return false;
  }
  if (mStop) return false;
  mSlot = request;
  mWaiting = true;
  lock.unlock();
  mChanged.notify_all();
  return true;
}

void PresetWorker::WaitIdle() {
  std::unique_lock<std::mutex> lock(mMutex);
  mChanged.wait(lock, [this] { return mStop || (!mWaiting && !mBusy); });
}

void PresetWorker::Stop() noexcept {
  {
    std::lock_guard<std::mutex> lock(mMutex);
    mStop = true;
  }
  mChanged.notify_all();
  if (mThread.joinable()) mThread.join();
}

bool PresetWorker::Stopping() const noexcept {
  std::lock_guard<std::mutex> lock(mMutex);
  return mStop;
}

void PresetWorker::Run() {
  std::unique_lock<std::mutex> lock(mMutex);
  for (;;) {
    mChanged.wait(lock, [this] { return mStop || mWaiting; });
    if (mStop) break;
    mRunning = mSlot;
    mWaiting = false;
    mBusy = true;
    lock.unlock();
    try {
      mHandler(mRunning);
    } catch (...) {
      // A failed file action loses that action only; the worker stays.
    }
    lock.lock();
    mBusy = false;
    mChanged.notify_all();
  }
  mBusy = false;
  mWaiting = false;
  mChanged.notify_all();
}
