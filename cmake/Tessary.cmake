# Project-wide compiler settings and the helpers every subsystem uses to declare tests,
# fuzz targets and benchmarks.

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
  set(CMAKE_C_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${CCACHE_PROGRAM})
endif()

add_compile_options(-Wall -Wextra)
# GCC 12 reports impossible overlaps inside std::string's own inlined copies at -O2 and above
# (a known false positive of its -Wrestrict); clang has no such warning to silence.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options(-Wno-restrict)
endif()
if(TESSARY_WERROR)
  add_compile_options(-Werror)
endif()

set(TESSARY_CLANG FALSE)
if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
  set(TESSARY_CLANG TRUE)
endif()

if(TESSARY_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()

# With libFuzzer every library carries coverage instrumentation, so fuzz targets explore the
# code they call, not just their own entry point.
set(TESSARY_LIBFUZZER FALSE)
if(TESSARY_FUZZ AND TESSARY_CLANG)
  set(TESSARY_LIBFUZZER TRUE)
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

# Shared libraries must not insist on resolving every symbol at link time under the
# sanitizers: their runtime lives in the executable.
set(TESSARY_NO_UNDEFINED_LINK_FLAG "")
if(NOT TESSARY_SANITIZE)
  set(TESSARY_NO_UNDEFINED_LINK_FLAG "-Wl,--no-undefined")
endif()

# tessary_test(<name> SOURCES ... [LIBS ...] [LABELS ...] [TIMEOUT seconds] [QT])
# A GoogleTest executable whose cases ctest runs one by one. QT gives it the shared main that
# starts a QApplication on the offscreen platform with a private settings folder.
function(tessary_test name)
  if(NOT TESSARY_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "QT" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  if(T_QT)
    target_link_libraries(${name} PRIVATE tessary_qt_test_main)
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  target_link_libraries(${name} PRIVATE GTest::gtest GTest::gmock ${T_LIBS})
  if(NOT T_LABELS)
    set(T_LABELS unit)
  endif()
  set(timeout "")
  if(T_TIMEOUT)
    set(timeout TIMEOUT ${T_TIMEOUT})
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS "${T_LABELS}" ${timeout}
               ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=1:abort_on_error=0;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/testing/lsan.supp;UBSAN_OPTIONS=print_stacktrace=1")
endfunction()

# tessary_fuzz(<name> SOURCES ... [LIBS ...] [RUNS n] [MAX_LEN n] [CORPUS dir])
# The sources define LLVMFuzzerTestOneInput. Under clang with TESSARY_FUZZ it is a libFuzzer
# binary; otherwise a small driver feeds it seeded random inputs. ctest runs RUNS inputs
# (default 20000), enough to catch regressions in seconds; longer runs are done by hand. The
# files in CORPUS are the seeds the run starts from; they are read, never written.
function(tessary_fuzz name)
  if(NOT TESSARY_TESTS)
    return()
  endif()
  cmake_parse_arguments(F "" "RUNS;MAX_LEN;CORPUS" "SOURCES;LIBS" ${ARGN})
  if(NOT F_RUNS)
    set(F_RUNS 20000)
  endif()
  if(NOT F_MAX_LEN)
    set(F_MAX_LEN 4096)
  endif()
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  if(TESSARY_LIBFUZZER)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  else()
    target_link_libraries(${name} PRIVATE tessary_fuzz_driver)
  endif()
  set(seeds "")
  if(F_CORPUS)
    file(GLOB seed_files CONFIGURE_DEPENDS ${F_CORPUS}/*)
    list(JOIN seed_files "," seed_list)
    set(seeds "-seed_inputs=${seed_list}")
  endif()
  add_test(NAME ${name}
           COMMAND ${name} -runs=${F_RUNS} -seed=1 -max_len=${F_MAX_LEN} ${seeds})
  set_tests_properties(${name} PROPERTIES LABELS "unit;fuzz"
    ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1;UBSAN_OPTIONS=print_stacktrace=1")
endfunction()

# tessary_bench(<name> SOURCES ... [LIBS ...])
# A Google Benchmark executable; scripts/bench builds them optimised and runs them.
function(tessary_bench name)
  if(NOT TESSARY_BENCH)
    return()
  endif()
  cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${B_SOURCES})
  target_link_libraries(${name} PRIVATE benchmark::benchmark benchmark::benchmark_main ${B_LIBS})
endfunction()
