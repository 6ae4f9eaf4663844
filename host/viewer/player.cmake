# The player of recordings in kelm-viewer, and Media > Recordings.  It decodes with FFmpeg's DLLs,
# delay-loaded: the viewer starts without them, and in the package, where
# it lies in tools\ below them, it loads them from there before the first
# call (ffmpeg_dlls.cpp).  Each delay-load library is made from FFmpeg's
# own list of a DLL's exports.
target_sources(kelm-viewer PRIVATE player_window.cpp playback.cpp media_file.cpp picture_painter.cpp
               ffmpeg_dlls.cpp recordings.cpp recordings_dialog.cpp
               # Scaling and copying a picture, as the streaming library paints one.
               ${CMAKE_SOURCE_DIR}/streaming/bgra_picture.cpp)
target_include_directories(kelm-viewer PRIVATE ${CMAKE_SOURCE_DIR}/streaming)
set(player_delay_libraries)
set(player_dll_names)
foreach(library avformat avcodec swscale avutil)
  file(GLOB exports "${KELM_FFMPEG_DIR}/lib/${library}-*.def")
  get_filename_component(dll "${exports}" NAME_WE)
  set(delay_library "${CMAKE_CURRENT_BINARY_DIR}/lib${library}.delay.a")
  add_custom_command(OUTPUT "${delay_library}"
    COMMAND "${KELM_DLLTOOL}" --input-def "${exports}" --dllname "${dll}.dll" --output-delaylib "${delay_library}"
    DEPENDS "${exports}"
    VERBATIM)
  list(APPEND player_delay_libraries "${delay_library}")
  string(APPEND player_dll_names "L\"${dll}.dll\",")
endforeach()
add_custom_target(kelm_player_delay_libraries DEPENDS ${player_delay_libraries})
add_dependencies(kelm-viewer kelm_player_delay_libraries)
target_link_libraries(kelm-viewer PRIVATE ${player_delay_libraries} delayimp)
target_include_directories(kelm-viewer SYSTEM PRIVATE "${KELM_FFMPEG_DIR}/include")
target_compile_definitions(kelm-viewer PRIVATE "KELM_PLAYER_DLLS=${player_dll_names}")
