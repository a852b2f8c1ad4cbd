# `cmake --install <build> --prefix <dir>`: the two programs in bin/, the files the program reads
# at run time in share/tavorin/ (it looks for them in ../share/tavorin beside its bin folder and in
# $XDG_DATA_DIRS), and the desktop entry, icons and metadata that put it in the menus.
set(TAVORIN_APP_ID org.tavorin.Tavorin)
set(desktop ${PROJECT_SOURCE_DIR}/data/desktop)

install(TARGETS tavorin tavorin-test RUNTIME DESTINATION bin)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/data/ DESTINATION share/tavorin PATTERN desktop EXCLUDE)
install(FILES ${desktop}/${TAVORIN_APP_ID}.desktop DESTINATION share/applications)
install(FILES ${desktop}/${TAVORIN_APP_ID}.metainfo.xml DESTINATION share/metainfo)
install(FILES ${desktop}/${TAVORIN_APP_ID}.svg DESTINATION share/icons/hicolor/scalable/apps)
foreach(size 48 128 256)
  install(FILES ${desktop}/${TAVORIN_APP_ID}-${size}.png DESTINATION share/icons/hicolor/${size}x${size}/apps
          RENAME ${TAVORIN_APP_ID}.png)
endforeach()
