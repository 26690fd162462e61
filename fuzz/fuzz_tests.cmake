# Builds the fuzz harnesses with clang (a project of their own, in fuzz/ of the build
# folder) and runs each for 30 seconds as a test, so a reader that breaks is caught on
# every change. Included by tests/CMakeLists.txt when MAVREN_FUZZ is on.
include(ExternalProject)
include(${CMAKE_SOURCE_DIR}/fuzz/harnesses.cmake)
find_program(MAVREN_CLANG clang REQUIRED)
find_program(MAVREN_CLANGXX clang++ REQUIRED)
set(MAVREN_FUZZ_BUILD ${CMAKE_BINARY_DIR}/fuzz)
ExternalProject_Add(mavren_fuzzers
    SOURCE_DIR ${CMAKE_SOURCE_DIR}/fuzz
    BINARY_DIR ${MAVREN_FUZZ_BUILD}
    CMAKE_ARGS -DCMAKE_C_COMPILER=${MAVREN_CLANG} -DCMAKE_CXX_COMPILER=${MAVREN_CLANGXX}
               -DCMAKE_BUILD_TYPE=RelWithDebInfo
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON)
foreach(harness ${MAVREN_FUZZ_HARNESSES})
    add_test(NAME fuzz.${harness}
             COMMAND sh ${CMAKE_SOURCE_DIR}/fuzz/run.sh ${MAVREN_FUZZ_BUILD} 30 ${harness})
    set_tests_properties(fuzz.${harness} PROPERTIES TIMEOUT 300 LABELS fuzz)
endforeach()
