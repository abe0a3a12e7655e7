# External libraries, linked only where they are used.
pelko_link_area(platform PkgConfig::ICU PkgConfig::PLIST OpenSSL::Crypto)
pelko_link_area(services PkgConfig::MINIZIP ZLIB::ZLIB)
pelko_link_area(layers PkgConfig::MINIZIP ZLIB::ZLIB)
# Foundation helpers call localisation and file tests (services) and range arithmetic (graphics).
pelko_link_area(foundation pelko_services pelko_graphics)
# The start-up list of syntax languages (services) builds the definitions of the themes area.
pelko_link_area(services pelko_themes)
# The areas that call each other form link cycles; a call chain can cross them several times
# (themes -> graphics -> services -> foundation), so the linker must see each cycle repeatedly.
foreach(area IN LISTS PELKO_AREAS)
  get_target_property(_type pelko_${area} TYPE)
  if(_type STREQUAL "STATIC_LIBRARY")
    set_property(TARGET pelko_${area} PROPERTY LINK_INTERFACE_MULTIPLICITY 4)
  endif()
endforeach()
