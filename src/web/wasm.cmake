# The WebAssembly targets, included by the top-level CMakeLists.txt under emcmake.
#
# led2vqn.js: the command line for Node (build-wasm/led2vqn.js, executable,
# with a "#!/usr/bin/env node" line), on the host's files.
# led2vqn_web.js: the window model for the page's worker (src/web), one
# module with the WebAssembly inside, on an in-memory file system.

# The header-only libraries from Debian (CLI11's CLI/, stb/): a folder
# holding only those (adding /usr/include itself hides the toolchain's own C
# library headers).
set(LED2VQN_HOST_INCLUDE "" CACHE PATH "a folder holding CLI/ and stb/ of the host")
if(LED2VQN_HOST_INCLUDE)
  target_include_directories(led2vqn_engine PUBLIC ${LED2VQN_HOST_INCLUDE})
endif()
set_target_properties(led2vqn PROPERTIES SUFFIX ".js")
target_link_options(led2vqn PRIVATE -sNODERAWFS=1 -sENVIRONMENT=node -sWASM_ASYNC_COMPILATION=0
                    -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1 -sASSERTIONS=0)
add_custom_command(TARGET led2vqn POST_BUILD
  COMMAND ${CMAKE_COMMAND} -DSCRIPT=$<TARGET_FILE:led2vqn> -P ${CMAKE_SOURCE_DIR}/src/web/node_script.cmake
  VERBATIM)

file(GLOB WEB_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/src/web/*.cpp)
add_executable(led2vqn_web ${WEB_SOURCES})
target_link_libraries(led2vqn_web PRIVATE led2vqn_engine)
set_target_properties(led2vqn_web PROPERTIES SUFFIX ".js" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_link_options(led2vqn_web PRIVATE --bind -sMODULARIZE=1 -sEXPORT_NAME=createEngine
                    -sENVIRONMENT=web,worker -sALLOW_MEMORY_GROWTH=1 -sMAXIMUM_MEMORY=4GB
                    -sFORCE_FILESYSTEM=1 -sDYNAMIC_EXECUTION=0 -sSINGLE_FILE=1
                    -sEXPORTED_RUNTIME_METHODS=FS -sASSERTIONS=0)

# A check of the file layer past 4 GiB under Node (tests/web/large_offsets_test.js).
add_executable(led2vqn_large_offsets ${CMAKE_SOURCE_DIR}/tests/web/large_offsets.cpp)
target_link_libraries(led2vqn_large_offsets PRIVATE led2vqn_engine)
set_target_properties(led2vqn_large_offsets PROPERTIES SUFFIX ".js" RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})
target_link_options(led2vqn_large_offsets PRIVATE -sNODERAWFS=1 -sENVIRONMENT=node -sWASM_ASYNC_COMPILATION=0
                    -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1)
