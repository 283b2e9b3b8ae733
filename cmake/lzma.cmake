# The LZMA SDK's C sources as Debian's lzma-dev ships them (public domain): the decoder goes
# into setup.exe, the encoder into the checker. Single-threaded, so that packing the same
# folder gives the same bytes; their own code keeps its own warnings out of our -Werror.
# The sources are the build machine's, also for the Windows build (no find root for them).
find_path(LZMA_SDK_DIR LzmaDec.c PATHS /usr/include/lzma NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
if(NOT LZMA_SDK_DIR OR NOT EXISTS ${LZMA_SDK_DIR}/LzmaEnc.c OR NOT EXISTS ${LZMA_SDK_DIR}/LzFind.c)
    message(FATAL_ERROR "LzmaDec.c, LzmaEnc.c and LzFind.c not found in /usr/include/lzma: "
                        "install Debian's lzma-dev (tools/install-deps.sh)")
endif()
set(LZMA_DECODER_SRC ${LZMA_SDK_DIR}/LzmaDec.c)
set(LZMA_ENCODER_SRC ${LZMA_SDK_DIR}/LzmaEnc.c ${LZMA_SDK_DIR}/LzFind.c)
set_source_files_properties(${LZMA_DECODER_SRC} ${LZMA_ENCODER_SRC} PROPERTIES COMPILE_OPTIONS "-w"
                            COMPILE_DEFINITIONS _7ZIP_ST)
# The decoder's loops rolled up: smaller in setup.exe, a little slower per byte.
set_property(SOURCE ${LZMA_DECODER_SRC} APPEND PROPERTY COMPILE_DEFINITIONS _LZMA_SIZE_OPT)
