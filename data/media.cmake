# The Media folder of the program: drawn at build time by media-builder.
# The stamp (kept out of the folder, which holds pictures only) stands for
# the whole folder; a new builder, or a new program folder, redraws it.
list(APPEND OUTPUTS ${CMAKE_CURRENT_BINARY_DIR}/media.drawn)
# In a ThreadSanitizer build the builder is instrumented too, and Qt's own
# (uninstrumented) painting threads would be reported: this build tool is
# not what that build checks.
add_custom_command(OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/media.drawn
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen TSAN_OPTIONS=report_bugs=0
          $<TARGET_FILE:media-builder> ${P}/Media
  COMMAND ${CMAKE_COMMAND} -E touch ${CMAKE_CURRENT_BINARY_DIR}/media.drawn
  DEPENDS media-builder ${P}/TV_Information.cfg
  COMMENT "Program folder: media")
