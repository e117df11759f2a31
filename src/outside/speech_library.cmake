# talvane_speech_library(TARGET): links a speech library with the shared
# version script, so that it exports its entry point alone, and keeps the
# static libraries it is built from out of its dynamic symbols.
set(TALVANE_SPEECH_LIBRARY_MAP ${CMAKE_CURRENT_LIST_DIR}/speech_library.map)
function(talvane_speech_library target)
  target_link_options(${target} PRIVATE -Wl,--version-script=${TALVANE_SPEECH_LIBRARY_MAP} -Wl,--exclude-libs,ALL)
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${TALVANE_SPEECH_LIBRARY_MAP})
endfunction()
