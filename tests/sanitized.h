// TORVA_SANITIZED is defined in builds with AddressSanitizer, where the
// randomised suites run fewer instances.
#pragma once

#if defined(__SANITIZE_ADDRESS__)
#define TORVA_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TORVA_SANITIZED 1
#endif
#endif
