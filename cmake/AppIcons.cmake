# The application icon: one SVG, rendered at the build into the PNG sizes of
# the hicolor theme. The program carries some of them as resources (its
# window icon); the package installs all of them beside the SVG.
find_program(RSVG_CONVERT rsvg-convert REQUIRED)

set(QUILLMARK_ICON_SVG ${CMAKE_SOURCE_DIR}/packaging/${QUILLMARK_DESKTOP_ID}.svg)
set(QUILLMARK_ICON_SIZES 16 22 24 32 48 64 128 256 512)
# The window icon does not need the largest size; it only makes the program bigger.
set(QUILLMARK_WINDOW_ICON_SIZES 16 22 24 32 48 64 128 256)
set(QUILLMARK_ICON_DIR ${CMAKE_BINARY_DIR}/icons)

set(QUILLMARK_ICON_PNGS)
foreach(size ${QUILLMARK_ICON_SIZES})
  set(dir ${QUILLMARK_ICON_DIR}/hicolor/${size}x${size}/apps)
  set(png ${dir}/${QUILLMARK_DESKTOP_ID}.png)
  add_custom_command(OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${dir}
    COMMAND ${RSVG_CONVERT} --width=${size} --height=${size} --output=${png} ${QUILLMARK_ICON_SVG}
    DEPENDS ${QUILLMARK_ICON_SVG}
    COMMENT "Rendering the ${size}x${size} icon"
    VERBATIM)
  list(APPEND QUILLMARK_ICON_PNGS ${png})
endforeach()

set(QUILLMARK_WINDOW_ICON_PNGS)
foreach(size ${QUILLMARK_WINDOW_ICON_SIZES})
  list(APPEND QUILLMARK_WINDOW_ICON_PNGS
    ${QUILLMARK_ICON_DIR}/hicolor/${size}x${size}/apps/${QUILLMARK_DESKTOP_ID}.png)
endforeach()
add_custom_target(quillmark_icons ALL DEPENDS ${QUILLMARK_ICON_PNGS})
