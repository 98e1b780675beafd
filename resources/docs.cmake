# SPDX-FileCopyrightText: 2026 Duskmapper developers
# SPDX-License-Identifier: GPL-3.0-or-later
#
# The documents every install carries, laid out as Debian policy wants them:
# the licence in the machine-readable copyright format, the changelog and the
# manual pages. The last two are compressed at build time with gzip -9n (no
# name, no time stamp, so every build gives the same bytes). Included by the
# root CMakeLists.txt, whether or not the desktop program is built.
include(GNUInstallDirs)
find_program(DUSK_GZIP gzip REQUIRED)

set(DUSK_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/duskmapper)
set(DUSK_DOC_BUILD_DIR ${CMAKE_BINARY_DIR}/doc)

set(DUSK_MAN_PAGES duskmapper-export.1)
if(DUSK_BUILD_APP)
  list(APPEND DUSK_MAN_PAGES duskmapper.1)
endif()

set(DUSK_GZIPPED_DOCS)
function(dusk_gzip source output)
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${DUSK_DOC_BUILD_DIR}
    COMMAND sh -c "\"$0\" -9n -c \"$1\" > \"$2.tmp\" && mv \"$2.tmp\" \"$2\"" ${DUSK_GZIP} ${source} ${output}
    DEPENDS ${source}
    COMMENT "Compressing ${source}"
    VERBATIM
  )
  set(DUSK_GZIPPED_DOCS ${DUSK_GZIPPED_DOCS} ${output} PARENT_SCOPE)
endfunction()

dusk_gzip(${DUSK_SOURCE_ROOT}/resources/changelog ${DUSK_DOC_BUILD_DIR}/changelog.gz)
foreach(page IN LISTS DUSK_MAN_PAGES)
  dusk_gzip(${DUSK_SOURCE_ROOT}/resources/${page} ${DUSK_DOC_BUILD_DIR}/${page}.gz)
  install(FILES ${DUSK_DOC_BUILD_DIR}/${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endforeach()
add_custom_target(docs ALL DEPENDS ${DUSK_GZIPPED_DOCS})

install(FILES ${DUSK_SOURCE_ROOT}/resources/copyright ${DUSK_DOC_BUILD_DIR}/changelog.gz
  DESTINATION ${DUSK_INSTALL_DOCDIR})
