# pelko_add_area(NAME USES): the static library pelko_NAME from every source in src/NAME,
# linking the area libraries in USES. An area without sources yet is an interface target.
function(pelko_add_area name uses)
  file(GLOB_RECURSE _src CONFIGURE_DEPENDS
       ${CMAKE_SOURCE_DIR}/src/${name}/*.cpp ${CMAKE_SOURCE_DIR}/src/${name}/*.h)
  list(FILTER _src EXCLUDE REGEX "/src/shell/main\\.cpp$")
  set(_cpp ${_src})
  list(FILTER _cpp INCLUDE REGEX "\\.cpp$")
  if(_cpp)
    add_library(pelko_${name} STATIC ${_src})
    target_include_directories(pelko_${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(pelko_${name} PUBLIC ${uses}
        Qt6::Core Qt6::Gui Qt6::Widgets Qt6::Concurrent)
    # One precompiled header for every library: the first library builds it, the others
    # reuse it (a copy per library took gigabytes of every build folder).
    get_property(_pch_owner GLOBAL PROPERTY PELKO_PCH_OWNER)
    if(_pch_owner)
      target_precompile_headers(pelko_${name} REUSE_FROM ${_pch_owner})
    else()
      target_precompile_headers(pelko_${name} PRIVATE ${CMAKE_SOURCE_DIR}/cmake/pch.h)
      set_property(GLOBAL PROPERTY PELKO_PCH_OWNER pelko_${name})
    endif()
    # The automatic moc and uic run again when a source or a class's window form
    # (resources/ui/<Class>.ui) is added or changed, also in an existing build folder.
    set(_autogen_inputs ${_src})
    foreach(_file IN LISTS _src)
      get_filename_component(_stem ${_file} NAME_WE)
      if(_file MATCHES "\\.h$" AND EXISTS ${CMAKE_SOURCE_DIR}/resources/ui/${_stem}.ui)
        list(APPEND _autogen_inputs ${CMAKE_SOURCE_DIR}/resources/ui/${_stem}.ui)
      endif()
    endforeach()
    set_property(TARGET pelko_${name} APPEND PROPERTY AUTOGEN_TARGET_DEPENDS ${_autogen_inputs})
  else()
    add_library(pelko_${name} INTERFACE)
    target_include_directories(pelko_${name} INTERFACE ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(pelko_${name} INTERFACE ${uses}
        Qt6::Core Qt6::Gui Qt6::Widgets Qt6::Concurrent)
  endif()
endfunction()

# pelko_link_area(NAME DEPS...): extra libraries one area needs (external ones, or a
# neighbouring area it really calls).
function(pelko_link_area name)
  get_target_property(_type pelko_${name} TYPE)
  if(_type STREQUAL "INTERFACE_LIBRARY")
    target_link_libraries(pelko_${name} INTERFACE ${ARGN})
  else()
    target_link_libraries(pelko_${name} PUBLIC ${ARGN})
  endif()
endfunction()
