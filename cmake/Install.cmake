# Installation (cmake --install) and the Debian package (cpack -G DEB).
#
# An installed tool reads what it ships from <prefix>/share/zoetrix/
# (include/ for the compiler, help/ for the guide) and works in the user's
# own folder, since it cannot write beside itself.
include(GNUInstallDirs)

set(ZOETRIX_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/zoetrix)

install(TARGETS zoetrix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/console/ DESTINATION ${ZOETRIX_SHARE_DIR}/include
  FILES_MATCHING PATTERN "*.h")
install(DIRECTORY ${CMAKE_SOURCE_DIR}/doc/guide/ DESTINATION ${ZOETRIX_SHARE_DIR}/help)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/zoetrix.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/packaging/zoetrix-mime.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages RENAME zoetrix.xml)

# The manual pages, English and Chinese (man picks by the locale),
# compressed as Debian keeps them (-n: no time stamp, so the package is the
# same from build to build).
set(ZOETRIX_PACKAGING_FILES)
foreach(page "zoetrix.1|man1" "zoetrix.zh_CN.1|zh_CN/man1")
  string(REPLACE "|" ";" page "${page}")
  list(GET page 0 source)
  list(GET page 1 folder)
  set(gz ${CMAKE_BINARY_DIR}/packaging/${folder}/zoetrix.1.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging/${folder}
    COMMAND gzip -9n -c ${CMAKE_SOURCE_DIR}/packaging/${source} > ${gz}
    DEPENDS ${CMAKE_SOURCE_DIR}/packaging/${source})
  list(APPEND ZOETRIX_PACKAGING_FILES ${gz})
  install(FILES ${gz} DESTINATION ${CMAKE_INSTALL_MANDIR}/${folder})
endforeach()

# The icon at every size desktops look for, drawn from the icon's vector
# source (the 16 px size has a drawing of its own, fitted to whole pixels).
find_program(ZOETRIX_RSVG rsvg-convert)
foreach(size 16 24 32 48 64 128 256)
  set(png ${CMAKE_BINARY_DIR}/packaging/icons/${size}/zoetrix.png)
  if(size EQUAL 16)
    set(svg ${CMAKE_SOURCE_DIR}/res/images/app_icon_16.svg)
  else()
    set(svg ${CMAKE_SOURCE_DIR}/res/images/app_icon.svg)
  endif()
  if(ZOETRIX_RSVG)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging/icons/${size}
      COMMAND ${ZOETRIX_RSVG} -w ${size} -h ${size} -o ${png} ${svg}
      DEPENDS ${svg} VERBATIM)
  elseif(EXISTS ${CMAKE_SOURCE_DIR}/res/images/app_icon_${size}.png)
    # Without rsvg-convert (librsvg2-bin) only the sizes drawn already.
    configure_file(${CMAKE_SOURCE_DIR}/res/images/app_icon_${size}.png ${png} COPYONLY)
  else()
    message(WARNING "rsvg-convert not found: no ${size} px icon is installed (install librsvg2-bin)")
    continue()
  endif()
  list(APPEND ZOETRIX_PACKAGING_FILES ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
add_custom_target(zoetrix_packaging ALL DEPENDS ${ZOETRIX_PACKAGING_FILES})

# --- Debian package -----------------------------------------------------------
set(ZOETRIX_PACKAGE_MAINTAINER "Zoetrix 开发组 <zoetrix@invalid>"
  CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_PACKAGE_NAME zoetrix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Zoetrix 开发组")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "C语言动画制作器: text-mode animation maker")
set(CPACK_PACKAGE_DESCRIPTION
  "Zoetrix makes text-mode animations: character-art pictures shown one after
another in a terminal. Frames are drawn in a window with a Simplified Chinese
interface, played inside the tool, and exported as a C program that plays the
animation in a terminal, as a program compiled from it with tcc, and as a
project file that can be opened again.")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${ZOETRIX_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Libraries from dpkg-shlibdeps; tcc compiles the exported programs.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "tcc")
# Opening folders and the guide (a message says so without it), Chinese
# glyphs, and Qt's own dialogs in Chinese.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
  "xdg-utils, fonts-wqy-microhei | fonts-noto-cjk, qt6-translations-l10n")
set(CPACK_STRIP_FILES ON)
include(CPack)
