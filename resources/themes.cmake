# The template colour themes: the property lists in themes/ zipped into the bundle as
# "themes_color.zip".
file(GLOB _pelko_theme_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/themes/*.plist)
set(_pelko_theme_names "")
foreach(src IN LISTS _pelko_theme_sources)
  get_filename_component(_name ${src} NAME)
  list(APPEND _pelko_theme_names ${_name})
endforeach()
pelko_zip_into_bundle(pelko_themes_zip themes_color.zip ${CMAKE_CURRENT_SOURCE_DIR}/themes
  "${_pelko_theme_names}" "${_pelko_theme_sources}" "Zipping the template colour themes")
