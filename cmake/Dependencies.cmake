# Every third-party library comes from Debian packages (Tools/setup.sh installs them).
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)
find_package(ZLIB REQUIRED)
find_package(PNG REQUIRED)
find_package(Freetype REQUIRED)
find_package(nlohmann_json 3.11 REQUIRED)
find_package(GTest REQUIRED)
find_package(benchmark REQUIRED)

pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(EPOXY REQUIRED IMPORTED_TARGET epoxy)
pkg_check_modules(FFMPEG REQUIRED IMPORTED_TARGET libavformat libavcodec libavutil libswscale libswresample)
pkg_check_modules(ASSIMP IMPORTED_TARGET assimp)
pkg_check_modules(LIBDEFLATE REQUIRED IMPORTED_TARGET libdeflate)

# Debian ships Dear ImGui as a static library whose headers live in /usr/include/imgui.
find_library(IMGUI_LIBRARY NAMES imgui REQUIRED)
find_path(IMGUI_INCLUDE_DIR NAMES imgui.h PATHS /usr/include/imgui REQUIRED)
add_library(Vela::ImGui STATIC IMPORTED GLOBAL)
set_target_properties(Vela::ImGui PROPERTIES
  IMPORTED_LOCATION ${IMGUI_LIBRARY}
  INTERFACE_INCLUDE_DIRECTORIES ${IMGUI_INCLUDE_DIR}
  INTERFACE_SYSTEM_INCLUDE_DIRECTORIES ${IMGUI_INCLUDE_DIR})
# Its font atlas calls stb_truetype and stb_rect_pack, which Debian builds into libstb.
find_library(STB_LIBRARY NAMES stb REQUIRED)
set_property(TARGET Vela::ImGui APPEND PROPERTY INTERFACE_LINK_LIBRARIES ${STB_LIBRARY})

find_program(GLSLANG_VALIDATOR glslangValidator REQUIRED)
