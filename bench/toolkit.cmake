add_executable(toolkit_bench ${CMAKE_CURRENT_LIST_DIR}/toolkit_bench.cpp)
target_link_libraries(toolkit_bench PRIVATE toolkit benchmark::benchmark)
quorvex_warnings(toolkit_bench)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    # The counting operator new pairs malloc with free; GCC cannot see that
    # the replaced operators belong together.
    target_compile_options(toolkit_bench PRIVATE -Wno-mismatched-new-delete)
endif()
