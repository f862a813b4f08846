// Shared pieces of the fuzz harnesses.
#pragma once

#include <QtCore/QString>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Fuzz input as text (invalid UTF-8 becomes U+FFFD, as it would from a file).
inline QString FuzzText(const uint8_t* data, size_t size) {
    return QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
}

// Stops the run on a broken invariant, so libFuzzer keeps the input.
#define FUZZ_CHECK(cond, ...)                                               \
    do {                                                                    \
        if (!(cond)) {                                                      \
            std::fprintf(stderr, "invariant failed: %s\n", #cond);          \
            std::fprintf(stderr, __VA_ARGS__);                              \
            std::fprintf(stderr, "\n");                                     \
            std::abort();                                                   \
        }                                                                   \
    } while (0)
