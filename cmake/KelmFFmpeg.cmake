# FFmpeg as scripts/setup cross-built it into .cache/ffmpeg: kelm_ffmpeg
# gives its headers and import libraries, and its DLLs are copied beside
# the programs, where Windows finds them.
set(KELM_FFMPEG_DIR "${CMAKE_SOURCE_DIR}/.cache/ffmpeg" CACHE PATH "FFmpeg built for 32-bit Windows")
if(NOT EXISTS "${KELM_FFMPEG_DIR}/include/libavcodec/avcodec.h")
  message(FATAL_ERROR "FFmpeg is missing from ${KELM_FFMPEG_DIR}: run scripts/setup")
endif()

add_library(kelm_ffmpeg INTERFACE)
target_include_directories(kelm_ffmpeg SYSTEM INTERFACE "${KELM_FFMPEG_DIR}/include")
foreach(library avformat avcodec swscale swresample avutil)
  target_link_libraries(kelm_ffmpeg INTERFACE "${KELM_FFMPEG_DIR}/lib/lib${library}.dll.a")
endforeach()

file(GLOB kelm_ffmpeg_dlls "${KELM_FFMPEG_DIR}/bin/*.dll")
file(COPY ${kelm_ffmpeg_dlls} DESTINATION "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
