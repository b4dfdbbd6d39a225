# Flags shared by every target of the project.

# The DSP must compute the same doubles on every machine: no fused
# multiply-adds behind our back and never -ffast-math.
add_compile_options(-ffp-contract=off -fno-fast-math)
add_compile_options(-Wall -Wextra -Wpedantic -Wno-unused-parameter $<$<CXX_COMPILER_ID:GNU>:-Wshadow=local>)

if(TOLVANE3_WERROR)
  add_compile_options(-Werror)
endif()

if(TOLVANE3_SANITIZE AND TOLVANE3_TSAN)
  message(FATAL_ERROR "ThreadSanitizer cannot be combined with AddressSanitizer")
endif()

if(TOLVANE3_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

# Fuzzing instruments every library, not only the fuzz targets, so that an
# out-of-bounds read inside a reader is found.
if(TOLVANE3_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

if(TOLVANE3_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# Every test has a time limit, so a hang fails its test instead of holding
# the whole run until CI gives up. The default holds each test of ours with
# room to spare; a test program whose tests take longer names its own limit
# (TIMEOUT, seconds). AddressSanitizer and UBSan run the same tests several
# times slower (ThreadSanitizer the concurrency tests more still), and a
# busy machine slows them again, so their builds give every limit three
# times the room.
set(TOLVANE3_TEST_TIMEOUT_SCALE 1)
if(TOLVANE3_SANITIZE OR TOLVANE3_TSAN)
  set(TOLVANE3_TEST_TIMEOUT_SCALE 3)
endif()
math(EXPR TOLVANE3_TEST_TIMEOUT "180 * ${TOLVANE3_TEST_TIMEOUT_SCALE}")

# Adds a GoogleTest program from the given sources, linked to the given
# libraries, and registers its tests with CTest. LABELS concurrency marks a
# program whose tests are also run under ThreadSanitizer.
function(tolvane3_add_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} test_support)
  if(T_TIMEOUT)
    math(EXPR T_TIMEOUT "${T_TIMEOUT} * ${TOLVANE3_TEST_TIMEOUT_SCALE}")
  else()
    set(T_TIMEOUT ${TOLVANE3_TEST_TIMEOUT})
  endif()
  # One value only: a list here would be spread over the property pairs and
  # swallow the LABELS that follow. LC_ALL=C outranks every other locale
  # variable.
  set(props ENVIRONMENT "LC_ALL=C" TIMEOUT ${T_TIMEOUT})
  if(T_LABELS)
    list(APPEND props LABELS "${T_LABELS}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${props})
endfunction()
