# Installation: `cmake --install build --prefix P` lays out
#   P/lib/games/tessellon/    the game folder (tessellon, tessellon-cut,
#                             images/, fonts/, sounds/, jigsaws/, installed.txt)
#   P/games/tessellon, P/games/tessellon-cut   links to the two programs
#   P/share/applications/tessellon.desktop, P/share/metainfo/tessellon.metainfo.xml,
#   P/share/icons/hicolor/<size>/apps/tessellon.png, P/share/man/man6/*.6.gz,
#   P/share/doc/tessellon/
# and `cpack -G DEB` in the build folder packs the same under /usr.
# installed.txt tells the game that the folder is not the player's, so
# his files go to his XDG data folder even when he may write there (root).

set(TESSELLON_PROJECT_URL "https://tessellon.example.org/" CACHE STRING
    "Home page named in the metainfo; the screenshot is docs/screenshot.png below it")
set(TESSELLON_PROJECT_LICENSE "LicenseRef-proprietary" CACHE STRING "SPDX licence of the game for the metainfo")
set(TESSELLON_APP_ID "org.example.tessellon" CACHE STRING "Reverse-DNS component id of the metainfo, from the home page's domain")
set(TESSELLON_MAINTAINER "Tessellon developers <tessellon@example.org>" CACHE STRING "Maintainer of the Debian package")
set(TESSELLON_RELEASE_DATE "2026-12-08" CACHE STRING "Date of the release of PROJECT_VERSION (metainfo, man pages)")

set(GAME_INSTALL_DIR lib/games/tessellon)
set(DIST_DIR ${CMAKE_SOURCE_DIR}/dist)
set(DIST_BUILD_DIR ${CMAKE_BINARY_DIR}/dist)

# --- the game folder ---
install(TARGETS tessellon tessellon-cut RUNTIME DESTINATION ${GAME_INSTALL_DIR})
# The build's game folder may also hold players/ from a game run there: not installed.
foreach(folder images fonts sounds jigsaws)
  install(DIRECTORY ${GAME_DIR}/${folder} DESTINATION ${GAME_INSTALL_DIR})
endforeach()
install(FILES ${DIST_DIR}/installed.txt DESTINATION ${GAME_INSTALL_DIR})

# --- files that do not depend on the prefix ---
set(METAINFO_ID ${TESSELLON_APP_ID})
set(PROJECT_URL ${TESSELLON_PROJECT_URL})
set(PROJECT_LICENSE ${TESSELLON_PROJECT_LICENSE})
set(SCREENSHOT_URL ${TESSELLON_PROJECT_URL}docs/screenshot.png)
set(RELEASE_DATE ${TESSELLON_RELEASE_DATE})
configure_file(${DIST_DIR}/tessellon.metainfo.xml.in ${DIST_BUILD_DIR}/tessellon.metainfo.xml @ONLY)
install(FILES ${DIST_BUILD_DIR}/tessellon.metainfo.xml DESTINATION share/metainfo)
install(DIRECTORY ${ICON_DIR}/ DESTINATION share/icons/hicolor)
install(FILES ${CMAKE_SOURCE_DIR}/LICENSES.md ${CMAKE_SOURCE_DIR}/README.md DESTINATION share/doc/tessellon)

# --- files that name the prefix, written when installing ---
# The launchers are relative links, so the tree can be moved or packed.
# The desktop entry and the man pages name the installed paths; they are
# configured at install time, when the real prefix (also under DESTDIR,
# as cpack uses it) is known, and compressed as Debian wants man pages.
install(CODE "
  set(PROJECT_VERSION \"${PROJECT_VERSION}\")
  set(RELEASE_DATE \"${TESSELLON_RELEASE_DATE}\")
  set(LAUNCHER \"\${CMAKE_INSTALL_PREFIX}/games/tessellon\")
  set(GAME_FOLDER \"\${CMAKE_INSTALL_PREFIX}/${GAME_INSTALL_DIR}\")
  string(MD5 stage_key \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}\")
  set(stage \"${DIST_BUILD_DIR}/install-\${stage_key}\")
  file(MAKE_DIRECTORY \"\${stage}\")

  file(MAKE_DIRECTORY \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/games\")
  foreach(program tessellon tessellon-cut)
    file(CREATE_LINK \"../${GAME_INSTALL_DIR}/\${program}\"
         \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/games/\${program}\" SYMBOLIC)
    list(APPEND CMAKE_INSTALL_MANIFEST_FILES \"\${CMAKE_INSTALL_PREFIX}/games/\${program}\")
  endforeach()

  configure_file(\"${DIST_DIR}/tessellon.desktop.in\" \"\${stage}/tessellon.desktop\" @ONLY)
  file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/share/applications\" TYPE FILE
       FILES \"\${stage}/tessellon.desktop\")

  foreach(page tessellon tessellon-cut)
    configure_file(\"${DIST_DIR}/\${page}.6.in\" \"\${stage}/\${page}.6\" @ONLY)
    execute_process(COMMAND gzip -9nf \"\${stage}/\${page}.6\" RESULT_VARIABLE gzip_result)
    if(NOT gzip_result EQUAL 0)
      message(FATAL_ERROR \"gzip could not compress the man page \${page}.6\")
    endif()
    file(INSTALL DESTINATION \"\${CMAKE_INSTALL_PREFIX}/share/man/man6\" TYPE FILE
         FILES \"\${stage}/\${page}.6.gz\")
  endforeach()
  file(REMOVE_RECURSE \"\${stage}\")
")

# --- the Debian package ---
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tessellon)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "jigsaw-puzzle game")
set(CPACK_PACKAGE_DESCRIPTION "Tessellon is a single-player jigsaw-puzzle game for the X11 desktop.
Pick pieces up with a click, turn them with the right button and drop them
beside their neighbours: pieces that fit snap together into groups. Sort
pieces into boxes, save a game and resume it later, and cut your own
pictures into jigsaws with tessellon-cut.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # tessellon_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${TESSELLON_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)  # Depends from the libraries it links (dpkg-shlibdeps)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
include(CPack)
