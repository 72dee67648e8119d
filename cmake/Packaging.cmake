# Installing and packaging: the desktop integration files, manual pages and
# shell completion, and a Debian package made by CPack (`cpack -G DEB` in the
# build folder, or scripts/package-check.sh).

set(HOZANKI_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)

# Icons: the scalable one as it is, and PNGs in the hicolor sizes that menus,
# panels and task switchers ask for, rendered from it at build time.
set(HOZANKI_ICON_SIZES 16 22 24 32 48 64 128 256)
install(FILES ${CMAKE_SOURCE_DIR}/resources/hozanki.svg
  DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
find_program(RSVG_CONVERT rsvg-convert)
if(RSVG_CONVERT)
  set(HOZANKI_ICON_FILES)
  foreach(size ${HOZANKI_ICON_SIZES})
    set(png ${CMAKE_BINARY_DIR}/icons/${size}x${size}/apps/hozanki.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/icons/${size}x${size}/apps
      COMMAND ${RSVG_CONVERT} --width ${size} --height ${size} --format png
              --output ${png} ${CMAKE_SOURCE_DIR}/resources/hozanki.svg
      DEPENDS ${CMAKE_SOURCE_DIR}/resources/hozanki.svg
      COMMENT "Rendering the ${size}x${size} icon")
    list(APPEND HOZANKI_ICON_FILES ${png})
  endforeach()
  add_custom_target(hozanki_icons ALL DEPENDS ${HOZANKI_ICON_FILES})
  install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/ DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
else()
  message(WARNING "rsvg-convert (librsvg2-bin) not found: only the scalable icon is installed")
endif()

install(FILES ${CMAKE_SOURCE_DIR}/resources/hozanki.desktop
  DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/resources/io.github.hozanki.Hozanki.metainfo.xml
  DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/help/
  DESTINATION ${CMAKE_INSTALL_DATADIR}/hozanki/help)

# Manual pages, compressed as Debian ships them.
set(HOZANKI_MAN_FILES)
foreach(page hozanki.1 hozanki-cli.1)
  set(gz ${CMAKE_BINARY_DIR}/man/${page}.gz)
  add_custom_command(OUTPUT ${gz}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
    COMMAND gzip -9 -n -c ${HOZANKI_PACKAGING_DIR}/man/${page} > ${gz}
    DEPENDS ${HOZANKI_PACKAGING_DIR}/man/${page}
    COMMENT "Compressing the manual page ${page}")
  list(APPEND HOZANKI_MAN_FILES ${gz})
endforeach()
add_custom_target(hozanki_man ALL DEPENDS ${HOZANKI_MAN_FILES})
install(FILES ${HOZANKI_MAN_FILES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# bash completion, loaded on demand by bash-completion.
install(FILES ${HOZANKI_PACKAGING_DIR}/bash-completion/hozanki-cli
  DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions)

# The Debian package. Runtime dependencies of the two programs are computed
# by dpkg-shlibdeps; the Qt platform plugins are loaded at run time, so no
# library link names them and they are listed here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME hozanki)
set(CPACK_PACKAGE_VENDOR "Hozanki")
set(CPACK_PACKAGE_CONTACT "Hozanki developers <hozanki@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tag editor and batch renamer for Japanese audio and video collections")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "Hozanki lists the media files of a folder (MP3, WAV, AVI, VQF, WMA, OGG, APE,
MP4) and shows their tags in tables, one per tag kind. Whole columns of many
files are edited at once: paste, numbering, case, width and kana conversions,
wildcard and Perl-style replacements, substrings, file names from tag
patterns and named chains of such edits. Nothing is written until you save.

The interface is Japanese. hozanki-cli offers the same core on the command
line: listing tags as JSON, setting tags, renaming by pattern, writing play
lists from templates and the text conversions as filters.")
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The readings of names look words up in the two MeCab dictionaries, which
# the library's own package does not pull in.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, unidic-mecab, mecab-ipadic-utf8")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk, xdg-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "bash-completion")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_INSTALL_DIRECTORY hozanki)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
