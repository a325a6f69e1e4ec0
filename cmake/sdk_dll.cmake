# The DLL as it ships: a version resource with the product version, no link timestamp (the same
# sources give the same bytes), and, in the release build, no symbols.
enable_language(RC)
configure_file(${CMAKE_SOURCE_DIR}/cmake/sdk/version.rc.in ${CMAKE_BINARY_DIR}/version.rc @ONLY)
target_sources(qx3agapi PRIVATE ${CMAKE_BINARY_DIR}/version.rc)
target_link_options(qx3agapi PRIVATE -Wl,--no-insert-timestamp)
if(QX3_RELEASE)
  target_link_options(qx3agapi PRIVATE -s)
endif()
