# The extraction engine: plain C++ on the archive core, no Qt, so the GUI
# and vorntool share it. Included from extract/ and from tools/, whichever
# comes first defines it.
if(NOT TARGET vv_extract_engine)
  find_package(Threads REQUIRED)
  add_library(vv_extract_engine STATIC
    ${CMAKE_CURRENT_LIST_DIR}/DecodePrefetcher.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ExtractEngine.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ExtractPlan.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SafeName.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StagedFile.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StagingFolder.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TargetWriter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TempFile.cpp
  )
  target_link_libraries(vv_extract_engine PUBLIC vv_archive vv_common Threads::Threads)
  set_target_properties(vv_extract_engine PROPERTIES AUTOMOC OFF)
endif()
