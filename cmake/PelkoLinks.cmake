# External libraries, linked only where they are used.
pelko_link_area(platform PkgConfig::ICU PkgConfig::PLIST OpenSSL::Crypto)
pelko_link_area(services PkgConfig::MINIZIP ZLIB::ZLIB)
pelko_link_area(layers PkgConfig::MINIZIP ZLIB::ZLIB)
