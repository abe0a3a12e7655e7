# The enciphered translation table "0_en_DidadEzi.mopo", made from strings/<code>.plist.
file(GLOB _pelko_strings_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/strings/*.plist)
set(_pelko_strings_table ${PELKO_BUNDLE_DIR}/0_en_DidadEzi.mopo)
add_custom_command(OUTPUT ${_pelko_strings_table}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PELKO_BUNDLE_DIR}
  COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
          $<TARGET_FILE:pelko-resource-tool> table ${CMAKE_CURRENT_SOURCE_DIR}/strings ${_pelko_strings_table}
  DEPENDS pelko-resource-tool ${_pelko_strings_sources}
  COMMENT "Enciphering the translation table"
  VERBATIM)
add_custom_target(pelko_strings_table DEPENDS ${_pelko_strings_table})
add_dependencies(pelko_bundle pelko_strings_table)
