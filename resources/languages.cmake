# The syntax languages: each readable definition in languages/ is enciphered into the
# application's ".myrsctx" form, and all of them are zipped into the bundle as "languages.zip".
file(GLOB _pelko_language_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/languages/*.esy)
set(_pelko_language_stage ${CMAKE_CURRENT_BINARY_DIR}/languages_stage)
set(_pelko_language_files "")
set(_pelko_language_names "")
foreach(src IN LISTS _pelko_language_sources)
  get_filename_component(_name ${src} NAME_WE)
  set(_out ${_pelko_language_stage}/${_name}.myrsctx)
  add_custom_command(OUTPUT ${_out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${_pelko_language_stage}
    COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=0
            $<TARGET_FILE:pelko-resource-tool> encipher ${src} ${_out}
    DEPENDS pelko-resource-tool ${src}
    COMMENT "Enciphering syntax language ${_name}"
    VERBATIM)
  list(APPEND _pelko_language_files ${_out})
  list(APPEND _pelko_language_names ${_name}.myrsctx)
endforeach()
set(_pelko_languages_zip ${PELKO_BUNDLE_DIR}/languages.zip)
add_custom_command(OUTPUT ${_pelko_languages_zip}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${PELKO_BUNDLE_DIR}
  COMMAND ${CMAKE_COMMAND} -E rm -f ${_pelko_languages_zip}
  COMMAND ${CMAKE_COMMAND} -E tar cf ${_pelko_languages_zip} --format=zip ${_pelko_language_names}
  WORKING_DIRECTORY ${_pelko_language_stage}
  DEPENDS ${_pelko_language_files}
  COMMENT "Zipping the syntax languages"
  VERBATIM)
add_custom_target(pelko_languages_zip DEPENDS ${_pelko_languages_zip})
add_dependencies(pelko_bundle pelko_languages_zip)
