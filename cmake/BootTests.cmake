# Boot tests: the live system started under QEMU the two ways the program prepares.
add_executable(kh_boot_mkmenu ${PROJECT_SOURCE_DIR}/tests/boot/mkmenu.cpp)
target_link_libraries(kh_boot_mkmenu PRIVATE kh_core)
