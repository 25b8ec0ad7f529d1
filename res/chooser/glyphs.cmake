# Drive and folder glyphs of the path chooser: the text art in this directory becomes
# 16-colour bitmaps in the build tree at build time, named by chooser_glyphs.rc.
set(chooser_art "${CMAKE_CURRENT_SOURCE_DIR}/chooser/drives.txt"
                "${CMAKE_CURRENT_SOURCE_DIR}/chooser/folders.txt")
set(chooser_bitmap_dir "${CMAKE_CURRENT_BINARY_DIR}/chooser")
set(chooser_bitmaps)
foreach(glyph floppy hard network cdrom ram openfolder currentfolder closedfolder)
    list(APPEND chooser_bitmaps "${chooser_bitmap_dir}/${glyph}.bmp")
endforeach()

# The generator runs on the build machine: in a cross build it is compiled with the
# host's own compiler.
set(chooser_tool_source "${CMAKE_CURRENT_SOURCE_DIR}/chooser/glyph_bmp.cpp")
if(CMAKE_CROSSCOMPILING)
    find_program(VOICE_HOST_CXX NAMES c++ g++ clang++ REQUIRED)
    set(chooser_tool "${CMAKE_CURRENT_BINARY_DIR}/chooser_glyph_bmp${CMAKE_HOST_EXECUTABLE_SUFFIX}")
    add_custom_command(OUTPUT "${chooser_tool}"
        COMMAND "${VOICE_HOST_CXX}" -std=c++17 -O1 -o "${chooser_tool}" "${chooser_tool_source}"
        DEPENDS "${chooser_tool_source}"
        COMMENT "Building the glyph generator for the build machine")
    set(chooser_tool_dependency "${chooser_tool}")
else()
    add_executable(chooser_glyph_bmp "${chooser_tool_source}")
    set(chooser_tool "$<TARGET_FILE:chooser_glyph_bmp>")
    set(chooser_tool_dependency chooser_glyph_bmp)
endif()

add_custom_command(OUTPUT ${chooser_bitmaps}
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${chooser_bitmap_dir}"
    COMMAND "${chooser_tool}" "${chooser_bitmap_dir}" ${chooser_art}
    DEPENDS ${chooser_tool_dependency} ${chooser_art}
    COMMENT "Generating the drive and folder glyphs")
add_custom_target(chooser_glyphs DEPENDS ${chooser_bitmaps})
add_dependencies(voice_resources chooser_glyphs)
set_property(SOURCE voice.rc APPEND PROPERTY OBJECT_DEPENDS ${chooser_bitmaps})
