# Part of make install: the links in PREFIX/bin to the programs in PREFIX/lib/mavren
# (which find their files through their own real path), and the desktop entry.

set(prefix "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
file(MAKE_DIRECTORY "${prefix}/bin")
foreach(program mavren mavren-cli)
    message(STATUS "Installing: ${prefix}/bin/${program}")
    file(CREATE_LINK "../${MAVREN_INSTALL_FOLDER}/${program}" "${prefix}/bin/${program}"
         SYMBOLIC)
endforeach()

file(READ "${MAVREN_SOURCE_RESOURCES}/${MAVREN_APP_ID}.desktop.in" entry)
string(REPLACE "@MAVREN_INSTALLED_PROGRAM@" "${CMAKE_INSTALL_PREFIX}/bin/mavren" entry
       "${entry}")
set(desktop "${prefix}/${MAVREN_DATADIR}/applications/${MAVREN_APP_ID}.desktop")
message(STATUS "Installing: ${desktop}")
file(WRITE "${desktop}" "${entry}")
