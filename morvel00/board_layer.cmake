# Morvel00's register routines and board operations: a static library the
# driver module links, with its own tests on simulated boards.
set(_morvel00_dir ${CMAKE_SOURCE_DIR}/morvel00)
file(GLOB morvel00_board_layer_sources CONFIGURE_DEPENDS
     ${_morvel00_dir}/registers/*.cpp ${_morvel00_dir}/operations/*.cpp)
add_library(morvel00_board_layer STATIC ${morvel00_board_layer_sources})
target_include_directories(morvel00_board_layer PUBLIC ${_morvel00_dir} ${CMAKE_SOURCE_DIR}/include)
target_link_libraries(morvel00_board_layer PUBLIC ntkrnl)

# ntkrnl before the boards, so that the machine's bus is the kernel layer's.
orvane_test_folder(morvel00_board_layer_tests ${_morvel00_dir}/tests/registers
                   LIBS morvel00_board_layer ntkrnl morvelboard platform)
