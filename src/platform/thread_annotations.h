#pragma once

// Clang's thread safety analysis (-Wthread-safety): which mutex guards which data, and
// which functions take, release or need it. Other compilers see nothing of it.

#if defined(__clang__)
#define MAVREN_THREAD_ANNOTATION(attribute) __attribute__((attribute))
#else
#define MAVREN_THREAD_ANNOTATION(attribute)
#endif

// A type that is a lock, and one that holds a lock for its lifetime.
#define CAPABILITY(name) MAVREN_THREAD_ANNOTATION(capability(name))
#define SCOPED_CAPABILITY MAVREN_THREAD_ANNOTATION(scoped_lockable)

// Data read or written only with the mutex held.
#define GUARDED_BY(mutex) MAVREN_THREAD_ANNOTATION(guarded_by(mutex))

// Functions called with the mutex held, and functions that take or release it.
#define REQUIRES(...) MAVREN_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define ACQUIRE(...) MAVREN_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define RELEASE(...) MAVREN_THREAD_ANNOTATION(release_capability(__VA_ARGS__))

// Functions that must not be called with the mutex held (they take it themselves).
#define EXCLUDES(...) MAVREN_THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))

// A function whose locking the analysis cannot follow, such as a library's lock callback;
// say why where it is used.
#define NO_THREAD_SAFETY_ANALYSIS MAVREN_THREAD_ANNOTATION(no_thread_safety_analysis)
