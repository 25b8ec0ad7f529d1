# The bitmap buttons' glyphs, generated from res/buttons/button_glyphs.txt into
# <build>/res/button_glyphs_data.rc and included by button_glyphs.rc. Included from
# res/CMakeLists.txt inside if(WIN32).
set(button_glyph_art "${CMAKE_CURRENT_LIST_DIR}/button_glyphs.txt")
set(button_glyph_rc "${CMAKE_CURRENT_BINARY_DIR}/button_glyphs_data.rc")
add_custom_command(
    OUTPUT "${button_glyph_rc}"
    COMMAND "${CMAKE_COMMAND}" -DART=${button_glyph_art} -DOUT=${button_glyph_rc}
            -P "${CMAKE_CURRENT_LIST_DIR}/glyph_bitmaps.cmake"
    DEPENDS "${button_glyph_art}" "${CMAKE_CURRENT_LIST_DIR}/glyph_bitmaps.cmake"
    COMMENT "Generating the bitmap buttons' glyphs")
set_property(SOURCE voice.rc APPEND PROPERTY OBJECT_DEPENDS "${button_glyph_rc}")
