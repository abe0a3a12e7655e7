# External libraries, linked only where they are used.
pelko_link_area(platform PkgConfig::ICU PkgConfig::PLIST OpenSSL::Crypto)
pelko_link_area(services PkgConfig::MINIZIP ZLIB::ZLIB)
pelko_link_area(layers PkgConfig::MINIZIP ZLIB::ZLIB)
# Foundation helpers call localisation and file tests (services) and range arithmetic (graphics).
pelko_link_area(foundation pelko_services pelko_graphics)
# The start-up list of syntax languages (services) builds the definitions of the themes area.
pelko_link_area(services pelko_themes)
# The areas that call each other form one link cycle; a call chain can cross it three times
# (themes -> graphics -> services), so the linker must see the cycle three times.
set_property(TARGET pelko_services APPEND PROPERTY LINK_INTERFACE_MULTIPLICITY 3)
