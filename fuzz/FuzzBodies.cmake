# The fuzz target bodies as a library: linked by the fuzzers and by the regression tests that
# replay their findings in every build. Included from tests/reliability and from fuzz/.
if(NOT TARGET plimdisp_fuzz_bodies)
  add_library(plimdisp_fuzz_bodies STATIC
    ${PROJECT_SOURCE_DIR}/fuzz/FuzzPage.cpp
    ${PROJECT_SOURCE_DIR}/fuzz/FuzzLoadPage.cpp
    ${PROJECT_SOURCE_DIR}/fuzz/FuzzDrawPage.cpp
    ${PROJECT_SOURCE_DIR}/fuzz/FuzzDeflate.cpp
  )
  target_include_directories(plimdisp_fuzz_bodies PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(plimdisp_fuzz_bodies PUBLIC plimdisp_pagepass plimdisp_raster
    plimdisp_labeltext plimdisp_deflate)
endif()
