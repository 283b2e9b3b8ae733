# Windows build: the two programs, the Win32 tests run under Wine, and the test tools.
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
# GoogleTest first: the Shift-JIS execution charset below must not reach it.
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# The win32 thread model has no std::mutex, which only GoogleTest's Notification needs.
set(KELVO_GTEST_OPTIONS -include ${CMAKE_SOURCE_DIR}/tests/gtest_notification_win.h -DGTEST_HAS_NOTIFICATION_=1)
target_compile_options(gtest PRIVATE ${KELVO_GTEST_OPTIONS})
add_compile_options(-fexec-charset=CP932 -Wall -Wextra -Werror)
# Function-local statics are used by the user-interface thread alone (the copy step's second
# thread only moves bytes), so none needs a lock around its first use.
add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-fno-threadsafe-statics>)
add_compile_options(-DWIN32_LEAN_AND_MEAN -DNOMINMAX -DWINVER=0x0501 -D_WIN32_WINNT=0x0501 -D_WIN32_IE=0x0600)
add_link_options(-static -static-libgcc -static-libstdc++ -Wl,--no-insert-timestamp)
# setup.exe goes onto every package's first disk: release builds optimise for size and put
# each function and datum in a section of its own, so that the programs' link drops what
# nothing calls, and the programs carry no symbols.
set(CMAKE_C_FLAGS_RELEASE "-Oz -DNDEBUG")
set(CMAKE_CXX_FLAGS_RELEASE "-Oz -DNDEBUG")
add_compile_options($<$<CONFIG:Release>:-ffunction-sections> $<$<CONFIG:Release>:-fdata-sections>)
# Exceptions are thrown by calls alone, never from a signal: unwind tables exact at calls suffice.
add_compile_options($<$<CONFIG:Release>:-fno-asynchronous-unwind-tables>)
set(KELVO_PROGRAM_LINK_OPTIONS $<$<CONFIG:Release>:-s> $<$<CONFIG:Release>:-Wl,--gc-sections>)



kelvo_sources(SETUP_WIN_SRC FALSE ${SETUP_DIRS})
kelvo_sources(MONITOR_WIN_SRC FALSE ${MONITOR_DIRS})

# Only DLLs that Windows always takes from the system folder are imported; the programs load
# the others (LZ32, VERSION, WININET, WINMM, WSOCK32) from there by full path (system_dll_win.h).
# tests/e2e/test_security.py holds the import tables to this.
set(SETUP_SYSTEM_LIBS shlwapi shell32 ole32 oleaut32 uuid comctl32 comdlg32 advapi32 gdi32 user32 msimg32)
set(MONITOR_SYSTEM_LIBS shell32 ole32 oleaut32 uuid comctl32 comdlg32 advapi32 gdi32 user32)

include(${CMAKE_SOURCE_DIR}/cmake/lzma.cmake)
add_library(setup_core STATIC ${SETUP_CORE_SRC} ${LZMA_DECODER_SRC})
target_include_directories(setup_core PUBLIC ${CMAKE_SOURCE_DIR}/src)
target_include_directories(setup_core PRIVATE ${LZMA_SDK_DIR})
add_library(setup_win STATIC ${SETUP_WIN_SRC} src/system_dll_win.cpp src/owned_win.cpp src/system_text_win.cpp src/system_windows_win.cpp
                src/system_files_win.cpp)
target_link_libraries(setup_win PUBLIC setup_core ${SETUP_SYSTEM_LIBS})
# Nothing asks a type's name or casts down at run time: the windows and views need no type
# information beyond what exceptions carry (about 2 KB of setup.exe).
foreach(target setup_core setup_win)
    target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-fno-rtti>)
endforeach()

add_executable(setup WIN32 src/setup_main_win.cpp src/program_runtime_win.cpp res/setup.rc)
target_include_directories(setup PRIVATE ${CMAKE_BINARY_DIR})  # version.h for the resource
target_link_libraries(setup PRIVATE setup_win)
target_compile_options(setup PRIVATE -fno-rtti)
target_link_options(setup PRIVATE ${KELVO_PROGRAM_LINK_OPTIONS})

# The package checker as a console program beside setup.exe.
add_library(check_core STATIC ${CHECK_CORE_SRC} ${LZMA_ENCODER_SRC})
target_link_libraries(check_core PUBLIC setup_core)
target_include_directories(check_core PRIVATE ${LZMA_SDK_DIR})
add_executable(setupcheck src/check/setupcheck_main.cpp)
target_link_libraries(setupcheck PRIVATE check_core)
target_link_options(setupcheck PRIVATE ${KELVO_PROGRAM_LINK_OPTIONS})

if(MONITOR_CORE_SRC)
    # Tovra keeps its settings with the engine's INI reader, the one piece of the engine it uses.
    add_library(monitor_core STATIC ${MONITOR_CORE_SRC} src/engine/ini_text.cpp)
    target_include_directories(monitor_core PUBLIC ${CMAKE_SOURCE_DIR}/src)
endif()
if(MONITOR_WIN_SRC)
    add_library(monitor_win STATIC ${MONITOR_WIN_SRC} src/system_dll_win.cpp src/owned_win.cpp src/system_text_win.cpp src/system_windows_win.cpp
                src/system_files_win.cpp src/engine/ini_file_win.cpp)
    target_link_libraries(monitor_win PUBLIC monitor_core ${MONITOR_SYSTEM_LIBS})
endif()
if(EXISTS ${CMAKE_SOURCE_DIR}/src/monitor/tovra_main_win.cpp)
    add_executable(Tovra WIN32 src/monitor/tovra_main_win.cpp src/program_runtime_win.cpp res/tovra.rc)
    target_link_libraries(Tovra PRIVATE monitor_win)
    target_link_options(Tovra PRIVATE ${KELVO_PROGRAM_LINK_OPTIONS})
    # The monitor plays its click sounds from beside the program.
    add_custom_command(TARGET Tovra POST_BUILD COMMAND ${CMAKE_COMMAND} -E copy_if_different
        ${CMAKE_SOURCE_DIR}/res/sounds/click001.wav ${CMAKE_SOURCE_DIR}/res/sounds/click003.wav
        $<TARGET_FILE_DIR:Tovra>)
endif()

# The portable unit tests again, now against the code page Windows reports.
file(GLOB UNIT_TEST_SRC CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/unit/*.cpp)
add_executable(unit_tests ${UNIT_TEST_SRC} tests/unit_main_win.cpp)
target_link_libraries(unit_tests PRIVATE check_core setup_win GTest::gtest)

file(GLOB WIN32_TEST_SRC CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tests/win32/*.cpp)
add_executable(win32_tests ${WIN32_TEST_SRC} tests/unit_main_win.cpp)
target_link_libraries(win32_tests PRIVATE check_core setup_win GTest::gtest)
target_compile_options(unit_tests PRIVATE ${KELVO_GTEST_OPTIONS})
target_compile_options(win32_tests PRIVATE ${KELVO_GTEST_OPTIONS})
if(MONITOR_CORE_SRC)
    target_link_libraries(unit_tests PRIVATE monitor_core)
endif()
if(MONITOR_WIN_SRC)
    target_link_libraries(win32_tests PRIVATE monitor_win wininet wsock32)
endif()

# Tools and fixtures: each folder under tools/win holds one small program.
file(GLOB TOOL_DIRS LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/tools/win/*)
foreach(dir IN LISTS TOOL_DIRS)
    if(IS_DIRECTORY ${dir})
        add_subdirectory(${dir})
    endif()
endforeach()
