# Boot tests: the live system started under QEMU from what the program prepares, from a USB stick
# (SYSLINUX) and from the hard disk (grldr, menu.lst) with several partition layouts. See
# README.md ("Boot tests").
option(KH_BOOT_ALL_LAYOUTS "Boot every hard-disk layout, not only a representative two" OFF)
set(KH_BOOT_ARTIFACT_DIR "${PROJECT_SOURCE_DIR}/build/boot-artifacts" CACHE PATH
    "Serial logs, screenshots and menus of the boot tests")

add_executable(kh_boot_mkmenu ${PROJECT_SOURCE_DIR}/tests/boot/mkmenu.cpp)
target_link_libraries(kh_boot_mkmenu PRIVATE kh_hdinstall kh_sim)

set(_kh_boot_dir "${PROJECT_SOURCE_DIR}/tests/boot")
set(_kh_boot_work "${CMAKE_BINARY_DIR}/boot-work")
set(_kh_boot_iso "${_kh_boot_work}/live.iso")
# What every boot script is given first.
set(_kh_boot_dirs "${KH_PAYLOAD_DIR}" "${_kh_boot_iso}" "${_kh_boot_work}" "${KH_BOOT_ARTIFACT_DIR}")

# The test live ISO (kernel package and result cached), built once for all boots.
add_test(NAME boot_live_iso COMMAND bash "${_kh_boot_dir}/mkiso.sh" "${_kh_boot_iso}")
set_tests_properties(boot_live_iso PROPERTIES LABELS boot FIXTURES_SETUP kh_live_iso TIMEOUT 900
                     ENVIRONMENT "KH_TEXTS=${KH_TEXTS_SH}")

function(kh_boot_test name)
    add_test(NAME boot_${name} COMMAND bash ${ARGN})
    # 77: QEMU cannot run on this machine at all.
    set_tests_properties(boot_${name} PROPERTIES LABELS boot FIXTURES_REQUIRED kh_live_iso
                         SKIP_RETURN_CODE 77 TIMEOUT 300 ENVIRONMENT "KH_TEXTS=${KH_TEXTS_SH}")
endfunction()

foreach(mode timeout menu)
    kh_boot_test(usb_${mode} "${_kh_boot_dir}/boot_usb.sh" ${_kh_boot_dirs} ${mode})
endforeach()

# A logical drive behind a 0x0F extended partition, and the system partition behind an extended
# partition in slot 0 (its menu number is not 0); on the first, the way back to Windows too.
set(_kh_boot_hd "extended-0f default" "extended-0f back" "extended-first default")
if(KH_BOOT_ALL_LAYOUTS)
    list(APPEND _kh_boot_hd "primaries default" "extended-05 default" "iso-on-system default"
         "extended-slot2 default" "other-menu default")
endif()
foreach(boot ${_kh_boot_hd})
    separate_arguments(boot)
    list(GET boot 0 layout)
    list(GET boot 1 choice)
    set(name hd_${layout})
    if(choice STREQUAL "back")
        set(name ${name}_back)
    endif()
    kh_boot_test(${name} "${_kh_boot_dir}/boot_hd.sh" ${_kh_boot_dirs} ${layout} ${choice}
                 $<TARGET_FILE:kh_boot_mkmenu>)
endforeach()
