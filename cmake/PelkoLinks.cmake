# External libraries, linked only where they are used.
pelko_link_area(platform PkgConfig::ICU PkgConfig::PLIST OpenSSL::Crypto)
pelko_link_area(services PkgConfig::MINIZIP ZLIB::ZLIB)
# The zip reader of the layers.
pelko_link_area(layers PkgConfig::MINIZIP)
# The hand-over between a second start and the running process is a local socket.
pelko_link_area(shell Qt6::Network)
