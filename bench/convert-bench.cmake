# Conversion throughput against ffmpeg's swscale (bench/convert-bench.sh).
add_executable(convert_bench ${CMAKE_CURRENT_LIST_DIR}/convert-bench.cpp)
target_link_libraries(convert_bench PRIVATE tlengine)
tl_warnings(convert_bench)
