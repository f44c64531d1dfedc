# cl_library(NAME DIR [DEPS ...]): a static library of every .cpp file in DIR.
function(cl_library name dir)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  file(GLOB hdrs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.h)
  if(NOT srcs)
    # A folder that holds no source yet: headers only.
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${CMAKE_SOURCE_DIR})
    if(ARGN)
      target_link_libraries(${name} INTERFACE ${ARGN})
    endif()
    return()
  endif()
  add_library(${name} STATIC ${srcs} ${hdrs})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  if(ARGN)
    target_link_libraries(${name} PUBLIC ${ARGN})
  endif()
  # A unit announces its start-up steps with CL_UNIT_STEPS(Unit, ...), which
  # also defines the symbol cl_unit_link_Unit. Nothing else may reference the
  # unit, and the linker takes only the archive members a program refers to:
  # every program that links the library asks for each unit's symbol, so the
  # start-up list always holds every unit of the libraries linked.
  foreach(src ${srcs})
    file(STRINGS ${src} announcements REGEX "^CL_UNIT_STEPS\\(")
    foreach(line ${announcements})
      string(REGEX REPLACE "^CL_UNIT_STEPS\\(([A-Za-z0-9_]+).*" "\\1" unit "${line}")
      target_link_options(${name} INTERFACE "LINKER:--undefined=cl_unit_link_${unit}")
      set_property(GLOBAL APPEND PROPERTY CL_ANNOUNCED_UNITS ${unit})
    endforeach()
  endforeach()
endfunction()

# cl_test_area(NAME DIR [LIBS ...]): one GoogleTest program of every .cpp file in
# DIR, run by CTest as one test.
function(cl_test_area name dir)
  file(GLOB srcs CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${dir}/*.cpp)
  if(NOT srcs)
    return()
  endif()
  add_executable(${name} ${srcs})
  # Whole: the support library's shared set-up registers itself.
  target_link_libraries(${name} PRIVATE ${ARGN} $<LINK_LIBRARY:WHOLE_ARCHIVE,cl_test_support> GTest::gtest_main
                                        GTest::gmock)
  target_precompile_headers(${name} PRIVATE <gtest/gtest.h>)
  # Tests that read files of the source tree (reference pictures) find it here.
  target_compile_definitions(${name} PRIVATE CL_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
  set_tests_properties(${name} PROPERTIES ENVIRONMENT "CL_TEST_TMP=${CMAKE_BINARY_DIR}/test-tmp")
endfunction()

# cl_embed_resources(TARGET INPUT...): embeds resource files in TARGET.
# An INPUT is a path (relative to the calling folder) or "TYPE:NAME=path";
# tools/resembed/resembed.cpp describes the kinds; "--export=NAME" defines a
# function NAME that a library unit calls to keep the resources linked. Forms in the text form format are
# converted to the binary form format at build time.
function(cl_embed_resources target)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.cpp)
  set(args)
  set(deps)
  foreach(input ${ARGN})
    if(input MATCHES "^--export=")
      list(APPEND args "${input}")
      continue()
    endif()
    if(input MATCHES "^([^=:]+:[^=]+)=(.*)$")
      set(prefix "${CMAKE_MATCH_1}=")
      set(path "${CMAKE_MATCH_2}")
    else()
      set(prefix "")
      set(path "${input}")
    endif()
    get_filename_component(path "${path}" ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
    list(APPEND args "${prefix}${path}")
    list(APPEND deps "${path}")
  endforeach()
  add_custom_command(OUTPUT ${out}
    COMMAND resembed ${out} ${args}
    DEPENDS resembed ${deps}
    COMMENT "Embedding resources of ${target}"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
endfunction()

# cl_user_skin_stream(VAR): the built-in skin (resources/skins/user) made
# into the binary skin stream by tools/skinc; VAR names the file made, to be
# embedded as the resource NBSKINS "DEFAULTUSERSKINDATA".
function(cl_user_skin_stream var)
  set(dir ${CMAKE_SOURCE_DIR}/resources/skins/user)
  set(skin ${CMAKE_CURRENT_BINARY_DIR}/userskin.bin)
  file(GLOB textures CONFIGURE_DEPENDS ${dir}/textures/*.png)
  add_custom_command(OUTPUT ${skin}
    COMMAND skinc ${dir}/UserSkin.txt ${skin}
    DEPENDS skinc ${dir}/UserSkin.txt ${textures}
    COMMENT "Building the built-in skin"
    VERBATIM)
  set(${var} ${skin} PARENT_SCOPE)
endfunction()
