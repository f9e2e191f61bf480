# Windows build (MinGW-w64): Setup.exe and the Windows-side tests, which ctest
# runs through Wine (CMAKE_CROSSCOMPILING_EMULATOR of the toolchain file).
# The system DLLs the Win32 layer calls. The test and benchmark programs link
# them directly; Setup.exe delay-loads them (below).
set(SETUP_WIN32_LIBS comctl32 shell32 shlwapi ole32 oleaut32 uuid gdi32 user32 kernel32)
add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601)
add_link_options(-static -static-libgcc -static-libstdc++)

file(GLOB_RECURSE SETUP_WIN32_SOURCES CONFIGURE_DEPENDS src/win32/os/*.cpp src/win32/ui/*.cpp)
list(FILTER SETUP_WIN32_SOURCES EXCLUDE REGEX "/WinMain\\.cpp$")
add_library(setup_win32 STATIC ${SETUP_WIN32_SOURCES})
target_include_directories(setup_win32 PUBLIC src)
target_link_libraries(setup_win32 PUBLIC setup_core)
target_compile_options(setup_win32 PRIVATE ${SETUP_WARNINGS})

enable_language(RC)
add_executable(Setup WIN32 src/app/win32/WinMain.cpp res/Setup.rc)
set_target_properties(Setup PROPERTIES OUTPUT_NAME Setup)
# Setup.exe may be started from a Downloads folder that holds a DLL named
# like one of the system's. It imports directly only kernel32 and the C
# runtime; every other DLL is delay-loaded, so that it is loaded at its first
# call, after the start-up has limited the search to the system folder (a
# DLL's own imports are resolved by the search order in force when it loads).
# The delay-load libraries are made from MinGW-w64's import libraries.
find_program(SETUP_DLLTOOL NAMES ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-dlltool REQUIRED)
find_program(SETUP_NM NAMES ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-nm REQUIRED)
set(SETUP_DELAY_LIBS)
foreach(dll advapi32 comctl32 gdi32 ole32 shell32 user32)
  set(delay_lib ${CMAKE_BINARY_DIR}/delay/lib${dll}.a)
  add_custom_command(OUTPUT ${delay_lib}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/delay
    COMMAND bash ${CMAKE_SOURCE_DIR}/cmake/delay-import.sh ${SETUP_DLLTOOL} ${SETUP_NM}
            ${CMAKE_FIND_ROOT_PATH}/lib/lib${dll}.a ${dll}.dll ${delay_lib}
    DEPENDS ${CMAKE_SOURCE_DIR}/cmake/delay-import.sh)
  list(APPEND SETUP_DELAY_LIBS ${delay_lib})
endforeach()
add_custom_target(delay_imports DEPENDS ${SETUP_DELAY_LIBS})
add_dependencies(Setup delay_imports)
target_link_libraries(Setup PRIVATE setup_win32 ${SETUP_DELAY_LIBS} uuid delayimp)
target_compile_options(Setup PRIVATE ${SETUP_WARNINGS} -municode)
target_link_options(Setup PRIVATE -municode -mwindows)

# The author's checker as a Windows console program.
add_executable(SetupCheck src/check/win32/main.cpp)
target_link_libraries(SetupCheck PRIVATE setup_check user32 kernel32)
target_compile_options(SetupCheck PRIVATE ${SETUP_WARNINGS} -municode)
target_link_options(SetupCheck PRIVATE -municode)
if(NOT SETUP_NO_TESTS)
  add_test(NAME setup_check_samples
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/check/run.sh ${CMAKE_CROSSCOMPILING_EMULATOR}
            $<TARGET_FILE:SetupCheck>)
endif()

if(NOT SETUP_NO_TESTS)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

  # The same contract suite the fake passes, now against the real Os.
  file(GLOB SETUP_CONTRACT_WIN_SOURCES CONFIGURE_DEPENDS tests/contract/*.cpp tests/contract/win32/*.cpp)
  if(SETUP_CONTRACT_WIN_SOURCES)
    add_executable(contract_win32_tests ${SETUP_CONTRACT_WIN_SOURCES})
    target_include_directories(contract_win32_tests PRIVATE tests tests/contract)
    target_link_libraries(contract_win32_tests PRIVATE setup_win32 ${SETUP_WIN32_LIBS} gtest gtest_main)
    target_compile_options(contract_win32_tests PRIVATE ${SETUP_WARNINGS})
    add_test(NAME contract_win32_tests COMMAND contract_win32_tests)
  endif()

  # Windows-side tests of the program's own logic on the real Os.
  file(GLOB SETUP_WIN_TEST_SOURCES CONFIGURE_DEPENDS tests/win32/*.cpp)
  if(SETUP_WIN_TEST_SOURCES)
    # The dialog templates are linked in so window tests need no Setup.exe.
    add_executable(win32_tests ${SETUP_WIN_TEST_SOURCES} res/Setup.rc)
    target_include_directories(win32_tests PRIVATE tests)
    target_link_libraries(win32_tests PRIVATE setup_win32 ${SETUP_WIN32_LIBS} gtest gtest_main)
    target_compile_options(win32_tests PRIVATE ${SETUP_WARNINGS})
    add_test(NAME win32_tests COMMAND win32_tests)
    # The window tests that measure the display's scale, at 100, 150 and 200 %.
    add_test(NAME win32_scale COMMAND bash ${CMAKE_SOURCE_DIR}/tests/win32/scale.sh ${CMAKE_BINARY_DIR})
  endif()
endif()

# ---- End-to-end tests: the real Setup.exe under Wine and Xvfb ----------------
# e2e_driver drives Setup.exe's windows from a scenario; e2e_game stands in for
# the installed game (staged as Game.exe). tests/e2e/run.sh makes a fresh prefix
# and X server per scenario, so it needs nothing from ctest's environment.
if(NOT SETUP_NO_TESTS)
  add_executable(e2e_driver
    tests/e2e/driver/main.cpp tests/e2e/driver/Driver.cpp tests/e2e/driver/Remote.cpp
    tests/e2e/driver/Script.cpp)
  target_compile_options(e2e_driver PRIVATE ${SETUP_WARNINGS} -municode)
  target_link_options(e2e_driver PRIVATE -municode)
  target_link_libraries(e2e_driver PRIVATE comctl32 gdi32 user32 advapi32 ole32 uuid)

  add_executable(e2e_game WIN32 tests/e2e/game/Game.cpp)
  target_compile_options(e2e_game PRIVATE ${SETUP_WARNINGS} -municode)
  target_link_options(e2e_game PRIVATE -municode -mwindows)

  # Planted beside Setup.exe under the names of system DLLs; records any load.
  add_library(e2e_planted SHARED tests/e2e/planted/Planted.cpp)
  set_target_properties(e2e_planted PROPERTIES PREFIX "")
  target_link_options(e2e_planted PRIVATE -static-libstdc++ -static-libgcc)
  target_compile_options(e2e_planted PRIVATE ${SETUP_WARNINGS})

  add_test(NAME e2e_launcher
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/run.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(e2e_launcher PROPERTIES TIMEOUT 900)
  # scripts/try-medium.sh, as an author runs it, under its own Xvfb.
  add_test(NAME try_medium COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/try.sh ${CMAKE_BINARY_DIR})
  set_tests_properties(try_medium PROPERTIES TIMEOUT 900)
endif()

# ---- Benchmarks: not tests; bench/run.sh builds the trees and runs them ------
add_executable(bench_engine bench/bench_engine.cpp)
target_link_libraries(bench_engine PRIVATE setup_win32 ${SETUP_WIN32_LIBS} psapi)
target_compile_options(bench_engine PRIVATE ${SETUP_WARNINGS} -municode)
target_link_options(bench_engine PRIVATE -municode)
add_executable(bench_startup bench/bench_startup.cpp)
target_compile_options(bench_startup PRIVATE ${SETUP_WARNINGS} -municode)
target_link_options(bench_startup PRIVATE -municode)
add_executable(bench_dialog WIN32 bench/bench_dialog.cpp bench/bench_dialog.rc)
target_compile_options(bench_dialog PRIVATE ${SETUP_WARNINGS} -municode)
target_link_options(bench_dialog PRIVATE -municode)
