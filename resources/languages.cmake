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
pelko_zip_into_bundle(pelko_languages_zip languages.zip ${_pelko_language_stage}
  "${_pelko_language_names}" "${_pelko_language_files}" "Zipping the syntax languages")
