# rsvg-convert, which renders the game's SVG drawings into its pictures and icons.
find_program(RSVG_CONVERT rsvg-convert)
if(NOT RSVG_CONVERT)
  message(FATAL_ERROR "rsvg-convert not found: install the Debian package librsvg2-bin "
    "(scripts/install-deps.sh).")
endif()

# Renders the drawing SOURCE at SIZE x SIZE pixels into OUTPUT, through a
# side file, so that a failed run leaves no half-written picture that a
# later build would take as up to date.
function(render_square_png source size output comment)
  get_filename_component(folder ${output} DIRECTORY)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${folder}
    COMMAND ${RSVG_CONVERT} --format=png --width=${size} --height=${size}
      --output=${output}.part ${source}
    COMMAND ${CMAKE_COMMAND} -E rename ${output}.part ${output}
    DEPENDS ${source}
    COMMENT "${comment}"
    VERBATIM)
endfunction()
