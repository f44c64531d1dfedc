# cl_library(NAME DIR [DEPS ...]): a static library of every .cpp file in DIR.
function(cl_library name dir)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  file(GLOB hdrs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.h)
  add_library(${name} STATIC ${srcs} ${hdrs})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  if(ARGN)
    target_link_libraries(${name} PUBLIC ${ARGN})
  endif()
endfunction()

# cl_test_area(NAME DIR [LIBS ...]): one GoogleTest program of every .cpp file in
# DIR, run by CTest as one test.
function(cl_test_area name dir)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  add_executable(${name} ${srcs})
  target_link_libraries(${name} PRIVATE ${ARGN} cl_test_support GTest::gtest_main GTest::gmock)
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "CL_TEST_TMP=${CMAKE_BINARY_DIR}/test-tmp")
endfunction()
