# The media player's 27 button glyphs, generated from res/playback/art.txt into
# <build>/res/playback/ by a tool built for the build machine, then named in
# playback_glyphs.rc. Included from res/CMakeLists.txt inside if(WIN32).
set(playback_art "${CMAKE_CURRENT_LIST_DIR}/art.txt")
set(playback_tool_source "${PROJECT_SOURCE_DIR}/tools/playback/make_playback_glyphs.cpp")
set(playback_glyph_dir "${CMAKE_CURRENT_BINARY_DIR}/playback")

if(CMAKE_CROSSCOMPILING)
    find_program(VOICE_HOST_CXX NAMES c++ g++ clang++ REQUIRED)
    set(playback_tool "${CMAKE_CURRENT_BINARY_DIR}/make_playback_glyphs_host")
    add_custom_command(
        OUTPUT "${playback_tool}"
        COMMAND "${VOICE_HOST_CXX}" -std=c++17 -O1 -o "${playback_tool}" "${playback_tool_source}"
        DEPENDS "${playback_tool_source}"
        COMMENT "Building the glyph generator for the build machine")
else()
    add_executable(make_playback_glyphs "${playback_tool_source}")
    set(playback_tool "$<TARGET_FILE:make_playback_glyphs>")
endif()

set(playback_glyphs "")
foreach(state EN DI CL)
    foreach(kind MPPLAY MPPAUSE MPSTOP MPNEXT MPPREV MPSTEP MPBACK MPRECORD MPEJECT)
        list(APPEND playback_glyphs "${playback_glyph_dir}/${state}_${kind}.bmp")
    endforeach()
endforeach()
add_custom_command(
    OUTPUT ${playback_glyphs}
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${playback_glyph_dir}"
    COMMAND "${playback_tool}" "${playback_art}" "${playback_glyph_dir}"
    DEPENDS "${playback_art}" "${playback_tool}"
    COMMENT "Drawing the media player's glyphs")
add_custom_target(playback_glyphs DEPENDS ${playback_glyphs})
add_dependencies(voice_resources playback_glyphs)
set_property(SOURCE voice.rc APPEND PROPERTY OBJECT_DEPENDS ${playback_glyphs})
