# The font file "Fonts.fnt": converted at build time from Debian's public-domain console fonts
# (package console-setup-linux): Uni2-VGA8 for the 8 x 8 set (upper half in Latin-2, so it has
# the Hungarian letters), Lat2-VGA16 for the 8 x 16 set.
set(ORLA_CONSOLE_FONT_DIR /usr/share/consolefonts CACHE PATH "Folder of the Debian console fonts")
set(ORLA_FONT_SMALL ${ORLA_CONSOLE_FONT_DIR}/Uni2-VGA8.psf.gz)
set(ORLA_FONT_TALL ${ORLA_CONSOLE_FONT_DIR}/Lat2-VGA16.psf.gz)
foreach(font ${ORLA_FONT_SMALL} ${ORLA_FONT_TALL})
  if(NOT EXISTS ${font})
    message(FATAL_ERROR "Console font ${font} is missing: install the Debian package "
                        "console-setup-linux (scripts/deps.sh does), or set ORLA_CONSOLE_FONT_DIR.")
  endif()
endforeach()

add_custom_command(
  OUTPUT ${VEXEL_RUN_DIR}/Fonts.fnt
  COMMAND orla_fontconv ${ORLA_FONT_SMALL} ${ORLA_FONT_TALL} ${VEXEL_RUN_DIR}/Fonts.fnt
  DEPENDS orla_fontconv ${ORLA_FONT_SMALL} ${ORLA_FONT_TALL}
  COMMENT "Making Fonts.fnt from the console fonts"
  VERBATIM)
add_custom_target(orla_font ALL DEPENDS ${VEXEL_RUN_DIR}/Fonts.fnt)

