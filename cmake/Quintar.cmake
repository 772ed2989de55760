# Build functions shared by the deliverables.

include(GenerateExportHeader)

if(WIN32)
  set(QUINTAR_PLATFORM win32)
  set(QUINTAR_OTHER_PLATFORM posix)
else()
  set(QUINTAR_PLATFORM posix)
  set(QUINTAR_OTHER_PLATFORM win32)
endif()

set(QUINTAR_GENERATED ${CMAKE_BINARY_DIR}/generated)
file(MAKE_DIRECTORY ${QUINTAR_GENERATED}/include)

# Compiler settings of every target of the package.
function(quintar_target_options target)
  target_compile_features(${target} PUBLIC cxx_std_17)
  target_include_directories(${target} PUBLIC ${PROJECT_SOURCE_DIR} ${QUINTAR_GENERATED}/include)
  target_compile_definitions(${target} PUBLIC
    $<$<COMPILE_LANGUAGE:CXX>:QUINTAR_WINTYPES_HEADER="winutil/platform/wintypes_${QUINTAR_PLATFORM}.h">)
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-Wall -Wextra -Wshadow>)
    if(QUINTAR_WERROR)
      target_compile_options(${target} PRIVATE $<$<COMPILE_LANGUAGE:CXX>:-Werror>)
    endif()
  endif()
  if(QUINTAR_SANITIZE)
    target_compile_options(${target} PRIVATE -fsanitize=address,undefined -fno-omit-frame-pointer
                                             -fno-sanitize-recover=undefined)
    target_link_options(${target} PRIVATE -fsanitize=address,undefined)
  endif()
  if(MINGW)
    target_link_options(${target} PRIVATE -static)
  endif()
endfunction()

# Drops the sources of the other platform from a list (name_win32.cpp,
# name_posix.cpp and their tests name_win32_test.cpp, name_posix_test.cpp).
function(quintar_platform_sources out)
  set(list ${ARGN})
  list(FILTER list EXCLUDE REGEX "_${QUINTAR_OTHER_PLATFORM}(_test)?\\.cpp$")
  set(${out} ${list} PARENT_SCOPE)
endfunction()

# Compiles a module's resource script: into the image on Windows, into the
# module's resource tables otherwise. DEPENDS: files the script includes or
# names (generated data, icons).
function(quintar_resources target script)
  cmake_parse_arguments(R "" "" "DEPENDS;INCLUDE" ${ARGN})
  get_filename_component(dir ${script} DIRECTORY)
  get_filename_component(name ${script} NAME_WE)
  set(includes ${dir} ${R_INCLUDE})
  # The resource compiler records no dependencies: list the script's parts.
  file(GLOB script_parts CONFIGURE_DEPENDS ${dir}/*.rc ${dir}/*.h)
  if(WIN32)
    target_sources(${target} PRIVATE ${script})
    set_property(SOURCE ${script} APPEND PROPERTY OBJECT_DEPENDS ${R_DEPENDS} ${script_parts})
    foreach(i ${includes})
      target_include_directories(${target} PRIVATE $<$<COMPILE_LANGUAGE:RC>:${i}>)
    endforeach()
  else()
    set(out ${QUINTAR_GENERATED}/${target}_resources.cpp)
    set(flags)
    foreach(i ${includes})
      list(APPEND flags -I ${i})
    endforeach()
    add_custom_command(OUTPUT ${out}
      COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/scripts/rc_tables.py ${script} -o ${out} ${flags}
      DEPENDS ${PROJECT_SOURCE_DIR}/scripts/rc_tables.py ${script} ${script_parts} ${R_DEPENDS}
      COMMENT "Resource tables of ${target}")
    target_sources(${target} PRIVATE ${out})
  endif()
  target_sources(${target} PRIVATE
    ${PROJECT_SOURCE_DIR}/winutil/platform/module_entry_${QUINTAR_PLATFORM}.cpp)
endfunction()

# The default-value records of a module: SOURCE lists "id name value" lines;
# writes one 12-byte record per line and inidata.rc naming them into OUTDIR.
function(quintar_inidata source outdir outvar)
  set(rc ${outdir}/inidata.rc)
  add_custom_command(OUTPUT ${rc}
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/scripts/gen_inidata.py ${source} ${outdir}
    DEPENDS ${PROJECT_SOURCE_DIR}/scripts/gen_inidata.py ${source}
    COMMENT "Default-value records from ${source}")
  set(${outvar} ${rc} PARENT_SCOPE)
endfunction()

# Button icons drawn by the build.
function(quintar_icons outdir outvar)
  set(files)
  foreach(n ${ARGN})
    list(APPEND files ${outdir}/${n}.ico)
  endforeach()
  add_custom_command(OUTPUT ${files}
    COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/scripts/make_icons.py ${outdir} ${ARGN}
    DEPENDS ${PROJECT_SOURCE_DIR}/scripts/make_icons.py
    COMMENT "Icons ${ARGN}")
  set(${outvar} ${files} PARENT_SCOPE)
endfunction()

# A shared library of the package with one export macro NAME_API in
# name_export.h.
function(quintar_library name)
  cmake_parse_arguments(L "" "" "SOURCES;LINKS;SYSLIBS" ${ARGN})
  quintar_platform_sources(sources ${L_SOURCES})
  add_library(${name} SHARED ${sources})
  string(TOUPPER ${name} upper)
  string(TOLOWER ${name} lower)
  generate_export_header(${name} BASE_NAME ${name} EXPORT_MACRO_NAME ${upper}_API
                         EXPORT_FILE_NAME ${QUINTAR_GENERATED}/include/${lower}_export.h)
  quintar_target_options(${name})
  target_link_libraries(${name} PUBLIC ${L_LINKS})
  if(WIN32)
    target_link_libraries(${name} PRIVATE ${L_SYSLIBS})
  endif()
endfunction()
