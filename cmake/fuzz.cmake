# The fuzz targets of tests/fuzz/, each a file NAME_fuzz.cpp with LLVMFuzzerTestOneInput
# and a corpus folder tests/fuzz/corpus/NAME/. Built two ways:
# - KELVO_FUZZ (preset "fuzz", clang): one libFuzzer program per target, build/fuzz/NAME_fuzz;
# - the native build: fuzz_replay, every target linked to a main that feeds it its corpus.
file(GLOB FUZZ_SRC CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/fuzz/*_fuzz.cpp)

if(NOT KELVO_FUZZ)
    set(decls "")
    set(entries "")
    foreach(src IN LISTS FUZZ_SRC)
        get_filename_component(file ${src} NAME_WE)
        string(REGEX REPLACE "_fuzz$" "" name ${file})
        set_source_files_properties(${src} PROPERTIES COMPILE_DEFINITIONS "LLVMFuzzerTestOneInput=${name}_TestOneInput")
        string(APPEND decls "extern \"C\" int ${name}_TestOneInput(const uint8_t*, size_t);\n")
        string(APPEND entries "    {\"${name}\", ${name}_TestOneInput},\n")
    endforeach()
    file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/fuzz/fuzz_targets.inc
         CONTENT "${decls}const FuzzTarget kFuzzTargets[] = {\n${entries}};\n")
    add_executable(fuzz_replay ${FUZZ_SRC} ${CMAKE_SOURCE_DIR}/tests/fuzz/replay_main.cpp)
    target_include_directories(fuzz_replay PRIVATE ${CMAKE_BINARY_DIR}/fuzz ${CMAKE_SOURCE_DIR}/tests/unit)
    target_link_libraries(fuzz_replay PRIVATE ${CORE_LIBS})
    return()
endif()

# clang cannot compile to Shift-JIS, so it compiles copies whose non-ASCII literals are
# octal escapes of their code page 932 bytes: the same bytes the g++ builds run with.
set(CP ${CMAKE_BINARY_DIR}/cp932)
file(GLOB_RECURSE FUZZ_INPUTS CONFIGURE_DEPENDS
     ${CMAKE_SOURCE_DIR}/src/*.h ${CMAKE_SOURCE_DIR}/tests/fuzz/*.h ${CMAKE_SOURCE_DIR}/tests/unit/*.h)
list(APPEND FUZZ_INPUTS ${SETUP_CORE_SRC} ${MONITOR_CORE_SRC} ${FUZZ_SRC})
set(CORE_COPIES "")
set(HEADER_COPIES "")
foreach(in IN LISTS FUZZ_INPUTS)
    file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${in})
    get_filename_component(dir ${CP}/${rel} DIRECTORY)
    file(MAKE_DIRECTORY ${dir})
    add_custom_command(OUTPUT ${CP}/${rel}
                       COMMAND python3 ${CMAKE_SOURCE_DIR}/tools/sjis_literals.py ${in} ${CP}/${rel}
                       DEPENDS ${in} ${CMAKE_SOURCE_DIR}/tools/sjis_literals.py VERBATIM)
    if(rel MATCHES "\\.h$")
        list(APPEND HEADER_COPIES ${CP}/${rel})
    elseif(rel MATCHES "^src/")
        list(APPEND CORE_COPIES ${CP}/${rel})
    endif()
endforeach()
add_custom_target(fuzz_headers DEPENDS ${HEADER_COPIES})

set(FUZZ_FLAGS -g -O1 -fno-omit-frame-pointer -fsanitize=address,undefined -fno-sanitize-recover=undefined)
include(${CMAKE_SOURCE_DIR}/cmake/lzma.cmake)
add_library(fuzz_core STATIC ${CORE_COPIES} ${LZMA_DECODER_SRC})
add_dependencies(fuzz_core fuzz_headers)
target_include_directories(fuzz_core PUBLIC ${CP}/src)
target_include_directories(fuzz_core PRIVATE ${LZMA_SDK_DIR})
target_compile_options(fuzz_core PRIVATE ${FUZZ_FLAGS} -fsanitize=fuzzer-no-link)

add_custom_target(fuzzers)
foreach(src IN LISTS FUZZ_SRC)
    get_filename_component(name ${src} NAME_WE)
    add_executable(${name} ${CP}/tests/fuzz/${name}.cpp)
    add_dependencies(${name} fuzz_headers)
    target_include_directories(${name} PRIVATE ${CP}/tests/fuzz ${CP}/tests/unit)
    target_compile_options(${name} PRIVATE ${FUZZ_FLAGS} -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer,address,undefined)
    target_link_libraries(${name} PRIVATE fuzz_core)
    add_dependencies(fuzzers ${name})
endforeach()
