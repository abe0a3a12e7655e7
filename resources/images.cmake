# The application's images: copied as they are into the bundle's "images" folder.
file(GLOB _pelko_image_sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/images/*.png)
set(_pelko_image_outputs "")
foreach(src IN LISTS _pelko_image_sources)
  get_filename_component(_name ${src} NAME)
  set(_out ${PELKO_BUNDLE_DIR}/images/${_name})
  add_custom_command(OUTPUT ${_out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PELKO_BUNDLE_DIR}/images
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${src} ${_out}
    DEPENDS ${src}
    COMMENT "Copying image ${_name}"
    VERBATIM)
  list(APPEND _pelko_image_outputs ${_out})
endforeach()
# The application's icon, every size of the hicolor theme, as images/pelkomerge-SIZE.png: the
# windows' icon when the installed theme does not have it.
file(GLOB _pelko_icon_sources CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/icons/hicolor/*/apps/pelkomerge.png)
foreach(src IN LISTS _pelko_icon_sources)
  get_filename_component(_dir ${src} DIRECTORY)
  get_filename_component(_dir ${_dir} DIRECTORY)
  get_filename_component(_size ${_dir} NAME)
  string(REGEX REPLACE "x.*" "" _size ${_size})
  set(_out ${PELKO_BUNDLE_DIR}/images/pelkomerge-${_size}.png)
  add_custom_command(OUTPUT ${_out}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PELKO_BUNDLE_DIR}/images
    COMMAND ${CMAKE_COMMAND} -E copy_if_different ${src} ${_out}
    DEPENDS ${src}
    COMMENT "Copying the application icon ${_size}"
    VERBATIM)
  list(APPEND _pelko_image_outputs ${_out})
endforeach()
add_custom_target(pelko_images DEPENDS ${_pelko_image_outputs})
add_dependencies(pelko_bundle pelko_images)
