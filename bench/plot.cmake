add_executable(plot_bench ${CMAKE_CURRENT_LIST_DIR}/plot_bench.cpp)
target_link_libraries(plot_bench PRIVATE plot Qt6::Gui benchmark::benchmark)
quorvex_warnings(plot_bench)
