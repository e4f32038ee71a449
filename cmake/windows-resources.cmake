# gt7p_add_windows_resources(TARGET DESCRIPTION text [ICON file])
# Gives a Windows program its version resource (what Explorer's properties
# and "Programs and Features" show): the project's VERSION and the texts set
# beside it in the top CMakeLists.txt, with DESCRIPTION as the file's own
# description; and ICON, when given, as IDI_ICON1 (the program's icon in
# Explorer and Qt's default window icon).
function(gt7p_add_windows_resources target)
  cmake_parse_arguments(R "" "DESCRIPTION;ICON" "" ${ARGN})
  set(GT7P_RC_NAME ${target})
  set(GT7P_RC_FILE ${target}.exe)
  set(GT7P_RC_DESCRIPTION "${R_DESCRIPTION}")
  # Four numbers, missing ones 0: "0.1" is 0,1,0,0.
  set(GT7P_RC_VERSION_COMMAS)
  foreach(part MAJOR MINOR PATCH TWEAK)
    set(n "${PROJECT_VERSION_${part}}")
    if(n STREQUAL "")
      set(n 0)
    endif()
    list(APPEND GT7P_RC_VERSION_COMMAS ${n})
  endforeach()
  string(REPLACE ";" "," GT7P_RC_VERSION_COMMAS "${GT7P_RC_VERSION_COMMAS}")
  set(GT7P_RC_ICON)
  if(R_ICON)
    set(GT7P_RC_ICON "IDI_ICON1 ICON \"${R_ICON}\"")
  endif()
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc @ONLY)
  target_sources(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/${target}.rc)
endfunction()
