# Installing wobble the way a Linux program is installed, and packaging it as
# a Debian package:
#
#   cmake --install build --prefix PREFIX      (make install PREFIX=...)
#   cd build && cpack -G DEB                   (make deb)
#
#   PREFIX/bin/wobble, wobble-scene                      the programs
#   PREFIX/share/wobble/                                 the sample scene, found by an
#                                                        installed wobble from its own folder
#   PREFIX/share/man/man6/wobble.6.gz, man1/wobble-scene.1.gz
#   PREFIX/share/applications/wobble.desktop             the application menu's entry
#   PREFIX/share/icons/hicolor/256x256/apps/wobble.png   its icon
#   PREFIX/share/bash-completion/completions/            both commands' options
#
# The icon is a real frame of the program: docs/wobble-surface.png cropped
# square around the body,
#   convert docs/wobble-surface.png -crop 230x230+275+200 +repage -resize 256x256 -strip \
#           packaging/wobble.png

include(GNUInstallDirs)

set(WOBBLE_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)

install(TARGETS wobble wobble-scene RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/assets/config.txt ${PROJECT_SOURCE_DIR}/assets/body.tet
              ${PROJECT_SOURCE_DIR}/assets/body.obj
        DESTINATION ${CMAKE_INSTALL_DATADIR}/wobble)

# Manual pages are kept as source and installed compressed, as Debian does;
# -n keeps the name and time out of the archive, so the build reproduces.
find_program(WOBBLE_GZIP gzip REQUIRED)
set(WOBBLE_MAN_PAGES "")
foreach(page wobble.6 wobble-scene.1)
  set(compressed ${CMAKE_CURRENT_BINARY_DIR}/packaging/${page}.gz)
  add_custom_command(OUTPUT ${compressed}
                     COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/packaging
                     COMMAND ${WOBBLE_GZIP} -9 -n -c ${WOBBLE_PACKAGING_DIR}/${page} > ${compressed}
                     DEPENDS ${WOBBLE_PACKAGING_DIR}/${page}
                     COMMENT "Compressing the manual page ${page}")
  string(REGEX REPLACE ".*\\." "" section ${page})
  install(FILES ${compressed} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
  list(APPEND WOBBLE_MAN_PAGES ${compressed})
endforeach()
add_custom_target(wobble-man-pages ALL DEPENDS ${WOBBLE_MAN_PAGES})

install(FILES ${WOBBLE_PACKAGING_DIR}/wobble.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${WOBBLE_PACKAGING_DIR}/wobble.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
install(FILES ${WOBBLE_PACKAGING_DIR}/bash-completion/wobble
              ${WOBBLE_PACKAGING_DIR}/bash-completion/wobble-scene
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# The Debian package. dpkg-shlibdeps (dpkg-dev) finds the libraries the two
# programs link (SDL2, Coin, libpng, GL, GLU, ...) and names their packages.
# What it cannot see is named here: Mesa's GL drivers, which draw every
# frame, in a window and headless; the EGL that SDL's offscreen driver loads
# for --headless; and ffmpeg, which only videos need. libgl1 is the GLX
# that SDL loads for a window, and nothing else asks for it.
set(CPACK_PACKAGE_NAME wobble)
set(CPACK_PACKAGE_VENDOR "The wobble developers")
set(CPACK_PACKAGE_CONTACT "The wobble developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "steer a wobbling soft body across rippling water")
# Lines as they show in the package's description (dpkg does not wrap them).
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
       "wobble is an interactive soft-body demonstration. A deformable body made of"
       "tetrahedra, with a spring along every edge, wears a surface mesh that the"
       "tetrahedra carry. You steer it with the arrow keys across a rippling water"
       "surface that it pushes aside, and watch it through a camera with five modes."
       "It draws with OpenGL 1.1 in a window, or headless for screenshots and videos,"
       "and records videos with ffmpeg."
       ""
       "wobble-scene makes a scene for wobble from any OBJ surface.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, libgl1-mesa-dri")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libegl1, libegl-mesa0, ffmpeg")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_GENERATOR DEB)
include(CPack)
