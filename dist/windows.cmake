# The resources of vorplane.exe: the icon rendered from dist/vorplane.svg at build time, a
# manifest that declares the program DPI-aware, and the version that Explorer shows.
# Included by the top-level CMakeLists.txt for Windows only; needs rsvg-convert and icotool.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_program(ICOTOOL icotool REQUIRED)

set(dist ${PROJECT_SOURCE_DIR}/dist)
set(VORPLANE_VERSION_PATCH 0${PROJECT_VERSION_PATCH})
math(EXPR VORPLANE_VERSION_PATCH ${VORPLANE_VERSION_PATCH})
configure_file(${dist}/vorplane.rc.in vorplane.rc @ONLY)
configure_file(${dist}/vorplane.manifest.in vorplane.manifest @ONLY)

# One image per size Windows asks for, 16 to 256 pixels; the 256-pixel one stays PNG inside
# the .ico, as Windows expects at that size.
set(render)
set(images)
foreach(size 16 20 24 32 40 48 64 128)
  list(APPEND render COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o icon-${size}.png ${dist}/vorplane.svg)
  list(APPEND images icon-${size}.png)
endforeach()
add_custom_command(OUTPUT vorplane.ico ${render}
  COMMAND ${RSVG_CONVERT} -w 256 -h 256 -o icon-256.png ${dist}/vorplane.svg
  COMMAND ${ICOTOOL} -c -o vorplane.ico ${images} --raw=icon-256.png
  DEPENDS ${dist}/vorplane.svg VERBATIM)

# windres is run directly: the compile options of the C++ sources are not for it.
add_custom_command(OUTPUT vorplane-resources.o
  COMMAND ${CMAKE_RC_COMPILER} -O coff -i vorplane.rc -o vorplane-resources.o
  DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/vorplane.rc ${CMAKE_CURRENT_BINARY_DIR}/vorplane.manifest
          vorplane.ico VERBATIM)
target_sources(vorplane PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/vorplane-resources.o)

# No link time in the PE header, so that the same sources give the same exe; no symbols
# or debugging sections either, which Windows users have no use for.
target_link_options(vorplane PRIVATE -Wl,--no-insert-timestamp -s)
