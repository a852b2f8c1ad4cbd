# The Debian package (scripts/package): what cmake --install puts under /usr. Depends holds the
# libraries the programs link (found by dpkg-shlibdeps) and the packages of the Qt plugins loaded
# at run time, which no linked library names.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavorin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "The Tavorin developers <tavorin@tavorin.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "remote control for a USB camera, with a photobooth")
set(CPACK_PACKAGE_DESCRIPTION
    "Tavorin shows and sets a compact camera's shooting settings, releases the shutter and\n\
downloads every photo with its metadata. It offers live view, time-lapse, bracketing, a\n\
full-screen photobooth with printing and sharing, and a remote-control channel that other\n\
programs drive through its console client tavorin-test.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ffmpeg, fonts-liberation")

# The window system, the clip player and the photo formats beyond the built-in ones come as Qt
# plugins: depend on the packages that hold them here.
find_package(Qt6 REQUIRED COMPONENTS Core)
get_target_property(qmake Qt6::qmake IMPORTED_LOCATION)
execute_process(COMMAND ${qmake} -query QT_INSTALL_PLUGINS OUTPUT_VARIABLE plugins OUTPUT_STRIP_TRAILING_WHITESPACE)
set(plugin_packages)
foreach(plugin platforms/libqxcb.so multimedia/libffmpegmediaplugin.so imageformats/libqjpeg.so
               imageformats/libqgif.so imageformats/libqtiff.so)
  execute_process(COMMAND dpkg-query -S ${plugins}/${plugin} OUTPUT_VARIABLE owner ERROR_QUIET
                  RESULT_VARIABLE missing OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(missing)
    message(WARNING "No installed package holds the Qt plugin ${plugins}/${plugin}; the package will not depend on it")
    continue()
  endif()
  string(REGEX REPLACE "[:,].*" "" owner "${owner}")
  list(APPEND plugin_packages ${owner})
endforeach()
list(REMOVE_DUPLICATES plugin_packages)
list(JOIN plugin_packages ", " CPACK_DEBIAN_PACKAGE_DEPENDS)

include(CPack)
