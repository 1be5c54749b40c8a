# Fuzzing build (-DVELA_BUILD_FUZZ=ON with clang): every library is instrumented for libFuzzer
# and built with the address and undefined-behaviour sanitizers, and fuzz/ adds one libFuzzer
# program per reader of outside bytes. A compiler without -fsanitize=fuzzer builds no fuzzers.
include(CheckCXXSourceCompiles)

set(VELA_FUZZ_FLAGS -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
  -fno-omit-frame-pointer)
set(CMAKE_REQUIRED_FLAGS "-fsanitize=fuzzer,address,undefined")
set(CMAKE_REQUIRED_LINK_OPTIONS "-fsanitize=fuzzer,address,undefined")
check_cxx_source_compiles([=[
#include <cstddef>
#include <cstdint>
extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }
]=] VELA_COMPILER_FUZZES)
unset(CMAKE_REQUIRED_FLAGS)
unset(CMAKE_REQUIRED_LINK_OPTIONS)

if(VELA_COMPILER_FUZZES)
  add_compile_options(${VELA_FUZZ_FLAGS})
  add_link_options(-fsanitize=address,undefined)
else()
  message(STATUS "The compiler does not support -fsanitize=fuzzer: no fuzzers are built")
endif()
