# With PELKO_WERROR on (./test and CI), a warning in the project's own sources fails the build.
# Code Qt generates for us is not ours to mend: the headers uic and moc write are included as
# system headers, and the unit that compiles the moc files keeps its warnings as warnings.
# Qt's and the other libraries' own headers come from imported targets, already system headers.
option(PELKO_WERROR "Treat warnings in the project's own sources as errors" OFF)

function(pelko_collect_targets dir out)
  get_property(_targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(_subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS _subdirs)
    pelko_collect_targets(${sub} _more)
    list(APPEND _targets ${_more})
  endforeach()
  set(${out} ${_targets} PARENT_SCOPE)
endfunction()

function(pelko_warnings_are_errors)
  if(NOT PELKO_WERROR)
    return()
  endif()
  pelko_collect_targets(${CMAKE_SOURCE_DIR} _targets)
  foreach(target IN LISTS _targets)
    get_target_property(_type ${target} TYPE)
    if(NOT _type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY)$")
      continue()
    endif()
    target_compile_options(${target} PRIVATE -Werror)
    get_target_property(_binary_dir ${target} BINARY_DIR)
    set(_autogen ${_binary_dir}/${target}_autogen)
    target_include_directories(${target} SYSTEM PRIVATE ${_autogen}/include)
    set_source_files_properties(${_autogen}/mocs_compilation.cpp TARGET_DIRECTORY ${target}
                                PROPERTIES COMPILE_OPTIONS -Wno-error)
  endforeach()
endfunction()
