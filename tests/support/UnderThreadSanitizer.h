#pragma once
// Whether this build runs under ThreadSanitizer, which cannot follow a fork from a program
// whose threads already run: the tests that start copies of themselves skip there, and are
// checked in the other builds.
#if defined(__SANITIZE_THREAD__)
inline constexpr bool UnderThreadSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
inline constexpr bool UnderThreadSanitizer = true;
#else
inline constexpr bool UnderThreadSanitizer = false;
#endif
#else
inline constexpr bool UnderThreadSanitizer = false;
#endif
