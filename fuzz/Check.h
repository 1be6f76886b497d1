// A property every input must keep: a broken one is named and the fuzzer stops, keeping the input.
#pragma once

#include <cstdio>
#include <cstdlib>

[[noreturn]] inline void fuzzBroken(const char* property) {
    std::fprintf(stderr, "broken: %s\n", property);
    std::abort();
}
#define CHECK(property) ((property) ? void() : fuzzBroken(#property))
