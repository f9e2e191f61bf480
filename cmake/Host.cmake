# Native build: the fakes, the unit tests, the Os contract tests against the
# fake, and the fuzz targets.
find_package(GTest REQUIRED)
include(GoogleTest)

add_executable(setup-check src/check/host/main.cpp)
target_link_libraries(setup-check PRIVATE setup_check)
target_compile_options(setup-check PRIVATE ${SETUP_WARNINGS})
add_test(NAME setup_check_samples
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/check/run.sh $<TARGET_FILE:setup-check>)

file(GLOB SETUP_FAKE_SOURCES CONFIGURE_DEPENDS tests/fakes/*.cpp)
add_library(setup_fakes STATIC ${SETUP_FAKE_SOURCES})
target_include_directories(setup_fakes PUBLIC tests src)
target_link_libraries(setup_fakes PUBLIC setup_sim)
target_compile_options(setup_fakes PRIVATE ${SETUP_WARNINGS})

file(GLOB SETUP_UNIT_SOURCES CONFIGURE_DEPENDS tests/unit/*.cpp)
add_executable(unit_tests ${SETUP_UNIT_SOURCES})
target_link_libraries(unit_tests PRIVATE setup_check setup_fakes GTest::gtest GTest::gtest_main)
target_compile_options(unit_tests PRIVATE ${SETUP_WARNINGS})
gtest_discover_tests(unit_tests DISCOVERY_MODE PRE_TEST)

file(GLOB SETUP_CONTRACT_HOST_SOURCES CONFIGURE_DEPENDS tests/contract/*.cpp tests/contract/host/*.cpp)
if(SETUP_CONTRACT_HOST_SOURCES)
  add_executable(contract_fake_tests ${SETUP_CONTRACT_HOST_SOURCES})
  target_include_directories(contract_fake_tests PRIVATE tests/contract)
  target_link_libraries(contract_fake_tests PRIVATE setup_fakes GTest::gtest GTest::gtest_main)
  target_compile_options(contract_fake_tests PRIVATE ${SETUP_WARNINGS})
  gtest_discover_tests(contract_fake_tests DISCOVERY_MODE PRE_TEST)
endif()

if(SETUP_FUZZ)
  # The code under test carries the coverage counters libFuzzer steers by; the
  # runtime itself is linked only into the fuzz targets.
  target_compile_options(setup_core PRIVATE -fsanitize=fuzzer-no-link)
  target_compile_options(setup_fakes PRIVATE -fsanitize=fuzzer-no-link)
  target_compile_options(setup_sim PRIVATE -fsanitize=fuzzer-no-link)
  file(GLOB SETUP_FUZZ_SOURCES CONFIGURE_DEPENDS tests/fuzz/*.cpp)
  foreach(src ${SETUP_FUZZ_SOURCES})
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${src})
    target_link_libraries(${name} PRIVATE setup_fakes)
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer ${SETUP_WARNINGS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    # A short run from the checked-in seed corpus: long enough to catch a
    # regression in the parsers, short enough for every test run. It fails
    # when the coverage it reaches drops below the target's floor
    # (tests/fuzz/coverage-floors.txt). New inputs go to the scratch folder;
    # the seeds stay as checked in.
    set(scratch ${CMAKE_BINARY_DIR}/fuzz-corpus/${name})
    file(MAKE_DIRECTORY ${scratch})
    add_test(NAME ${name}
      COMMAND bash ${CMAKE_SOURCE_DIR}/tests/fuzz/run.sh $<TARGET_FILE:${name}>
              ${scratch} ${CMAKE_SOURCE_DIR}/tests/fuzz/corpus/${name}
              -max_total_time=20 -max_len=4096 -timeout=10)
  endforeach()
endif()
