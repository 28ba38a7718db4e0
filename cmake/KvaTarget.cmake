# Warnings for our own targets: on everywhere, errors in CI.
function(kva_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  # Batched sources count as headers to GCC, where a test's helper types in an anonymous
  # namespace would be flagged.
  if(CMAKE_UNITY_BUILD)
    target_compile_options(${target} PRIVATE $<$<CXX_COMPILER_ID:GNU>:-Wno-subobject-linkage>)
  endif()
  if(KVA_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

# kva_library(<name> SOURCES ... QT <Core|Widgets ...> LIBS ...)
# A static library of one folder; AUTOMOC on, warnings on.
function(kva_library name)
  cmake_parse_arguments(K "" "" "SOURCES;QT;LIBS" ${ARGN})
  add_library(${name} STATIC ${K_SOURCES})
  set_target_properties(${name} PROPERTIES AUTOMOC ON)
  target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
  foreach(q IN LISTS K_QT)
    target_link_libraries(${name} PUBLIC Qt6::${q})
  endforeach()
  target_link_libraries(${name} PUBLIC ${K_LIBS})
  kva_warnings(${name})
endfunction()
