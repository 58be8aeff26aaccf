# The icon at the sizes desktops look for, rendered from dist/vorplane.svg at build time:
# PNG files for the package's hicolor theme, and the header that gives the X11 window its
# _NET_WM_ICON (build/icone_argb.h). Included by the top-level CMakeLists.txt on X11;
# needs rsvg-convert and python3.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(VORPLANE_ICON_SIZES 16 24 32 48 64 128 256)
set(VORPLANE_WINDOW_ICON_SIZES 16 24 32 48 64 128)
set(render)
set(pngs)
foreach(size ${VORPLANE_ICON_SIZES})
  list(APPEND render COMMAND ${RSVG_CONVERT} -w ${size} -h ${size} -o icons/${size}/vorplane.png
       ${PROJECT_SOURCE_DIR}/dist/vorplane.svg)
  list(APPEND pngs ${CMAKE_CURRENT_BINARY_DIR}/icons/${size}/vorplane.png)
endforeach()
set(window_pngs)
foreach(size ${VORPLANE_WINDOW_ICON_SIZES})
  list(APPEND window_pngs icons/${size}/vorplane.png)
endforeach()
foreach(size ${VORPLANE_ICON_SIZES})
  file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/icons/${size})
endforeach()
add_custom_command(OUTPUT ${pngs} icone_argb.h ${render}
  COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/dist/icone.py icone_argb.h ${window_pngs}
  DEPENDS ${PROJECT_SOURCE_DIR}/dist/vorplane.svg ${PROJECT_SOURCE_DIR}/dist/icone.py VERBATIM)
add_custom_target(vorplane_icons DEPENDS ${pngs} icone_argb.h)
