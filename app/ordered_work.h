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
  const std::int32_t window = 2 * static_cast<std::int32_t>(workers);
  std::mutex lock;
  std::condition_variable ready;  // an item was made
  std::condition_variable room;   // an item was used, or the job stops
  std::vector<std::optional<Item>> slots(static_cast<std::size_t>(window));
  std::int32_t next = 0;  // the next item to make
  std::int32_t used = 0;  // items used so far
  bool stop = false;
  std::exception_ptr failure;  // the first exception of a worker

  const auto work = [&](unsigned worker) {
    for (;;) {
      std::int32_t index = 0;
      {
        std::unique_lock<std::mutex> guard(lock);
        room.wait(guard, [&] { return stop || next >= count || next < used + window; });
        if (stop || next >= count) return;
        index = next++;
      }
      try {
        Item item = make(index, worker);
        std::lock_guard<std::mutex> guard(lock);
        slots[static_cast<std::size_t>(index % window)] = std::move(item);
      } catch (...) {
        std::lock_guard<std::mutex> guard(lock);
        if (!failure) failure = std::current_exception();
        stop = true;
      }
      ready.notify_all();
      room.notify_all();
    }
  };

  std::vector<std::thread> threads;
  for (unsigned worker = 0; worker < workers; ++worker) {
    try {
      threads.emplace_back(work, worker);
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

  try {
    while (used < count) {
      std::optional<Item> item;
      {
        std::unique_lock<std::mutex> guard(lock);
        auto& slot = slots[static_cast<std::size_t>(used % window)];
        ready.wait(guard, [&] { return slot.has_value() || failure; });
        if (!slot.has_value()) break;
        item = std::move(slot);
        slot.reset();
      }
      const bool more = use(used, *item);
      {
        std::lock_guard<std::mutex> guard(lock);
        ++used;
        stop = !more;
      }
      room.notify_all();
      if (!more) break;
    }
  } catch (...) {
    std::lock_guard<std::mutex> guard(lock);
    if (!failure) failure = std::current_exception();
  }
  {
    std::lock_guard<std::mutex> guard(lock);
    stop = true;
  }
  room.notify_all();
  for (std::thread& thread : threads) thread.join();
  if (failure) std::rethrow_exception(failure);
  return used;
}

}  // namespace trevalda
