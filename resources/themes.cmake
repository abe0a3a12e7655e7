# The template colour themes: the property lists in themes/ zipped into the bundle as
# "themes_color.zip".
file(GLOB _pelko_theme_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/themes/*.plist)
set(_pelko_theme_names "")
foreach(src IN LISTS _pelko_theme_sources)
  get_filename_component(_name ${src} NAME)
  list(APPEND _pelko_theme_names ${_name})
endforeach()
set(_pelko_themes_zip ${PELKO_BUNDLE_DIR}/themes_color.zip)
add_custom_command(OUTPUT ${_pelko_themes_zip}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PELKO_BUNDLE_DIR}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${_pelko_themes_zip}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${_pelko_themes_zip} --format=zip ${_pelko_theme_names}
  WORKING_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/themes
  DEPENDS ${_pelko_theme_sources}
  COMMENT "Zipping the template colour themes"
  VERBATIM)
add_custom_target(pelko_themes_zip DEPENDS ${_pelko_themes_zip})
add_dependencies(pelko_bundle pelko_themes_zip)
