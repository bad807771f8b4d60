# Run by the install (cmake/Install.cmake): what only the Debian package carries, its copyright
# file and changelog, and its manual pages and changelog compressed as Debian wants them. Does
# nothing unless CPack's install sets TRACKWELL_DEBIAN_LAYOUT.
if(NOT TRACKWELL_DEBIAN_LAYOUT)
    return()
endif()
# file(INSTALL) puts DESTDIR before the prefix itself; the commands run here need it spelled out.
file(INSTALL ${TRACKWELL_DEBIAN_FILES}
     DESTINATION "${CMAKE_INSTALL_PREFIX}/${TRACKWELL_DEBIAN_DOCDIR}"
     PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
set(root "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
file(GLOB pages "${root}/${TRACKWELL_DEBIAN_MANDIR}/*.1")
foreach(file IN LISTS pages ITEMS "${root}/${TRACKWELL_DEBIAN_DOCDIR}/changelog")
    # -n leaves the name and time out of the header: the same sources make the same package.
    execute_process(COMMAND gzip -9nf "${file}" RESULT_VARIABLE result)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "gzip could not compress ${file}")
    endif()
endforeach()
# What dh_strip also drops: the compiler's notes, of no use in an installed program.
file(GLOB programs "${root}/${TRACKWELL_DEBIAN_BINDIR}/*")
execute_process(COMMAND strip --remove-section=.comment --remove-section=.note ${programs}
                RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "strip could not clean ${programs}")
endif()
