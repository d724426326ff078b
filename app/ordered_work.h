// Work made in parallel and used in order: items 0 to count - 1 are made on
// worker threads, as many at once as there are workers, and handed to the
// calling thread strictly by index, each as soon as it and every earlier one
// are ready. The page ranges draw and encode their pages this way and save
// them one by one, in date order.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <vector>

namespace trevalda {

// Workers for a job of `count` items: one per processor the system reports
// (at least one, never more than the items).
inline unsigned WorkersFor(std::int32_t count) {
  const unsigned processors = std::max(1u, std::thread::hardware_concurrency());
  return static_cast<unsigned>(std::clamp<std::int64_t>(count, 1, processors));
}

namespace ordered_work {

// The state the workers and the calling thread share: the next item to
// make, the items used so far, a ring of `window` slots for the items made
// and not yet used, and whether (and why) the job stops.
template <typename Item>
class Job {
 public:
  Job(std::int32_t count, unsigned workers)
      : count_(count),
        window_(2 * static_cast<std::int32_t>(workers)),
        slots_(static_cast<std::size_t>(window_)) {}

  // A worker's loop: takes the next index while there is room in the
  // window, makes the item and puts it in its slot; an exception stops the
  // job and is kept.
  void Work(const std::function<Item(std::int32_t, unsigned)>& make, unsigned worker) {
    for (;;) {
      std::int32_t index = 0;
      {
        std::unique_lock<std::mutex> guard(lock_);
        room_.wait(guard, [&] { return stop_ || next_ >= count_ || next_ < used_ + window_; });
        if (stop_ || next_ >= count_) return;
        index = next_++;
      }
      try {
        Item item = make(index, worker);
        std::lock_guard<std::mutex> guard(lock_);
        slots_[static_cast<std::size_t>(index % window_)] = std::move(item);
      } catch (...) {
        std::lock_guard<std::mutex> guard(lock_);
        if (!failure_) failure_ = std::current_exception();
        stop_ = true;
      }
      ready_.notify_all();
      room_.notify_all();
    }
  }

  // The calling thread's loop: waits for each item in index order and uses
  // it, until every item is used, `use` returns false or a worker failed.
  // An exception from `use` is kept.
  void UseInOrder(const std::function<bool(std::int32_t, Item&)>& use) {
    try {
      while (used_ < count_) {
        std::optional<Item> item = TakeNext();
        if (!item) break;
        const bool more = use(used_, *item);
        {
          std::lock_guard<std::mutex> guard(lock_);
          ++used_;
          stop_ = !more;
        }
        room_.notify_all();
        if (!more) break;
      }
    } catch (...) {
      std::lock_guard<std::mutex> guard(lock_);
      if (!failure_) failure_ = std::current_exception();
    }
  }

  // Stops the workers, joins `threads` and rethrows the first exception
  // kept; otherwise returns how many items were used.
  std::int32_t Finish(std::vector<std::thread>& threads) {
    {
      std::lock_guard<std::mutex> guard(lock_);
      stop_ = true;
    }
    room_.notify_all();
    for (std::thread& thread : threads) thread.join();
    if (failure_) std::rethrow_exception(failure_);
    return used_;
  }

 private:
  // The item `used_` once it is made; nothing when a worker failed first.
  std::optional<Item> TakeNext() {
    std::unique_lock<std::mutex> guard(lock_);
    auto& slot = slots_[static_cast<std::size_t>(used_ % window_)];
    ready_.wait(guard, [&] { return slot.has_value() || failure_; });
    if (!slot.has_value()) return std::nullopt;
    std::optional<Item> item = std::move(slot);
    slot.reset();
    return item;
  }

  const std::int32_t count_;
  const std::int32_t window_;
  std::mutex lock_;
  std::condition_variable ready_;  // an item was made
  std::condition_variable room_;   // an item was used, or the job stops
  std::vector<std::optional<Item>> slots_;
  std::int32_t next_ = 0;  // the next item to make
  std::int32_t used_ = 0;  // items used so far
  bool stop_ = false;
  std::exception_ptr failure_;  // the first exception of a worker, or of `use`
};

}  // namespace ordered_work

// Makes item i with `make(i, worker)` on one of `workers` threads (worker is
// 0 .. workers - 1, so each thread can keep tools of its own), and calls
// `use(i, item)` on the calling thread for i = 0, 1, 2 ... in order. When
// `use` returns false, no later item is used: the workers stop after the
// items in hand, which are dropped. At most twice as many items as there
// are workers wait ready or in the making, which bounds the memory held.
// `make` may run on the calling thread when no thread can be started. An
// exception from `make` or `use` (std::bad_alloc) stops the job: every
// worker is joined and the first exception is rethrown on the calling
// thread. Returns how many items were used.
template <typename Item>
std::int32_t MakeInParallelUseInOrder(std::int32_t count, unsigned workers,
                                      const std::function<Item(std::int32_t, unsigned)>& make,
                                      const std::function<bool(std::int32_t, Item&)>& use) {
  if (count <= 0) return 0;
  workers = std::max(1u, workers);
  ordered_work::Job<Item> job(count, workers);
  std::vector<std::thread> threads;
  for (unsigned worker = 0; worker < workers; ++worker) {
    try {
      threads.emplace_back([&job, &make, worker] { job.Work(make, worker); });
    } catch (const std::system_error&) {
      break;  // the threads started so far do the work
    }
  }
  if (threads.empty()) {
    for (std::int32_t i = 0; i < count; ++i) {
      Item item = make(i, 0);
      if (!use(i, item)) return i + 1;
    }
    return count;
  }
  job.UseInOrder(use);
  return job.Finish(threads);
}

}  // namespace trevalda
