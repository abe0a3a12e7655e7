# What an installation adds beside the executable: the desktop entry (file managers offer Pelko
# Merge for folders, texts and images, and hand the chosen paths over as arguments), and the
# bundle folder, which the installed executable finds at ../share/pelkomerge.
install(FILES ${CMAKE_CURRENT_SOURCE_DIR}/pelkomerge.desktop DESTINATION share/applications)
install(DIRECTORY ${PELKO_BUNDLE_DIR}/ DESTINATION share/pelkomerge)
# The application's icon in the hicolor theme, which the desktop entry names.
install(DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR}/icons/hicolor DESTINATION share/icons)
