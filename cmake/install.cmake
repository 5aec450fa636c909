# What `cmake --install` puts where, in the places the Filesystem Hierarchy
# Standard and Debian expect, and the Debian package made of it.
include(GNUInstallDirs)

# The programs an installation holds, with the summary each manual page
# gives. A program this build does not make (the window without Qt) is left
# out.
set(TORVANE_PROGRAMS)
macro(torvane_program name summary)
  if(TARGET ${name})
    list(APPEND TORVANE_PROGRAMS ${name})
    set(TORVANE_SUMMARY_${name} "${summary}")
  endif()
endmacro()
torvane_program(torvane "control an 8x8 HDMI matrix switcher in a window")
torvane_program(torvanectl "drive an 8x8 HDMI matrix switcher from scripts")
torvane_program(torvane-sim "serve a simulated 8x8 HDMI matrix switcher on loopback")
torvane_program(torvaned "share an 8x8 HDMI matrix switcher on the network: a JSON API, live events and a web page")

set(packaging_dir ${CMAKE_SOURCE_DIR}/packaging)
set(generated_dir ${CMAKE_BINARY_DIR}/packaging)
set(generated_files)

find_program(TORVANE_HELP2MAN help2man)
find_program(TORVANE_RSVG_CONVERT rsvg-convert)
find_program(TORVANE_GZIP gzip REQUIRED)
if(NOT TORVANE_HELP2MAN OR NOT TORVANE_RSVG_CONVERT)
  message(WARNING "help2man or rsvg-convert is missing (scripts/setup.sh installs them): "
                  "an installation from this build lacks the manual pages or the PNG icons")
endif()

# Each program in bin/, with a manual page help2man writes from the program's
# own --help, so the page cannot say other than the program does.
foreach(program ${TORVANE_PROGRAMS})
  install(TARGETS ${program} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  if(NOT TORVANE_HELP2MAN)
    continue()
  endif()
  set(others ${TORVANE_PROGRAMS})
  list(REMOVE_ITEM others ${program})
  list(TRANSFORM others PREPEND ".BR ")
  list(TRANSFORM others APPEND " (1)")
  list(JOIN others ",\n" see_also)
  file(CONFIGURE OUTPUT ${generated_dir}/man/${program}.h2m CONTENT "[SEE ALSO]\n${see_also}\n")
  set(page ${generated_dir}/man/${program}.1)
  add_custom_command(
    OUTPUT ${page}.gz
    COMMAND ${TORVANE_HELP2MAN} --no-info --version-string=${PROJECT_VERSION}
            "--name=${TORVANE_SUMMARY_${program}}" --include=${generated_dir}/man/${program}.h2m
            --output=${page} $<TARGET_FILE:${program}>
    COMMAND ${TORVANE_GZIP} -9nf ${page}
    DEPENDS ${program} ${generated_dir}/man/${program}.h2m
    COMMENT "Writing the manual page of ${program}"
    VERBATIM)
  list(APPEND generated_files ${page}.gz)
  install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()

# The menu entry and its icon: the drawing itself, and the PNG sizes menus
# that cannot scale SVG pick from.
install(FILES ${packaging_dir}/torvane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
set(icon_dir ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
install(FILES ${packaging_dir}/torvane.svg DESTINATION ${icon_dir}/scalable/apps)
if(TORVANE_RSVG_CONVERT)
  foreach(size 16 24 32 48 64 128 256)
    set(png ${generated_dir}/icons/${size}x${size}/torvane.png)
    add_custom_command(
      OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${generated_dir}/icons/${size}x${size}
      COMMAND ${TORVANE_RSVG_CONVERT} --width=${size} --height=${size}
              --output=${png} ${packaging_dir}/torvane.svg
      DEPENDS ${packaging_dir}/torvane.svg
      COMMENT "Drawing the ${size}x${size} icon"
      VERBATIM)
    list(APPEND generated_files ${png})
    install(FILES ${png} DESTINATION ${icon_dir}/${size}x${size}/apps)
  endforeach()
endif()

install(FILES ${packaging_dir}/torvanectl.bash-completion
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME torvanectl)

# torvaned's web page (found by the program next to its bin/) and its
# systemd unit, in the folder systemd names for units (/lib/systemd/system on
# Debian) when installing for /usr, else under the prefix (an installation in
# a home folder needs no write access to the system's folders).
if(TARGET torvaned)
  install(FILES ${CMAKE_SOURCE_DIR}/service/web/index.html ${CMAKE_SOURCE_DIR}/service/web/app.js
                ${CMAKE_SOURCE_DIR}/service/web/style.css ${CMAKE_SOURCE_DIR}/service/web/openapi.json
          DESTINATION ${CMAKE_INSTALL_DATADIR}/torvane/web)
  set(systemd_unit_dir /lib/systemd/system)
  if(PkgConfig_FOUND)
    pkg_get_variable(found_unit_dir systemd systemdsystemunitdir)
    if(found_unit_dir)
      set(systemd_unit_dir ${found_unit_dir})
    endif()
  endif()
  configure_file(${packaging_dir}/torvaned.service.in ${generated_dir}/torvaned.service @ONLY)
  # Decided when installing, as --prefix may differ from the configured one.
  install(CODE "
    if(CMAKE_INSTALL_PREFIX STREQUAL \"/usr\")
      set(unit_dir \"${systemd_unit_dir}\")
    else()
      set(unit_dir \"\${CMAKE_INSTALL_PREFIX}/lib/systemd/system\")
    endif()
    file(INSTALL \"${generated_dir}/torvaned.service\" DESTINATION \"\${unit_dir}\")")
endif()

# The copyright notice and the changelog, compressed as Debian keeps them.
set(changelog ${generated_dir}/changelog.gz)
add_custom_command(
  OUTPUT ${changelog}
  COMMAND ${CMAKE_COMMAND} -E copy ${packaging_dir}/changelog ${generated_dir}/changelog
  COMMAND ${TORVANE_GZIP} -9nf ${generated_dir}/changelog
  DEPENDS ${packaging_dir}/changelog
  VERBATIM)
list(APPEND generated_files ${changelog})
install(FILES ${packaging_dir}/copyright ${changelog} DESTINATION ${CMAKE_INSTALL_DOCDIR})

# Everything an installation holds, for a build that makes only that.
add_custom_target(torvane_installed_files ALL DEPENDS ${generated_files})
add_dependencies(torvane_installed_files ${TORVANE_PROGRAMS})

include(${CMAKE_CURRENT_LIST_DIR}/debian_package.cmake)
add_subdirectory(tests/packaging)
