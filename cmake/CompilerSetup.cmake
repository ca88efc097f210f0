# Warnings, sanitizers and compiler cache for every target of the project.

find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM)
  # Paths below the checkout are hashed relative to it, so another clone of the tree (a CI run,
  # a second worktree) reuses what this one compiled.
  set(ccache_launcher ${CMAKE_COMMAND} -E env CCACHE_BASEDIR=${PROJECT_SOURCE_DIR}
      CCACHE_NOHASHDIR=true ${CCACHE_PROGRAM})
  set(CMAKE_C_COMPILER_LAUNCHER ${ccache_launcher})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${ccache_launcher})
endif()

add_library(lirveto_warnings INTERFACE)
target_compile_options(lirveto_warnings INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor -Wold-style-cast -Wcast-align
  -Woverloaded-virtual -Wnull-dereference -Wformat=2 -Wimplicit-fallthrough)
if(LIRVETO_WERROR)
  target_compile_options(lirveto_warnings INTERFACE -Werror)
endif()

if(LIRVETO_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
if(LIRVETO_TSAN)
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
endif()

# A component library of the pure core: no Qt, SDL, FluidSynth or ALSA.
function(lirveto_core_component name)
  add_library(${name} STATIC ${ARGN})
  target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
  target_link_libraries(${name} PRIVATE lirveto_warnings)
  set_property(GLOBAL APPEND PROPERTY LIRVETO_CORE_COMPONENTS ${name})
endfunction()

# Every test executable labelled "threads"; the ThreadSanitizer build makes just these.
add_custom_target(thread_tests)

# A GoogleTest executable whose tests CTest lists one by one.
function(lirveto_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBRARIES;LABELS" ${ARGN})
  find_package(GTest REQUIRED)
  include(GoogleTest)
  add_executable(${name} ${ARG_SOURCES})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gtest GTest::gmock GTest::gtest_main lirveto_warnings)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
    PROPERTIES LABELS "${ARG_LABELS}" ENVIRONMENT "SDL_AUDIODRIVER=dummy;QT_QPA_PLATFORM=offscreen")
  list(LENGTH ARG_LABELS label_count)
  if(label_count GREATER 1)
    # Discovery would split a list of labels into properties of their own: set them on the tests
    # it found, after it.
    set(labels_script ${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake)
    file(WRITE ${labels_script} "foreach(test IN LISTS ${name}_TESTS)\n"
      "  set_tests_properties(\"\${test}\" PROPERTIES LABELS \"${ARG_LABELS}\")\nendforeach()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${labels_script})
  endif()
  if("threads" IN_LIST ARG_LABELS)
    add_dependencies(thread_tests ${name})
  endif()
endfunction()

if(LIRVETO_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "The fuzz targets need clang (libFuzzer): configure with the 'fuzz' preset")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
