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
  gtest_discover_tests(${target}
    WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
    PROPERTIES LABELS ${ARG_LABEL}
    DISCOVERY_TIMEOUT 60)
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
