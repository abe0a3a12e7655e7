# External libraries, linked only where they are used.
pelko_link_area(platform PkgConfig::ICU PkgConfig::PLIST OpenSSL::Crypto)
pelko_link_area(services PkgConfig::MINIZIP ZLIB::ZLIB)
pelko_link_area(layers PkgConfig::MINIZIP ZLIB::ZLIB)
# The hand-over between a second start and the running process is a local socket.
pelko_link_area(shell Qt6::Network)
# Controls draw with the graphics area's path and range helpers.
pelko_link_area(controls pelko_graphics)
# The start-up list of syntax languages (services) builds the definitions of the themes area.
pelko_link_area(services pelko_themes)
# The preferences command of the shell resets the length-unit cache of the layers.
pelko_link_area(shell pelko_layers)
# The services and the themes call each other, so the linker must see that cycle repeatedly
# (a call chain can cross it several times: themes -> graphics -> services -> themes).
foreach(area IN LISTS PELKO_AREAS)
  get_target_property(_type pelko_${area} TYPE)
  if(_type STREQUAL "STATIC_LIBRARY")
    set_property(TARGET pelko_${area} PROPERTY LINK_INTERFACE_MULTIPLICITY 4)
  endif()
endforeach()
