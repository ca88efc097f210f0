# Exported sound files through libsndfile. Apart from the other backends, and built with or
# without the GUI, so that lirveto-render needs no sound devices.
find_package(PkgConfig REQUIRED)
pkg_check_modules(SNDFILE REQUIRED IMPORTED_TARGET GLOBAL sndfile)
add_library(lirveto_sound_files STATIC ${CMAKE_CURRENT_LIST_DIR}/sound_file_writer.h
            ${CMAKE_CURRENT_LIST_DIR}/sound_file_writer.cpp)
target_include_directories(lirveto_sound_files PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(lirveto_sound_files PUBLIC lirveto_core PRIVATE PkgConfig::SNDFILE
                      lirveto_warnings)
