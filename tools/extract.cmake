# vorntool x and the extraction benchmark's generator. Included from
# tools/CMakeLists.txt after the vorntool target is defined.
include(${CMAKE_CURRENT_LIST_DIR}/../extract/Engine.cmake)
target_sources(vorntool PRIVATE ${CMAKE_CURRENT_LIST_DIR}/VornToolExtract.cpp)
target_link_libraries(vorntool PRIVATE vv_extract_engine)

if(VV_TESTS)
  # Writes the benchmark's archives and source trees; also times decoding alone.
  add_executable(make_bench_archives ${CMAKE_CURRENT_LIST_DIR}/make_bench_archives.cpp)
  target_link_libraries(make_bench_archives PRIVATE vv_test_support vv_extract_engine)
endif()
