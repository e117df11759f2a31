# The Help folder of the program: the help centre's pages, copied unchanged
# (they are UTF-8 HTML that the help centre's browser reads from disk).
file(GLOB HELP_PAGES CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/help/*.htm)
if(HELP_PAGES)
  set(HELP_OUTPUTS)
  foreach(page ${HELP_PAGES})
    get_filename_component(name ${page} NAME)
    list(APPEND HELP_OUTPUTS ${P}/Help/${name})
  endforeach()
  list(APPEND OUTPUTS ${HELP_OUTPUTS})
  add_custom_command(OUTPUT ${HELP_OUTPUTS}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${P}/Help
    COMMAND ${CMAKE_COMMAND} -E copy ${HELP_PAGES} ${P}/Help
    DEPENDS ${HELP_PAGES}
    COMMENT "Program folder: help pages")
endif()
