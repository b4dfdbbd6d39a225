#pragma once

// The part of libdispatch the system uses: counting semaphores (frame
// pacing) and immutable data objects (the embedded shader library).
// Objects are reference counted; dispatch_release drops a reference.

#include <cstddef>
#include <cstdint>
#include <functional>

typedef uint64_t dispatch_time_t;
constexpr dispatch_time_t DISPATCH_TIME_NOW = 0;
constexpr dispatch_time_t DISPATCH_TIME_FOREVER = ~0ull;
constexpr int64_t NSEC_PER_SEC = 1000000000ll;
constexpr int64_t NSEC_PER_MSEC = 1000000ll;

typedef struct dispatch_semaphore_s* dispatch_semaphore_t;
typedef struct dispatch_data_s* dispatch_data_t;
typedef struct dispatch_queue_s* dispatch_queue_t;
typedef void* dispatch_object_t;

// A time `delta` nanoseconds after `when` (DISPATCH_TIME_NOW: now).
dispatch_time_t dispatch_time(dispatch_time_t when, int64_t delta);

// Null for a negative count.
dispatch_semaphore_t dispatch_semaphore_create(long value);
// 0 when the semaphore was taken, non-zero when `timeout` passed first.
long dispatch_semaphore_wait(dispatch_semaphore_t semaphore, dispatch_time_t timeout);
// Non-zero when a waiter was woken.
long dispatch_semaphore_signal(dispatch_semaphore_t semaphore);

// With the default destructor the bytes are copied; with another, the data
// keeps pointing at them and runs the destructor when it dies.
using dispatch_block_t = std::function<void()>;
extern const dispatch_block_t DISPATCH_DATA_DESTRUCTOR_DEFAULT;
dispatch_data_t dispatch_data_create(const void* buffer, size_t size, dispatch_queue_t queue,
                                     dispatch_block_t destructor);
size_t dispatch_data_get_size(dispatch_data_t data);
// The stand-in's data is always contiguous: its bytes.
const void* dispatch_data_get_bytes(dispatch_data_t data);

void dispatch_retain(void* object);
void dispatch_release(void* object);
