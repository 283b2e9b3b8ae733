# Native build: the portable core with sanitizers and its unit tests.
# GoogleTest first: the Shift-JIS execution charset below must not reach it.
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
add_compile_options(-fexec-charset=CP932 -Wall -Wextra)
# Warnings fail the test build; the optimised release build keeps GCC 12's false -Wrestrict
# alarms inside std::string at -O3 as warnings.
add_compile_options($<$<CONFIG:Debug>:-Werror>)
option(KELVO_SANITIZE "Address and undefined-behaviour sanitizers (off for the released checker)" ON)
if(KELVO_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
endif()


# The LZMA SDK's decoder reads a packed program's payload; its encoder packs one.
include(${CMAKE_SOURCE_DIR}/cmake/lzma.cmake)

add_library(setup_core STATIC ${SETUP_CORE_SRC} ${LZMA_DECODER_SRC})
target_include_directories(setup_core PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_include_directories(setup_core PRIVATE ${LZMA_SDK_DIR})
set(CORE_LIBS setup_core)
if(MONITOR_CORE_SRC)
    add_library(monitor_core STATIC ${MONITOR_CORE_SRC})
    target_include_directories(monitor_core PUBLIC ${CMAKE_SOURCE_DIR}/src)
    list(APPEND CORE_LIBS monitor_core)
endif()

add_library(check_core STATIC ${CHECK_CORE_SRC} ${LZMA_ENCODER_SRC})
target_link_libraries(check_core PUBLIC setup_core)
target_include_directories(check_core PRIVATE ${LZMA_SDK_DIR})
# Linux tools name files in UTF-8: the native checker finds a package file by either name.
target_compile_definitions(check_core PRIVATE KELVO_UTF8_NAMES)
list(APPEND CORE_LIBS check_core)
add_executable(setupcheck src/check/setupcheck_main.cpp)
target_link_libraries(setupcheck PRIVATE check_core)
# On the build machine the findings follow the terminal's locale.
target_compile_definitions(setupcheck PRIVATE KELVO_ENCODING_FROM_LOCALE)
if(NOT KELVO_SANITIZE)
    # The shipped checker: stripped, and needing nothing of the machine beyond its C library.
    target_link_options(setupcheck PRIVATE -s -static-libstdc++ -static-libgcc)
endif()

file(GLOB UNIT_TEST_SRC CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${UNIT_TEST_SRC} tests/unit_main_native.cpp)
target_link_libraries(unit_tests PRIVATE ${CORE_LIBS} GTest::gtest)
add_test(NAME unit_tests COMMAND unit_tests)

file(GLOB BENCH_SRC CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/bench/*_bench.cpp)
foreach(b IN LISTS BENCH_SRC)
    get_filename_component(name ${b} NAME_WE)
    add_executable(${name} ${b})
    target_link_libraries(${name} PRIVATE ${CORE_LIBS})
endforeach()

# Every fuzz target, replaying its corpus (tests/fuzz/corpus/NAME/) without fuzzing.
include(${CMAKE_SOURCE_DIR}/cmake/fuzz.cmake)
