# Installing Corvalen and its Debian package (cpack). Included at the end of the top-level
# CMakeLists.txt, once every folder has defined its targets.
#
# Installed layout (the package installs under /usr):
#   lib/corvalen/           the program folder: the executables built into it (the program,
#                           its tools, the restore program), help/ and medicina.jpg
#   bin/corvalen            starts the program from its program folder
#   share/applications, share/metainfo, share/icons/hicolor: the menu entry and its metadata
# The clinic's data folder is not part of the package: the package's postinst prepares it.

set(CORVALEN_APP_ID com.talvane.corvalen)
set(CORVALEN_RELEASE_DATE 2026-12-11)
set(CORVALEN_INSTALL_PROGRAM_DIR lib/corvalen)

# The executable targets that a folder and its subfolders build into the program folder.
function(corvalen_program_executables out folder)
    set(found "")
    get_property(targets DIRECTORY ${folder} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(target IN LISTS targets)
        get_target_property(type ${target} TYPE)
        get_target_property(output ${target} RUNTIME_OUTPUT_DIRECTORY)
        if(type STREQUAL "EXECUTABLE" AND output STREQUAL CORVALEN_PROGRAM_DIR)
            list(APPEND found ${target})
        endif()
    endforeach()
    get_property(subfolders DIRECTORY ${folder} PROPERTY SUBDIRECTORIES)
    foreach(subfolder IN LISTS subfolders)
        corvalen_program_executables(below ${subfolder})
        list(APPEND found ${below})
    endforeach()
    set(${out} ${found} PARENT_SCOPE)
endfunction()

# Every executable of the program folder ships, so a new tool or helper program only has to be
# built there, except the developers' own: the benchmarks, and the synthetic clinic generator,
# which would mix invented patients into a clinic's real records. The program cannot start, be
# prepared or restore a backup without corvalen, corvalen-prepare and restaura.
set(CORVALEN_DEVELOPMENT_EXECUTABLES corvalen-bench corvalen-generate)
corvalen_program_executables(CORVALEN_PROGRAM_EXECUTABLES ${PROJECT_SOURCE_DIR})
list(REMOVE_ITEM CORVALEN_PROGRAM_EXECUTABLES ${CORVALEN_DEVELOPMENT_EXECUTABLES})
set(required_executables corvalen corvalen-prepare)
if(TARGET restaura)
    list(APPEND required_executables restaura)
endif()
foreach(required IN LISTS required_executables)
    if(NOT required IN_LIST CORVALEN_PROGRAM_EXECUTABLES)
        message(FATAL_ERROR "${required} is not built into the program folder")
    endif()
endforeach()
install(TARGETS ${CORVALEN_PROGRAM_EXECUTABLES} RUNTIME DESTINATION ${CORVALEN_INSTALL_PROGRAM_DIR})
install(DIRECTORY ${PROJECT_SOURCE_DIR}/help/ DESTINATION ${CORVALEN_INSTALL_PROGRAM_DIR}/help)
install(FILES ${CORVALEN_PROGRAM_DIR}/medicina.jpg DESTINATION ${CORVALEN_INSTALL_PROGRAM_DIR})

set(CORVALEN_PACKAGING ${PROJECT_SOURCE_DIR}/packaging)
install(PROGRAMS ${CORVALEN_PACKAGING}/corvalen.sh DESTINATION bin RENAME corvalen)
install(FILES ${CORVALEN_PACKAGING}/${CORVALEN_APP_ID}.desktop DESTINATION share/applications)
configure_file(${CORVALEN_PACKAGING}/${CORVALEN_APP_ID}.metainfo.xml
               ${CMAKE_BINARY_DIR}/packaging/${CORVALEN_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/packaging/${CORVALEN_APP_ID}.metainfo.xml
        DESTINATION share/metainfo)
install(FILES ${PROJECT_SOURCE_DIR}/resources/icons/stethoscope.svg
        DESTINATION share/icons/hicolor/scalable/apps RENAME ${CORVALEN_APP_ID}.svg)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvalen)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR Talvane)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "gestão de uma pequena clínica")
set(CPACK_PACKAGE_DESCRIPTION
    "Corvalen administra uma pequena clínica: pacientes, consultas, receitas, exames "
    "anexados, relatórios e cópia de segurança. Os dados ficam em /var/lib/Talvane/Corvalen, "
    "compartilhados pelas contas do grupo corvalen.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # corvalen_<version>_<arch>.deb
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Equipe Corvalen <corvalen@localhost>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries the binaries link come from dpkg-shlibdeps; these are loaded at run time or
# named by the program's texts: Qt's SQLite driver and X11 platform plugin, the fonts the
# windows and reports are drawn with, adduser for the staff group, xdg-open for the manual.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "libqt6sql6-sqlite, qt6-qpa-plugins, adduser, passwd, fonts-wine, fonts-liberation, fonts-urw-base35, fonts-dejavu-core")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CORVALEN_PACKAGING}/postinst ${CORVALEN_PACKAGING}/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
