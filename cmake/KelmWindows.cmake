# Compiler and linker settings shared by every Windows target.

# Windows 7 API level; Unicode everywhere inside the product.
add_compile_definitions(_WIN32_WINNT=0x0601 WINVER=0x0601 UNICODE _UNICODE
                        WIN32_LEAN_AND_MEAN NOMINMAX)
add_compile_options(-Wall -Wextra -Wno-unused-parameter)
# Source paths the trace lines carry are relative to the repository, so a
# shipped module holds no folder of the machine that built it.
add_compile_options("-fmacro-prefix-map=${CMAKE_SOURCE_DIR}/=")

# The compiler's runtime goes into each module, so kelm.dll depends on system
# DLLs (and hikclient.dll) only.
add_link_options(-static-libgcc -static-libstdc++ -static)

# Programs and DLLs side by side, so every program finds hikclient.dll and
# kelm.dll next to it.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/bin")

# Boost is used header-only; expose only boost/ to the cross compiler, never
# the whole of /usr/include.
set(KELM_BOOST_INCLUDE "${CMAKE_BINARY_DIR}/boost-include")
if(NOT EXISTS "${KELM_BOOST_INCLUDE}/boost")
  file(MAKE_DIRECTORY "${KELM_BOOST_INCLUDE}")
  file(CREATE_LINK /usr/include/boost "${KELM_BOOST_INCLUDE}/boost" SYMBOLIC)
endif()
add_library(kelm_boost INTERFACE)
target_include_directories(kelm_boost SYSTEM INTERFACE "${KELM_BOOST_INCLUDE}")
target_compile_definitions(kelm_boost INTERFACE BOOST_ALL_NO_LIB BOOST_USE_WINDOWS_H)

# State of the Wine session (prefix, display) shared by tests and the demo.
set(KELM_WINE_STATE "${CMAKE_BINARY_DIR}/wine")
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_SOURCE_DIR}/scripts/wine-run;${KELM_WINE_STATE}")
