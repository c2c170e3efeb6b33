# rsvg-convert, which renders the game's SVG drawings into its pictures and icons.
find_program(RSVG_CONVERT rsvg-convert)
if(NOT RSVG_CONVERT)
  message(FATAL_ERROR "rsvg-convert not found: install the Debian package librsvg2-bin "
    "(scripts/install-deps.sh).")
endif()
