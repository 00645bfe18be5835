# The program's icon, drawn once as packaging/icons/kelvandor.svg and
# rendered at build time to the PNG sizes of the hicolor icon theme with
# rsvg-convert (Debian's librsvg2-bin). The window embeds the PNGs; an
# installation puts them into the icon theme.
set(KELVANDOR_ICON_SVG ${PROJECT_SOURCE_DIR}/packaging/icons/kelvandor.svg)
set(KELVANDOR_ICON_SIZES 16 22 24 32 48 64 128 256)
set(KELVANDOR_ICON_DIR ${PROJECT_BINARY_DIR}/icons)

# kelvandor_render_icons(OUT_VAR): the rules, in the calling folder, that
# make ${KELVANDOR_ICON_DIR}/SIZE.png for every size; OUT_VAR gets the files.
function(kelvandor_render_icons out_var)
  find_program(KELVANDOR_RSVG_CONVERT rsvg-convert REQUIRED)
  set(pngs "")
  foreach(size IN LISTS KELVANDOR_ICON_SIZES)
    set(png ${KELVANDOR_ICON_DIR}/${size}.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${KELVANDOR_ICON_DIR}
      COMMAND ${KELVANDOR_RSVG_CONVERT} -w ${size} -h ${size} -o ${png} ${KELVANDOR_ICON_SVG}
      DEPENDS ${KELVANDOR_ICON_SVG}
      COMMENT "Rendering the ${size}x${size} icon"
      VERBATIM)
    list(APPEND pngs ${png})
  endforeach()
  set(${out_var} ${pngs} PARENT_SCOPE)
endfunction()

# kelvandor_windows_icon(OUT_VAR): the rule, in the calling folder, that
# packs the rendered PNGs into ${KELVANDOR_ICON_DIR}/kelvandor.ico for the
# Windows program, with icotool (Debian's icoutils); the 256 pixel image is
# kept as PNG, as Windows expects. OUT_VAR gets the file.
function(kelvandor_windows_icon out_var)
  find_program(KELVANDOR_ICOTOOL icotool REQUIRED)
  kelvandor_render_icons(pngs)
  set(small "")
  foreach(size 16 24 32 48 64)
    list(APPEND small ${KELVANDOR_ICON_DIR}/${size}.png)
  endforeach()
  set(ico ${KELVANDOR_ICON_DIR}/kelvandor.ico)
  add_custom_command(OUTPUT ${ico}
    COMMAND ${KELVANDOR_ICOTOOL} -c -o ${ico} ${small} --raw=${KELVANDOR_ICON_DIR}/256.png
    DEPENDS ${pngs}
    COMMENT "Packing the Windows icon"
    VERBATIM)
  set(${out_var} ${ico} PARENT_SCOPE)
endfunction()
