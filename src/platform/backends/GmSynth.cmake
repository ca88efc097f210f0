# The General MIDI synth (FluidSynth) without a sound device: its setup, shared by the built-in
# MIDI device and by lirveto-render, and an offline port that renders on request. Built with or
# without the GUI, like the sound files.
find_package(PkgConfig REQUIRED)
pkg_check_modules(FLUIDSYNTH REQUIRED IMPORTED_TARGET GLOBAL fluidsynth)
add_library(lirveto_gm_synth STATIC
  ${CMAKE_CURRENT_LIST_DIR}/fluid_synth_setup.h ${CMAKE_CURRENT_LIST_DIR}/fluid_synth_setup.cpp
  ${CMAKE_CURRENT_LIST_DIR}/offline_synth_port.h ${CMAKE_CURRENT_LIST_DIR}/offline_synth_port.cpp)
target_include_directories(lirveto_gm_synth PUBLIC ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(lirveto_gm_synth PUBLIC lirveto_core PRIVATE PkgConfig::FLUIDSYNTH
                      lirveto_warnings)
