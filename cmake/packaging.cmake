# The package for Windows users: a ZIP holding the program, the export tool when it is
# built, and the user guide in Russian. `cmake --build <dir> --target package`.
# Included last, so every target it installs already exists.

install(TARGETS Voice RUNTIME DESTINATION .)
if(TARGET voice-export)
    install(TARGETS voice-export RUNTIME DESTINATION .)
endif()

# Notepad shows UTF-8 reliably with a byte order mark, and older ones only with CRLF.
set(voice_guide_source "${PROJECT_SOURCE_DIR}/docs/user_guide_ru.txt")
set(voice_guide "${PROJECT_BINARY_DIR}/package/ЧИТАЙМЕНЯ.txt")
set_property(DIRECTORY "${PROJECT_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
                                                               "${voice_guide_source}")
file(READ "${voice_guide_source}" voice_guide_text)
string(REPLACE "\r\n" "\n" voice_guide_text "${voice_guide_text}")
string(REPLACE "\n" "\r\n" voice_guide_text "${voice_guide_text}")
string(ASCII 239 187 191 voice_bom)
file(WRITE "${voice_guide}" "${voice_bom}${voice_guide_text}")
install(FILES "${voice_guide}" DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Voice)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_FILE_NAME "Voice-${PROJECT_VERSION}-win64")
set(CPACK_PACKAGE_DIRECTORY "${PROJECT_BINARY_DIR}/package")
set(CPACK_STRIP_FILES ON)
include(CPack)
