// Lock rules the compiler checks: clang's -Wthread-safety reads these attributes and reports
// a guarded member touched without its lock, a function called without the lock it requires
// or with one it must not hold, and a lock taken and not given back. Other compilers see
// nothing (GCC has no such analysis), so the annotations cost nothing there.
//
// Use them with the annotated locks of common/mutex.h; the standard library's own mutexes
// carry no annotations, so the analysis cannot see them taken.
//
//   GUARDED_BY(m)        the member is read and written only with m held
//   PT_GUARDED_BY(m)     what the pointer member points at is accessed only with m held
//   REQUIRES(m)          the caller holds m (REQUIRES_SHARED: at least a shared hold)
//   EXCLUDES(m)          the caller does not hold m (the function takes it itself)
//   ACQUIRE(m)/RELEASE(m)  the function takes/gives back m (the _SHARED forms: a shared hold)
//   TRY_ACQUIRE(r, m)    the function takes m when it returns r
//   CAPABILITY(name)     the class is a lock;  SCOPED_CAPABILITY  the class holds one (RAII)
//   NO_THREAD_SAFETY_ANALYSIS  the function is not checked; only where the analysis cannot
//                        follow a correct rule, with a comment saying why
#pragma once

#if defined(__clang__)
#define TAVREL_THREAD_ANNOTATION(x) __attribute__((x))
#else
#define TAVREL_THREAD_ANNOTATION(x)
#endif

#define CAPABILITY(x) TAVREL_THREAD_ANNOTATION(capability(x))
#define SCOPED_CAPABILITY TAVREL_THREAD_ANNOTATION(scoped_lockable)
#define GUARDED_BY(x) TAVREL_THREAD_ANNOTATION(guarded_by(x))
#define PT_GUARDED_BY(x) TAVREL_THREAD_ANNOTATION(pt_guarded_by(x))
#define REQUIRES(...) TAVREL_THREAD_ANNOTATION(requires_capability(__VA_ARGS__))
#define REQUIRES_SHARED(...) TAVREL_THREAD_ANNOTATION(requires_shared_capability(__VA_ARGS__))
#define EXCLUDES(...) TAVREL_THREAD_ANNOTATION(locks_excluded(__VA_ARGS__))
#define ACQUIRE(...) TAVREL_THREAD_ANNOTATION(acquire_capability(__VA_ARGS__))
#define ACQUIRE_SHARED(...) TAVREL_THREAD_ANNOTATION(acquire_shared_capability(__VA_ARGS__))
#define RELEASE(...) TAVREL_THREAD_ANNOTATION(release_capability(__VA_ARGS__))
#define RELEASE_SHARED(...) TAVREL_THREAD_ANNOTATION(release_shared_capability(__VA_ARGS__))
#define TRY_ACQUIRE(...) TAVREL_THREAD_ANNOTATION(try_acquire_capability(__VA_ARGS__))
#define NO_THREAD_SAFETY_ANALYSIS TAVREL_THREAD_ANNOTATION(no_thread_safety_analysis)
