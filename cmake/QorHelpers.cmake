# qor_add_test(<source> LIBS <libs...> LABEL <unit|gl|gui>)
# Builds one test program per module test file and registers its cases with CTest.
include(GoogleTest)
function(qor_add_test source)
  cmake_parse_arguments(ARG "" "LABEL" "LIBS" ${ARGN})
  get_filename_component(name ${source} NAME_WE)
  get_filename_component(folder ${source} DIRECTORY)
  get_filename_component(folder ${folder} NAME)
  set(target ${folder}_${name})
  add_executable(${target} ${source})
  target_link_libraries(${target} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
  qor_sanitizer_environment(${ARG_LABEL} environment)
  # A GL test without a display skips; CTest then reports it as skipped, not as passed.
  set(skip "")
  if(ARG_LABEL STREQUAL "gl")
    set(skip SKIP_REGULAR_EXPRESSION "SKIPPED ]")
  endif()
  gtest_discover_tests(${target}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES LABELS ${ARG_LABEL} ENVIRONMENT "${environment}" ${skip}
    DISCOVERY_TIMEOUT 60)
endfunction()

# qor_sanitizer_environment(<label> <variable>): the environment a test of that label runs
# with. The software OpenGL driver keeps allocations per context and per compiled program
# that the leak checker reports as lost, so tests that draw check memory errors but not
# leaks; the unit tests check leaks of everything they reach.
function(qor_sanitizer_environment label variable)
  set(value "")
  if(QOR_SANITIZE AND (label STREQUAL "gl" OR label STREQUAL "gui"))
    set(value "ASAN_OPTIONS=detect_leaks=0")
  endif()
  set(${variable} "${value}" PARENT_SCOPE)
endfunction()

# qor_add_shader_files(<folder> <target>): copies the scene's GLSL sources from shaders/ into
# the folder, where a program beside them (or a test run there) finds them.
function(qor_add_shader_files folder target)
  file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/shaders/*.vert
       ${PROJECT_SOURCE_DIR}/shaders/*.frag)
  set(outputs)
  foreach(source ${sources})
    get_filename_component(name ${source} NAME)
    add_custom_command(OUTPUT ${folder}/${name}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${source} ${folder}/${name}
      DEPENDS ${source})
    list(APPEND outputs ${folder}/${name})
  endforeach()
  add_custom_target(${target} ALL DEPENDS ${outputs})
endfunction()
