# The programs as installed: their version resources read back, and the
# setup program (packaging/gt7p-setup.nsi) installed over an older version,
# opened through a record and uninstalled, on a Wine prefix of its own
# (installer_check.sh; makensis from Debian's nsis). Included by
# CMakeLists.txt here.
if(TARGET gt7p)
  gt7p_add_gtest(version_resource_test
    SOURCES version_resource_test.cpp
    LIBS gt7p_base version
    TIMEOUT 60)
  target_compile_definitions(version_resource_test PRIVATE
    GT7P_EXE="$<TARGET_FILE:gt7p>" GT7P_CLI_EXE="$<TARGET_FILE:gt7p-cli>")
  add_dependencies(version_resource_test gt7p gt7p-cli)
endif()

if(GT7P_LINUX_CLI AND TARGET gt7p)
  add_test(NAME Installer
           COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/installer_check.sh $<TARGET_FILE:gt7p> $<TARGET_FILE:gt7p-cli>
                   ${GT7P_LINUX_CLI} ${PROJECT_VERSION} ${PROJECT_SOURCE_DIR}
                   ${PROJECT_BINARY_DIR}/gt7p-product.nsh)
  # Started early: it runs beside the others, on its own prefix.
  set_tests_properties(Installer PROPERTIES TIMEOUT 300 SKIP_RETURN_CODE 77 COST 2000)
endif()
