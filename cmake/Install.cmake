# The installed program: executables in bin/, shipped read-only files in share/velloric/, the encoder
# links in lib/velloric/, desktop integration, and a Debian package made by cpack.
include(GNUInstallDirs)

set(VELLORIC_SHARE_DEST ${CMAKE_INSTALL_DATADIR}/velloric)
# The program looks for share/velloric and lib/velloric beside its bin/ folder, whatever the
# multiarch library folder is.
set(VELLORIC_LIB_DEST lib/velloric)

install(TARGETS velloric velloric-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/share/Profiles DESTINATION ${VELLORIC_SHARE_DEST})
foreach(folder help pictures)
  if(EXISTS ${CMAKE_SOURCE_DIR}/share/${folder})
    install(DIRECTORY ${CMAKE_SOURCE_DIR}/share/${folder} DESTINATION ${VELLORIC_SHARE_DEST})
  endif()
endforeach()

install(FILES ${CMAKE_SOURCE_DIR}/share/desktop/velloric.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/share/desktop/io.velloric.Velloric.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${CMAKE_SOURCE_DIR}/share/icons/velloric.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 16 24 32 48 64 128 256)
  install(FILES ${CMAKE_SOURCE_DIR}/share/icons/hicolor/${size}x${size}/velloric.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/share/man/velloric-cli.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# The encoder links, made at install time and pointing at the encoders of the machine that builds
# (for the package: Debian's own, at the same paths on every machine that installs it).
find_program(VELLORIC_INSTALL_MENCODER mencoder)
find_program(VELLORIC_INSTALL_FFMPEG ffmpeg)
install(CODE "
  set(dir \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${VELLORIC_LIB_DEST}\")
  file(MAKE_DIRECTORY \"\${dir}\")
  foreach(pair \"asapi.dll=${VELLORIC_INSTALL_MENCODER}\" \"wmaspi.dll=${VELLORIC_INSTALL_FFMPEG}\")
    string(REPLACE \"=\" \";\" pair \"\${pair}\")
    list(GET pair 0 link)
    list(GET pair 1 target)
    file(REMOVE \"\${dir}/\${link}\")
    file(CREATE_LINK \"\${target}\" \"\${dir}/\${link}\" SYMBOLIC)
    message(STATUS \"Link: \${dir}/\${link} -> \${target}\")
  endforeach()
")

set(CPACK_PACKAGE_NAME velloric)
set(CPACK_PACKAGE_VENDOR "Velloric")
set(CPACK_PACKAGE_CONTACT "Velloric developers <dev@velloric.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Convert the titles and chapters of a DVD to video files")
set(CPACK_PACKAGE_DESCRIPTION
    "Velloric DVD Converter opens a DVD-Video disc or a folder that holds VIDEO_TS, lists every title and chapter as a checkable row, and converts the checked rows through MEncoder and FFmpeg, with a preview player and trimming. velloric-cli does the same from a terminal.")
set(CPACK_PACKAGE_INSTALL_DIRECTORY velloric)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
# What the program starts or loads at run time besides the libraries it links.
# libqt6svg6 comes from shlibdeps (the window links Qt6::Svg); the preview draws through the X11 video output.
# libavformat, libavcodec and libtesseract are loaded at run time (src/convert/MediaLibrary.h,
# src/subtitles/TextRecognizer.cpp), so the package names them itself.
string(REGEX MATCH "^[0-9]+" VELLORIC_AVFORMAT_MAJOR "${AVFORMAT_libavformat_VERSION}")
string(REGEX MATCH "^[0-9]+" VELLORIC_AVCODEC_MAJOR "${AVCODEC_libavcodec_VERSION}")
string(REGEX MATCH "^[0-9]+" VELLORIC_TESSERACT_MAJOR "${TESSERACT_VERSION}")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "mencoder, ffmpeg, libavformat${VELLORIC_AVFORMAT_MAJOR}, \
libavcodec${VELLORIC_AVCODEC_MAJOR}, libtesseract${VELLORIC_TESSERACT_MAJOR}, vlc-plugin-base, vlc-plugin-video-output")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "desktop-file-utils")
set(CPACK_GENERATOR DEB)
include(CPack)
