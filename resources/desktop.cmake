# The desktop entry: file managers offer Pelko Merge for folders, texts and images, and hand the
# chosen paths over as arguments.
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/pelkomerge.desktop DESTINATION share/applications)
