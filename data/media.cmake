# The Media folder of the program: drawn at build time by media-builder.
# The stamp stands for the whole folder; a new builder redraws it.
list(APPEND OUTPUTS ${P}/Media/.drawn)
add_custom_command(OUTPUT ${P}/Media/.drawn
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen $<TARGET_FILE:media-builder> ${P}/Media
  COMMAND ${CMAKE_COMMAND} -E touch ${P}/Media/.drawn
  DEPENDS media-builder ${P}/TV_Information.cfg
  COMMENT "Program folder: media")
